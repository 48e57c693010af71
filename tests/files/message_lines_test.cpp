// Where the libraries' lines go: a sink takes each line whole, and lines
// held back while a step runs are passed on in order or dropped.
#include "message_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void collect(void* context, const char* line)
{
    static_cast<std::vector<std::string>*>(context)->push_back(line);
}

TEST(MessageLines, HeldLinesPassOnInOrderOrAreDropped)
{
    const std::string long_text(300, 'x');  // past the line buffer of the stack
    for (bool print : {true, false}) {
        std::vector<std::string> lines;
        set_message_sink(collect, &lines);
        print_message("before\n");
        message_hold hold;
        hold_messages(&hold);
        print_message("first %d\n", 1);
        print_message("%s\n", long_text.c_str());
        print_message("third\n");
        EXPECT_EQ(lines, std::vector<std::string>({"before\n"}));
        release_messages(&hold, print);
        print_message("after\n");
        set_message_sink(nullptr, nullptr);
        std::vector<std::string> expected = {"before\n"};
        if (print)
            expected.insert(expected.end(), {"first 1\n", long_text + "\n", "third\n"});
        expected.push_back("after\n");
        EXPECT_EQ(lines, expected) << (print ? "passed on" : "dropped");
    }
}

}  // namespace

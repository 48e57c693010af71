// talkdata table, read as a hex editor reads it, against each edition's sample texts.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "exported_records.h"
#include "record_fields.h"
#include "talkdata_runs.h"

TEST(CharacterTable, ListsTheCodesOfTheEditionsTexts)
{
    // An edition, its sample, and entries whose character an earlier entry shows too.
    const char* const editions[][3] = {
        {"dos", "dos", ""},
        {"apple2", "velktown.dsk", ""},
        {"pc8801", "velk-towne.d88", "\n60=＠\n"},
        {"x68000", "velk-britannia.xdf", "\nFA5C=纊\nED40=纊\n"},
    };
    for (const auto& [name, sample, shared] : editions) {
        const edition_entry* edition = find_edition(name);
        const field_codec& codec = edition_codec(edition);
        const process_result run = talkdata({"table", "--edition", name});
        ASSERT_EQ(run.exit_code, 0) << run.err;
        EXPECT_NE(run.out.find(shared), std::string::npos) << name;
        EXPECT_NE(run.out.substr(0, run.out.find('\n')).find(edition->title), std::string::npos);
        std::map<std::string, std::string> texts, first_code;  // by code, and code by text
        std::istringstream lines(run.out);
        for (std::string line, written; std::getline(lines, line);) {
            if (line[0] == '#')
                continue;
            const bool newline = line[0] == '*';
            const size_t equals = newline ? line.size() : line.find('=');
            // The import takes the escape of exactly the codes the edition accepts.
            const std::string escape = "{" + line.substr(newline, equals - newline) + "}";
            std::string code, text = newline ? "\n" : line.substr(equals + 1);
            encode_failure failure;
            EXPECT_EQ(encode_talk_text(codec, escape, &code, &failure), 0) << line;
            EXPECT_TRUE(texts.emplace(code, text).second) << "listed twice: " << line;
            const std::string& first_listed = first_code.emplace(text, code).first->second;
            encode_talk_text(codec, text, &written, &failure);
            EXPECT_TRUE(first_listed == code || written == first_listed) << line;
        }
        talk_input input;
        ASSERT_EQ(load_talk_input(sample_folder() + "/" + sample, edition, 0, nullptr, &input), 0);
        std::vector<exported_record> records;
        ASSERT_EQ(export_records(input, form_exact, &records), 0);
        for (const exported_record& record : records) {
            const uint8_t* bytes = input.record(record.town, record.person);
            record_fields fields;
            std::string problem;
            ASSERT_EQ(split_record_fields(codec, bytes, &fields, &problem), 0) << problem;
            for (unsigned slot = 0; slot < talk_slot_count; slot++) {
                size_t end = fields.start[slot] + fields.length[slot];
                // A keyword is its fixed field without the spaces that pad it.
                while (is_keyword_slot(codec.profile, slot) && end > fields.start[slot] &&
                       bytes[end - 1] == talk_keyword_padding)
                    end--;
                std::string text;  // the longest code listed first, as hex editors decode
                for (size_t i = fields.start[slot], n; i < end; i += n) {
                    n = i + 1 < end && texts.count(std::string(bytes + i, bytes + i + 2)) ? 2 : 1;
                    auto entry = texts.find(std::string(bytes + i, bytes + i + n));
                    text += entry == texts.end() ? "{?}" : entry->second;
                }
                EXPECT_EQ(text, record.fields[slot]) << name;
            }
        }
    }
    EXPECT_EQ(talkdata({"table"}).exit_code, 2);
    EXPECT_EQ(talkdata({"table", "--edition", "amiga"}).exit_code, 2);
}

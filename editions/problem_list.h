// The problems an import finds in its edits: every one is counted, the
// first ones are kept to be listed, so that a file of a million bad rows
// takes neither a million lines nor the memory for them.
#pragma once

#include <string>
#include <utility>
#include <vector>

class problem_list {
public:
    // The problems kept; the others are only counted.
    static const size_t kept_limit = 100;

    void add(std::string problem)
    {
        if (kept_.size() < kept_limit)
            kept_.push_back(std::move(problem));
        count_++;
    }
    // True when a problem added now is only counted, so that a caller may
    // spare itself the making of its text.
    bool full() const { return kept_.size() >= kept_limit; }
    bool empty() const { return count_ == 0; }
    size_t size() const { return count_; }
    const std::vector<std::string>& kept() const { return kept_; }
    void clear()
    {
        kept_.clear();
        count_ = 0;
    }

private:
    std::vector<std::string> kept_;
    size_t count_ = 0;
};

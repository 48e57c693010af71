#include "word_diff.h"

#include <dtl/dtl.hpp>

void mark_differing_words(const std::vector<std::string>& a, const std::vector<std::string>& b,
                          std::vector<bool>* a_marked, std::vector<bool>* b_marked)
{
    a_marked->assign(a.size(), false);
    b_marked->assign(b.size(), false);
    if (a == b)
        return;
    dtl::Diff<std::string> diff(a, b);
    diff.compose();
    // The edit's indices count from 1 in each sequence.
    for (const auto& step : diff.getSes().getSequence()) {
        const dtl::elemInfo& info = step.second;
        if (info.type == dtl::SES_DELETE)
            (*a_marked)[static_cast<size_t>(info.beforeIdx - 1)] = true;
        else if (info.type == dtl::SES_ADD)
            (*b_marked)[static_cast<size_t>(info.afterIdx - 1)] = true;
    }
}

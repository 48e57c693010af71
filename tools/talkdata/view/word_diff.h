// The words that differ between two texts: a sequence difference of their
// words (Myers' algorithm, from the dtl library), each word compared by a
// key that sets aside what compare sets aside.
#pragma once

#include <string>
#include <vector>

// Marks the words of a and b that the shortest edit between the two key
// sequences adds or removes: (*a_marked)[i] for a[i], (*b_marked)[j] for
// b[j]. Equal sequences mark nothing; any difference marks a word.
void mark_differing_words(const std::vector<std::string>& a, const std::vector<std::string>& b,
                          std::vector<bool>* a_marked, std::vector<bool>* b_marked);

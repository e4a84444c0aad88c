// Command lines written so that a POSIX shell reads them back as the same words.
#pragma once

#include <string>
#include <vector>

namespace experiment {

// The word as it is when it holds only letters, digits and -_./=:,+; otherwise in single
// quotes, each quote inside written as '\''. An empty word is ''.
std::string shellQuoted(const std::string& word);

// The words quoted and joined by single spaces.
std::string shellCommand(const std::vector<std::string>& words);

}  // namespace experiment

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The words of a search as typed: split at spaces (and control characters), a "quoted phrase" one word with
// its inner spaces (an unclosed quote runs to the end), each word once. Nothing else is special: *, -, AND,
// parentheses are letters like any other.
std::vector<std::string> SearchWords(std::string_view text);

// The number of letters (code points) in UTF-8 text.
std::size_t LetterCount(std::string_view text);

// The text as one FTS5 string, in double quotes with the quotes inside doubled, so that the query syntax
// never reads any of it as an operator.
std::string FtsString(std::string_view text);

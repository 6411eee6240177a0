#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One word of a search as typed.
struct SearchWord {
    std::string text;
    bool quoted = false;  // a "quoted phrase": never read as a filter
    bool negated = false; // a phrase typed as -"like this"
};

// The words of a search as typed: split at spaces (and control characters), a "quoted phrase" one word with
// its inner spaces (an unclosed quote runs to the end). A quote ends the word before it, so a phrase never
// takes in a word it touches. Nothing else is special here: *, AND, parentheses are letters like any other.
std::vector<SearchWord> SearchWords(std::string_view text);

// The number of letters (code points) in UTF-8 text.
std::size_t LetterCount(std::string_view text);

// The text as one FTS5 string, in double quotes with the quotes inside doubled, so that the query syntax
// never reads any of it as an operator.
std::string FtsString(std::string_view text);

#include "core/catalogue/SearchWords.h"

#include <algorithm>
#include <utility>

namespace {

bool Separates(char c) {
    return static_cast<unsigned char>(c) <= ' ' || c == '\x7f';
}

void Keep(std::string text, bool quoted, bool negated, std::vector<SearchWord>& words) {
    const auto first = std::find_if_not(text.begin(), text.end(), Separates);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), Separates).base();
    if (first >= last) {
        return;
    }
    words.push_back({std::string(first, last), quoted, negated});
}

} // namespace

std::vector<SearchWord> SearchWords(std::string_view text) {
    std::vector<SearchWord> words;
    std::string word;
    bool quoted = false;
    bool negated = false;
    for (const char c : text) {
        if (c == '"') {
            if (!quoted && word == "-") {
                // -"a phrase" leaves the phrase out; a lone - before it is no word of its own.
                word.clear();
                negated = true;
            }
            Keep(std::exchange(word, {}), quoted, quoted && negated, words);
            if (quoted) {
                negated = false;
            }
            quoted = !quoted;
        } else if (Separates(c)) {
            if (quoted) {
                word += ' ';
            } else {
                Keep(std::exchange(word, {}), false, false, words);
            }
        } else {
            word += c;
        }
    }
    Keep(std::move(word), quoted, quoted && negated, words);
    return words;
}

std::size_t LetterCount(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; }));
}

std::string FtsString(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

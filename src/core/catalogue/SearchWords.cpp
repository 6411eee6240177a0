#include "core/catalogue/SearchWords.h"

#include <algorithm>
#include <utility>

namespace {

bool Separates(char c) {
    return static_cast<unsigned char>(c) <= ' ' || c == '\x7f';
}

void Keep(std::string word, std::vector<std::string>& words) {
    const auto first = std::find_if_not(word.begin(), word.end(), Separates);
    const auto last = std::find_if_not(word.rbegin(), word.rend(), Separates).base();
    if (first >= last) {
        return;
    }
    word = std::string(first, last);
    if (std::find(words.begin(), words.end(), word) == words.end()) {
        words.push_back(std::move(word));
    }
}

} // namespace

std::vector<std::string> SearchWords(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') {
            Keep(std::exchange(word, {}), words);
            quoted = !quoted;
        } else if (Separates(c)) {
            if (quoted) {
                word += ' ';
            } else {
                Keep(std::exchange(word, {}), words);
            }
        } else {
            word += c;
        }
    }
    Keep(std::move(word), words);
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

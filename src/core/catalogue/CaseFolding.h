#pragma once

#include "core/runtime/Result.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <sqlite3.h>

class SqliteDatabase;

// A letter of ASCII in lower case, as the name index folds it.
inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The full-text search of the connection, through which its tokenizers are reached.
Result<fts5_api*> FullTextSearch(const SqliteDatabase& db);

// Folds letter case exactly as the name index does: a letter at a time through the index's own tokenizer
// (remembered, as names repeat their letters), ASCII directly. Bytes that are not UTF-8 stay as they are.
class CaseFolding {
public:
    static Result<std::unique_ptr<CaseFolding>> make(fts5_api* api);
    ~CaseFolding();
    CaseFolding(const CaseFolding&) = delete;
    CaseFolding& operator=(const CaseFolding&) = delete;

    std::string fold(std::string_view text);
    // The same into `folded`, whose storage is used again: for a million names in a row.
    void foldInto(std::string_view text, std::string& folded);

private:
    CaseFolding() = default;

    const std::string& letter(std::string_view letter);

    fts5_tokenizer m_tokenizer{};
    Fts5Tokenizer* m_trigrams = nullptr;
    std::unordered_map<std::uint32_t, std::string> m_letters;              // by the letter's UTF-8 bytes
    std::vector<std::string> m_twoBytes = std::vector<std::string>(0x800); // by the number of the letter
};

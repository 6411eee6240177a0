#include "core/catalogue/CaseFolding.h"

#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/SqliteDatabase.h"

#include <algorithm>
#include <cstddef>

namespace {

int KeepFirstLetter(void* folded, int, const char* token, int size, int, int) {
    const auto lead = static_cast<unsigned char>(token[0]);
    const int length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
    static_cast<std::string*>(folded)->append(token, static_cast<std::size_t>(std::min(length, size)));
    return SQLITE_OK;
}

// The length of the well-formed UTF-8 sequence at the start of `text`, 0 when it is not one.
std::size_t SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xc2 ? 0
                               : lead < 0xe0 ? 2
                               : lead < 0xf0 ? 3
                               : lead < 0xf5 ? 4
                                             : 0;
    if (length == 0 || length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xc0) != 0x80) {
            return 0;
        }
    }
    return length;
}

} // namespace

Result<fts5_api*> FullTextSearch(const SqliteDatabase& db) {
    fts5_api* api = nullptr;
    Result<SqliteStatement> query = db.prepare("SELECT fts5(?)");
    if (!query) {
        return query.failure();
    }
    query.value().bindPointer(1, static_cast<void*>(&api), "fts5_api_ptr");
    if (Result<bool> row = query.value().step(); !row) {
        return row.failure();
    }
    if (api == nullptr) {
        return Failure{"this SQLite has no full-text search"};
    }
    return api;
}

Result<std::unique_ptr<CaseFolding>> CaseFolding::make(fts5_api* api) {
    auto folding = std::unique_ptr<CaseFolding>(new CaseFolding());
    void* context = nullptr;
    if (api->xFindTokenizer(api, "trigram", &context, &folding->m_tokenizer) != SQLITE_OK ||
        folding->m_tokenizer.xCreate(context, nullptr, 0, &folding->m_trigrams) != SQLITE_OK) {
        return Failure{"this SQLite has no trigram tokenizer"};
    }
    return folding;
}

CaseFolding::~CaseFolding() {
    if (m_trigrams != nullptr) {
        m_tokenizer.xDelete(m_trigrams);
    }
}

std::string CaseFolding::fold(std::string_view text) {
    std::string folded;
    foldInto(text, folded);
    return folded;
}

void CaseFolding::foldInto(std::string_view text, std::string& folded) {
    // Most names are ASCII, or begin so: that start is folded byte for byte into place.
    folded.resize(text.size());
    std::size_t at = 0;
    for (; at < text.size() && static_cast<unsigned char>(text[at]) < 0x80; ++at) {
        const char c = text[at];
        folded[at] = AsciiLower(c);
    }
    folded.resize(at);
    while (at < text.size()) {
        const char c = text[at];
        if (static_cast<unsigned char>(c) < 0x80) {
            folded += AsciiLower(c);
            ++at;
            continue;
        }
        const std::size_t length = SequenceLength(text.substr(at));
        if (length == 0) {
            folded += c;
        } else {
            folded += letter(text.substr(at, length));
        }
        at += std::max<std::size_t>(length, 1);
    }
}

const std::string& CaseFolding::letter(std::string_view letter) {
    // Letters of two bytes (Latin, Greek, Cyrillic: most that names hold beyond ASCII) are looked up by
    // their number in a table, the others by their bytes as a key.
    std::string* twoBytes = nullptr;
    if (letter.size() == 2) {
        twoBytes = &m_twoBytes[(static_cast<unsigned char>(letter[0]) & 0x1fU) << 6 |
                               (static_cast<unsigned char>(letter[1]) & 0x3fU)];
        if (!twoBytes->empty()) {
            return *twoBytes;
        }
    }
    std::uint32_t key = 0;
    for (const char byte : letter) {
        key = key << 8 | static_cast<unsigned char>(byte);
    }
    const auto known = m_letters.find(key);
    if (known != m_letters.end()) {
        return known->second;
    }
    // Two marks behind the letter, so that it begins a trigram of its own.
    const std::string marked = std::string(letter) + NameEnd + NameEnd;
    std::string folded;
    if (m_tokenizer.xTokenize(m_trigrams, &folded, FTS5_TOKENIZE_QUERY, marked.data(),
                              static_cast<int>(marked.size()), KeepFirstLetter) != SQLITE_OK ||
        folded.empty()) {
        folded = letter;
    }
    if (twoBytes != nullptr) {
        return *twoBytes = std::move(folded); // never empty: a letter folds to one at least
    }
    return m_letters.emplace(key, std::move(folded)).first->second;
}

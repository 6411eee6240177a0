#include "core/catalogue/CatalogueSearch.h"

#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/SearchWords.h"
#include "core/catalogue/SqliteDatabase.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

// A trigram index with the table of its terms.
struct TrigramIndex {
    const char* table;
    const char* terms;
};

constexpr TrigramIndex EntryNames{"entry_names", "entry_terms"};
constexpr TrigramIndex VolumeNames{"volume_names", "volume_terms"};

using Ids = std::vector<std::int64_t>;

// One word of the search: how the name index is asked for it (none when no name can hold it), and the
// disks whose volume name holds it.
struct Word {
    std::optional<std::string> names;
    Ids volumes;
};

struct Disk {
    std::int64_t id = 0;
    int number = 0;
    std::string volume;
    std::int64_t lastLabelled = 0;
    std::int64_t entries = 0;
};

Result<fts5_api*> FullTextSearch(const SqliteDatabase& db) {
    fts5_api* api = nullptr;
    Result<SqliteStatement> query = db.prepare("SELECT fts5(?)");
    if (!query) {
        return Failure{query.reason()};
    }
    query.value().bindPointer(1, static_cast<void*>(&api), "fts5_api_ptr");
    if (Result<bool> row = query.value().step(); !row) {
        return Failure{row.reason()};
    }
    if (api == nullptr) {
        return Failure{"this SQLite has no full-text search"};
    }
    return api;
}

int KeepFirstLetter(void* folded, int, const char* token, int size, int, int) {
    const auto lead = static_cast<unsigned char>(token[0]);
    const int length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 1;
    static_cast<std::string*>(folded)->append(token, static_cast<std::size_t>(std::min(length, size)));
    return SQLITE_OK;
}

// The text with its letter case folded exactly as the index folds it: read by the index's own tokenizer,
// with two marks behind it so that each of its letters begins a trigram.
Result<std::string> FoldCase(fts5_api* api, std::string_view text) {
    void* context = nullptr;
    fts5_tokenizer tokenizer{};
    Fts5Tokenizer* trigrams = nullptr;
    if (api->xFindTokenizer(api, "trigram", &context, &tokenizer) != SQLITE_OK ||
        tokenizer.xCreate(context, nullptr, 0, &trigrams) != SQLITE_OK) {
        return Failure{"this SQLite has no trigram tokenizer"};
    }
    const std::string marked = std::string(text) + NameEnd + NameEnd;
    std::string folded;
    const int rc = tokenizer.xTokenize(trigrams, &folded, FTS5_TOKENIZE_QUERY, marked.data(),
                                       static_cast<int>(marked.size()), KeepFirstLetter);
    tokenizer.xDelete(trigrams);
    if (rc != SQLITE_OK) {
        return Failure{std::string("cannot fold the letter case of a word (") + sqlite3_errstr(rc) + ")"};
    }
    return folded;
}

// How an index is asked for a word: a phrase of its trigrams for three letters and more; a whole name for
// one letter; for two, every trigram of the index that begins with them (none: no name can hold it).
Result<std::optional<std::string>> Expression(const SqliteDatabase& db, fts5_api* api,
                                              const TrigramIndex& index, const std::string& word) {
    const std::size_t letters = LetterCount(word);
    if (letters >= 3) {
        return std::optional<std::string>(FtsString(word));
    }
    if (letters == 1) {
        return std::optional<std::string>(FtsString(NameStart + word + NameEnd));
    }
    Result<std::string> folded = FoldCase(api, word);
    if (!folded) {
        return Failure{folded.reason()};
    }
    Result<SqliteStatement> query = db.prepare(std::string("SELECT term FROM temp.") + index.terms +
                                                   " WHERE term >= ?1 AND term <= ?1 || char(1114111)",
                                               *folded);
    if (!query) {
        return Failure{query.reason()};
    }
    std::string any;
    if (Result<Done> read = query.value().forEachRow([&](const SqliteStatement& term) {
            any += (any.empty() ? "" : " OR ") + FtsString(term.textView(0));
        });
        !read) {
        return Failure{read.reason()};
    }
    if (any.empty()) {
        return std::optional<std::string>();
    }
    return std::optional<std::string>("(" + any + ")");
}

Result<Ids> Column(Result<SqliteStatement> query) {
    if (!query) {
        return Failure{query.reason()};
    }
    Ids ids;
    if (Result<Done> read =
            query.value().forEachRow([&](const SqliteStatement& row) { ids.push_back(row.integer(0)); });
        !read) {
        return Failure{read.reason()};
    }
    return ids;
}

// The rows of an index that match, in the order of their ids.
Result<Ids> Matches(const SqliteDatabase& db, const TrigramIndex& index, const std::string& expression) {
    const std::string table = index.table;
    return Column(
        db.prepare("SELECT rowid FROM " + table + " WHERE " + table + " MATCH ? ORDER BY rowid", expression));
}

Result<Ids> EntriesOf(const SqliteDatabase& db, const Ids& disks) {
    Ids entries;
    for (const std::int64_t disk : disks) {
        Result<Ids> some = Column(db.prepare("SELECT id FROM entries WHERE id BETWEEN ? AND ?",
                                             disk * EntriesPerDisk, (disk + 1) * EntriesPerDisk - 1));
        if (!some) {
            return some;
        }
        entries.insert(entries.end(), some->begin(), some->end());
    }
    return entries;
}

Ids Union(const Ids& a, const Ids& b) {
    Ids both;
    both.reserve(a.size() + b.size());
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
    return both;
}

Result<Word> Ask(const SqliteDatabase& db, fts5_api* api, const std::string& text) {
    Result<std::optional<std::string>> names = Expression(db, api, EntryNames, text);
    Result<std::optional<std::string>> volumes = names ? Expression(db, api, VolumeNames, text) : names;
    if (!volumes) {
        return Failure{volumes.reason()};
    }
    Word word{std::move(names).value(), {}};
    if (*volumes) {
        Result<Ids> disks = Matches(db, VolumeNames, **volumes);
        if (!disks) {
            return Failure{disks.reason()};
        }
        word.volumes = std::move(disks).value();
    }
    return word;
}

// The entries that hold every word, in the order of their ids.
Result<Ids> Found(const SqliteDatabase& db, std::vector<Word> words) {
    // Words that no volume name holds are asked of the name index together; the others are checked one by
    // one, each entry passing by its name or by its disk.
    std::string together;
    std::vector<Word> byDisk;
    for (Word& word : words) {
        if (!word.volumes.empty()) {
            byDisk.push_back(std::move(word));
        } else if (!word.names) {
            return Ids();
        } else {
            together += (together.empty() ? "" : " AND ") + *word.names;
        }
    }
    Result<Ids> found = Ids();
    if (!together.empty()) {
        found = Matches(db, EntryNames, together);
    } else {
        const Word first = std::move(byDisk.front());
        byDisk.erase(byDisk.begin());
        Result<Ids> named = first.names ? Matches(db, EntryNames, *first.names) : Ids();
        Result<Ids> onDisks = named ? EntriesOf(db, first.volumes) : named;
        found = onDisks ? Result<Ids>(Union(*named, *onDisks)) : onDisks;
    }
    for (const Word& word : byDisk) {
        Result<Ids> named = found && word.names ? Matches(db, EntryNames, *word.names) : Ids();
        if (!found || !named) {
            return found ? named : found;
        }
        std::erase_if(found.value(), [&](std::int64_t id) {
            return !std::binary_search(word.volumes.begin(), word.volumes.end(), id / EntriesPerDisk) &&
                   !std::binary_search(named->begin(), named->end(), id);
        });
    }
    return found;
}

Result<std::vector<Disk>> DisksByNumber(const SqliteDatabase& db) {
    Result<SqliteStatement> query =
        db.prepare("SELECT id, number, volume, last_labelled, entry_count FROM disks ORDER BY number, id");
    if (!query) {
        return Failure{query.reason()};
    }
    std::vector<Disk> disks;
    if (Result<Done> read = query.value().forEachRow([&](const SqliteStatement& disk) {
            disks.push_back({disk.integer(0), static_cast<int>(disk.integer(1)), disk.text(2),
                             disk.integer(3), disk.integer(4)});
        });
        !read) {
        return Failure{read.reason()};
    }
    return disks;
}

// The first `limit` of the entries found, by disk number, then path. Only the disks that reach into the
// first `limit` are read: the rest is counted, not looked at.
Result<std::vector<SearchHit>> FirstHits(const SqliteDatabase& db, const Ids& found, std::size_t limit) {
    Result<std::vector<Disk>> disks = DisksByNumber(db);
    const char* const Columns = "SELECT e.id, f.path, e.name, e.is_folder, e.size, e.modified"
                                " FROM entries e JOIN folders f ON f.id = e.folder ";
    Result<SqliteStatement> one = disks ? db.prepare(std::string(Columns) + "WHERE e.id = ?")
                                        : Result<SqliteStatement>(Failure{disks.reason()});
    Result<SqliteStatement> range = one ? db.prepare(std::string(Columns) + "WHERE e.id BETWEEN ? AND ?")
                                        : Result<SqliteStatement>(Failure{one.reason()});
    if (!range) {
        return Failure{range.reason()};
    }
    std::vector<SearchHit> hits;
    for (const Disk& disk : *disks) {
        if (hits.size() >= limit) {
            break;
        }
        const auto from = std::lower_bound(found.begin(), found.end(), disk.id * EntriesPerDisk);
        const auto to = std::lower_bound(from, found.end(), (disk.id + 1) * EntriesPerDisk);
        if (from == to) {
            continue;
        }
        std::vector<std::pair<std::string, SearchHit>> onDisk;
        const auto take = [&](const SqliteStatement& row) {
            SearchHit hit{disk.id, disk.number, disk.volume, disk.lastLabelled,
                          CatalogueEntry{row.text(1), row.text(2), row.integer(3) != 0,
                                         static_cast<std::uint64_t>(row.integer(4)), row.integer(5)}};
            std::string path = hit.entry.path();
            onDisk.emplace_back(std::move(path), std::move(hit));
        };
        // A disk with many matches is read in one pass over its entries, a few matches one by one.
        if ((to - from) * 8 > disk.entries) {
            SqliteStatement& row = range.value();
            row.reset();
            row.bind(1, *from).bind(2, *(to - 1));
            if (Result<Done> read = row.forEachRow([&](const SqliteStatement& entry) {
                    if (std::binary_search(from, to, entry.integer(0))) {
                        take(entry);
                    }
                });
                !read) {
                return Failure{read.reason()};
            }
        } else {
            SqliteStatement& row = one.value();
            for (auto id = from; id != to; ++id) {
                row.reset();
                row.bind(1, *id);
                Result<bool> read = row.step();
                if (!read) {
                    return Failure{read.reason()};
                }
                if (*read) {
                    take(row);
                }
            }
        }
        std::sort(onDisk.begin(), onDisk.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [path, hit] : onDisk) {
            if (hits.size() >= limit) {
                break;
            }
            hits.push_back(std::move(hit));
        }
    }
    return hits;
}

} // namespace

Result<SearchResult> SearchCatalogue(const SqliteDatabase& db, std::string_view text, std::size_t limit) {
    SearchResult result;
    const std::vector<std::string> texts = SearchWords(text);
    if (texts.empty()) {
        return result;
    }
    Result<Done> terms = db.execute(
        "CREATE VIRTUAL TABLE IF NOT EXISTS temp.entry_terms USING fts5vocab(main, entry_names, row);"
        "CREATE VIRTUAL TABLE IF NOT EXISTS temp.volume_terms USING fts5vocab(main, volume_names, row)");
    Result<fts5_api*> api = terms ? FullTextSearch(db) : Result<fts5_api*>(Failure{terms.reason()});
    if (!api) {
        return Failure{api.reason()};
    }
    std::vector<Word> words;
    for (const std::string& word : texts) {
        Result<Word> asked = Ask(db, *api, word);
        if (!asked) {
            return Failure{asked.reason()};
        }
        words.push_back(std::move(asked).value());
    }
    Result<Ids> found = Found(db, std::move(words));
    if (!found) {
        return Failure{found.reason()};
    }
    result.total = found->size();
    Result<std::vector<SearchHit>> hits = FirstHits(db, *found, limit);
    if (!hits) {
        return Failure{hits.reason()};
    }
    result.hits = std::move(hits).value();
    return result;
}

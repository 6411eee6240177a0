#include "core/catalogue/CatalogueSearch.h"

#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/SearchWords.h"
#include "core/catalogue/SqliteDatabase.h"
#include "core/catalogue/SqliteLibrary.h"
#include "core/settings/TextEncoding.h"

#include <algorithm>
#include <cstdint>
#include <functional>
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

// One word of the search: how the name index is asked for it (none when no name can hold it), or the
// entries found byte for byte when it is not UTF-8 (the index reads every broken sequence alike), and the
// entry ranges of the disks whose volume name holds it.
struct Word {
    std::optional<std::string> names;
    std::optional<Ids> exact;
    Ids volumes;
};

struct Disk {
    std::int64_t id = 0;
    std::int64_t range = 0;
    int number = 0;
    std::string volume;
    std::int64_t lastLabelled = 0;
    std::int64_t entries = 0;
};

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
        return Failure{std::string("cannot fold the letter case of a word (") + Sqlite().errstr(rc) + ")"};
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
        return folded.failure();
    }
    Result<SqliteStatement> query = db.prepare(std::string("SELECT term FROM temp.") + index.terms +
                                                   " WHERE term >= ?1 AND term <= ?1 || char(1114111)",
                                               *folded);
    if (!query) {
        return query.failure();
    }
    std::string any;
    if (Result<Done> read = query.value().forEachRow([&](const SqliteStatement& term) {
            any += (any.empty() ? "" : " OR ") + FtsString(term.textView(0));
        });
        !read) {
        return read.failure();
    }
    if (any.empty()) {
        return std::optional<std::string>();
    }
    return std::optional<std::string>("(" + any + ")");
}

Result<Ids> Column(Result<SqliteStatement> query) {
    if (!query) {
        return query.failure();
    }
    Ids ids;
    if (Result<Done> read =
            query.value().forEachRow([&](const SqliteStatement& row) { ids.push_back(row.integer(0)); });
        !read) {
        return read.failure();
    }
    return ids;
}

// The rows of an index that match, in the order of their ids.
Result<Ids> Matches(const SqliteDatabase& db, const TrigramIndex& index, const std::string& expression) {
    const std::string table = index.table;
    return Column(
        db.prepare("SELECT rowid FROM " + table + " WHERE " + table + " MATCH ? ORDER BY rowid", expression));
}

Result<Ids> EntriesOf(const SqliteDatabase& db, const Ids& ranges) {
    Ids entries;
    for (const std::int64_t range : ranges) {
        Result<Ids> some = Column(db.prepare("SELECT id FROM entries WHERE id BETWEEN ? AND ?",
                                             range * EntriesPerDisk, (range + 1) * EntriesPerDisk - 1));
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

// The entry ranges of the disks listed (new lists a walk is making are none of them), sorted.
Ids RangesOf(const Ids& diskIds, const std::vector<Disk>& disks) {
    Ids ranges;
    for (const Disk& disk : disks) {
        if (std::binary_search(diskIds.begin(), diskIds.end(), disk.id)) {
            ranges.push_back(disk.range);
        }
    }
    std::sort(ranges.begin(), ranges.end());
    return ranges;
}

// Rows whose text holds the word byte for byte, ASCII letters in any case.
const char* const HoldsBytes = "instr(CAST(lower(%s) AS BLOB), CAST(lower(?) AS BLOB)) > 0";

std::string Holding(const char* column) {
    std::string condition = HoldsBytes;
    condition.replace(condition.find("%s"), 2, column);
    return condition;
}

Result<Word> Ask(const SqliteDatabase& db, fts5_api* api, const std::string& text,
                 const std::vector<Disk>& disks) {
    Word word;
    Result<Ids> volumes = Ids();
    if (!IsValidUtf8(text)) {
        Result<Ids> exact =
            Column(db.prepare("SELECT id FROM entries WHERE " + Holding("name") + " ORDER BY id", text));
        if (!exact) {
            return exact.failure();
        }
        word.exact = std::move(exact).value();
        volumes =
            Column(db.prepare("SELECT id FROM disks WHERE " + Holding("volume") + " ORDER BY id", text));
    } else {
        Result<std::optional<std::string>> names = Expression(db, api, EntryNames, text);
        Result<std::optional<std::string>> inVolumes =
            Then(names, [&] { return Expression(db, api, VolumeNames, text); });
        if (!inVolumes) {
            return inVolumes.failure();
        }
        word.names = std::move(names).value();
        if (*inVolumes) {
            volumes = Matches(db, VolumeNames, **inVolumes);
        }
    }
    if (!volumes) {
        return volumes.failure();
    }
    word.volumes = RangesOf(*volumes, disks);
    return word;
}

// The entries whose own names hold the word, in the order of their ids.
Result<Ids> Named(const SqliteDatabase& db, const Word& word) {
    if (word.exact) {
        return *word.exact;
    }
    return word.names ? Matches(db, EntryNames, *word.names) : Ids();
}

// The entries that hold every word, in the order of their ids.
Result<Ids> Found(const SqliteDatabase& db, std::vector<Word> words) {
    // Words that no volume name holds are asked of the name index together; the others are checked one by
    // one, each entry passing by its name or by its disk.
    std::string together;
    std::vector<Word> byDisk;
    for (Word& word : words) {
        if (!word.volumes.empty() || word.exact) {
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
        Result<Ids> named = Named(db, first);
        Result<Ids> onDisks = Then(named, [&] { return EntriesOf(db, first.volumes); });
        found = Then(onDisks, [&]() -> Result<Ids> { return Union(*named, *onDisks); });
    }
    for (const Word& word : byDisk) {
        Result<Ids> named = Then(found, [&] { return Named(db, word); });
        if (!named) {
            return named;
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
        db.prepare("SELECT id, entry_range, number, volume, last_labelled, entry_count FROM disks"
                   " WHERE replaces IS NULL ORDER BY number, id");
    if (!query) {
        return query.failure();
    }
    std::vector<Disk> disks;
    if (Result<Done> read = query.value().forEachRow([&](const SqliteStatement& disk) {
            disks.push_back({disk.integer(0), disk.integer(1), static_cast<int>(disk.integer(2)),
                             disk.text(3), disk.integer(4), disk.integer(5)});
        });
        !read) {
        return read.failure();
    }
    return disks;
}

// The entries of the disks listed; those of a new list that a walk is still making are left out.
void KeepListed(Ids& found, const std::vector<Disk>& disks) {
    Ids ranges;
    for (const Disk& disk : disks) {
        ranges.push_back(disk.range);
    }
    std::sort(ranges.begin(), ranges.end());
    std::erase_if(found, [&](std::int64_t id) {
        return !std::binary_search(ranges.begin(), ranges.end(), id / EntriesPerDisk);
    });
}

// Hands the entries found to `take` by disk number, then path, until it answers false. Only the disks
// reached are read.
Result<Done> VisitHits(const SqliteDatabase& db, const std::vector<Disk>& disks, const Ids& found,
                       const std::function<bool(SearchHit&&)>& take) {
    const char* const Columns = "SELECT e.id, f.path, e.name, e.is_folder, e.size, e.modified"
                                " FROM entries e JOIN folders f ON f.id = e.folder ";
    Result<SqliteStatement> one = db.prepare(std::string(Columns) + "WHERE e.id = ?");
    Result<SqliteStatement> range =
        Then(one, [&] { return db.prepare(std::string(Columns) + "WHERE e.id BETWEEN ? AND ?"); });
    if (!range) {
        return range.failure();
    }
    for (const Disk& disk : disks) {
        const auto from = std::lower_bound(found.begin(), found.end(), disk.range * EntriesPerDisk);
        const auto to = std::lower_bound(from, found.end(), (disk.range + 1) * EntriesPerDisk);
        if (from == to) {
            continue;
        }
        std::vector<std::pair<std::string, SearchHit>> onDisk;
        const auto keep = [&](const SqliteStatement& row) {
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
                        keep(entry);
                    }
                });
                !read) {
                return read;
            }
        } else {
            SqliteStatement& row = one.value();
            for (auto id = from; id != to; ++id) {
                row.reset();
                row.bind(1, *id);
                Result<bool> read = row.step();
                if (!read) {
                    return read.failure();
                }
                if (*read) {
                    keep(row);
                }
            }
        }
        std::sort(onDisk.begin(), onDisk.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [path, hit] : onDisk) {
            if (!take(std::move(hit))) {
                return Done{};
            }
        }
    }
    return Done{};
}

struct Findings {
    std::vector<Disk> disks;
    Ids found;
};

Result<Findings> Find(const SqliteDatabase& db, std::string_view text) {
    Findings findings;
    const std::vector<std::string> texts = SearchWords(text);
    if (texts.empty()) {
        return findings;
    }
    Result<Done> terms = db.execute(
        "CREATE VIRTUAL TABLE IF NOT EXISTS temp.entry_terms USING fts5vocab(main, entry_names, row);"
        "CREATE VIRTUAL TABLE IF NOT EXISTS temp.volume_terms USING fts5vocab(main, volume_names, row)");
    Result<fts5_api*> api = Then(terms, [&] { return FullTextSearch(db); });
    Result<std::vector<Disk>> disks = Then(api, [&] { return DisksByNumber(db); });
    if (!disks) {
        return disks.failure();
    }
    findings.disks = std::move(disks).value();
    std::vector<Word> words;
    for (const std::string& word : texts) {
        Result<Word> asked = Ask(db, *api, word, findings.disks);
        if (!asked) {
            return asked.failure();
        }
        words.push_back(std::move(asked).value());
    }
    Result<Ids> found = Found(db, std::move(words));
    if (!found) {
        return found.failure();
    }
    findings.found = std::move(found).value();
    KeepListed(findings.found, findings.disks);
    return findings;
}

} // namespace

Result<SearchResult> SearchCatalogue(const SqliteDatabase& db, std::string_view text, std::size_t limit) {
    Result<Findings> findings = Find(db, text);
    if (!findings) {
        return findings.failure();
    }
    SearchResult result;
    result.total = findings->found.size();
    if (limit == 0) {
        return result;
    }
    Result<Done> visited = VisitHits(db, findings->disks, findings->found, [&](SearchHit&& hit) {
        result.hits.push_back(std::move(hit));
        return result.hits.size() < limit;
    });
    if (!visited) {
        return visited.failure();
    }
    return result;
}

Result<Done> VisitCatalogueHits(const SqliteDatabase& db, std::string_view text,
                                const std::function<bool(const SearchHit&, std::uint64_t)>& visit) {
    Result<Findings> findings = Find(db, text);
    if (!findings) {
        return findings.failure();
    }
    const std::uint64_t total = findings->found.size();
    return VisitHits(db, findings->disks, findings->found,
                     [&](SearchHit&& hit) { return visit(hit, total); });
}

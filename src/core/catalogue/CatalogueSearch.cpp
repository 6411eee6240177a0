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

// A trigram index with the table of its terms, and the table and column of the names it holds.
struct TrigramIndex {
    const char* table;
    const char* terms;
    const char* content;
    const char* column;
};

constexpr TrigramIndex EntryNames{"entry_names", "entry_terms", "entries", "name"};
constexpr TrigramIndex VolumeNames{"volume_names", "volume_terms", "disks", "volume"};

using Ids = std::vector<std::int64_t>;

// How an index is asked: the expression it matches, and the words (case folded) that the names it answers
// must still hold. The index keeps no positions, so a longer word is asked for as its trigrams, in any order.
struct Query {
    std::string match;
    std::vector<std::string> holds;
};

// One word of the search: how the name index is asked for it (none when no name can hold it), or the
// entries found byte for byte when it is not UTF-8 (the index reads every broken sequence alike), and the
// entry ranges of the disks whose volume name holds it.
struct Word {
    std::optional<Query> names;
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

// Folds letter case exactly as the index folds it: with the index's own tokenizer.
class CaseFolder {
public:
    static Result<CaseFolder> Make(fts5_api* api) {
        CaseFolder folder;
        void* context = nullptr;
        if (api->xFindTokenizer(api, "trigram", &context, &folder.m_tokenizer) != SQLITE_OK ||
            folder.m_tokenizer.xCreate(context, nullptr, 0, &folder.m_trigrams) != SQLITE_OK) {
            return Failure{"this SQLite has no trigram tokenizer"};
        }
        return folder;
    }
    CaseFolder(CaseFolder&& other) noexcept
        : m_tokenizer(other.m_tokenizer), m_trigrams(std::exchange(other.m_trigrams, nullptr)) {}
    CaseFolder& operator=(CaseFolder&&) = delete;
    ~CaseFolder() {
        if (m_trigrams != nullptr) {
            m_tokenizer.xDelete(m_trigrams);
        }
    }

    // The text read by the tokenizer with two marks behind it, so that each of its letters begins a
    // trigram; ASCII text needs no tokenizer.
    Result<std::string> operator()(std::string_view text) const {
        std::string folded;
        if (std::all_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            std::transform(text.begin(), text.end(), std::back_inserter(folded), [](char c) {
                return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            });
            return folded;
        }
        const std::string marked = std::string(text) + NameEnd + NameEnd;
        const int rc = m_tokenizer.xTokenize(m_trigrams, &folded, FTS5_TOKENIZE_QUERY, marked.data(),
                                             static_cast<int>(marked.size()), KeepFirstLetter);
        if (rc != SQLITE_OK) {
            return Failure{std::string("cannot fold the letter case of a name (") + Sqlite().errstr(rc) +
                           ")"};
        }
        return folded;
    }

private:
    CaseFolder() = default;

    fts5_tokenizer m_tokenizer{};
    Fts5Tokenizer* m_trigrams = nullptr;
};

Result<std::string> FoldCase(fts5_api* api, std::string_view text) {
    Result<CaseFolder> folder = CaseFolder::Make(api);
    return Then(folder, [&] { return folder.value()(text); });
}

// The word's trigrams, all required; a word of more than three letters must then be found in the name.
Result<Query> Trigrams(fts5_api* api, const std::string& word) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < word.size(); ++at) {
        if ((static_cast<unsigned char>(word[at]) & 0xc0) != 0x80) {
            starts.push_back(at);
        }
    }
    starts.push_back(word.size());
    Query query;
    for (std::size_t n = 0; n + 3 < starts.size(); ++n) {
        query.match +=
            (n == 0 ? "(" : " AND ") + FtsString(word.substr(starts[n], starts[n + 3] - starts[n]));
    }
    query.match += ")";
    if (starts.size() > 4) {
        Result<std::string> folded = FoldCase(api, word);
        if (!folded) {
            return folded.failure();
        }
        query.holds.push_back(std::move(folded).value());
    }
    return query;
}

// How an index is asked for a word: its trigrams for three letters and more; a whole name for one letter;
// for two, every trigram of the index that begins with them (none: no name can hold it).
Result<std::optional<Query>> Expression(const SqliteDatabase& db, fts5_api* api, const TrigramIndex& index,
                                        const std::string& word) {
    const std::size_t letters = LetterCount(word);
    if (letters >= 3) {
        Result<Query> query = Trigrams(api, word);
        if (!query) {
            return query.failure();
        }
        return std::optional<Query>(std::move(query).value());
    }
    if (letters == 1) {
        return std::optional<Query>(Query{FtsString(NameStart + word + NameEnd), {}});
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
        return std::optional<Query>();
    }
    return std::optional<Query>(Query{"(" + any + ")", {}});
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

// The rows of an index that match, in the order of their ids; of those, with words to hold, the ones whose
// names hold them all.
Result<Ids> Matches(const SqliteDatabase& db, fts5_api* api, const TrigramIndex& index, const Query& query) {
    const std::string table = index.table;
    if (query.holds.empty()) {
        return Column(db.prepare("SELECT rowid FROM " + table + " WHERE " + table + " MATCH ? ORDER BY rowid",
                                 query.match));
    }
    Result<CaseFolder> fold = CaseFolder::Make(api);
    Result<SqliteStatement> rows = Then(fold, [&] {
        return db.prepare("SELECT i.rowid, c." + std::string(index.column) + " FROM " + table + " i JOIN " +
                              index.content + " c ON c.rowid = i.rowid WHERE " + table +
                              " MATCH ? ORDER BY i.rowid",
                          query.match);
    });
    if (!rows) {
        return rows.failure();
    }
    Ids ids;
    Result<Done> folded = Done{};
    Result<Done> read = rows.value().forEachRow([&](const SqliteStatement& row) {
        Result<std::string> name = Then(folded, [&] { return fold.value()(row.textView(1)); });
        if (!name) {
            folded = name.failure();
        } else if (std::all_of(query.holds.begin(), query.holds.end(), [&](const std::string& word) {
                       return name->find(word) != std::string::npos;
                   })) {
            ids.push_back(row.integer(0));
        }
    });
    if (!read || !folded) {
        return read ? folded.failure() : read.failure();
    }
    return ids;
}

// Both queries at once.
void Require(std::optional<Query>& all, const Query& query) {
    if (!all) {
        all = query;
        return;
    }
    all->match += " AND " + query.match;
    all->holds.insert(all->holds.end(), query.holds.begin(), query.holds.end());
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
        Result<std::optional<Query>> names = Expression(db, api, EntryNames, text);
        Result<std::optional<Query>> inVolumes =
            Then(names, [&] { return Expression(db, api, VolumeNames, text); });
        if (!inVolumes) {
            return inVolumes.failure();
        }
        word.names = std::move(names).value();
        if (*inVolumes) {
            volumes = Matches(db, api, VolumeNames, **inVolumes);
        }
    }
    if (!volumes) {
        return volumes.failure();
    }
    word.volumes = RangesOf(*volumes, disks);
    return word;
}

// The entries whose own names hold the word, in the order of their ids.
Result<Ids> Named(const SqliteDatabase& db, fts5_api* api, const Word& word) {
    if (word.exact) {
        return *word.exact;
    }
    return word.names ? Matches(db, api, EntryNames, *word.names) : Ids();
}

// The entries that hold every word, in the order of their ids.
Result<Ids> Found(const SqliteDatabase& db, fts5_api* api, std::vector<Word> words) {
    // Words that no volume name holds are asked of the name index together; the others are checked one by
    // one, each entry passing by its name or by its disk.
    std::optional<Query> together;
    std::vector<Word> byDisk;
    for (Word& word : words) {
        if (!word.volumes.empty() || word.exact) {
            byDisk.push_back(std::move(word));
        } else if (!word.names) {
            return Ids();
        } else {
            Require(together, *word.names);
        }
    }
    Result<Ids> found = Ids();
    if (together) {
        found = Matches(db, api, EntryNames, *together);
    } else {
        const Word first = std::move(byDisk.front());
        byDisk.erase(byDisk.begin());
        Result<Ids> named = Named(db, api, first);
        Result<Ids> onDisks = Then(named, [&] { return EntriesOf(db, first.volumes); });
        found = Then(onDisks, [&]() -> Result<Ids> { return Union(*named, *onDisks); });
    }
    for (const Word& word : byDisk) {
        Result<Ids> named = Then(found, [&] { return Named(db, api, word); });
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
    Result<Ids> found = Found(db, *api, std::move(words));
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

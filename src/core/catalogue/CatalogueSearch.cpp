#include "core/catalogue/CatalogueSearch.h"

#include "core/catalogue/BlockReader.h"
#include "core/catalogue/CaseFolding.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/EntryBlock.h"
#include "core/catalogue/EntryTable.h"
#include "core/catalogue/NameMatcher.h"
#include "core/catalogue/SearchQuery.h"
#include "core/catalogue/SearchWords.h"
#include "core/catalogue/SqliteDatabase.h"
#include "core/catalogue/SqliteLibrary.h"
#include "core/settings/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

using Ids = std::vector<std::int64_t>;

// The first version whose folders hold the range of their entries' ids.
constexpr std::int64_t FoldersSpanEntriesSince = 4;
// The first version whose entries are packed in blocks.
constexpr std::int64_t PackedSince = 5;
// The first version whose name index keeps a document a block rather than a name.
constexpr std::int64_t BlocksIndexedSince = 6;

struct Disk {
    std::int64_t id = 0;
    std::int64_t range = 0;
    int number = 0;
    std::string volume;
    std::string foldedVolume;
    std::int64_t lastLabelled = 0;
    std::int64_t entries = 0;
    std::int64_t serial = 0;
    std::int64_t capacity = 0;

    std::uint64_t entryCount() const {
        return static_cast<std::uint64_t>(std::max<std::int64_t>(entries, 0));
    }
};

std::uint64_t EntriesOn(const std::vector<Disk>& disks) {
    std::uint64_t entries = 0;
    for (const Disk& disk : disks) {
        entries += disk.entryCount();
    }
    return entries;
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

// Entries whose names match what NameIndexQuery made, as an SQL condition on `entries e` with the query as
// ?1. With NameIndexQuery, the one place that knows how the name index is asked.
const char* const InNameIndex = "e.id IN (SELECT rowid FROM entry_names WHERE entry_names MATCH ?1)";
// The same where the index keeps a document a block: the blocks `b` it answers (not in their order).
const char* const BlocksIndexed =
    " FROM entry_names n CROSS JOIN entry_blocks b ON b.number = n.rowid WHERE entry_names MATCH ?1";

// A search for its first matches reads at most this many entries in order, then asks the index instead.
constexpr std::uint64_t ScanEntries = 50000;

// The text's runs of three letters, in order.
std::vector<std::string_view> Trigrams(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xc0) != 0x80) {
            starts.push_back(at);
        }
    }
    starts.push_back(text.size());
    std::vector<std::string_view> trigrams;
    for (std::size_t n = 0; n + 3 < starts.size(); ++n) {
        trigrams.push_back(text.substr(starts[n], starts[n + 3] - starts[n]));
    }
    return trigrams;
}

// The text's trigrams, all required. The index keeps no positions, so a name it answers for four letters
// and more holds them all but maybe apart: NeedsCheck says when a name must still be checked for the text.
std::string AllTrigrams(std::string_view text) {
    std::string all;
    for (const std::string_view trigram : Trigrams(text)) {
        all += (all.empty() ? "(" : " AND ") + FtsString(trigram);
    }
    return all + ")";
}

// The longest piece of a word between slashes: every piece lies within one name of the path, and the
// longest narrows the most.
std::string LongestPiece(const std::string& word) {
    std::string longest;
    for (std::size_t from = 0; from <= word.size();) {
        const std::size_t to = std::min(word.find('/', from), word.size());
        const std::string piece = word.substr(from, to - from);
        if (LetterCount(piece) > LetterCount(longest)) {
            longest = piece;
        }
        from = to + 1;
    }
    return longest;
}

// How many names at most hold a word (in its longest piece), as the name index counts them without reading
// a name: the fewest names holding one of its trigrams, or for two letters all those holding a trigram
// that begins with them. None for one letter, which the index cannot count. A word that is not UTF-8 is
// taken for the rarest, so that its bytes are always looked for as they are.
Result<std::optional<std::uint64_t>> NamesHoldingAtMost(const SqliteDatabase& db, CaseFolding& folding,
                                                        const std::string& word) {
    if (!IsValidUtf8(word)) {
        return std::optional<std::uint64_t>(0);
    }
    const std::string piece = LongestPiece(word);
    const std::size_t letters = LetterCount(piece);
    if (letters < 2) {
        return std::optional<std::uint64_t>();
    }
    const std::string folded = folding.fold(piece);
    if (letters == 2) {
        Result<std::optional<std::int64_t>> names = db.queryInteger(
            "SELECT CAST(total(doc) AS INTEGER) FROM temp.entry_terms WHERE term >= ?1 AND term <= ?1 || "
            "char(1114111)",
            folded);
        return Then(names, [&] { return Result(std::optional<std::uint64_t>(names->value_or(0))); });
    }
    Result<SqliteStatement> count = db.prepare("SELECT doc FROM temp.entry_terms WHERE term = ?");
    if (!count) {
        return count.failure();
    }
    std::optional<std::uint64_t> fewest;
    for (const std::string_view trigram : Trigrams(folded)) {
        count.value().reset();
        count.value().bind(1, std::string(trigram));
        Result<std::optional<std::int64_t>> names = count.value().firstInteger();
        if (!names) {
            return names.failure();
        }
        fewest = std::min(fewest.value_or(UINT64_MAX), static_cast<std::uint64_t>(names->value_or(0)));
    }
    return fewest;
}

bool NeedsCheck(std::string_view text) {
    return LetterCount(text) > 3;
}

// How the name index is asked for the names that hold a piece of text: its trigrams for three letters and
// more; for two, every trigram of the index that begins with them; nothing when no name can hold it (empty
// text). None for one letter, which the index cannot narrow.
Result<std::optional<std::string>> NameIndexQuery(const SqliteDatabase& db, CaseFolding& folding,
                                                  const std::string& text) {
    const std::size_t letters = LetterCount(text);
    if (letters >= 3) {
        return std::optional<std::string>(AllTrigrams(text));
    }
    if (letters < 2) {
        return std::optional<std::string>();
    }
    Result<SqliteStatement> query =
        db.prepare("SELECT term FROM temp.entry_terms WHERE term >= ?1 AND term <= ?1 || char(1114111)",
                   folding.fold(text));
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
    return std::optional<std::string>(any.empty() ? "" : "(" + any + ")");
}

// Whether `a`'s path comes before `b`'s, as the paths themselves compare, without making them: a million
// matches would otherwise each make one more string only to be sorted.
bool PathBefore(const CatalogueEntry& a, const CatalogueEntry& b) {
    if (a.folder == b.folder) { // most often: a disk's entries come folder by folder
        return a.name < b.name;
    }
    struct Pieces {
        std::array<std::string_view, 3> piece;
        std::size_t count;
    };
    const auto pieces = [](const CatalogueEntry& entry) {
        return entry.folder.empty() ? Pieces{{entry.name, {}, {}}, 1}
                                    : Pieces{{entry.folder, "/", entry.name}, 3};
    };
    const Pieces x = pieces(a);
    const Pieces y = pieces(b);
    std::size_t i = 0;
    std::size_t j = 0;
    std::string_view p = x.piece[0];
    std::string_view q = y.piece[0];
    for (;;) {
        while (p.empty() && ++i < x.count) {
            p = x.piece[i];
        }
        while (q.empty() && ++j < y.count) {
            q = y.piece[j];
        }
        if (p.empty() || q.empty()) {
            return p.empty() && !q.empty();
        }
        const std::size_t n = std::min(p.size(), q.size());
        if (const int order = p.substr(0, n).compare(q.substr(0, n)); order != 0) {
            return order < 0;
        }
        p.remove_prefix(n);
        q.remove_prefix(n);
    }
}

// A set of entries: every entry, or the ones listed and every entry of the disks whose ranges are listed.
struct Candidates {
    bool all = true;
    Ids ranges;
    Ids ids;
};

void SortUnique(Ids& ids) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
}

void SortUniqueNumbers(std::vector<int>& numbers) {
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
}

bool InRanges(const Ids& ranges, std::int64_t id) {
    return std::binary_search(ranges.begin(), ranges.end(), id / EntriesPerDisk);
}

Candidates Both(Candidates a, const Candidates& b) {
    if (a.all) {
        return b;
    }
    if (b.all) {
        return a;
    }
    Candidates both{false, {}, {}};
    std::set_intersection(a.ranges.begin(), a.ranges.end(), b.ranges.begin(), b.ranges.end(),
                          std::back_inserter(both.ranges));
    for (const std::int64_t id : a.ids) {
        if (InRanges(b.ranges, id) || std::binary_search(b.ids.begin(), b.ids.end(), id)) {
            both.ids.push_back(id);
        }
    }
    for (const std::int64_t id : b.ids) {
        if (InRanges(a.ranges, id)) {
            both.ids.push_back(id);
        }
    }
    SortUnique(both.ids);
    return both;
}

// The entries a search reads: its words and filters, each as the catalogue holds it.
struct Plan {
    std::vector<std::string> words; // folded
    std::vector<std::string> excluded;
    std::vector<std::string> extensions; // folded, with their dots
    std::string where;                   // what SQL can check of each row itself
    // The same, for entries read from their blocks.
    std::optional<bool> folders;
    std::int64_t sizeFrom = std::numeric_limits<std::int64_t>::min();
    std::int64_t sizeBelow = std::numeric_limits<std::int64_t>::max();
    std::int64_t modifiedFrom = std::numeric_limits<std::int64_t>::min();
    std::int64_t modifiedBelow = std::numeric_limits<std::int64_t>::max();

    bool passes(bool isFolder, std::int64_t size, std::int64_t modified) const {
        return (!folders || *folders == isFolder) && size >= sizeFrom && size < sizeBelow &&
               modified >= modifiedFrom && modified < modifiedBelow;
    }
    bool duplicates = false;
    std::unordered_map<std::int64_t, int> copies; // the duplicates, with the disk each is recorded twice as
};

class Search {
public:
    Search(const SqliteDatabase& db, std::vector<Disk> disks, std::unique_ptr<CaseFolding> folding,
           std::int64_t version)
        : m_db(db), m_disks(std::move(disks)), m_folding(std::move(folding)),
          m_foldersSpanEntries(version >= FoldersSpanEntriesSince), m_packed(version >= PackedSince),
          m_blocksIndexed(version >= BlocksIndexedSince) {}

    // With `firstRows`, the search is to find that many matches soon rather than count them all, reading
    // the disks in order for them when `inOrder` allows.
    Result<Done> prepare(const SearchQuery& query, std::size_t firstRows, bool inOrder);
    const std::vector<Disk>& disks() const { return m_disks; }
    bool byName() const { return m_plan.duplicates; }
    // Whether the search reads the disks in order for its first matches, its words being so common that
    // they are among the first entries read; then `budgeted` says whether the index could answer instead
    // once reading goes on too long.
    bool scanning() const { return m_scan; }
    bool budgeted() const { return m_budgeted; }

    struct Match {
        int rank = 0; // 0 when the entry's own name holds every word, 1 when its folders or volume do
        SearchHit hit;
    };
    // The number of matches, when the indexes tell it exactly (words of two letters or more, nothing
    // else): then only the entries shown are read.
    std::optional<std::uint64_t> knownTotal() const;
    // Whether that number is reckoned rather than counted (see named).
    bool totalReckoned() const { return m_throughFolders.has_value(); }
    // The matches on one disk, by path; of one rank only when the total is known.
    // The hits of a rank are made only when `wanted` says so; `counted` (when given) adds each rank's number.
    using Ranks = std::array<std::uint64_t, 2>;
    // Which of the candidates to read: all, only those whose own names may hold every word (all the
    // first rank is among them), or only the others. The two parts are known for first rows only.
    enum class Part { All, Own, NotOwn };
    Result<std::vector<Match>> matchesOn(const Disk& disk, std::optional<int> onlyRank = std::nullopt,
                                         std::array<bool, 2> wanted = {true, true}, Ranks* counted = nullptr,
                                         Part part = Part::All);
    bool ownKnown() const { return m_own.has_value(); }
    // How many candidates of the part lie on the disk.
    std::uint64_t candidatesOn(const Disk& disk, Part part) const;

private:
    // With `own`, the entries whose own names hold the word.
    Result<Candidates> holding(const std::string& word, Ids* own = nullptr);
    Result<Candidates> named(const std::string& text, bool inVolumes, const std::string& word, Ids* own);
    Result<Ids> indexed(const std::string& query);
    std::uint64_t namesAbout(std::uint64_t documents) const;
    Result<Done> rankExactly(const Candidates& candidates, Ids ownNames);
    Result<Ids> beneath(std::vector<std::tuple<std::int64_t, std::string>> folders);
    Result<std::uint64_t> countBeneath(std::vector<std::tuple<std::int64_t, std::string>> folders,
                                       const Ids& disks, const Ids& own);
    Result<Done> findCopies();
    std::optional<int> rank(const Disk& disk, const std::string& foldedFolder, std::string_view name);

    const SqliteDatabase& m_db;
    std::vector<Disk> m_disks;
    std::unique_ptr<CaseFolding> m_folding;
    // A folder knows the range of its entries' ids; in a file of the older version read as it is, the
    // entries know their folder through an index instead.
    bool m_foldersSpanEntries = true;
    bool m_packed = false;        // the entries lie in blocks, which the search reads itself
    bool m_blocksIndexed = false; // the name index answers blocks, whose names are all checked
    BlockReader m_blocks{m_db};
    Plan m_plan;
    Candidates m_candidates;
    bool m_exact = false;
    bool m_scan = false;
    bool m_budgeted = false;
    std::size_t m_firstRows = 0;
    bool m_heldToDisks = false; // by disk: in the search
    Ids m_ranks[2];             // when exact: the matches whose own names hold every word, and the others
    // When exact for first rows that are all among the first rank: the number of the others, reckoned from
    // their folders' ranges of ids instead of read (m_ranks[1] then holds none of them).
    std::optional<std::uint64_t> m_throughFolders;
    // For first rows of a search the indexes narrow but cannot count: the candidates whose own names hold
    // every word asked of the index.
    std::optional<Ids> m_own;
    // One disk's folders as they are read: the path and the path folded.
    std::unordered_map<std::int64_t, std::pair<std::string, std::string>> m_folders;
    std::string m_foldedName; // rank's and named's, kept for its storage
};

// One disk's matches by path. They are sorted by their places, then moved once each: a hit is too large to
// be moved about by the sort.
void SortByPath(std::vector<Search::Match>& matches) {
    std::vector<std::uint32_t> order(matches.size());
    std::iota(order.begin(), order.end(), 0U);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return PathBefore(matches[a].hit.entry, matches[b].hit.entry);
    });
    std::vector<Search::Match> sorted;
    sorted.reserve(matches.size());
    for (const std::uint32_t at : order) {
        sorted.push_back(std::move(matches[at]));
    }
    matches = std::move(sorted);
}

// Entries whose names hold `text` (a piece of `word`), every entry beneath a folder whose name holds it, and
// (when asked) every entry of a disk whose volume name holds the word. All, when the index cannot tell.
Result<Candidates> Search::named(const std::string& text, bool inVolumes, const std::string& word, Ids* own) {
    const bool utf8 = IsValidUtf8(text);
    Result<std::optional<std::string>> asked =
        utf8 ? NameIndexQuery(m_db, *m_folding, text) : std::optional<std::string>("");
    if (!asked) {
        return asked.failure();
    }
    if (utf8 && !*asked) {
        return Candidates{};
    }
    Candidates found{false, {}, {}};
    const std::string folded = m_folding->fold(word);
    if (inVolumes) {
        for (const Disk& disk : m_disks) {
            if (disk.foldedVolume.find(folded) != std::string::npos) {
                found.ranges.push_back(disk.range);
            }
        }
        SortUnique(found.ranges);
    }
    // A word that is not UTF-8 is its bytes (ASCII letters in any case), not whatever the index reads a
    // broken sequence as.
    const std::string matching =
        utf8 ? InNameIndex : "instr(CAST(lower(e.name) AS BLOB), CAST(lower(?1) AS BLOB)) > 0";
    if (utf8 && (*asked)->empty()) {
        return found;
    }
    const std::string pattern = utf8 ? **asked : text;
    // One pass: the entries named, and of the folders among them where they are.
    Result<SqliteStatement> folderPath = m_db.prepare("SELECT disk, path FROM folders WHERE id = ?");
    if (!folderPath) {
        return folderPath.failure();
    }
    std::vector<std::pair<std::int64_t, std::string>> folders;
    const bool check = utf8 && NeedsCheck(text);
    const std::string foldedText = utf8 ? m_folding->fold(text) : std::string();
    const auto keep = [&](std::int64_t id, bool isFolder, std::int64_t folder, std::string_view name) {
        found.ids.push_back(id);
        if (isFolder) {
            folders.emplace_back(folder, std::string(name));
        }
    };
    const auto take = [&](std::int64_t id, bool isFolder, std::int64_t folder, std::string_view name) {
        if (check) {
            m_folding->foldInto(name, m_foldedName);
            if (m_foldedName.find(foldedText) == std::string::npos) {
                return;
            }
        }
        keep(id, isFolder, folder, name);
    };
    Result<Done> read = Done{};
    // First rows of one word are its own names, by disk number: the blocks the index answers are read
    // disk by disk, and no further than the disks that hold the rows. The rest of the count is reckoned.
    const bool mayStop = own != nullptr && m_exact && m_firstRows > 0 && m_plan.words.size() == 1 &&
                         m_foldersSpanEntries && !m_heldToDisks;
    std::uint64_t blocksRead = 0;
    std::uint64_t blocksLeft = 0;
    if (utf8 && m_blocksIndexed) {
        NameMatcher matcher(*m_folding, foldedText);
        const auto check = [&](std::int64_t first, std::int64_t, const UnpackedEntries& block) {
            for (const std::size_t at : matcher.matches(block)) {
                const UnpackedEntries::Entry& entry = block[at];
                keep(first + static_cast<std::int64_t>(at), entry.isFolder, entry.folder, block.name(entry));
            }
        };
        if (mayStop) {
            // Which blocks, from the index of their numbers alone; then each read by itself.
            Result<Ids> blocks = Column(m_db.prepare(std::string("SELECT b.first") + BlocksIndexed, pattern));
            Result<SqliteStatement> block = Then(blocks, [&] {
                return m_db.prepare("SELECT first, last, data FROM entry_blocks WHERE first = ?");
            });
            if (!block) {
                return block.failure();
            }
            SortUnique(blocks.value());
            blocksLeft = blocks->size();
            // Enough blocks read to reckon the rest from.
            constexpr std::uint64_t FewestReckonedFrom = 100;
            for (const Disk& disk : m_disks) {
                if ((found.ids.size() >= m_firstRows && blocksRead >= FewestReckonedFrom) || !read) {
                    break;
                }
                const auto from =
                    std::lower_bound(blocks->begin(), blocks->end(), disk.range * EntriesPerDisk);
                const auto to = std::lower_bound(from, blocks->end(), (disk.range + 1) * EntriesPerDisk);
                for (auto first = from; first != to && read; ++first) {
                    block.value().reset();
                    block.value().bind(1, *first);
                    read = BlockReader::eachIn(m_db, block.value(), check);
                }
                blocksRead += static_cast<std::uint64_t>(to - from);
            }
            blocksLeft -= std::min(blocksLeft, blocksRead);
            if (found.ids.size() < m_firstRows || blocksRead < FewestReckonedFrom) {
                blocksLeft = 0; // every disk read
            }
        } else {
            // The blocks come as the index numbers them: the ids are sorted below.
            read = BlockReader::eachOf(
                m_db, m_db.prepare(std::string("SELECT b.first, b.last, b.data") + BlocksIndexed, pattern),
                check);
        }
    } else if (utf8 && m_packed) {
        Result<Ids> ids = indexed(pattern);
        read = Then(ids, [&] {
            return m_blocks.visit(*ids, [&](std::int64_t id, const UnpackedEntries& block, std::size_t at) {
                const UnpackedEntries::Entry& entry = block[at];
                take(id, entry.isFolder, entry.folder, block.name(entry));
            });
        });
    } else {
        // The index's answer is walked in id order, each entry read beside it, rather than gathered first.
        Result<SqliteStatement> named = m_db.prepare(
            utf8 ? "SELECT e.id, e.is_folder, e.folder, e.name FROM entry_names n CROSS JOIN entries e"
                   " ON e.id = n.rowid WHERE entry_names MATCH ?1"
                 : "SELECT e.id, e.is_folder, e.folder, e.name FROM entries e WHERE " + matching,
            pattern);
        read = Then(named, [&] {
            return named.value().forEachRow([&](const SqliteStatement& row) {
                take(row.integer(0), row.integer(1) != 0, row.integer(2), row.textView(3));
            });
        });
    }
    if (!read) {
        return read.failure();
    }
    SortUnique(found.ids);
    if (own != nullptr) {
        *own = found.ids;
    }
    // First rows of one word that its own names fill: what lies beneath its folders comes after them all,
    // so it is counted from the folders' ranges of ids (exact as a walk writes them) rather than read.
    // A disk whose volume name holds the word is counted whole.
    const auto ownListed = [&] {
        Ids listed;
        for (const Disk& disk : m_disks) {
            listed.push_back(disk.range);
        }
        SortUnique(listed);
        return static_cast<std::size_t>(std::count_if(found.ids.begin(), found.ids.end(),
                                                      [&](std::int64_t id) { return InRanges(listed, id); }));
    };
    const bool ownFillFirstRows = own != nullptr && m_exact && m_firstRows > 0 && m_plan.words.size() == 1 &&
                                  m_foldersSpanEntries && !m_heldToDisks && ownListed() >= m_firstRows;
    std::vector<std::tuple<std::int64_t, std::string>> paths;
    for (const auto& [folder, name] : folders) {
        SqliteStatement& where = folderPath.value();
        where.reset();
        where.bind(1, folder);
        Result<bool> row = where.step();
        if (!row) {
            return row.failure();
        }
        if (*row) {
            const std::string parent = where.text(1);
            paths.emplace_back(where.integer(0), parent.empty() ? name : parent + "/" + name);
        }
    }
    if (ownFillFirstRows) {
        Result<std::uint64_t> counted = countBeneath(std::move(paths), found.ranges, found.ids);
        if (!counted) {
            return counted.failure();
        }
        m_throughFolders = *counted;
        if (blocksLeft > 0 && blocksRead > 0) {
            // The blocks left unread hold as many matches a block as those read.
            const double share =
                static_cast<double>(found.ids.size() + *counted) / static_cast<double>(blocksRead);
            *m_throughFolders += static_cast<std::uint64_t>(share * static_cast<double>(blocksLeft));
        }
        return found;
    }
    Result<Ids> under = beneath(std::move(paths));
    if (!under) {
        return under.failure();
    }
    found.ids.insert(found.ids.end(), under->begin(), under->end());
    SortUnique(found.ids);
    return found;
}

// The ids the name index answers for `query`: every id of each block it answers, when it keeps blocks (then
// not in order).
Result<Ids> Search::indexed(const std::string& query) {
    if (!m_blocksIndexed) {
        return Column(m_db.prepare("SELECT rowid FROM entry_names WHERE entry_names MATCH ?1", query));
    }
    Result<SqliteStatement> blocks =
        m_db.prepare(std::string("SELECT b.first, b.last") + BlocksIndexed, query);
    if (!blocks) {
        return blocks.failure();
    }
    Ids ids;
    Result<Done> read = blocks.value().forEachRow([&](const SqliteStatement& block) {
        for (std::int64_t id = block.integer(0); id <= block.integer(1); ++id) {
            ids.push_back(id);
        }
    });
    return Then(read, [&] { return Result<Ids>(std::move(ids)); });
}

// About how many names hold what the name index found in `documents` of its own, for choosing how to
// search. A document that is a block says only that one of its names at least does; but a block's names
// are alike (a folder's files, numbered or dated), and a piece of one is in a few of them: from one to
// seven in the catalogues measured. Four is taken, so that a word in a third of the blocks or more is
// looked for by reading in order (which asks the index after all when it reads too long).
std::uint64_t Search::namesAbout(std::uint64_t documents) const {
    constexpr std::uint64_t NamesABlock = 4;
    return m_blocksIndexed ? std::min(documents * NamesABlock, std::max(EntriesOn(m_disks), documents))
                           : documents;
}

// Every entry beneath the folders (disk, path), found through the folders' own index.
// `select` (from `folders f`) for the folder (disk ?1, path ?2) and every folder beneath it.
std::string InFolderAndBeneath(const std::string& select) {
    return select + " WHERE f.disk = ?1 AND f.path = ?2 UNION ALL " + select +
           " WHERE f.disk = ?1 AND f.path >= ?2 || '/' AND f.path < ?2 || '0'";
}

Result<Ids> Search::beneath(std::vector<std::tuple<std::int64_t, std::string>> folders) {
    std::sort(folders.begin(), folders.end());
    // Packed, a folder's entries are read from the blocks of its range, not joined to it one by one.
    const std::string join = m_packed ? "SELECT f.id, f.first_entry, f.last_entry FROM folders f"
                             : m_foldersSpanEntries
                                 ? "SELECT e.id FROM folders f JOIN entries e ON e.id BETWEEN f.first_entry "
                                   "AND f.last_entry AND e.folder = f.id"
                                 : "SELECT e.id FROM folders f JOIN entries e ON e.folder = f.id";
    Result<SqliteStatement> query = m_db.prepare(InFolderAndBeneath(join));
    if (!query) {
        return query.failure();
    }
    Ids ids;
    const std::tuple<std::int64_t, std::string>* taken = nullptr;
    for (const auto& folder : folders) {
        // A folder inside one already taken is in it already.
        if (taken != nullptr && std::get<0>(*taken) == std::get<0>(folder) &&
            std::get<1>(folder).starts_with(std::get<1>(*taken) + "/")) {
            continue;
        }
        taken = &folder;
        SqliteStatement& rows = query.value();
        rows.reset();
        rows.bind(1, std::get<0>(folder)).bind(2, std::get<1>(folder));
        std::vector<std::tuple<std::int64_t, std::int64_t, std::int64_t>> spans;
        if (Result<Done> read = rows.forEachRow([&](const SqliteStatement& row) {
                if (!m_packed) {
                    ids.push_back(row.integer(0));
                } else if (!row.isNull(1)) {
                    spans.emplace_back(row.integer(0), row.integer(1), row.integer(2));
                }
            });
            !read) {
            return read.failure();
        }
        // A walk writes a folder's entries in one run: every id of its range is one of them.
        for (const auto& [folder, first, last] : spans) {
            for (std::int64_t id = first; id <= last; ++id) {
                ids.push_back(id);
            }
        }
    }
    return ids;
}

// How many entries lie beneath the folders (disk, path) or on the disks of the ranges `disks`, other than
// `own` (sorted), from the ranges of ids their folders and disks hold.
Result<std::uint64_t> Search::countBeneath(std::vector<std::tuple<std::int64_t, std::string>> folders,
                                           const Ids& disks, const Ids& own) {
    Result<SqliteStatement> query =
        m_db.prepare(InFolderAndBeneath("SELECT f.first_entry, f.last_entry FROM folders f"));
    if (!query) {
        return query.failure();
    }
    std::vector<std::pair<std::int64_t, std::int64_t>> spans;
    for (const auto& [disk, path] : folders) {
        SqliteStatement& rows = query.value();
        rows.reset();
        rows.bind(1, disk).bind(2, path);
        if (Result<Done> read = rows.forEachRow([&](const SqliteStatement& row) {
                if (!row.isNull(0)) { // a folder of no entries
                    spans.emplace_back(row.integer(0), row.integer(1));
                }
            });
            !read) {
            return read.failure();
        }
    }
    Result<SqliteStatement> span =
        m_db.prepare(m_packed ? "SELECT min(first), max(last) FROM entry_blocks WHERE first BETWEEN ? AND ?"
                              : "SELECT min(id), max(id) FROM entries WHERE id BETWEEN ? AND ?");
    if (!span) {
        return span.failure();
    }
    for (const std::int64_t range : disks) {
        SqliteStatement& row = span.value();
        row.reset();
        row.bind(1, range * EntriesPerDisk).bind(2, (range + 1) * EntriesPerDisk - 1);
        Result<bool> read = row.step();
        if (!read) {
            return read.failure();
        }
        if (*read && !row.isNull(0)) {
            spans.emplace_back(row.integer(0), row.integer(1));
        }
    }
    // Folders inside others or on a disk counted whole, or taken twice, are counted once.
    std::sort(spans.begin(), spans.end());
    std::uint64_t count = 0;
    std::int64_t reached = std::numeric_limits<std::int64_t>::min();
    for (const auto& [first, last] : spans) {
        const std::int64_t from = std::max(first, reached);
        if (last < from) {
            continue;
        }
        count += static_cast<std::uint64_t>(last - from + 1) -
                 static_cast<std::uint64_t>(std::upper_bound(own.begin(), own.end(), last) -
                                            std::lower_bound(own.begin(), own.end(), from));
        reached = last + 1;
    }
    return count;
}

// The entries a word may be in: through the longest piece of it between slashes, as every piece lies
// within one name of the path.
Result<Candidates> Search::holding(const std::string& word, Ids* own) {
    return named(LongestPiece(word), true, word, own);
}

// Every file whose name and size are on another disk too; a copy on another record of the same physical
// disk (a disk relabelled as new) is marked with that record's number.
Result<Done> Search::findCopies() {
    Result<SqliteStatement> query =
        m_db.prepare("SELECT e.id, e.name, e.size FROM entries e WHERE NOT e.is_folder AND e.size > 0 AND "
                     "(e.name, e.size) IN"
                     " (SELECT name, size FROM entries WHERE NOT is_folder AND size > 0 GROUP BY name, size"
                     " HAVING count(*) > 1)"
                     " ORDER BY e.name, e.size");
    if (!query) {
        return query.failure();
    }
    std::map<std::int64_t, const Disk*> byRange;
    for (const Disk& disk : m_disks) {
        byRange[disk.range] = &disk;
    }
    std::vector<std::pair<std::int64_t, const Disk*>> group;
    const auto take = [&] {
        // The copies of one name and size are worth listing when they are on two records or more.
        const bool onTwo = std::any_of(group.begin(), group.end(),
                                       [&](const auto& copy) { return copy.second != group.front().second; });
        if (onTwo) {
            std::map<std::pair<std::int64_t, std::int64_t>, std::vector<int>> physical;
            for (const auto& [id, disk] : group) {
                if (disk->serial != 0) {
                    physical[{disk->serial, disk->capacity}].push_back(disk->number);
                }
            }
            for (auto& [identity, numbers] : physical) {
                SortUniqueNumbers(numbers);
            }
            for (const auto& [id, disk] : group) {
                int twice = 0;
                if (disk->serial != 0) {
                    for (const int number : physical[{disk->serial, disk->capacity}]) {
                        if (number != disk->number) {
                            twice = number; // the lowest other number
                            break;
                        }
                    }
                }
                m_plan.copies[id] = twice;
            }
        }
        group.clear();
    };
    std::string name;
    std::int64_t size = -1;
    if (Result<Done> read = query.value().forEachRow([&](const SqliteStatement& row) {
            const auto disk = byRange.find(row.integer(0) / EntriesPerDisk);
            if (disk == byRange.end()) {
                return; // a list a walk is still making
            }
            if (row.textView(1) != name || row.integer(2) != size) {
                take();
                name = row.text(1);
                size = row.integer(2);
            }
            group.emplace_back(row.integer(0), disk->second);
        });
        !read) {
        return read.failure();
    }
    take();
    return Done{};
}

Result<Done> Search::prepare(const SearchQuery& query, std::size_t firstRows, bool inOrder) {
    m_firstRows = firstRows;
    m_heldToDisks = !query.disks.empty();
    for (const std::string& word : query.words) {
        m_plan.words.push_back(m_folding->fold(word));
    }
    for (const std::string& word : query.excluded) {
        m_plan.excluded.push_back(m_folding->fold(word));
    }
    for (const std::string& extension : query.extensions) {
        m_plan.extensions.push_back(m_folding->fold("." + extension));
    }
    m_plan.duplicates = query.duplicates;
    std::string& where = m_plan.where;
    if (query.folders) {
        where += *query.folders ? " AND e.is_folder" : " AND NOT e.is_folder";
        m_plan.folders = *query.folders;
    }
    // Sizes and extensions are files', as are copies.
    if (query.sizeAtLeast || query.sizeBelow || !query.extensions.empty() || query.duplicates) {
        where += " AND NOT e.is_folder";
        if (m_plan.folders.value_or(false)) {
            m_plan.sizeBelow = std::numeric_limits<std::int64_t>::min(); // folders that are files: none
        }
        m_plan.folders = false;
    }
    if (query.sizeAtLeast) {
        m_plan.sizeFrom = static_cast<std::int64_t>(*query.sizeAtLeast);
    }
    if (query.sizeBelow) {
        m_plan.sizeBelow = static_cast<std::int64_t>(*query.sizeBelow);
    }
    if (query.modifiedFrom) {
        m_plan.modifiedFrom = *query.modifiedFrom;
    }
    if (query.modifiedBefore) {
        m_plan.modifiedBelow = *query.modifiedBefore;
    }
    for (const NumberFilter& filter : NumberFilters(query)) {
        where += std::string(" AND e.") + filter.column + " " + filter.comparison + " " +
                 std::to_string(filter.value);
    }

    // Words of two letters and more the indexes answer exactly, by themselves: the rest is read for what is
    // shown only.
    m_exact = !query.words.empty() && m_plan.excluded.empty() && m_plan.extensions.empty() && where.empty() &&
              std::all_of(query.words.begin(), query.words.end(), [](const std::string& word) {
                  return IsValidUtf8(word) && word.find('/') == std::string::npos && LetterCount(word) >= 2;
              });
    std::optional<Ids> ownNames;

    // How many names may hold each word. A word held by a good share of the catalogue is checked in the
    // entries read rather than asked of the index, whose answer would be most of the catalogue; when every
    // word is so common, the first matches are found soon by reading the disks in order.
    const std::uint64_t entries = EntriesOn(m_disks);
    // Unknown (as if common) where nothing is to be chosen: one word and no first rows to find soon, for
    // which the index is asked whatever the count.
    std::vector<std::optional<std::uint64_t>> names(query.words.size());
    const bool choosing = firstRows > 0 || query.words.size() > 1;
    for (std::size_t n = 0; choosing && n < query.words.size(); ++n) {
        const std::string& word = query.words[n];
        Result<std::optional<std::uint64_t>> most = NamesHoldingAtMost(m_db, *m_folding, word);
        if (!most) {
            return most.failure();
        }
        // A word in a disk's volume name stands for every entry of the disk.
        std::optional<std::uint64_t> count = *most;
        if (count) {
            *count = namesAbout(*count);
        }
        const std::string folded = m_folding->fold(word);
        for (const Disk& disk : m_disks) {
            if (count && disk.foldedVolume.find(folded) != std::string::npos) {
                *count += disk.entryCount();
            }
        }
        names[n] = count;
    }
    const auto heldByAtLeast = [](std::uint64_t count) {
        return [count](const std::optional<std::uint64_t>& most) { return !most || *most >= count; };
    };
    // Reading in order finds the first rows soon when they are likely within the entries it may read.
    // A search held to some disks reads only those, and its share of matches is theirs alone.
    m_scan = inOrder && firstRows > 0 && !query.duplicates && query.disks.empty() && !names.empty() &&
             std::all_of(names.begin(), names.end(), heldByAtLeast(firstRows * entries / ScanEntries));
    m_budgeted =
        m_scan && std::any_of(names.begin(), names.end(),
                              [](const std::optional<std::uint64_t>& most) { return most.has_value(); });
    // The index is asked for the rarest word, and for any other nearly as rare; the rest are checked in
    // the entries it answers, which are fewer than their own would be.
    std::optional<std::uint64_t> rarest;
    for (const std::optional<std::uint64_t>& most : names) {
        if (most && (!rarest || *most < *rarest)) {
            rarest = most;
        }
    }
    std::vector<bool> asked;
    for (const std::optional<std::uint64_t>& most : names) {
        asked.push_back(!m_scan && (!rarest || (most && *most <= 2 * *rarest + 1000)));
    }
    m_exact = m_exact && std::all_of(asked.begin(), asked.end(), [](bool yes) { return yes; });

    // The entries worth reading, narrowed through the indexes as far as they can.
    Candidates candidates;
    for (std::size_t n = 0; n < query.words.size(); ++n) {
        if (!asked[n]) {
            continue;
        }
        const std::string& word = query.words[n];
        Ids own;
        const bool owned = m_exact || (firstRows > 0 && !query.duplicates);
        Result<Candidates> held = holding(word, owned ? &own : nullptr);
        if (!held) {
            return held.failure();
        }
        candidates = Both(std::move(candidates), *held);
        if (owned) {
            Ids both;
            std::set_intersection(own.begin(), own.end(), ownNames ? ownNames->begin() : own.begin(),
                                  ownNames ? ownNames->end() : own.end(), std::back_inserter(both));
            ownNames = std::move(both);
        }
    }
    if (candidates.all && !query.extensions.empty()) {
        Candidates ending{false, {}, {}};
        for (const std::string& extension : query.extensions) {
            Result<std::optional<std::string>> asked =
                NameIndexQuery(m_db, *m_folding, "." + extension + NameEnd);
            Result<Ids> ids = Then(asked, [&] {
                return m_packed
                           ? indexed(**asked)
                           : Column(m_db.prepare(
                                 std::string("SELECT e.id FROM entries e WHERE ") + InNameIndex, **asked));
            });
            if (!ids) {
                return ids.failure();
            }
            ending.ids.insert(ending.ids.end(), ids->begin(), ids->end());
        }
        SortUnique(ending.ids);
        candidates = std::move(ending);
    }
    if (query.duplicates) {
        if (Result<Done> found = findCopies(); !found) {
            return found;
        }
        Candidates copies{false, {}, {}};
        for (const auto& [id, twice] : m_plan.copies) {
            copies.ids.push_back(id);
        }
        SortUnique(copies.ids);
        candidates = Both(std::move(candidates), copies);
    }
    if (!query.disks.empty()) {
        Candidates onDisks{false, {}, {}};
        for (const Disk& disk : m_disks) {
            if (std::find(query.disks.begin(), query.disks.end(), disk.number) != query.disks.end()) {
                onDisks.ranges.push_back(disk.range);
            }
        }
        SortUnique(onDisks.ranges);
        candidates = Both(std::move(candidates), onDisks);
    }
    m_candidates = std::move(candidates);
    if (!m_exact && ownNames) {
        const Candidates& among = m_candidates;
        m_own.emplace();
        std::copy_if(ownNames->begin(), ownNames->end(), std::back_inserter(*m_own), [&](std::int64_t id) {
            return among.all || InRanges(among.ranges, id) ||
                   std::binary_search(among.ids.begin(), among.ids.end(), id);
        });
    }
    return m_exact ? rankExactly(m_candidates, std::move(ownNames).value_or(Ids())) : Done{};
}

// Every match by id, split by rank, for a search the indexes answer exactly.
Result<Done> Search::rankExactly(const Candidates& candidates, Ids ownNames) {
    Ids listed;
    for (const Disk& disk : m_disks) {
        listed.push_back(disk.range);
    }
    SortUnique(listed);
    Ids all;
    // Disks counted whole for first rows are not read (see named).
    for (const std::int64_t range : m_throughFolders ? Ids() : candidates.ranges) {
        if (m_packed) {
            // A block holds every id from its first to its last.
            Result<SqliteStatement> blocks = m_db.prepare(
                "SELECT first, last FROM entry_blocks WHERE first BETWEEN ? AND ? ORDER BY first",
                range * EntriesPerDisk, (range + 1) * EntriesPerDisk - 1);
            Result<Done> read = Then(blocks, [&] {
                return blocks.value().forEachRow([&](const SqliteStatement& block) {
                    for (std::int64_t id = block.integer(0); id <= block.integer(1); ++id) {
                        all.push_back(id);
                    }
                });
            });
            if (!read) {
                return read.failure();
            }
            continue;
        }
        Result<Ids> some = Column(m_db.prepare("SELECT id FROM entries WHERE id BETWEEN ? AND ?",
                                               range * EntriesPerDisk, (range + 1) * EntriesPerDisk - 1));
        if (!some) {
            return some.failure();
        }
        all.insert(all.end(), some->begin(), some->end());
    }
    // New lists a walk is still making are none of the disks listed.
    std::copy_if(candidates.ids.begin(), candidates.ids.end(), std::back_inserter(all),
                 [&](std::int64_t id) { return InRanges(listed, id); });
    SortUnique(all);
    std::set_intersection(all.begin(), all.end(), ownNames.begin(), ownNames.end(),
                          std::back_inserter(m_ranks[0]));
    std::set_difference(all.begin(), all.end(), m_ranks[0].begin(), m_ranks[0].end(),
                        std::back_inserter(m_ranks[1]));
    return Done{};
}

std::optional<std::uint64_t> Search::knownTotal() const {
    if (!m_exact) {
        return std::nullopt;
    }
    return m_ranks[0].size() + m_ranks[1].size() + m_throughFolders.value_or(0);
}

// How an entry matches: none when it does not.
std::optional<int> Search::rank(const Disk& disk, const std::string& foldedFolder, std::string_view name) {
    m_folding->foldInto(name, m_foldedName);
    const std::string& foldedName = m_foldedName;
    if (!m_plan.extensions.empty() &&
        std::none_of(m_plan.extensions.begin(), m_plan.extensions.end(),
                     [&](const std::string& extension) { return foldedName.ends_with(extension); })) {
        return std::nullopt;
    }
    if (m_plan.words.empty() && m_plan.excluded.empty()) {
        return 0;
    }
    // Only a word with a slash can run across the folder and the name: the path is made for it alone.
    std::optional<std::string> path;
    const auto in = [&](const std::string& word) {
        if (word.find('/') != std::string::npos) {
            if (!path) {
                path = foldedFolder.empty() ? foldedName : foldedFolder + "/" + foldedName;
            }
            return path->find(word) != std::string::npos || disk.foldedVolume.find(word) != std::string::npos;
        }
        return foldedName.find(word) != std::string::npos || foldedFolder.find(word) != std::string::npos ||
               disk.foldedVolume.find(word) != std::string::npos;
    };
    if (!std::all_of(m_plan.words.begin(), m_plan.words.end(), in) ||
        std::any_of(m_plan.excluded.begin(), m_plan.excluded.end(), in)) {
        return std::nullopt;
    }
    const bool own = std::all_of(m_plan.words.begin(), m_plan.words.end(), [&](const std::string& word) {
        return foldedName.find(word) != std::string::npos;
    });
    return own ? 0 : 1;
}

Result<std::vector<Search::Match>> Search::matchesOn(const Disk& disk, std::optional<int> onlyRank,
                                                     std::array<bool, 2> wanted, Ranks* counted, Part part) {
    std::vector<Match> matches;
    const Ids& ids = m_exact ? m_ranks[onlyRank.value_or(0)] : part == Part::Own ? *m_own : m_candidates.ids;
    const auto from = std::lower_bound(ids.begin(), ids.end(), disk.range * EntriesPerDisk);
    const auto to = std::lower_bound(from, ids.end(), (disk.range + 1) * EntriesPerDisk);
    const bool whole = !m_exact && part != Part::Own &&
                       (m_candidates.all || InRanges(m_candidates.ranges, disk.range * EntriesPerDisk));
    const Ids* skipped = part == Part::NotOwn ? &*m_own : nullptr;
    if (!whole && from == to) {
        return matches;
    }
    m_folders.clear();
    // Folders are read once each rather than joined to every entry: a disk has ten entries or more a folder.
    Result<SqliteStatement> folderPath = m_db.prepare("SELECT path FROM folders WHERE id = ?");
    if (!folderPath) {
        return folderPath.failure();
    }
    std::optional<Failure> failed;
    const auto folderOf = [&](std::int64_t folder) -> const std::pair<std::string, std::string>* {
        auto known = m_folders.find(folder);
        if (known == m_folders.end()) {
            SqliteStatement& query = folderPath.value();
            query.reset();
            query.bind(1, folder);
            Result<std::optional<std::string>> path = query.firstText();
            if (!path) {
                failed = path.failure();
                return nullptr;
            }
            std::string raw = path->value_or("");
            // Folded for the words to be looked for in; a search the indexes answered has no need of it.
            std::string folded = m_exact ? std::string() : m_folding->fold(raw);
            known = m_folders.emplace(folder, std::make_pair(std::move(raw), std::move(folded))).first;
        }
        return &known->second;
    };
    const std::string columns =
        "SELECT e.id, e.folder, e.name, e.is_folder, e.size, e.modified FROM entries e WHERE ";
    struct Row {
        std::int64_t id;
        std::int64_t folder;
        std::string_view name;
        bool isFolder;
        std::int64_t size;
        std::int64_t modified;
    };
    const auto keepRow = [&](const Row& row) {
        const std::int64_t id = row.id;
        if (failed || (!whole && !std::binary_search(from, to, id)) ||
            (skipped != nullptr && std::binary_search(skipped->begin(), skipped->end(), id))) {
            return;
        }
        const auto copy = m_plan.duplicates ? m_plan.copies.find(id) : m_plan.copies.end();
        if (m_plan.duplicates && copy == m_plan.copies.end()) {
            return;
        }
        const std::pair<std::string, std::string>* folder = folderOf(row.folder);
        if (folder == nullptr) {
            return;
        }
        const std::optional<int> ranked = m_exact ? onlyRank : rank(disk, folder->second, row.name);
        if (!ranked) {
            return;
        }
        const auto rank = static_cast<std::size_t>(*ranked);
        if (counted != nullptr) {
            ++(*counted)[rank];
        }
        if (!wanted[rank]) {
            return; // counted only
        }
        SearchHit hit{disk.id,
                      disk.number,
                      disk.volume,
                      disk.lastLabelled,
                      CatalogueEntry{folder->first, std::string(row.name), row.isFolder,
                                     static_cast<std::uint64_t>(row.size), row.modified},
                      m_plan.duplicates ? copy->second : 0};
        matches.push_back({*ranked, std::move(hit)});
    };
    const auto keep = [&](const SqliteStatement& row) {
        keepRow(Row{row.integer(0), row.integer(1), row.textView(2), row.integer(3) != 0, row.integer(4),
                    row.integer(5)});
    };
    matches.reserve(whole ? disk.entryCount() : static_cast<std::size_t>(to - from));
    if (m_packed) {
        // Each block that holds a candidate is unpacked once, its entries checked as they come.
        const auto visit = [&](std::int64_t id, const UnpackedEntries& block, std::size_t at) {
            const UnpackedEntries::Entry& entry = block[at];
            const auto size = static_cast<std::int64_t>(entry.size);
            if (m_plan.passes(entry.isFolder, size, entry.modified)) {
                keepRow(Row{id, entry.folder, block.name(entry), entry.isFolder, size, entry.modified});
            }
        };
        const std::int64_t first = disk.range * EntriesPerDisk;
        const Result<Done> read = whole ? m_blocks.visitRange(first, first + EntriesPerDisk - 1, visit)
                                        : m_blocks.visit(Ids(from, to), visit);
        if (!read) {
            return read.failure();
        }
        if (failed) {
            return *failed;
        }
        SortByPath(matches);
        return matches;
    }
    // A disk with many candidates is read in one pass over its entries, a few candidates one by one.
    if (whole || (to - from) * 8 > disk.entries) {
        const std::int64_t first = whole ? disk.range * EntriesPerDisk : *from;
        const std::int64_t last = whole ? (disk.range + 1) * EntriesPerDisk - 1 : *(to - 1);
        Result<SqliteStatement> rows =
            m_db.prepare(columns + "e.id BETWEEN ? AND ?" + m_plan.where, first, last);
        Result<Done> read = Then(rows, [&] { return rows.value().forEachRow(keep); });
        if (!read) {
            return read.failure();
        }
    } else {
        Result<SqliteStatement> row = m_db.prepare(columns + "e.id = ?" + m_plan.where);
        if (!row) {
            return row.failure();
        }
        for (auto id = from; id != to; ++id) {
            row.value().reset();
            row.value().bind(1, *id);
            if (Result<Done> read = row.value().forEachRow(keep); !read) {
                return read.failure();
            }
        }
    }
    if (failed) {
        return *failed;
    }
    SortByPath(matches);
    return matches;
}

std::uint64_t Search::candidatesOn(const Disk& disk, Part part) const {
    const auto on = [&](const Ids& ids) {
        return static_cast<std::uint64_t>(
            std::lower_bound(ids.begin(), ids.end(), (disk.range + 1) * EntriesPerDisk) -
            std::lower_bound(ids.begin(), ids.end(), disk.range * EntriesPerDisk));
    };
    const std::uint64_t own = m_own ? on(*m_own) : 0;
    if (part == Part::Own) {
        return own;
    }
    const bool whole = m_candidates.all || InRanges(m_candidates.ranges, disk.range * EntriesPerDisk);
    const std::uint64_t all = whole ? disk.entryCount() : on(m_candidates.ids);
    return part == Part::All ? all : all - std::min(all, own);
}

Result<std::vector<Disk>> DisksByNumber(const SqliteDatabase& db, CaseFolding& folding) {
    Result<SqliteStatement> query =
        db.prepare("SELECT id, entry_range, number, volume, last_labelled, entry_count, serial, capacity"
                   " FROM disks WHERE replaces IS NULL ORDER BY number, id");
    if (!query) {
        return query.failure();
    }
    std::vector<Disk> disks;
    if (Result<Done> read = query.value().forEachRow([&](const SqliteStatement& disk) {
            disks.push_back({disk.integer(0), disk.integer(1), static_cast<int>(disk.integer(2)),
                             disk.text(3), folding.fold(disk.textView(3)), disk.integer(4), disk.integer(5),
                             disk.integer(6), disk.integer(7)});
        });
        !read) {
        return read.failure();
    }
    return disks;
}

// The search of `text` ready to read; none when it asks nothing. With `firstRows`, to find that many
// matches soon.
Result<std::unique_ptr<Search>> Begin(const SqliteDatabase& db, std::string_view text,
                                      std::size_t firstRows = 0, bool inOrder = true) {
    Result<SearchQuery> query = ParseSearch(text);
    if (!query) {
        return query.failure();
    }
    if (query->empty()) {
        return std::unique_ptr<Search>();
    }
    // A search reads the same pages of the name index, the folders and the entries over and over: a page
    // cache of 8 MB keeps the most read of them (the default is 2 MB; 32 MB took the window over 100 MB
    // while typing over a million entries, for no quicker answer).
    Result<Done> terms = db.execute(
        "PRAGMA cache_size = -8192;"
        "CREATE VIRTUAL TABLE IF NOT EXISTS temp.entry_terms USING fts5vocab(main, entry_names, row)");
    Result<fts5_api*> api = Then(terms, [&] { return FullTextSearch(db); });
    Result<std::unique_ptr<CaseFolding>> folding = Then(api, [&] { return CaseFolding::make(*api); });
    Result<std::vector<Disk>> disks = Then(folding, [&] { return DisksByNumber(db, *folding.value()); });
    Result<std::optional<std::int64_t>> version =
        Then(disks, [&] { return db.queryInteger("PRAGMA user_version"); });
    if (!version) {
        return version.failure();
    }
    auto search = std::make_unique<Search>(db, std::move(disks).value(), std::move(folding).value(),
                                           version->value_or(0));
    if (Result<Done> prepared = search->prepare(*query, firstRows, inOrder); !prepared) {
        return prepared.failure();
    }
    return search;
}

// Copies by name and size, then disk and path, so that each file's copies stand together.
Result<std::vector<Search::Match>> CopiesByName(Search& search) {
    std::vector<std::pair<std::size_t, Search::Match>> all;
    for (std::size_t disk = 0; disk < search.disks().size(); ++disk) {
        Result<std::vector<Search::Match>> matches = search.matchesOn(search.disks()[disk]);
        if (!matches) {
            return matches.failure();
        }
        for (Search::Match& match : matches.value()) {
            all.emplace_back(disk, std::move(match));
        }
    }
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
        const CatalogueEntry& x = a.second.hit.entry;
        const CatalogueEntry& y = b.second.hit.entry;
        if (std::tie(x.name, x.size, a.first) != std::tie(y.name, y.size, b.first)) {
            return std::tie(x.name, x.size, a.first) < std::tie(y.name, y.size, b.first);
        }
        return PathBefore(x, y);
    });
    std::vector<Search::Match> sorted;
    for (auto& [disk, match] : all) {
        sorted.push_back(std::move(match));
    }
    return sorted;
}

// The matches of a search whose total is known, a rank at a time and a disk at a time, until `take`
// answers false: only the disks reached are read.
Result<Done> VisitByRank(Search& search, const std::function<bool(Search::Match&&)>& take) {
    for (const int rank : {0, 1}) {
        for (const Disk& disk : search.disks()) {
            Result<std::vector<Search::Match>> matches = search.matchesOn(disk, rank);
            if (!matches) {
                return matches.failure();
            }
            for (Search::Match& match : matches.value()) {
                if (!take(std::move(match))) {
                    return Done{};
                }
            }
        }
    }
    return Done{};
}

// The first `limit` matches of a search the indexes cannot count, from the disks read in order: entries
// whose own names hold the words first, then those found through their folders or volume. With `early`
// (words so common that the first rows are among the first entries), reading stops once `limit` of the
// first kind are found, the total then reckoned from the share of matches among the entries read; and it
// gives up (none) when the matches so far say the first rows lie beyond what may be read.
Result<std::optional<SearchResult>> FirstByReading(Search& searching, std::size_t limit, bool early) {
    SearchResult result;
    std::vector<SearchHit> throughFolders;
    std::uint64_t read = 0;
    const std::uint64_t entries = EntriesOn(searching.disks());
    for (const Disk& disk : searching.disks()) {
        if (early && result.hits.size() >= limit) {
            // Reckoned from whole disks read; at least what was found.
            const double share =
                read == 0 ? 0 : static_cast<double>(result.total) / static_cast<double>(read);
            result.total =
                std::max(result.total, static_cast<std::uint64_t>(share * static_cast<double>(entries)));
            result.totalEstimated = true;
            return std::optional(std::move(result));
        }
        // Given up once the matches found so far say that the first rows lie beyond what may be read.
        if (early && searching.budgeted() && read >= ScanEntries / 5 &&
            2 * result.hits.size() * ScanEntries < limit * read) {
            return std::optional<SearchResult>();
        }
        Search::Ranks counted{0, 0};
        Result<std::vector<Search::Match>> matches = searching.matchesOn(
            disk, std::nullopt, {early || result.hits.size() < limit, throughFolders.size() < limit},
            &counted);
        if (!matches) {
            return matches.failure();
        }
        read += disk.entryCount();
        result.total += counted[0] + counted[1];
        for (Search::Match& match : matches.value()) {
            std::vector<SearchHit>& into = match.rank == 0 ? result.hits : throughFolders;
            if (into.size() < limit) {
                into.push_back(std::move(match.hit));
            }
        }
    }
    // Every disk read: the total is exact.
    for (SearchHit& hit : throughFolders) {
        if (result.hits.size() >= limit) {
            break;
        }
        result.hits.push_back(std::move(hit));
    }
    return std::optional(std::move(result));
}

// The first `limit` matches of a search the indexes narrow but cannot count, for the window. Every match of
// the first rank has an own name that the index answered, so those candidates are read first on every disk;
// the others then disk by disk, only until the rows are full and enough are read to reckon the rest of the
// count from the share of matches among them.
Result<SearchResult> FirstOwnNamesFirst(Search& searching, std::size_t limit) {
    using Part = Search::Part;
    SearchResult result;
    const std::vector<Disk>& disks = searching.disks();
    std::vector<std::vector<Search::Match>> later(disks.size()); // the second rank among the own names
    for (std::size_t disk = 0; disk < disks.size(); ++disk) {
        Search::Ranks counted{0, 0};
        Result<std::vector<Search::Match>> matches =
            searching.matchesOn(disks[disk], std::nullopt, {true, true}, &counted, Part::Own);
        if (!matches) {
            return matches.failure();
        }
        result.total += counted[0] + counted[1];
        for (Search::Match& match : matches.value()) {
            if (match.rank == 1) {
                later[disk].push_back(std::move(match));
            } else if (result.hits.size() < limit) {
                result.hits.push_back(std::move(match.hit));
            }
        }
    }
    std::uint64_t others = 0;
    for (const Disk& disk : disks) {
        others += searching.candidatesOn(disk, Part::NotOwn);
    }
    std::uint64_t read = 0;
    std::uint64_t found = 0;
    for (std::size_t disk = 0; disk < disks.size(); ++disk) {
        if (result.hits.size() >= limit && read >= ScanEntries / 5) {
            const double share = static_cast<double>(found) / static_cast<double>(read);
            result.total += found + static_cast<std::uint64_t>(share * static_cast<double>(others - read));
            result.totalEstimated = others > read;
            return result;
        }
        const bool shown = result.hits.size() < limit;
        Search::Ranks counted{0, 0};
        Result<std::vector<Search::Match>> matches =
            searching.matchesOn(disks[disk], std::nullopt, {false, shown}, &counted, Part::NotOwn);
        if (!matches) {
            return matches.failure();
        }
        read += searching.candidatesOn(disks[disk], Part::NotOwn);
        found += counted[0] + counted[1];
        if (!shown) {
            continue;
        }
        std::vector<Search::Match>& here = later[disk];
        here.insert(here.end(), std::make_move_iterator(matches->begin()),
                    std::make_move_iterator(matches->end()));
        SortByPath(here);
        for (Search::Match& match : here) {
            if (result.hits.size() >= limit) {
                break;
            }
            result.hits.push_back(std::move(match.hit));
        }
    }
    result.total += found;
    return result;
}

// Every match of a search the indexes cannot count, read once: each disk's matches whose own names hold
// the words at once, the others after them all, kept while they are few and else read again.
Result<Done> VisitUncounted(Search& searching,
                            const std::function<bool(const SearchHit&, std::uint64_t)>& visit,
                            std::uint64_t mostKept) {
    const std::vector<Disk>& disks = searching.disks();
    std::vector<std::vector<Search::Match>> later(disks.size());
    std::vector<bool> laterOn(disks.size(), false);
    std::uint64_t throughFolders = 0;
    for (std::size_t disk = 0; disk < disks.size(); ++disk) {
        Search::Ranks counted{0, 0};
        const bool keeping = throughFolders <= mostKept;
        Result<std::vector<Search::Match>> matches =
            searching.matchesOn(disks[disk], std::nullopt, {true, keeping}, &counted);
        if (!matches) {
            return matches.failure();
        }
        for (Search::Match& match : matches.value()) {
            if (match.rank == 0 && !visit(match.hit, 0)) {
                return Done{};
            }
            if (match.rank == 1) {
                later[disk].push_back(std::move(match));
            }
        }
        laterOn[disk] = counted[1] != 0;
        throughFolders += counted[1];
        if (keeping && throughFolders > mostKept) {
            later.assign(disks.size(), {}); // too many to keep: read again
        }
    }
    const bool kept = throughFolders <= mostKept;
    for (std::size_t disk = 0; disk < disks.size(); ++disk) {
        if (!laterOn[disk]) {
            continue;
        }
        Result<std::vector<Search::Match>> matches =
            kept ? Result<std::vector<Search::Match>>(std::move(later[disk]))
                 : searching.matchesOn(disks[disk], std::nullopt, {false, true});
        if (!matches) {
            return matches.failure();
        }
        for (const Search::Match& match : matches.value()) {
            if (match.rank == 1 && !visit(match.hit, 0)) {
                return Done{};
            }
        }
    }
    return Done{};
}

} // namespace

Result<SearchResult> SearchCatalogue(const SqliteDatabase& db, std::string_view text, std::size_t limit) {
    Result<std::unique_ptr<Search>> search = Begin(db, text, limit);
    if (search && *search && search.value()->scanning()) {
        Result<std::optional<SearchResult>> first = FirstByReading(*search.value(), limit, true);
        if (!first || *first) {
            return Then(first, [&] { return Result<SearchResult>(std::move(*first.value())); });
        }
        search = Begin(db, text, limit, false);
    }
    if (!search || !*search) {
        return Then(search, [] { return Result<SearchResult>(SearchResult{}); });
    }
    Search& searching = *search.value();
    SearchResult result;
    if (searching.byName()) {
        Result<std::vector<Search::Match>> copies = CopiesByName(searching);
        if (!copies) {
            return copies.failure();
        }
        result.total = copies->size();
        for (std::size_t i = 0; i < std::min(limit, copies->size()); ++i) {
            result.hits.push_back(std::move(copies.value()[i].hit));
        }
        return result;
    }
    if (const std::optional<std::uint64_t> total = searching.knownTotal()) {
        result.total = *total;
        result.totalEstimated = searching.totalReckoned();
        if (limit == 0) {
            return result;
        }
        Result<Done> visited = VisitByRank(searching, [&](Search::Match&& match) {
            result.hits.push_back(std::move(match.hit));
            return result.hits.size() < limit;
        });
        return Then(visited, [&] { return Result<SearchResult>(std::move(result)); });
    }
    if (searching.ownKnown()) {
        return FirstOwnNamesFirst(searching, limit);
    }
    Result<std::optional<SearchResult>> read = FirstByReading(searching, limit, false);
    return Then(read, [&] { return Result<SearchResult>(std::move(*read.value())); });
}

Result<Done> VisitCatalogueHits(const SqliteDatabase& db, std::string_view text,
                                const std::function<bool(const SearchHit&, std::uint64_t)>& visit,
                                bool withTotal, std::uint64_t mostKept) {
    Result<std::unique_ptr<Search>> search = Begin(db, text);
    if (!search || !*search) {
        return Then(search, [] { return Result<Done>(Done{}); });
    }
    Search& searching = *search.value();
    if (searching.byName()) {
        Result<std::vector<Search::Match>> copies = CopiesByName(searching);
        if (!copies) {
            return copies.failure();
        }
        for (const Search::Match& match : copies.value()) {
            if (!visit(match.hit, copies->size())) {
                break;
            }
        }
        return Done{};
    }
    if (const std::optional<std::uint64_t> total = searching.knownTotal()) {
        return VisitByRank(searching, [&](Search::Match&& match) { return visit(match.hit, *total); });
    }
    if (!withTotal) {
        return VisitUncounted(searching, visit, mostKept);
    }
    // A first pass counts, and keeps the matches while they are few; with many, each disk is read again
    // when its turn comes, once for each rank.
    const std::vector<Disk>& disks = searching.disks();
    std::vector<std::vector<Search::Match>> kept(disks.size());
    std::vector<std::array<bool, 2>> ranks(disks.size(), {false, false});
    std::uint64_t total = 0;
    bool keeping = true;
    for (std::size_t disk = 0; disk < disks.size(); ++disk) {
        Search::Ranks counted{0, 0};
        Result<std::vector<Search::Match>> matches =
            searching.matchesOn(disks[disk], std::nullopt, {keeping, keeping}, &counted);
        if (!matches) {
            return matches.failure();
        }
        total += counted[0] + counted[1];
        ranks[disk] = {counted[0] != 0, counted[1] != 0};
        keeping = keeping && total <= mostKept;
        kept[disk] = keeping ? std::move(matches).value() : std::vector<Search::Match>();
    }
    if (!keeping) {
        kept.clear(); // too many to keep: none is, and each disk is read again in its turn
    }
    for (const int rank : {0, 1}) {
        for (std::size_t disk = 0; disk < disks.size(); ++disk) {
            if (!ranks[disk][static_cast<std::size_t>(rank)]) {
                continue;
            }
            Result<std::vector<Search::Match>> matches =
                kept.empty() ? searching.matchesOn(disks[disk], std::nullopt, {rank == 0, rank == 1})
                             : Result<std::vector<Search::Match>>(std::move(kept[disk]));
            if (!matches) {
                return matches.failure();
            }
            for (const Search::Match& match : matches.value()) {
                if (match.rank == rank && !visit(match.hit, total)) {
                    return Done{};
                }
            }
            if (!kept.empty()) {
                kept[disk] = std::move(matches).value();
            }
        }
    }
    return Done{};
}

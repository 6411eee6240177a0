#include "core/catalogue/PgSearch.h"

#include "core/catalogue/CaseFolding.h"
#include "core/catalogue/PgConnection.h"
#include "core/catalogue/PgTransaction.h"
#include "core/catalogue/SearchQuery.h"
#include "core/catalogue/ServerText.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace {

struct ServerDisk {
    std::int64_t id = 0;
    std::int64_t list = 0;
    int number = 0;
    std::string volume;
    std::string foldedVolume;
    std::int64_t lastLabelled = 0;
    std::int64_t serial = 0;
    std::int64_t capacity = 0;
    std::uint64_t entries = 0;
};

std::string Number(std::int64_t value) {
    return std::to_string(value);
}

std::string ArrayOf(const std::vector<std::int64_t>& values) {
    std::string array = "{";
    for (const std::int64_t value : values) {
        array += (array.size() > 1 ? "," : "") + Number(value);
    }
    return array + "}";
}

// `text` as a LIKE pattern that holds it anywhere (or, with `atEnd`, at the end).
std::string Holding(const std::string& text, bool atEnd = false) {
    std::string pattern = "%";
    for (const char c : text) {
        if (c == '\\' || c == '%' || c == '_') {
            pattern += '\\';
        }
        pattern += c;
    }
    return atEnd ? pattern : pattern + "%";
}

// The most matches a search counts before it shows its first rows: more are reckoned.
constexpr std::uint64_t CountedAtOnce = 5000;

// Every search reads entries with their folders.
constexpr const char* Entries = "tessaline.entries e JOIN tessaline.folders f ON f.id = e.folder";
// An entry's path on its disk, and the same folded.
constexpr const char* Path = "CASE WHEN f.path = '' THEN e.name ELSE f.path || '/' || e.name END";
constexpr const char* FoldedPath = "CASE WHEN f.path = '' THEN e.folded ELSE f.folded || '/' || e.folded END";

// The longest piece of a word between slashes.
std::string LongestPiece(const std::string& word) {
    std::string longest;
    for (std::size_t at = 0; at <= word.size();) {
        const std::size_t slash = std::min(word.find('/', at), word.size());
        if (slash - at > longest.size()) {
            longest = word.substr(at, slash - at);
        }
        at = slash + 1;
    }
    return longest;
}

// A copy of a file recorded twice: the copy's list, name and size.
using Copy = std::tuple<std::int64_t, std::string, std::int64_t>;

// The search as SQL over `tessaline.entries e`, and what the rows it answers need to become hits.
class ServerSearch {
public:
    ServerSearch(const PgConnection& connection, CaseFolding& folding)
        : m_connection(connection), m_folding(folding) {}

    // False when the search asks nothing.
    Result<bool> prepare(std::string_view text);
    Result<std::uint64_t> count() const;
    // How many matches there are, counting no further than `most`.
    // With `also`, of the matches that meet it too (an SQL condition with the order's parameters).
    Result<std::uint64_t> countUpTo(std::uint64_t most, const std::string& also = {}) const;
    // The first `limit` hits, read a few disks at a time in the order shown (own names first), with the
    // total reckoned from the share of matches on the disks read: for a search of too many matches to count
    // soon. Not for copies.
    Result<SearchResult> firstByReading(std::size_t limit) const;
    bool copies() const { return m_duplicates; }
    std::string select() const;
    const std::vector<PgConnection::Parameter>& parameters() const { return m_parameters; }
    SearchHit hit(const PgRows& rows, int row) const;

private:
    std::string add(std::string value) {
        m_parameters.emplace_back(std::move(value));
        return "$" + Number(static_cast<std::int64_t>(m_parameters.size()));
    }
    std::string lists(const std::vector<const ServerDisk*>& disks) {
        std::vector<std::int64_t> ids;
        for (const ServerDisk* disk : disks) {
            ids.push_back(disk->list);
        }
        return add(ArrayOf(ids)) + "::bigint[]";
    }
    // The entry's path or its disk's volume holds the word; `narrowed` adds what the indexes can answer.
    std::string holds(const std::string& word, bool narrowed);
    std::string named(const std::string& pattern);
    // `copied` is the SQL of the copies' names and sizes among the `lists` ($1).
    Result<Done> findCopies(const std::string& copied, const std::string& lists);

    const PgConnection& m_connection;
    CaseFolding& m_folding;
    std::vector<ServerDisk> m_disks;
    std::unordered_map<std::int64_t, const ServerDisk*> m_byList;
    std::vector<PgConnection::Parameter> m_parameters;
    std::string m_where;
    std::size_t m_counted = 0; // the parameters of m_where
    std::string m_order;
    std::string m_own; // the condition that the entry's own name holds every word; empty without words
    std::vector<const ServerDisk*> m_read; // the disks the search reads, in order
    bool m_duplicates = false;
    std::map<Copy, int> m_copies; // with the number of another record of the same disk that holds it
};

// Entries whose name or folder's path holds the pattern: a condition on the entries alone, so that the
// server may answer each half through its trigram index and take both.
std::string ServerSearch::named(const std::string& pattern) {
    return "e.folded LIKE " + pattern +
           " OR e.folder = ANY(ARRAY(SELECT id FROM tessaline.folders WHERE folded LIKE " + pattern + "))";
}

std::string ServerSearch::holds(const std::string& word, bool narrowed) {
    const std::string folded = m_folding.fold(word);
    std::vector<std::int64_t> volumes;
    for (const ServerDisk& disk : m_disks) {
        if (disk.foldedVolume.find(folded) != std::string::npos) {
            volumes.push_back(disk.list);
        }
    }
    // A word in a disk's volume name stands for every entry of the disk.
    const std::string onDisks =
        volumes.empty() ? ""
                        : " OR e.folder = ANY(ARRAY(SELECT id FROM tessaline.folders WHERE list = ANY(" +
                              add(ArrayOf(volumes)) + "::bigint[])))";
    const std::string pattern = add(Holding(ToServerText(folded)));
    if (word.find('/') == std::string::npos) {
        return "(" + named(pattern) + onDisks + ")";
    }
    // Only a word with a slash runs across the folder and the name: its longest piece lies in one of them.
    std::string holds = "((" + std::string(FoldedPath) + ") LIKE " + pattern + onDisks + ")";
    const std::string piece = LongestPiece(folded);
    if (narrowed && !piece.empty()) {
        holds = "(" + named(add(Holding(ToServerText(piece)))) + onDisks + ") AND " + holds;
    }
    return holds;
}

Result<bool> ServerSearch::prepare(std::string_view text) {
    Result<SearchQuery> parsed = ParseSearch(text);
    if (!parsed) {
        return parsed.failure();
    }
    const SearchQuery& query = *parsed;
    if (query.empty()) {
        return false;
    }
    Result<PgRows> disks = m_connection.query(
        "SELECT d.id, d.list, d.number, d.volume, d.last_labelled, d.serial, d.capacity, l.entry_count"
        " FROM tessaline.disks d JOIN tessaline.lists l ON l.id = d.list WHERE d.confirmed"
        " ORDER BY d.number, d.id");
    if (!disks) {
        return disks.failure();
    }
    for (int row = 0; row < disks->size(); ++row) {
        std::string volume = FromServerText(disks->text(row, 3));
        std::string folded = m_folding.fold(volume);
        m_disks.push_back({disks->integer(row, 0), disks->integer(row, 1),
                           static_cast<int>(disks->integer(row, 2)), std::move(volume), std::move(folded),
                           disks->integer(row, 4), disks->integer(row, 5), disks->integer(row, 6),
                           static_cast<std::uint64_t>(disks->integer(row, 7))});
    }
    std::vector<const ServerDisk*> all;
    std::vector<const ServerDisk*>& read = m_read;
    for (const ServerDisk& disk : m_disks) {
        m_byList[disk.list] = &disk;
        all.push_back(&disk);
        if (query.disks.empty() ||
            std::find(query.disks.begin(), query.disks.end(), disk.number) != query.disks.end()) {
            read.push_back(&disk);
        }
    }
    const std::string order = lists(read);
    m_where = "f.list = ANY(" + order + ")";
    const std::string ownName = "e.folded";
    for (const std::string& word : query.words) {
        m_where += " AND " + holds(word, true);
    }
    for (const std::string& word : query.excluded) {
        m_where += " AND NOT " + holds(word, false);
    }
    std::optional<bool> folders = query.folders;
    // Sizes and extensions are files', as are copies.
    if (query.sizeAtLeast || query.sizeBelow || !query.extensions.empty() || query.duplicates) {
        if (folders.value_or(false)) {
            m_where += " AND false"; // folders that are files: none
        }
        folders = false;
    }
    if (folders) {
        m_where += *folders ? " AND e.is_folder" : " AND NOT e.is_folder";
    }
    if (!query.extensions.empty()) {
        std::string any;
        for (const std::string& extension : query.extensions) {
            any += (any.empty() ? "" : " OR ") + ownName + " LIKE " +
                   add(Holding(ToServerText(m_folding.fold("." + extension)), true));
        }
        m_where += " AND (" + any + ")";
    }
    const auto compare = [&](const char* condition, std::int64_t value) {
        m_where += std::string(" AND e.") + condition + add(Number(value)) + "::bigint";
    };
    if (query.sizeAtLeast) {
        compare("size >= ", static_cast<std::int64_t>(*query.sizeAtLeast));
    }
    if (query.sizeBelow) {
        compare("size < ", static_cast<std::int64_t>(*query.sizeBelow));
    }
    if (query.modifiedFrom) {
        compare("modified >= ", *query.modifiedFrom);
    }
    if (query.modifiedBefore) {
        compare("modified < ", *query.modifiedBefore);
    }
    m_duplicates = query.duplicates;
    if (m_duplicates) {
        const auto copied = [](const std::string& lists) {
            return "(SELECT name, size FROM tessaline.entries WHERE (folder >> 32) = ANY(" + lists +
                   ") AND NOT is_folder AND size > 0 GROUP BY name, size HAVING count(DISTINCT folder >> 32) "
                   "> 1)";
        };
        std::vector<std::int64_t> ids;
        for (const ServerDisk* disk : all) {
            ids.push_back(disk->list);
        }
        if (Result<Done> found = findCopies(copied("$1::bigint[]"), ArrayOf(ids)); !found) {
            return found.failure();
        }
        m_where += " AND (e.name, e.size) IN " + copied(lists(all));
    }
    m_counted = m_parameters.size(); // the order's own come after
    if (m_duplicates) {
        // Each file's copies stand together.
        m_order = "e.name, e.size, array_position(" + order + ", f.list), " + std::string(Path);
    } else {
        // Entries whose own names hold every word first.
        std::string own;
        for (const std::string& word : query.words) {
            own += (own.empty() ? "(" : " AND ") + ownName + " LIKE " +
                   add(Holding(ToServerText(m_folding.fold(word))));
        }
        m_own = own.empty() ? "" : own + ")";
        m_order = (own.empty() ? "" : m_own + " DESC, ") + "array_position(" + order + ", f.list), " + Path;
    }
    return true;
}

// Every file whose name and size are on another disk too, with the number of another record of the same
// physical disk (a disk relabelled as new) that holds it.
Result<Done> ServerSearch::findCopies(const std::string& copied, const std::string& lists) {
    Result<PgRows> rows =
        m_connection.query("SELECT folder >> 32, name, size FROM tessaline.entries WHERE (name, size) IN " +
                               copied + " AND (folder >> 32) = ANY($1::bigint[]) ORDER BY name, size",
                           {lists});
    if (!rows) {
        return rows.failure();
    }
    for (int row = 0; row < rows->size();) {
        const std::string_view name = rows->text(row, 1);
        const std::int64_t size = rows->integer(row, 2);
        std::map<std::pair<std::int64_t, std::int64_t>, std::vector<int>> physical;
        std::vector<const ServerDisk*> group;
        int end = row;
        for (; end < rows->size() && rows->text(end, 1) == name && rows->integer(end, 2) == size; ++end) {
            const ServerDisk* disk = m_byList.at(rows->integer(end, 0));
            group.push_back(disk);
            if (disk->serial != 0) {
                physical[{disk->serial, disk->capacity}].push_back(disk->number);
            }
        }
        for (auto& [identity, numbers] : physical) {
            std::sort(numbers.begin(), numbers.end());
        }
        for (const ServerDisk* disk : group) {
            int twice = 0;
            if (disk->serial != 0) {
                for (const int number : physical[{disk->serial, disk->capacity}]) {
                    if (number != disk->number) {
                        twice = number; // the lowest other number
                        break;
                    }
                }
            }
            m_copies[{disk->list, std::string(name), size}] = twice;
        }
        row = end;
    }
    return Done{};
}

Result<std::uint64_t> ServerSearch::countUpTo(std::uint64_t most, const std::string& also) const {
    const std::vector<PgConnection::Parameter> parameters(
        m_parameters.begin(),
        m_parameters.begin() + static_cast<std::ptrdiff_t>(also.empty() ? m_counted : m_parameters.size()));
    Result<PgRows> counted =
        m_connection.query("SELECT count(*) FROM (SELECT 1 FROM " + std::string(Entries) + " WHERE " +
                               m_where + also + " LIMIT " + Number(static_cast<std::int64_t>(most)) + ") s",
                           parameters);
    if (!counted) {
        return counted.failure();
    }
    return static_cast<std::uint64_t>(counted->integer(0, 0));
}

Result<SearchResult> ServerSearch::firstByReading(std::size_t limit) const {
    SearchResult result;
    std::uint64_t matched = 0; // on the disks read so far, of every rank
    std::uint64_t entries = 0;
    std::size_t readUpTo = 0;
    // The rows of one rank on some of the disks, in order, with the count of all the matches on them.
    const auto read = [&](const std::string& rank, std::size_t from, std::size_t to) -> Result<Done> {
        std::vector<std::int64_t> lists;
        for (std::size_t disk = from; disk < to; ++disk) {
            lists.push_back(m_read[disk]->list);
        }
        // The order's own parameters go with a rank that is not constant.
        const bool ranked = rank != "true" && rank != "false";
        std::vector<PgConnection::Parameter> parameters(
            m_parameters.begin(),
            m_parameters.begin() + static_cast<std::ptrdiff_t>(ranked ? m_parameters.size() : m_counted));
        parameters.front() = ArrayOf(lists);
        Result<PgRows> rows = m_connection.query(
            "SELECT f.list, f.path, e.name, e.is_folder, e.size, e.modified, " + rank +
                ", count(*) OVER () FROM " + Entries + " WHERE " + m_where + " ORDER BY " +
                (ranked ? rank + " DESC, " : "") + "array_position($1::bigint[], f.list), " + Path +
                " LIMIT " +
                // A row at least, which brings the count.
                Number(static_cast<std::int64_t>(std::max<std::size_t>(limit - result.hits.size(), 1))),
            parameters);
        if (!rows) {
            return rows.failure();
        }
        for (int row = 0; row < rows->size() && result.hits.size() < limit; ++row) {
            if (rows->text(row, 6) == "t") {
                result.hits.push_back(hit(*rows, row));
            }
        }
        if (to > readUpTo) {
            matched += rows->size() > 0 ? static_cast<std::uint64_t>(rows->integer(0, 7)) : 0;
            for (std::size_t disk = readUpTo; disk < to; ++disk) {
                entries += m_read[disk]->entries;
            }
            readUpTo = to;
        }
        return Done{};
    };
    // Disk by disk: a few at first, for words whose first rows are on the first disks; more at a time later.
    const auto inOrder = [&](const std::string& rank) -> Result<Done> {
        std::size_t batch = 4;
        for (std::size_t at = 0; at < m_read.size() && result.hits.size() < limit; at += batch, batch *= 2) {
            if (Result<Done> done = read(rank, at, std::min(at + batch, m_read.size())); !done) {
                return done;
            }
        }
        return Done{};
    };
    const std::string own = m_own.empty() ? "true" : m_own;
    // Few entries whose own names hold the words (the index tells soon) are read at once, wherever they are.
    Result<std::uint64_t> owned = m_own.empty() ? Result<std::uint64_t>(CountedAtOnce + 1)
                                                : countUpTo(CountedAtOnce + 1, " AND " + own);
    if (!owned) {
        return owned.failure();
    }
    Result<Done> done = Done{};
    if (*owned <= CountedAtOnce) {
        Result<PgRows> rows =
            m_connection.query("SELECT f.list, f.path, e.name, e.is_folder, e.size, e.modified FROM " +
                                   std::string(Entries) + " WHERE " + m_where + " AND " + own + " ORDER BY " +
                                   m_order + " LIMIT " + Number(static_cast<std::int64_t>(limit)),
                               m_parameters);
        if (!rows) {
            return rows.failure();
        }
        for (int row = 0; row < rows->size(); ++row) {
            result.hits.push_back(hit(*rows, row));
        }
        // The rest in order; the first disks are read for the count all the same.
        done = result.hits.size() < limit ? inOrder("NOT " + own)
                                          : read("false", 0, std::min<std::size_t>(16, m_read.size()));
    } else {
        done = inOrder(own);
        if (done && result.hits.size() < limit && !m_own.empty()) {
            done = inOrder("NOT " + own);
        }
    }
    if (!done) {
        return done.failure();
    }
    result.total = matched;
    if (readUpTo < m_read.size()) {
        std::uint64_t all = 0;
        for (const ServerDisk* disk : m_read) {
            all += disk->entries;
        }
        const double share = entries > 0 ? static_cast<double>(matched) / static_cast<double>(entries) : 0.0;
        result.total = std::max<std::uint64_t>(
            result.hits.size(), static_cast<std::uint64_t>(share * static_cast<double>(all) + 0.5));
        result.totalEstimated = true;
    }
    return result;
}

Result<std::uint64_t> ServerSearch::count() const {
    const std::vector<PgConnection::Parameter> parameters(
        m_parameters.begin(), m_parameters.begin() + static_cast<std::ptrdiff_t>(m_counted));
    Result<PgRows> counted =
        m_connection.query("SELECT count(*) FROM " + std::string(Entries) + " WHERE " + m_where, parameters);
    if (!counted) {
        return counted.failure();
    }
    return static_cast<std::uint64_t>(counted->integer(0, 0));
}

std::string ServerSearch::select() const {
    return "SELECT f.list, f.path, e.name, e.is_folder, e.size, e.modified FROM " + std::string(Entries) +
           " WHERE " + m_where + " ORDER BY " + m_order;
}

SearchHit ServerSearch::hit(const PgRows& rows, int row) const {
    const ServerDisk& disk = *m_byList.at(rows.integer(row, 0));
    SearchHit hit{disk.id,
                  disk.number,
                  disk.volume,
                  disk.lastLabelled,
                  CatalogueEntry{FromServerText(rows.text(row, 1)), FromServerText(rows.text(row, 2)),
                                 rows.text(row, 3) == "t", static_cast<std::uint64_t>(rows.integer(row, 4)),
                                 rows.integer(row, 5)},
                  0};
    if (m_duplicates) {
        const auto copy = m_copies.find({disk.list, std::string(rows.text(row, 2)), rows.integer(row, 4)});
        hit.sameDiskAs = copy != m_copies.end() ? copy->second : 0;
    }
    return hit;
}

// The rows a cursor gives at a time: a few megabytes of hits.
constexpr int RowsAtATime = 10000;

} // namespace

Result<SearchResult> SearchServer(const PgConnection& connection, CaseFolding& folding, std::string_view text,
                                  std::size_t limit) {
    // Read as of one moment, so that the count and the hits agree.
    Result<PgTransaction> transaction =
        PgTransaction::begin(connection, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    if (!transaction) {
        return transaction.failure();
    }
    ServerSearch search(connection, folding);
    Result<bool> prepared = search.prepare(text);
    if (!prepared || !*prepared) {
        return Then(prepared, [] { return Result<SearchResult>(SearchResult{}); });
    }
    // Matches so many that counting them would keep the first rows waiting are read disk by disk instead.
    Result<std::uint64_t> total = search.countUpTo(CountedAtOnce + 1);
    if (!total) {
        return total.failure();
    }
    if (*total > CountedAtOnce && !search.copies()) {
        return search.firstByReading(limit);
    }
    if (*total > CountedAtOnce) {
        total = search.count();
        if (!total) {
            return total.failure();
        }
    }
    SearchResult result;
    result.total = *total;
    if (limit > 0 && *total > 0) {
        Result<PgRows> rows = connection.query(
            search.select() + " LIMIT " + Number(static_cast<std::int64_t>(limit)), search.parameters());
        if (!rows) {
            return rows.failure();
        }
        for (int row = 0; row < rows->size(); ++row) {
            result.hits.push_back(search.hit(*rows, row));
        }
    }
    return result;
}

Result<Done> VisitServerHits(const PgConnection& connection, CaseFolding& folding, std::string_view text,
                             const std::function<bool(const SearchHit&, std::uint64_t)>& visit,
                             bool withTotal) {
    Result<PgTransaction> transaction =
        PgTransaction::begin(connection, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    if (!transaction) {
        return transaction.failure();
    }
    ServerSearch search(connection, folding);
    Result<bool> prepared = search.prepare(text);
    if (!prepared || !*prepared) {
        return Then(prepared, [] { return Result<Done>(Done{}); });
    }
    std::uint64_t total = 0;
    if (withTotal) {
        Result<std::uint64_t> counted = search.count();
        if (!counted) {
            return counted.failure();
        }
        total = *counted;
    }
    if (Result<Done> declared =
            connection.run("DECLARE hits NO SCROLL CURSOR FOR " + search.select(), search.parameters());
        !declared) {
        return declared;
    }
    for (;;) {
        Result<PgRows> rows = connection.query("FETCH " + Number(RowsAtATime) + " FROM hits");
        if (!rows) {
            return rows.failure();
        }
        for (int row = 0; row < rows->size(); ++row) {
            if (!visit(search.hit(*rows, row), total)) {
                return Done{};
            }
        }
        if (rows->size() < RowsAtATime) {
            return Done{};
        }
    }
}

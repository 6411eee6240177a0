#include "core/catalogue/PgSearch.h"

#include "core/catalogue/CaseFolding.h"
#include "core/catalogue/PgConnection.h"
#include "core/catalogue/PgTransaction.h"
#include "core/catalogue/SearchQuery.h"
#include "core/catalogue/ServerText.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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

// The placeholder of the `number`th parameter: $1, $2...
std::string Placeholder(std::size_t number) {
    std::string placeholder = "$";
    placeholder += Number(static_cast<std::int64_t>(number));
    return placeholder;
}

std::string ArrayOf(const std::vector<std::int64_t>& values) {
    std::string array = "{";
    for (const std::int64_t value : values) {
        if (array.size() > 1) {
            array += ',';
        }
        array += Number(value);
    }
    return array + "}";
}

// The lists of the disks from `from` to `to` among `disks`, as an array.
std::string Lists(const std::vector<const ServerDisk*>& disks, std::size_t from, std::size_t to) {
    std::vector<std::int64_t> lists;
    for (std::size_t disk = from; disk < to; ++disk) {
        lists.push_back(disks[disk]->list);
    }
    return ArrayOf(lists);
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

// Whether the server's trigram index can narrow a search for `folded`: only by a run of three letters or
// digits (the index leaves other signs out).
bool Trigrammed(std::string_view folded) {
    int run = 0;
    for (const char c : folded) {
        const auto byte = static_cast<unsigned char>(c);
        run = byte >= 0x80 || std::isalnum(byte) != 0 ? run + 1 : 0;
        if (run >= 3) {
            return true;
        }
    }
    return false;
}

// Own names found on the first few disks fewer than the hits asked for by this much: they are sparse.
constexpr std::size_t SparseOwn = 8;

// An entry's path on its disk, in the order of its bytes.
constexpr const char* Path = "CASE WHEN e.folder = '' THEN e.name ELSE e.folder || '/' || e.name END";

// The entries with the place of their disk among those read ($1, in the order shown) as `o.position`: a
// lookup for each entry rather than a walk along the disks.
constexpr const char* InOrder =
    "tessaline.entries e JOIN unnest($1::bigint[]) WITH ORDINALITY AS o (list, position) ON o.list = e.list";

// A copy of a file recorded twice: the copy's list, name and size.
using Copy = std::tuple<std::int64_t, std::string, std::int64_t>;

// The search as SQL over `tessaline.entries e`, and what the rows it answers need to become hits.
class ServerSearch {
public:
    ServerSearch(const PgConnection& connection, CaseFolding& folding)
        : m_connection(connection), m_folding(folding) {}

    // False when the search asks nothing.
    Result<bool> prepare(const SearchQuery& query);
    // How many matches there are on the disks read, or on the `lists` given ($1's array).
    Result<std::uint64_t> count(std::optional<std::string> lists = {}) const;
    // How many matches there are, counting no further than `most`.
    Result<std::uint64_t> countUpTo(std::uint64_t most) const;
    // The first `limit` hits, read a few disks at a time in the order shown (own names first), with the
    // total reckoned from the share of matches on the disks read, or counted whole where the index narrows
    // a word whose own names are sparse on the first disks: for a search of too many matches to count soon.
    // Not for copies.
    Result<SearchResult> firstByReading(std::size_t limit) const;
    bool copies() const { return m_duplicates; }
    // Whether the server's trigram index narrows the search: some word has three letters or digits in a
    // row.
    bool indexed() const { return m_indexed; }
    std::string select() const;
    const std::vector<PgConnection::Parameter>& parameters() const { return m_parameters; }
    SearchHit hit(const PgRows& rows, int row) const;

private:
    std::string add(std::string value) {
        m_parameters.emplace_back(std::move(value));
        return Placeholder(m_parameters.size());
    }
    std::string lists(const std::vector<const ServerDisk*>& disks) {
        return add(Lists(disks, 0, disks.size())) + "::bigint[]";
    }
    // The entry's path or its disk's volume holds the word.
    std::string holds(const std::string& word);
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
    bool m_indexed = false;
    bool m_duplicates = false;
    std::map<Copy, int> m_copies; // with the number of another record of the same disk that holds it
};

std::string ServerSearch::holds(const std::string& word) {
    const std::string folded = m_folding.fold(word);
    std::vector<const ServerDisk*> named;
    for (const ServerDisk& disk : m_disks) {
        if (disk.foldedVolume.find(folded) != std::string::npos) {
            named.push_back(&disk);
        }
    }
    std::string holds = "e.folded LIKE " + add(Holding(ToServerText(folded)));
    return named.empty() ? holds : "(" + holds + " OR e.list = ANY(" + lists(named) + "))";
}

Result<bool> ServerSearch::prepare(const SearchQuery& query) {
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
    const std::string order = lists(read); // $1, which InOrder names
    m_where = "e.list = ANY(" + order + ")";
    // The name is the end of the path, as long in letters folded as it is.
    const std::string ownName = "right(e.folded, char_length(e.name))";
    for (const std::string& word : query.words) {
        m_where += " AND " + holds(word);
        m_indexed = m_indexed || Trigrammed(m_folding.fold(word));
    }
    for (const std::string& word : query.excluded) {
        m_where += " AND NOT " + holds(word);
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
    for (const NumberFilter& filter : NumberFilters(query)) {
        m_where += std::string(" AND e.") + filter.column + " " + filter.comparison + " " +
                   add(Number(filter.value)) + "::bigint";
    }
    m_duplicates = query.duplicates;
    if (m_duplicates) {
        const auto copied = [](const std::string& lists) {
            return "(SELECT name, size FROM tessaline.entries WHERE list = ANY(" + lists +
                   ") AND NOT is_folder AND size > 0 GROUP BY name, size HAVING count(DISTINCT list) > 1)";
        };
        if (Result<Done> found = findCopies(copied("$1::bigint[]"), Lists(all, 0, all.size())); !found) {
            return found.failure();
        }
        m_where += " AND (e.name, e.size) IN " + copied(lists(all));
    }
    m_counted = m_parameters.size(); // the order's own come after
    if (m_duplicates) {
        // Each file's copies stand together.
        m_order = "e.name, e.size, o.position, " + std::string(Path);
    } else {
        // Entries whose own names hold every word first.
        std::string own;
        for (const std::string& word : query.words) {
            own += (own.empty() ? "(" : " AND ") + ownName + " LIKE " +
                   add(Holding(ToServerText(m_folding.fold(word))));
        }
        m_own = own.empty() ? "" : own + ")";
        m_order = (own.empty() ? "" : m_own + " DESC, ") + "o.position, " + Path;
    }
    return true;
}

// Every file whose name and size are on another disk too, with the number of another record of the same
// physical disk (a disk relabelled as new) that holds it.
Result<Done> ServerSearch::findCopies(const std::string& copied, const std::string& lists) {
    Result<PgRows> rows =
        m_connection.query("SELECT list, name, size FROM tessaline.entries WHERE (name, size) IN " + copied +
                               " AND list = ANY($1::bigint[]) ORDER BY name, size",
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

Result<std::uint64_t> ServerSearch::countUpTo(std::uint64_t most) const {
    const std::vector<PgConnection::Parameter> parameters(
        m_parameters.begin(), m_parameters.begin() + static_cast<std::ptrdiff_t>(m_counted));
    Result<PgRows> counted =
        m_connection.query("SELECT count(*) FROM (SELECT 1 FROM tessaline.entries e WHERE " + m_where +
                               " LIMIT " + Number(static_cast<std::int64_t>(most)) + ") s",
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
    // Adds the matches on the disks from `readUpTo` to `end`: the count of all that `rows` carry, or, with no
    // rows, a count of their own.
    const auto counted = [&](std::size_t end, const PgRows* rows) -> Result<Done> {
        if (end <= readUpTo) {
            return Done{};
        }
        if (rows != nullptr) {
            matched += rows->size() > 0 ? static_cast<std::uint64_t>(rows->integer(0, 7)) : 0;
        } else {
            Result<std::uint64_t> rest = count(Lists(m_read, readUpTo, end));
            if (!rest) {
                return rest.failure();
            }
            matched += *rest;
        }
        for (std::size_t disk = readUpTo; disk < end; ++disk) {
            entries += m_read[disk]->entries;
        }
        readUpTo = end;
        return Done{};
    };
    // A few disks at first, for words whose first rows are on the first disks; more at a time later.
    const std::vector<std::string> ranks =
        m_own.empty() ? std::vector<std::string>{"true"} : std::vector<std::string>{m_own, "NOT " + m_own};
    for (std::size_t rank = 0; rank < ranks.size() && result.hits.size() < limit; ++rank) {
        std::size_t batch = 4;
        for (std::size_t at = 0; at < m_read.size() && result.hits.size() < limit;) {
            const bool first = at == 0;
            const std::size_t end = std::min(at + batch, m_read.size());
            // The disks' own list in place of every disk read, for their rows and their count of all.
            std::vector<PgConnection::Parameter> parameters = m_parameters;
            parameters.front() = Lists(m_read, at, end);
            // The count is of every row, before the limit, and only of disks not counted yet; the rank is
            // reckoned once a row.
            const std::string matches = end > readUpTo ? "count(*) OVER ()" : "0";
            Result<PgRows> rows = m_connection.query(
                "SELECT e.list, e.folder, e.name, e.is_folder, e.size, e.modified, e.rank, e.matches FROM ("
                "SELECT e.list, e.folder, e.name, e.is_folder, e.size, e.modified, o.position, " +
                    ranks[rank] + " AS rank, " + matches + " AS matches FROM " + InOrder + " WHERE " +
                    m_where + ") e ORDER BY e.rank DESC, e.position, " + Path + " LIMIT " +
                    Number(static_cast<std::int64_t>(limit - result.hits.size())),
                parameters);
            if (!rows) {
                return rows.failure();
            }
            for (int row = 0; row < rows->size() && result.hits.size() < limit; ++row) {
                if (rows->text(row, 6) == "t") {
                    result.hits.push_back(hit(*rows, row));
                }
            }
            if (Result<Done> done = counted(end, &*rows); !done) {
                return done.failure();
            }
            at = end;
            batch *= 2;
            // Own names this sparse on the first disks would take batch after batch, each going through
            // every match the index finds again: the rest are counted at once, and their own names read at
            // once, which reckons the rank only of the rows that hold it.
            if (rank == 0 && first && m_indexed && !m_own.empty() && result.hits.size() < limit / SparseOwn &&
                at < m_read.size()) {
                if (Result<Done> done = counted(m_read.size(), nullptr); !done) {
                    return done.failure();
                }
                parameters.front() = Lists(m_read, at, m_read.size());
                // OFFSET 0 keeps the rank out of the join: the server cannot tell how many rows hold it,
                // and would guess too few to look the disks up by hash.
                Result<PgRows> own = m_connection.query(
                    "SELECT e.list, e.folder, e.name, e.is_folder, e.size, e.modified FROM (SELECT e.list,"
                    " e.folder, e.name, e.is_folder, e.size, e.modified, e.folded, o.position FROM " +
                        std::string(InOrder) + " WHERE " + m_where + " OFFSET 0) e WHERE " + m_own +
                        " ORDER BY e.position, " + Path + " LIMIT " +
                        Number(static_cast<std::int64_t>(limit - result.hits.size())),
                    parameters);
                if (!own) {
                    return own.failure();
                }
                for (int row = 0; row < own->size(); ++row) {
                    result.hits.push_back(hit(*own, row));
                }
                break;
            }
        }
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

Result<std::uint64_t> ServerSearch::count(std::optional<std::string> lists) const {
    std::vector<PgConnection::Parameter> parameters(
        m_parameters.begin(), m_parameters.begin() + static_cast<std::ptrdiff_t>(m_counted));
    if (lists) {
        parameters.front() = std::move(lists);
    }
    Result<PgRows> counted =
        m_connection.query("SELECT count(*) FROM tessaline.entries e WHERE " + m_where, parameters);
    if (!counted) {
        return counted.failure();
    }
    return static_cast<std::uint64_t>(counted->integer(0, 0));
}

std::string ServerSearch::select() const {
    return "SELECT e.list, e.folder, e.name, e.is_folder, e.size, e.modified FROM " + std::string(InOrder) +
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

// The most matches a search counts before it shows its first rows: more are reckoned.
constexpr std::uint64_t CountedAtOnce = 5000;

// The rows a cursor gives at a time: a few megabytes of hits.
constexpr int RowsAtATime = 10000;

// A search ready to read, in a transaction that reads the catalogue as of one moment, so that its count
// and its hits agree.
struct Begun {
    PgTransaction transaction;
    std::unique_ptr<ServerSearch> search;
};

// None when the search asks nothing.
Result<std::optional<Begun>> Begin(const PgConnection& connection, CaseFolding& folding,
                                   const SearchQuery& query) {
    Result<PgTransaction> transaction =
        PgTransaction::begin(connection, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    if (!transaction) {
        return transaction.failure();
    }
    auto search = std::make_unique<ServerSearch>(connection, folding);
    Result<bool> prepared = search->prepare(query);
    if (!prepared) {
        return prepared.failure();
    }
    if (!*prepared) {
        return std::optional<Begun>();
    }
    return std::optional<Begun>(Begun{std::move(transaction).value(), std::move(search)});
}

} // namespace

Result<SearchResult> SearchServer(const PgConnection& connection, CaseFolding& folding,
                                  const SearchQuery& query, std::size_t limit) {
    Result<std::optional<Begun>> begun = Begin(connection, folding, query);
    if (!begun || !*begun) {
        return Then(begun, [] { return Result<SearchResult>(SearchResult{}); });
    }
    const ServerSearch& search = *begun.value()->search;
    // A search the index cannot narrow is read disk by disk at once: counting its matches first would go
    // through every entry, as reading them does.
    if (!search.indexed() && !search.copies()) {
        return search.firstByReading(limit);
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

Result<Done> VisitServerHits(const PgConnection& connection, CaseFolding& folding, const SearchQuery& query,
                             const std::function<bool(const SearchHit&, std::uint64_t)>& visit,
                             bool withTotal) {
    Result<std::optional<Begun>> begun = Begin(connection, folding, query);
    if (!begun || !*begun) {
        return Then(begun, [] { return Result<Done>(Done{}); });
    }
    const ServerSearch& search = *begun.value()->search;
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

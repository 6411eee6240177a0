#include "core/catalogue/SearchQuery.h"

#include "core/catalogue/SearchWords.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <limits>
#include <utility>

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

void AddOnce(std::vector<std::string>& list, std::string item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) {
        list.push_back(std::move(item));
    }
}

Failure Wrong(std::string_view typed, const std::string& what) {
    return Failure{"\"" + std::string(typed) + "\" " + what};
}

Result<SearchQuery> Extension(SearchQuery query, std::string_view typed, std::string_view value) {
    while (!value.empty() && value.front() == '.') {
        value.remove_prefix(1);
    }
    if (value.empty() || value.find('/') != std::string_view::npos) {
        return Wrong(typed, "names no file extension: write it after the colon, as in ext:pdf or *.pdf.");
    }
    AddOnce(query.extensions, std::string(value));
    return query;
}

// "1.5GB" as bytes, or none when it is not a size the program can hold.
std::optional<std::uint64_t> Bytes(std::string_view text) {
    const std::string lower = Lower(text);
    const std::size_t unitAt = lower.find_first_not_of("0123456789.");
    const std::string number = lower.substr(0, unitAt);
    const std::string unit = unitAt == std::string::npos ? "" : lower.substr(unitAt);
    const std::pair<const char*, double> units[] = {{"", 1.0},
                                                    {"b", 1.0},
                                                    {"kb", 1024.0},
                                                    {"mb", 1024.0 * 1024},
                                                    {"gb", 1024.0 * 1024 * 1024},
                                                    {"tb", 1024.0 * 1024 * 1024 * 1024}};
    const auto found =
        std::find_if(std::begin(units), std::end(units), [&](const auto& u) { return unit == u.first; });
    const std::size_t point = number.find('.');
    const std::string whole = number.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : number.substr(point + 1);
    if (found == std::end(units) || !AllDigits(whole) ||
        (point != std::string::npos && !AllDigits(fraction)) || whole.size() > 15) {
        return std::nullopt;
    }
    const double bytes = std::stod(number) * found->second;
    if (bytes >= 9.0e18) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(bytes + 0.5);
}

Result<SearchQuery> Size(SearchQuery query, std::string_view typed, std::string_view value) {
    std::string_view comparison = value.substr(0, value.find_first_not_of("<>="));
    value.remove_prefix(comparison.size());
    const std::optional<std::uint64_t> bytes = Bytes(value);
    const bool known = comparison == ">" || comparison == ">=" || comparison == "<" || comparison == "<=";
    if (!known || !bytes) {
        return Wrong(typed, "is not a size filter: write > or < and a size, as in size:>100MB or size:<1KB "
                            "(units B, KB, MB, GB or TB, 1 KB being 1024 bytes).");
    }
    if (comparison.front() == '>') {
        const std::uint64_t least = *bytes + (comparison == ">" ? 1 : 0);
        query.sizeAtLeast = std::max(query.sizeAtLeast.value_or(0), least);
    } else {
        const std::uint64_t below = *bytes + (comparison == "<=" ? 1 : 0);
        query.sizeBelow = std::min(query.sizeBelow.value_or(below), below);
    }
    return query;
}

// The first second of a local day, the day counted from the first of the month (a day 0 or past the month's
// end moves into the next or last month, as mktime does).
std::int64_t LocalTime(int year, int month, int day) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&time));
}

int DaysIn(int year, int month) {
    static const int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : Days[month - 1];
}

// A year, month or day as the first second of it and the first second after it.
std::optional<std::pair<std::int64_t, std::int64_t>> Period(std::string_view text) {
    const std::size_t parts = static_cast<std::size_t>(std::count(text.begin(), text.end(), '-')) + 1;
    const std::size_t lengths[] = {4, 7, 10};
    if (parts > 3 || text.size() != lengths[parts - 1]) {
        return std::nullopt;
    }
    const std::string_view year = text.substr(0, 4);
    const std::string_view month = parts > 1 ? text.substr(5, 2) : "01";
    const std::string_view day = parts > 2 ? text.substr(8, 2) : "01";
    if (!AllDigits(year) || !AllDigits(month) || !AllDigits(day) || (parts > 1 && text[4] != '-') ||
        (parts > 2 && text[7] != '-')) {
        return std::nullopt;
    }
    const int y = std::stoi(std::string(year));
    const int m = std::stoi(std::string(month));
    const int d = std::stoi(std::string(day));
    if (y < 1000 || m < 1 || m > 12 || d < 1 || d > DaysIn(y, m)) {
        return std::nullopt;
    }
    const std::int64_t from = LocalTime(y, m, d);
    const std::int64_t to = parts == 1   ? LocalTime(y + 1, 1, 1)
                            : parts == 2 ? LocalTime(y, m + 1, 1)
                                         : LocalTime(y, m, d + 1);
    return std::make_pair(from, to);
}

Result<SearchQuery> Modified(SearchQuery query, std::string_view typed, std::string_view value) {
    const std::size_t dots = value.find("..");
    const std::string_view first = value.substr(0, dots);
    const std::string_view last = dots == std::string_view::npos ? first : value.substr(dots + 2);
    // Either end may be left open; an end that is there must be a date.
    std::pair<std::int64_t, std::int64_t> from{};
    std::pair<std::int64_t, std::int64_t> to{};
    bool readable = !first.empty() || !last.empty();
    for (const auto& [text, period] : {std::pair{first, &from}, std::pair{last, &to}}) {
        if (!text.empty()) {
            const auto read = Period(text);
            readable = readable && read.has_value();
            *period = read.value_or(std::pair<std::int64_t, std::int64_t>{});
        }
    }
    if (!readable) {
        return Wrong(typed, "is not a date filter: write a year, a month or a day, or a range of them, as in "
                            "modified:2019, modified:2019-03-14 or modified:2019-03..2019-06.");
    }
    if (!first.empty() && !last.empty() && to.second <= from.first) {
        return Wrong(typed,
                     "ends before it starts: write the earlier date first, as in modified:2018..2019.");
    }
    if (!first.empty()) {
        query.modifiedFrom = std::max(query.modifiedFrom.value_or(from.first), from.first);
    }
    if (!last.empty()) {
        query.modifiedBefore = std::min(query.modifiedBefore.value_or(to.second), to.second);
    }
    return query;
}

Result<SearchQuery> Type(SearchQuery query, std::string_view typed, std::string_view value) {
    const std::string type = Lower(value);
    const bool folders = type == "folder" || type == "folders";
    if (!folders && type != "file" && type != "files") {
        return Wrong(typed, "is not a type filter: write type:folder or type:file.");
    }
    // Asking for both leaves every entry in, whatever type is asked after.
    query.everyType = query.everyType || (query.folders && *query.folders != folders);
    query.folders = query.everyType ? std::nullopt : std::optional<bool>(folders);
    return query;
}

Result<SearchQuery> Disk(SearchQuery query, std::string_view typed, std::string_view value) {
    if (!AllDigits(value) || value.size() > 9) {
        return Wrong(typed, "is not a disk filter: write the disk's number, as in disk:42 or #42.");
    }
    const int number = std::stoi(std::string(value));
    if (std::find(query.disks.begin(), query.disks.end(), number) == query.disks.end()) {
        query.disks.push_back(number);
    }
    return query;
}

Result<SearchQuery> Duplicates(SearchQuery query, std::string_view typed, std::string_view value) {
    if (!value.empty()) {
        return Wrong(typed, "is not the duplicates filter: write dupes: with nothing after the colon.");
    }
    query.duplicates = true;
    return query;
}

using Filter = Result<SearchQuery> (*)(SearchQuery, std::string_view typed, std::string_view value);

// The filter a word names, if it names one, with what follows its colon.
std::optional<std::pair<Filter, std::string_view>> FilterOf(std::string_view word) {
    if (word.size() > 2 && word.starts_with("*.")) {
        return std::make_pair(Filter(&Extension), word.substr(2));
    }
    if (word.size() > 1 && word.front() == '#' && AllDigits(word.substr(1))) {
        return std::make_pair(Filter(&Disk), word.substr(1));
    }
    const std::size_t colon = word.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::pair<const char*, Filter> filters[] = {{"ext", &Extension},     {"size", &Size},
                                                      {"modified", &Modified}, {"type", &Type},
                                                      {"disk", &Disk},         {"dupes", &Duplicates}};
    const std::string name = Lower(word.substr(0, colon));
    for (const auto& [known, filter] : filters) {
        if (name == known) {
            return std::make_pair(filter, word.substr(colon + 1));
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<NumberFilter> NumberFilters(const SearchQuery& query) {
    std::vector<NumberFilter> filters;
    if (query.sizeAtLeast) {
        filters.push_back({"size", ">=", static_cast<std::int64_t>(*query.sizeAtLeast)});
    }
    if (query.sizeBelow) {
        filters.push_back({"size", "<", static_cast<std::int64_t>(*query.sizeBelow)});
    }
    if (query.modifiedFrom) {
        filters.push_back({"modified", ">=", *query.modifiedFrom});
    }
    if (query.modifiedBefore) {
        filters.push_back({"modified", "<", *query.modifiedBefore});
    }
    return filters;
}

bool SearchQuery::empty() const {
    return words.empty() && excluded.empty() && extensions.empty() && !sizeAtLeast && !sizeBelow &&
           !modifiedFrom && !modifiedBefore && !folders && !everyType && disks.empty() && !duplicates;
}

Result<SearchQuery> ParseSearch(std::string_view text) {
    SearchQuery query;
    for (SearchWord& word : SearchWords(text)) {
        if (word.negated) {
            AddOnce(query.excluded, std::move(word.text));
        } else if (word.quoted) {
            AddOnce(query.words, std::move(word.text));
        } else if (word.text.size() > 1 && word.text.front() == '-') {
            AddOnce(query.excluded, word.text.substr(1));
        } else if (const auto filter = FilterOf(word.text)) {
            Result<SearchQuery> filtered = filter->first(std::move(query), word.text, filter->second);
            if (!filtered) {
                return filtered;
            }
            query = std::move(filtered).value();
        } else {
            AddOnce(query.words, std::move(word.text));
        }
    }
    return query;
}

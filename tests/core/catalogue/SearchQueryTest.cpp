#include "core/catalogue/SearchQuery.h"

#include "support/SampleCatalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Joined(const std::vector<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) {
        joined += (joined.empty() ? "" : ",") + item;
    }
    return joined;
}

// A query in one line: only what it asks.
std::string Described(const SearchQuery& q) {
    std::string text;
    const auto add = [&](const std::string& part) { text += (text.empty() ? "" : " ") + part; };
    if (!q.words.empty()) {
        add("words=" + Joined(q.words));
    }
    if (!q.excluded.empty()) {
        add("not=" + Joined(q.excluded));
    }
    if (!q.extensions.empty()) {
        add("ext=" + Joined(q.extensions));
    }
    if (q.sizeAtLeast) {
        add("size>=" + std::to_string(*q.sizeAtLeast));
    }
    if (q.sizeBelow) {
        add("size<" + std::to_string(*q.sizeBelow));
    }
    if (q.modifiedFrom) {
        add("from=" + std::to_string(*q.modifiedFrom));
    }
    if (q.modifiedBefore) {
        add("before=" + std::to_string(*q.modifiedBefore));
    }
    if (q.folders) {
        add(*q.folders ? "folders" : "files");
    }
    if (q.everyType) {
        add("every type");
    }
    for (const int disk : q.disks) {
        add("#" + std::to_string(disk));
    }
    if (q.duplicates) {
        add("dupes");
    }
    return text;
}

std::string Day(int year, int month, int day) {
    return std::to_string(EpochSeconds(LocalTime(year, month, day, 0, 0, 0)));
}

TEST(SearchQuery, ReadsWordsPhrasesExclusionsAndFilters) {
    const struct {
        std::string text;
        std::string query;
    } cases[] = {
        {"", ""},
        {"  tax   2019 tax ", "words=tax,2019"},
        {"\"final draft\" report", "words=final draft,report"},
        // A quote touching a word ends it; the phrase takes in nothing around it.
        {"report\"final draft\"x", "words=report,final draft,x"},
        {"tax \"open phrase", "words=tax,open phrase"},
        {"Belege_2019/Scan", "words=Belege_2019/Scan"},
        {"-draft tax -\"old copy\" -", "words=tax,- not=draft,old copy"},
        // Words that only look like filters stay words, as do quoted filters.
        {"C: http://x.org colour:red \"ext:pdf\" # *. *", "words=C:,http://x.org,colour:red,ext:pdf,#,*.,*"},
        {"ext:pdf *.JPG ext:.tar.gz EXT:pdf", "ext=pdf,JPG,tar.gz"},
        {"size:>100MB", "size>=104857601"},
        {"size:>=1kb size:<1.5GB", "size>=1024 size<1610612736"},
        {"size:<=10 size:<20B", "size<11"},
        {"size:>1TB", "size>=1099511627777"},
        {"modified:2019", "from=" + Day(2019, 1, 1) + " before=" + Day(2020, 1, 1)},
        {"modified:2019-03..2019-06", "from=" + Day(2019, 3, 1) + " before=" + Day(2019, 7, 1)},
        {"modified:2020-02-29", "from=" + Day(2020, 2, 29) + " before=" + Day(2020, 3, 1)},
        {"modified:2019-12-31..", "from=" + Day(2019, 12, 31)},
        {"modified:..2018-12", "before=" + Day(2019, 1, 1)},
        {"type:folder", "folders"},
        {"TYPE:Files tax", "words=tax files"},
        {"type:file type:folder type:file", "every type"}, // either is every entry, a search all the same
        {"disk:42 #7 disk:007", "#42 #7"},
        {"dupes: ext:jpg", "ext=jpg dupes"},
    };
    for (const auto& c : cases) {
        const Result<SearchQuery> query = ParseSearch(c.text);
        ASSERT_TRUE(query) << c.text << ": " << query.reason();
        EXPECT_EQ(Described(*query), c.query) << c.text;
        EXPECT_EQ(query->empty(), c.query.empty()) << c.text;
    }
}

TEST(SearchQuery, SaysWhatIsWrongWithAFilterAndHowToWriteIt) {
    const struct {
        std::string text;
        std::string says;
    } cases[] = {
        {"ext:", "\"ext:\" names no file extension: write it after the colon, as in ext:pdf or *.pdf."},
        {"ext:...", "\"ext:...\" names no file extension"},
        {"size:>big", "\"size:>big\" is not a size filter: write > or < and a size, as in size:>100MB or "
                      "size:<1KB (units B, KB, MB, GB or TB, 1 KB being 1024 bytes)."},
        {"size:100MB", "\"size:100MB\" is not a size filter"},
        {"size:>10PB", "\"size:>10PB\" is not a size filter"},
        {"size:>1.2.3MB", "\"size:>1.2.3MB\" is not a size filter"},
        {"size:<", "\"size:<\" is not a size filter"},
        {"size:>99999999999TB", "\"size:>99999999999TB\" is not a size filter"},
        {"modified:2019-13",
         "\"modified:2019-13\" is not a date filter: write a year, a month or a day, or a "
         "range of them, as in modified:2019, modified:2019-03-14 or "
         "modified:2019-03..2019-06."},
        {"modified:2019-02-29", "\"modified:2019-02-29\" is not a date filter"},
        {"modified:19", "\"modified:19\" is not a date filter"},
        {"modified:2019-3", "\"modified:2019-3\" is not a date filter"},
        {"modified:2019/03", "\"modified:2019/03\" is not a date filter"},
        {"modified:..", "\"modified:..\" is not a date filter"},
        {"modified:", "\"modified:\" is not a date filter"},
        {"modified:2019..2018-06",
         "\"modified:2019..2018-06\" ends before it starts: write the earlier date first, as in "
         "modified:2018..2019."},
        {"type:dir", "\"type:dir\" is not a type filter: write type:folder or type:file."},
        {"disk:x", "\"disk:x\" is not a disk filter: write the disk's number, as in disk:42 or #42."},
        {"disk:", "\"disk:\" is not a disk filter"},
        {"disk:-4", "\"disk:-4\" is not a disk filter"},
        {"dupes:yes",
         "\"dupes:yes\" is not the duplicates filter: write dupes: with nothing after the colon."},
        // The first filter that cannot be read is the one said.
        {"tax type:dir size:>big", "\"type:dir\" is not a type filter"},
    };
    for (const auto& c : cases) {
        const Result<SearchQuery> query = ParseSearch(c.text);
        ASSERT_FALSE(query) << c.text;
        EXPECT_TRUE(query.reason().starts_with(c.says)) << c.text << ": " << query.reason();
    }
}

} // namespace

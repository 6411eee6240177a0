// Searching a catalogue of 1,000,000 entries on 500 disks (2,000 each: camera files, documents named from
// a few hundred words, some in Cyrillic, Greek, Japanese or with accents, in folders four deep).
//
// The catalogue is written once through the store, as walks write it, in a temporary folder that goes at
// the end; BM_CatalogueSize tells its bytes per entry and how fast it was written. Each search benchmark
// is 100 repetitions of one search each, a different word every time, with their median and 95th
// percentile: words of 3 to 8 letters (whole words, parts of words, numbers, other scripts, words that are
// nowhere), two-letter words, and two words together. Searches that read much of the catalogue whatever
// the index says (one letter alone or with a word, filters alone, duplicates) are repeated fewer times.

#include "core/catalogue/CatalogueStore.h"
#include "core/catalogue/SqliteDatabase.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int DiskCount = 500;
constexpr int EntriesOnDisk = 2000;
constexpr int Searches = 100;

const std::vector<std::string> Words = {
    "invoice",   "report",   "budget",   "summary",   "letter",    "contract", "photo",     "holiday",
    "summer",    "winter",   "spring",   "autumn",    "project",   "draft",    "final",     "backup",
    "archive",   "notes",    "meeting",  "minutes",   "scan",      "tax",      "receipt",   "statement",
    "quarterly", "annual",   "plan",     "design",    "sketch",    "music",    "track",     "album",
    "video",     "clip",     "family",   "wedding",   "birthday",  "garden",   "house",     "school",
    "thesis",    "chapter",  "paper",    "slides",    "talk",      "lecture",  "manual",    "guide",
    "readme",    "setup",    "install",  "driver",    "update",    "patch",    "source",    "build",
    "release",   "config",   "data",     "export",    "import",    "list",     "index",     "table",
    "chart",     "graph",    "map",      "travel",    "berlin",    "paris",    "london",    "rome",
    "vienna",    "oslo",     "recipe",   "menu",      "kitchen",   "bathroom", "offer",     "order",
    "delivery",  "payment",  "salary",   "pension",   "insurance", "policy",   "claim",     "doctor",
    "dentist",   "college",  "homework", "essay",     "poem",      "story",    "novel",     "cover",
    "logo",      "banner",   "poster",   "flyer",     "brochure",  "catalog",  "price",     "stock",
    "inventory", "client",   "customer", "supplier",  "partner",   "agenda",   "schedule",  "calendar",
    "contacts",  "address",  "phone",    "email",     "archived",  "old",      "new",       "copy",
    "version",   "revised",  "approved", "signed",    "scanned",   "printed",  "january",   "february",
    "march",     "april",    "may",      "june",      "july",      "august",   "september", "october",
    "november",  "december", "monday",   "friday",    "weekend",   "party",    "concert",   "festival",
    "beach",     "mountain", "lake",     "forest",    "river",     "city",     "village",   "church",
    "museum",    "castle",   "bridge",   "tower",     "harbour",   "island",   "trip",      "visit",
    "camp",      "hike",     "bike",     "car",       "train",     "flight",   "hotel",     "ticket",
    "passport",  "visa",     "bank",     "account",   "loan",      "mortgage", "rent",      "lease",
    "deed",      "will",     "estate",   "audit",     "ledger",    "journal",  "balance",   "profit",
    "loss",      "forecast", "review",   "feedback",  "survey",    "results",  "analysis",  "model",
    "sample",    "test",     "demo",     "prototype", "brief",     "diagram",  "drawing",   "layout",
    "template",  "form",     "sheet",    "memo",      "note",      "todo",     "ideas",
};
const std::vector<std::string> OtherScripts = {"Журнал", "отчёт", "фотографии", "Счёт",
                                               "報告書", "写真",  "Café",       "Übersicht",
                                               "Größe",  "naïve", "Ελλάδα",     "Αθήνα"};
const std::vector<std::string> Extensions = {"pdf", "doc", "docx", "xls", "xlsx", "jpg", "JPG", "png", "txt",
                                             "mp3", "wav", "zip",  "tif", "psd",  "ppt", "odt", "c",   "h"};

class Generator {
public:
    std::string fileName() {
        const int kind = pick(100);
        if (kind < 20) {
            return (pick(2) ? "IMG_" : "DSC0") + std::to_string(1000 + pick(9000)) +
                   (pick(2) ? ".JPG" : ".jpg");
        }
        if (kind < 25) {
            return any(OtherScripts) + " " + std::to_string(1995 + pick(31)) + "." + any(Extensions);
        }
        const char* separators[] = {" ", "_", "-", ""};
        const std::string separator = separators[pick(4)];
        const bool capitals = pick(2) == 0;
        std::string name;
        for (int n = 1 + pick(3); n > 0; --n) {
            std::string word = any(Words);
            if (capitals) {
                word[0] = static_cast<char>(word[0] - 'a' + 'A');
            }
            name += (name.empty() ? "" : separator) + word;
        }
        if (pick(2) == 0) {
            name += separator + std::to_string(1995 + pick(31));
        } else if (pick(4) == 0) {
            name += " (" + std::to_string(1 + pick(9)) + ")";
        }
        return name + "." + any(Extensions);
    }

    std::string folderName() {
        if (pick(10) == 0) {
            return any(OtherScripts);
        }
        std::string word = any(Words);
        if (pick(5) < 3) {
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
        }
        return pick(10) < 3 ? word + " " + std::to_string(1995 + pick(31)) : word;
    }

    // One disk's tree, folders listed before what they hold, as a walk finds them.
    std::vector<CatalogueEntry> disk() {
        std::vector<CatalogueEntry> entries;
        std::vector<std::string> folders = {""};
        while (entries.size() < EntriesOnDisk) {
            const std::string folder =
                folders[static_cast<std::size_t>(pick(static_cast<int>(folders.size())))];
            const auto depth = std::count(folder.begin(), folder.end(), '/') + (folder.empty() ? 0 : 1);
            CatalogueEntry entry{folder, "", false, 0, 946684800 + pick(800'000'000)};
            if (depth < 4 && pick(100) < 12) {
                entry.name = folderName();
                entry.isFolder = true;
                const std::string path = entry.path();
                if (std::find(folders.begin(), folders.end(), path) != folders.end()) {
                    continue;
                }
                folders.push_back(path);
            } else {
                entry.name = fileName();
                entry.size = static_cast<std::uint64_t>(pick(50'000'000));
            }
            entries.push_back(std::move(entry));
        }
        return entries;
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    const std::string& any(const std::vector<std::string>& from) {
        return from[static_cast<std::size_t>(pick(static_cast<int>(from.size())))];
    }

private:
    std::mt19937 m_random{20260314};
};

// The catalogue, written on first use and removed at the end.
class Catalogue {
public:
    static Catalogue& instance() {
        static Catalogue catalogue;
        return catalogue;
    }

    ~Catalogue() {
        m_store.reset();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    CatalogueStore& store() { return *m_store; }
    double writeSeconds = 0;
    double bytes = 0;
    double indexBytes = 0;

private:
    Catalogue() {
        std::string pattern = (fs::temp_directory_path() / "tessaline-bench-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data());
        const std::string path = (m_dir / "catalogue.sqlite").string();
        const auto started = std::chrono::steady_clock::now();
        {
            auto store = CatalogueStore::open(path, "2026-03-14").value();
            Generator generate;
            for (int n = 1; n <= DiskCount; ++n) {
                DiskRecord disk;
                disk.number = n;
                disk.volumeName = n % 7 == 0 ? "BACKUP " + std::to_string(n) : "DISK" + std::to_string(n);
                disk.serial = static_cast<std::uint32_t>(0x10000 + n);
                disk.capacityBytes = 100'000'000;
                const std::int64_t id = store->addDisk(disk, 1'700'000'000 + n).value();
                const std::vector<CatalogueEntry> entries = generate.disk();
                const std::int64_t list = store->beginEntries(id).value();
                // Batches of 500, as a walk would hand them over.
                for (std::size_t from = 0; from < entries.size(); from += 500) {
                    const std::size_t to = std::min(entries.size(), from + 500);
                    (void)store->addEntries(list, {entries.begin() + static_cast<std::ptrdiff_t>(from),
                                                   entries.begin() + static_cast<std::ptrdiff_t>(to)});
                }
                (void)store->finishEntries(id, list, true, 0);
            }
        }
        writeSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        bytes = static_cast<double>(fs::file_size(path));
        auto db = SqliteDatabase::open(path, SqliteDatabase::Access::ReadOnly).value();
        indexBytes = static_cast<double>(
            db->queryInteger("SELECT sum(pgsize) FROM dbstat WHERE name LIKE 'entry_names%'")
                .value()
                .value_or(0));
        m_store = CatalogueStore::open(path, "2026-03-14").value();
    }

    fs::path m_dir;
    std::unique_ptr<CatalogueStore> m_store;
};

constexpr double Entries = double{DiskCount} * EntriesOnDisk;

// The searches of one benchmark, a different one each repetition.
class Texts {
public:
    explicit Texts(std::vector<std::string> texts) : m_texts(std::move(texts)) {}
    const std::string& next() { return m_texts[m_next++ % m_texts.size()]; }

private:
    std::vector<std::string> m_texts;
    std::size_t m_next = 0;
};

std::vector<std::string> WordsOfThreeToEight() {
    Generator generate;
    std::vector<std::string> texts = {"2019",  "1997",  "журн",  "фото", "写真",  "Café",
                                      "ΑΘΉΝΑ", "IMG_4", "dsc01", "qwx",  "zzyzx", "berlinx"};
    while (texts.size() < Searches) {
        std::string word = generate.any(Words);
        if (word.size() < 3) {
            continue;
        }
        // Whole words, and the first letters or a middle part of one, as a user types them.
        const int take = 3 + generate.pick(static_cast<int>(std::min<std::size_t>(word.size(), 8)) - 2);
        const int from = generate.pick(3) == 0 ? generate.pick(static_cast<int>(word.size()) - take + 1) : 0;
        texts.push_back(word.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(take)));
    }
    return texts;
}

std::vector<std::string> WordsOfTwo() {
    Generator generate;
    std::vector<std::string> texts = {"19", "jp", "фо", "写真", "é."};
    while (texts.size() < Searches) {
        const std::string& word = generate.any(Words);
        texts.push_back(
            word.substr(static_cast<std::size_t>(generate.pick(static_cast<int>(word.size()) - 1)), 2));
    }
    return texts;
}

std::vector<std::string> TwoWords() {
    Generator generate;
    std::vector<std::string> texts;
    while (texts.size() < Searches) {
        texts.push_back(generate.any(Words) + " " + std::to_string(1995 + generate.pick(31)));
    }
    return texts;
}

std::vector<std::string> OneLetter() {
    return {"a", "e", "r", "x", "q", "7", "_", "ж", "é", "写"};
}

std::vector<std::string> WordAndLetter() {
    Generator generate;
    std::vector<std::string> texts;
    const char* letters[] = {"a", "e", "s", "2", "x"};
    while (texts.size() < 20) {
        texts.push_back(generate.any(Words) + " " + letters[generate.pick(5)]);
    }
    return texts;
}

std::vector<std::string> Filters() {
    return {"ext:pdf size:>40MB",
            "*.jpg modified:2019",
            "type:folder modified:2010-03..2010-06",
            "disk:42 ext:doc",
            "size:<1KB",
            "report ext:pdf -2019",
            "invoice type:file size:>10MB",
            "-a -e -o type:folder",
            "modified:2001-02-03",
            "#250 #251 budget"};
}

double Percentile95(const std::vector<double>& times) {
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    return sorted[static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(sorted.size()))) - 1];
}

void Search(benchmark::State& state, Texts& texts) {
    CatalogueStore& store = Catalogue::instance().store();
    const std::string& text = texts.next();
    std::uint64_t total = 0;
    for (auto _ : state) {
        Result<SearchResult> found = store.search(text, 1000);
        if (!found) {
            state.SkipWithError(found.reason().c_str());
            return;
        }
        total = found->total;
    }
    state.counters["matches"] = static_cast<double>(total);
}

void BM_SearchThreeToEightLetters(benchmark::State& state) {
    static Texts texts(WordsOfThreeToEight());
    Search(state, texts);
}

void BM_SearchTwoLetters(benchmark::State& state) {
    static Texts texts(WordsOfTwo());
    Search(state, texts);
}

void BM_SearchWordAndYear(benchmark::State& state) {
    static Texts texts(TwoWords());
    Search(state, texts);
}

void BM_SearchOneLetter(benchmark::State& state) {
    static Texts texts(OneLetter());
    Search(state, texts);
}

void BM_SearchWordAndOneLetter(benchmark::State& state) {
    static Texts texts(WordAndLetter());
    Search(state, texts);
}

void BM_SearchFilters(benchmark::State& state) {
    static Texts texts(Filters());
    Search(state, texts);
}

void BM_SearchDuplicates(benchmark::State& state) {
    static Texts texts({"dupes:", "dupes: ext:pdf", "dupes: report"});
    Search(state, texts);
}

void BM_CatalogueSize(benchmark::State& state) {
    Catalogue& catalogue = Catalogue::instance();
    for (auto _ : state) {
        benchmark::ClobberMemory();
    }
    state.counters["bytes_per_entry"] = catalogue.bytes / Entries;
    state.counters["name_index_bytes_per_entry"] = catalogue.indexBytes / Entries;
    state.counters["entries_written_per_s"] = Entries / catalogue.writeSeconds;
}

void OneSearchEach(benchmark::internal::Benchmark* b) {
    b->Iterations(1)
        ->Repetitions(Searches)
        ->ComputeStatistics("p95", Percentile95)
        ->ReportAggregatesOnly(true)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

void FewSearchesEach(benchmark::internal::Benchmark* b) {
    b->Iterations(1)
        ->Repetitions(10)
        ->ComputeStatistics(
            "max",
            [](const std::vector<double>& times) { return *std::max_element(times.begin(), times.end()); })
        ->ReportAggregatesOnly(true)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_CatalogueSize)->Iterations(1);
BENCHMARK(BM_SearchThreeToEightLetters)->Apply(OneSearchEach);
BENCHMARK(BM_SearchTwoLetters)->Apply(OneSearchEach);
BENCHMARK(BM_SearchWordAndYear)->Apply(OneSearchEach);
BENCHMARK(BM_SearchOneLetter)->Apply(FewSearchesEach);
BENCHMARK(BM_SearchWordAndOneLetter)->Apply(FewSearchesEach);
BENCHMARK(BM_SearchFilters)->Apply(FewSearchesEach);
BENCHMARK(BM_SearchDuplicates)->Apply(FewSearchesEach);

BENCHMARK_MAIN();

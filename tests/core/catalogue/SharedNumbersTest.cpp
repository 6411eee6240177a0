#include "CatalogueFiles.h"

#include "support/PostgresServer.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/PgCatalogueSchema.h"
#include "core/catalogue/PgConnection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// A catalogue of its own on the tests' server, made as an administrator makes it, the team's last number
// being `last`.
std::string SharedCatalogue(const std::string& name, int last) {
    static int count = 0;
    const std::string database = name + "_" + std::to_string(++count);
    PostgresServer::shared().createDatabase(database);
    const std::string location = PostgresServer::shared().connection(database);
    Result<std::unique_ptr<PgConnection>> admin = PgConnection::open(location);
    Result<std::string> made = Then(admin, [&] { return InitPgCatalogue(*admin.value(), last); });
    EXPECT_TRUE(made) << made.reason();
    return location;
}

std::unique_ptr<CatalogueStore> Open(const std::string& location) {
    Result<std::unique_ptr<CatalogueStore>> store = CatalogueStore::open(location, "2026-03-14");
    EXPECT_TRUE(store) << store.reason();
    return store ? std::move(store).value() : nullptr;
}

std::vector<int> Numbers(const CatalogueStore& store) {
    std::vector<int> numbers;
    const std::vector<DiskRecord> disks = store.disks().value();
    for (const DiskRecord& disk : disks) {
        numbers.push_back(disk.number);
    }
    return numbers;
}

// Numbers go on after the team's last; a print that failed gives its number back to the next label, so
// none is skipped; a label never confirmed keeps its number, which is named and never given again.
TEST(SharedNumbers, NoNumberIsSkippedOrGivenTwice) {
    const auto store = Open(SharedCatalogue("numbers_sequence", 42));
    ASSERT_TRUE(store && store->givesNumbers());
    const DiskRecord disk = ZipDisk(0, "NEW", 7);
    const struct {
        const char* step;
        int number; // of the label the step prints; 0 when it takes none
        bool printed;
    } steps[] = {
        {"the first label", 43, true},
        {"a print that failed", 44, false},
        {"the next label takes it again", 44, true},
        {"then the one after", 45, true},
        {"a desk that stopped mid-print", 46, false},
    };
    NumberedDisk left;
    for (const auto& step : steps) {
        const Result<NumberedDisk> taken = store->reserveNumber(disk, 100, "desk-a");
        ASSERT_TRUE(taken) << step.step << ": " << taken.reason();
        EXPECT_EQ(taken->number, step.number) << step.step;
        if (step.printed) {
            EXPECT_TRUE(store->confirmNumber(taken->id)) << step.step;
        } else if (std::string(step.step).starts_with("a print")) {
            EXPECT_TRUE(store->releaseNumber(taken->id)) << step.step;
        } else {
            left = *taken;
        }
    }
    EXPECT_EQ(Numbers(*store), (std::vector<int>{43, 44, 45})) << "an unconfirmed label is no disk";
    EXPECT_EQ(store->lastNumber().value(), 46);
    const std::vector<UnconfirmedNumber> unconfirmed = store->unconfirmedNumbers().value();
    ASSERT_EQ(unconfirmed.size(), 1U);
    EXPECT_EQ(unconfirmed.front().number, 46);
    EXPECT_EQ(unconfirmed.front().desk, "desk-a");
    EXPECT_EQ(store->reserveNumber(disk, 100, "desk-a")->number, 47) << "46 is never given again";
    EXPECT_TRUE(store->releaseNumber(store->disks()->front().id)) << "a confirmed disk is not released";
    EXPECT_EQ(Numbers(*store).front(), 43);

    // A label numbered by a desk that could not reach the server takes its number for good.
    DiskRecord offline = ZipDisk(50, "OFFLINE", 8);
    ASSERT_TRUE(store->addDisk(offline, 200));
    EXPECT_EQ(store->lastNumber().value(), 50);
    EXPECT_EQ(store->reserveNumber(disk, 100, "desk-a")->number, 51);
}

// A label printed while the server could not be reached may carry a number another desk holds unconfirmed;
// when that desk's print then fails, the number stays the first label's and is not given out again.
TEST(SharedNumbers, ANumberGivenBackIsNotGivenAgainWhileALabelFromElsewhereHoldsIt) {
    const auto store = Open(SharedCatalogue("numbers_given_back", 9));
    ASSERT_TRUE(store);
    const Result<NumberedDisk> held = store->reserveNumber(ZipDisk(0, "PRINTING", 1), 100, "desk-b");
    ASSERT_TRUE(held);
    ASSERT_EQ(held->number, 10);
    ASSERT_TRUE(store->addDisk(ZipDisk(10, "OFFLINE", 2), 200)) << "desk a's queued label";
    ASSERT_TRUE(store->releaseNumber(held->id)) << "desk b's print failed";
    EXPECT_EQ(store->reserveNumber(ZipDisk(0, "NEXT", 3), 300, "desk-b")->number, 11);
    EXPECT_EQ(Numbers(*store), (std::vector<int>{10}));
}

// The highest number a label shows is the last the team is given; one given back is still given after it.
TEST(SharedNumbers, NumbersEndWithTheHighestALabelShows) {
    const auto store = Open(SharedCatalogue("numbers_end", 32766));
    ASSERT_TRUE(store);
    const Result<NumberedDisk> last = store->reserveNumber(ZipDisk(0, "LAST", 1), 100, "desk");
    ASSERT_TRUE(last);
    EXPECT_EQ(last->number, 32767);
    ASSERT_TRUE(store->releaseNumber(last->id));
    const Result<NumberedDisk> again = store->reserveNumber(ZipDisk(0, "LAST", 1), 100, "desk");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->number, 32767);
    ASSERT_TRUE(store->confirmNumber(again->id));
    const Result<NumberedDisk> beyond = store->reserveNumber(ZipDisk(0, "BEYOND", 2), 100, "desk");
    ASSERT_FALSE(beyond);
    EXPECT_NE(beyond.reason().find("numbers have run out"), std::string::npos) << beyond.reason();
    EXPECT_FALSE(Catalogue::Unreachable(beyond.failure())) << "no label is printed with a local number";
    EXPECT_EQ(store->lastNumber().value(), 32767);
}

// Two desks labelling at once, each a process of its own with its own connection, get every number once.
TEST(SharedNumbers, TwoDesksLabellingAtOnceGetDistinctNumbers) {
    const std::string location = SharedCatalogue("numbers_two_desks", 0);
    constexpr int Labels = 100;
    std::vector<pid_t> desks;
    for (int desk = 0; desk < 2; ++desk) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // A desk of its own: nothing of the parent's is used, and it ends without tearing anything down.
            Result<std::unique_ptr<CatalogueStore>> store = CatalogueStore::open(location, "2026-03-14");
            int labelled = 0;
            for (int n = 0; store && n < Labels; ++n) {
                const Result<NumberedDisk> taken =
                    store.value()->reserveNumber(ZipDisk(0, "DESK", 1000 + desk), n, "desk");
                labelled += taken && store.value()->confirmNumber(taken->id) ? 1 : 0;
            }
            ::_exit(labelled == Labels ? 0 : 1);
        }
        desks.push_back(child);
    }
    for (const pid_t desk : desks) {
        int status = 0;
        ASSERT_EQ(::waitpid(desk, &status, 0), desk);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a desk failed to label";
    }
    const std::vector<int> numbers = Numbers(*Open(location));
    ASSERT_EQ(numbers.size(), 2U * Labels);
    EXPECT_EQ(std::set<int>(numbers.begin(), numbers.end()).size(), 2U * Labels) << "a number given twice";
    EXPECT_EQ(numbers.front(), 1);
    EXPECT_EQ(numbers.back(), 2 * Labels) << "a number skipped";
}

// A login granted only the searching role finds what is catalogued; recording says it is not allowed.
TEST(SharedNumbers, ALoginThatMayOnlySearchSearchesAndIsToldItMayNotRecord) {
    const std::string location = SharedCatalogue("search_only", 0);
    AddCatalogueDisk(location, ZipDisk(1, "ONE", 1), LocalTime(2026, 3, 14, 12, 0, 0),
                     {FileEntry("", "report.txt", 1, LocalTime(2026, 3, 14, 12, 0, 0))});
    ASSERT_TRUE(PgConnection::open(location).value()->run(
        "DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'clerk') THEN CREATE ROLE clerk "
        "LOGIN IN ROLE " +
        std::string(SearchRole) + "; END IF; END $$"));
    const auto store = Open(location + " user=clerk");
    ASSERT_TRUE(store);
    EXPECT_EQ(store->search("report")->total, 1U);
    for (const Result<Done>& refused :
         {Result<Done>(store->reserveNumber(ZipDisk(0, "NEW", 2), 1, "desk").failure()),
          Then(store->addDisk(ZipDisk(2, "TWO", 2), 1), [] { return Result<Done>(Done{}); }),
          store->removeDisk(store->disks()->front().id)}) {
        ASSERT_FALSE(refused);
        EXPECT_NE(refused.reason().find("does not allow this login"), std::string::npos) << refused.reason();
    }
    EXPECT_EQ(store->disks()->size(), 1U);
}

// A catalogue that cannot serve this program is refused for good, unlike a server that cannot be reached
// now: Print does not offer to label with the desk's own number and owe the label.
TEST(SharedNumbers, ACatalogueOfAnotherVersionOrNoneIsRefusedForGood) {
    const struct {
        const char* what;
        const char* version; // none: the database holds no catalogue
        const char* told;
    } cases[] = {
        {"no catalogue", nullptr, "holds no Tessaline catalogue yet"},
        {"an older one", "0", "of an older version"},
        {"a newer one", "99", "made by a newer version"},
    };
    for (const auto& c : cases) {
        std::string location;
        if (c.version == nullptr) {
            static int made = 0;
            const std::string database = "no_catalogue_" + std::to_string(++made);
            PostgresServer::shared().createDatabase(database);
            location = PostgresServer::shared().connection(database);
        } else {
            location = SharedCatalogue("other_version", 0);
            ASSERT_TRUE(PgConnection::open(location).value()->run(
                "UPDATE tessaline.facts SET value = $1 WHERE key = 'version'", {c.version}));
        }
        const Result<std::unique_ptr<CatalogueStore>> opened = CatalogueStore::open(location, "2026-03-14");
        ASSERT_FALSE(opened) << c.what;
        EXPECT_NE(opened.reason().find(c.told), std::string::npos) << opened.reason();
        EXPECT_FALSE(Catalogue::Unreachable(opened.failure())) << c.what;
    }
}

TEST(SharedNumbers, AFileGivesNoNumbersAndSaysSo) {
    CatalogueFile file;
    const auto store = file.open();
    EXPECT_FALSE(store->givesNumbers());
    const Result<NumberedDisk> taken = store->reserveNumber(ZipDisk(0, "NEW", 1), 1, "desk");
    ASSERT_FALSE(taken);
    EXPECT_NE(taken.reason().find("gives out no disk numbers"), std::string::npos);
}

} // namespace

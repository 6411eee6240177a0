#include "CatalogueFiles.h"

#include "support/FakeServices.h"
#include "support/PostgresServer.h"
#include "support/TempDir.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/PgCatalogueSchema.h"
#include "core/catalogue/PgConnection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A desk whose catalogue is on a server of its own, which the tests stop and start as a network or a
// server would fail. Its disk holds 100 folders of 20 files.
class SharedCatalogueTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = new PostgresServer(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }

    void SetUp() override {
        newCatalogue();
        for (int folder = 0; folder < 100; ++folder) {
            fs::create_directories(disk / std::to_string(folder));
            for (int file = 0; file < 20; ++file) {
                WriteBytes(disk / std::to_string(folder) / ("file" + std::to_string(file)), "0123456789");
            }
        }
        facts = ZipDisk(0, "SHELF", 0xD15C);
    }
    void TearDown() override { server->start(); } // for the next test, whatever this one left

    // A catalogue of its own for the desk, made with the team's last number 41.
    void newCatalogue() {
        static int made = 0;
        const std::string database = "desk_" + std::to_string(++made);
        server->createDatabase(database);
        location = server->connection(database);
        ASSERT_TRUE(InitPgCatalogue(*PgConnection::open(location).value(), 41));
    }
    std::unique_ptr<Catalogue> desk() const {
        return std::make_unique<Catalogue>((dir / "catalogue.sqlite").string(), nullptr, location,
                                           (dir / "labels-to-record").string());
    }
    std::unique_ptr<CatalogueStore> store() const { return CatalogueStore::open(location, {}).value(); }
    std::vector<std::string> messages(Catalogue& catalogue) const {
        std::vector<std::string> all;
        while (const auto message = catalogue.takeMessage()) {
            all.push_back(*message);
        }
        return all;
    }
    std::vector<int> numbers() const {
        std::vector<int> all;
        const std::vector<DiskRecord> disks = store()->disks().value();
        for (const DiskRecord& disk : disks) {
            all.push_back(disk.number);
        }
        return all;
    }

    static PostgresServer* server;
    TempDir dir;
    fs::path disk = dir / "disk";
    std::string location;
    DiskRecord facts;
};

PostgresServer* SharedCatalogueTest::server = nullptr;

bool Holds(const std::vector<std::string>& messages, const std::string& words) {
    return std::any_of(messages.begin(), messages.end(),
                       [&](const std::string& message) { return message.find(words) != std::string::npos; });
}

TEST_F(SharedCatalogueTest, ALabelTakesTheTeamsNextNumberAndItsDiskIsWalked) {
    const auto catalogue = desk();
    ASSERT_TRUE(catalogue->givesNumbers());
    const Result<NumberedDisk> taken = catalogue->takeNumber(facts);
    ASSERT_TRUE(taken) << taken.reason();
    EXPECT_EQ(taken->number, 42);
    EXPECT_TRUE(numbers().empty()) << "no disk until its label went out";
    catalogue->confirmLabel(*taken, facts, {disk.string(), {}});
    catalogue->waitForWalk();
    EXPECT_EQ(catalogue->lastNumber(), 42);
    EXPECT_EQ(numbers(), std::vector<int>{42});
    EXPECT_EQ(store()->search("file19")->total, 100U);
    EXPECT_TRUE(store()->disks()->front().complete);
    ASSERT_TRUE(catalogue->recognise(facts.identity()));
    EXPECT_EQ(catalogue->recognise(facts.identity())->number, 42);
    EXPECT_TRUE(messages(*catalogue).empty());

    // A print that failed gives its number to the next label.
    const Result<NumberedDisk> failed = catalogue->takeNumber(facts);
    catalogue->giveBack(*failed);
    EXPECT_EQ(catalogue->takeNumber(facts)->number, failed->number);
}

// The server goes before a label: no number is taken; a label printed with the desk's own number is owed
// and recorded at the next connection, with word of it, and the team's numbers go on after it.
TEST_F(SharedCatalogueTest, ALabelPrintedWhileTheServerIsAwayIsRecordedOnceItIsBack) {
    const auto catalogue = desk();
    server->stop();
    const Result<NumberedDisk> refused = catalogue->takeNumber(facts);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.reason().find("cannot be reached"), std::string::npos) << refused.reason();
    EXPECT_TRUE(Catalogue::Unreachable(refused.failure()));
    DiskRecord printed = facts;
    for (const int number : {42, 43}) {
        printed.number = number;
        catalogue->queueLabel(printed);
    }
    EXPECT_TRUE(messages(*catalogue).empty());

    server->start();
    const Result<NumberedDisk> next = catalogue->takeNumber(facts);
    ASSERT_TRUE(next) << next.reason();
    EXPECT_EQ(next->number, 44);
    const std::vector<std::string> told = messages(*catalogue);
    EXPECT_TRUE(Holds(told, "The labels printed while the shared disk catalogue could not be reached are now "
                            "recorded in it: disks #42 and #43.\r\n\r\nTo record their folders and files, "))
        << (told.empty() ? "" : told.front());
    EXPECT_FALSE(Holds(told, "same number"));
    EXPECT_EQ(numbers(), (std::vector<int>{42, 43}));
    EXPECT_FALSE(fs::exists(dir / "labels-to-record")) << "nothing owed any more";
    EXPECT_FALSE(store()->disks()->front().complete) << "its tree is left to be catalogued again";
}

// Another desk labelled meanwhile under the same number, or is printing that label now: the disks keep
// it, and the user hears of it.
TEST_F(SharedCatalogueTest, ANumberGivenTwiceWhileTheServerWasAwayIsTold) {
    for (const bool otherPrinted : {true, false}) {
        const std::string told = otherPrinted
                                     ? "has the same number as a disk labelled at another desk"
                                     : "has the same number as a label the desk desk-b is printing. If that "
                                       "label comes out";
        newCatalogue();
        const auto catalogue = desk();
        server->stop();
        DiskRecord printed = facts;
        printed.number = 42;
        catalogue->queueLabel(printed);
        server->start();
        const auto other = store();
        const Result<NumberedDisk> taken = other->reserveNumber(ZipDisk(0, "OTHER", 7), 1, "desk-b");
        ASSERT_TRUE(taken && taken->number == 42);
        if (otherPrinted) {
            ASSERT_TRUE(other->confirmNumber(taken->id));
        }
        ASSERT_TRUE(catalogue->takeNumber(facts));
        EXPECT_TRUE(Holds(messages(*catalogue), told)) << told;
        const std::vector<int> both = {42, 42};
        EXPECT_EQ(numbers(), otherPrinted ? both : std::vector<int>{42}) << told;
    }
}

// The server goes mid-print, after the number was taken: the label keeps its number, which is confirmed
// once the server is back; a print that failed meanwhile gives its number back then. No number is lost.
TEST_F(SharedCatalogueTest, AServerGoneMidPrintLosesNoNumber) {
    const auto catalogue = desk();
    const Result<NumberedDisk> printed = catalogue->takeNumber(facts);
    const Result<NumberedDisk> failed = catalogue->takeNumber(facts);
    ASSERT_TRUE(printed && failed);
    server->stop();
    catalogue->confirmLabel(*printed, facts, {disk.string(), {}});
    catalogue->giveBack(*failed);
    catalogue->waitForWalk();
    const std::vector<std::string> told = messages(*catalogue);
    EXPECT_TRUE(
        Holds(told, "The label was printed as disk #42, but the shared disk catalogue could not be told"))
        << (told.empty() ? "" : told.front());

    server->start();
    EXPECT_EQ(catalogue->takeNumber(facts)->number, 43) << "the number given back";
    EXPECT_EQ(numbers(), std::vector<int>{42});
    EXPECT_TRUE(store()->unconfirmedNumbers()->size() == 1) << "only the label being printed now";
}

// The server goes mid-walk: the walk ends saying so; the disk keeps its number, is marked incomplete, and
// is named for cataloguing again.
TEST_F(SharedCatalogueTest, AServerGoneMidWalkLeavesTheDiskToBeCataloguedAgain) {
    // Enough entries for the walk to be well under way when the server goes.
    for (int folder = 0; folder < 100; ++folder) {
        for (int file = 0; file < 300; ++file) {
            std::ofstream(disk / std::to_string(folder) / ("more" + std::to_string(file)));
        }
    }
    const auto catalogue = desk();
    const Result<NumberedDisk> taken = catalogue->takeNumber(facts);
    ASSERT_TRUE(taken);
    bool stopped = false;
    catalogue->setProgressListener([&] {
        if (!stopped && catalogue->progress().walking && catalogue->progress().percent > 0) {
            stopped = true;
            server->stop();
        }
    });
    catalogue->confirmLabel(*taken, facts, {disk.string(), {}});
    catalogue->waitForWalk();
    catalogue->setProgressListener({});
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(Holds(messages(*catalogue), "could not all be recorded"));
    server->start();
    EXPECT_EQ(numbers(), std::vector<int>{42});
    EXPECT_FALSE(store()->disks()->front().complete);
    const std::optional<std::string> unfinished = catalogue->unfinishedMessage();
    ASSERT_TRUE(unfinished);
    EXPECT_NE(unfinished->find("#42"), std::string::npos);
}

TEST_F(SharedCatalogueTest, NoNumberForALoginThatMayNotLabelAndNoQuestionAboutIt) {
    ASSERT_TRUE(PgConnection::open(location).value()->run(
        "DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'viewer') THEN CREATE ROLE viewer "
        "LOGIN IN ROLE " +
        std::string(SearchRole) + "; END IF; END $$"));
    location += " user=viewer";
    const Result<NumberedDisk> refused = desk()->takeNumber(facts);
    ASSERT_FALSE(refused);
    EXPECT_FALSE(Catalogue::Unreachable(refused.failure())) << refused.reason();
}

} // namespace

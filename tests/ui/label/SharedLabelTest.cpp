#include "support/LabelFixture.h"
#include "support/PostgresServer.h"
#include "support/SampleCatalogue.h"

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/PgCatalogueSchema.h"
#include "core/catalogue/PgConnection.h"
#include "core/settings/IniProfileStore.h"
#include "ui/label/ShowLabelWindow.h"

#include <cerrno>
#include <filesystem>
#include <string>

namespace {

// A desk whose catalogue is shared on a server, the team's last number being 99, while its own profile
// says 41.
class SharedLabelTest : public LabelFixture {
protected:
    void SetUp() override {
        LabelFixture::SetUp();
        static int made = 0;
        const std::string database = "labels_" + std::to_string(++made);
        PostgresServer::shared().createDatabase(database);
        server = PostgresServer::shared().connection(database);
        ASSERT_TRUE(InitPgCatalogue(*PgConnection::open(server).value(), 99));
        useServer(server);
    }
    void useServer(const std::string& location) {
        catalogue =
            std::make_shared<Catalogue>((dir / "data" / "catalogue.sqlite").string(), clock, location);
        services.catalogue = catalogue;
    }
    // Print Label, as the menu does, answering `answer` to a question.
    void printLabel(int answer) {
        messages->yesNo = answer;
        std::filesystem::remove(label);
        LoadSettings(services);
        ShowLabelWindow(services, nullptr, LabelAction::Print);
        catalogue->waitForWalk();
    }
    std::string lastMessage() const { return messages->shown.empty() ? "" : messages->shown.back().prompt; }
    std::vector<int> numbers() const {
        std::vector<int> all;
        const std::vector<DiskRecord> disks = CatalogueStore::open(server, {}).value()->disks().value();
        for (const DiskRecord& disk : disks) {
            all.push_back(disk.number);
        }
        return all;
    }

    std::string server;
    std::shared_ptr<Catalogue> catalogue;
    std::filesystem::path label = dir / "label.pdf";
    std::filesystem::path owed = dir / "data" / "labels-to-record";
};

// The label takes the team's next number, not the desk's; the desk's own follows the team's.
TEST_F(SharedLabelTest, ALabelTakesTheTeamsNumberAndTheProfileFollowsIt) {
    printLabel(AnswerYes);
    EXPECT_TRUE(messages->shown.empty()) << lastMessage();
    EXPECT_TRUE(std::filesystem::exists(label));
    EXPECT_EQ(numbers(), std::vector<int>{100});
    EXPECT_EQ(storedIndex(), "100");
    // Another desk labels meanwhile.
    const auto other = CatalogueStore::open(server, {}).value();
    ASSERT_TRUE(other->confirmNumber(other->reserveNumber(ZipDisk(0, "OTHER", 5), 1, "desk-b")->id));
    printLabel(AnswerNo); // a known disk, printed as a new one
    EXPECT_EQ(numbers(), (std::vector<int>{100, 101, 102}));
    EXPECT_EQ(storedIndex(), "102");
}

// The team's number went out and is recorded; the desk's own copy of it cannot be saved: the user hears
// that the shared catalogue numbers the next label, and when the desk's own number matters.
TEST_F(SharedLabelTest, ADesksOwnNumberThatCannotBeSavedIsToldAsTheSharedCatalogueNumbers) {
    services.profile = std::make_shared<IniProfileStore>(
        profileFile, [](WriteStep step) { return step == WriteStep::TemporaryWritten ? ENOSPC : 0; });
    printLabel(AnswerYes);
    EXPECT_EQ(numbers(), std::vector<int>{100});
    EXPECT_EQ(storedIndex(), "41");
    EXPECT_EQ(lastMessage().rfind("The label was printed and recorded in the shared disk catalogue, but this "
                                  "desk's own disk number 100 could not be saved",
                                  0),
              0U)
        << lastMessage();
    EXPECT_NE(lastMessage().find("Before you print a label while it cannot be reached"), std::string::npos);
}

// With the server away, Print asks first: No prints nothing and changes nothing; Yes prints with the
// desk's next number, which is owed to the catalogue and recorded there at the next label.
TEST_F(SharedLabelTest, WithTheServerAwayPrintAsksAndOwesTheLabel) {
    useServer("host=/nowhere/at/all dbname=catalogue");
    printLabel(AnswerNo);
    EXPECT_NE(lastMessage().find("The shared disk catalogue cannot be reached"), std::string::npos)
        << lastMessage();
    EXPECT_NE(lastMessage().find("this desk's next number, #42"), std::string::npos) << lastMessage();
    EXPECT_FALSE(std::filesystem::exists(label));
    EXPECT_EQ(storedIndex(), "41");
    EXPECT_FALSE(std::filesystem::exists(owed));

    printLabel(AnswerYes);
    EXPECT_TRUE(std::filesystem::exists(label));
    EXPECT_EQ(storedIndex(), "42");
    ASSERT_TRUE(std::filesystem::exists(owed));

    // The server is back: the owed label is recorded first, then the new one takes the team's next number.
    useServer(server);
    messages->shown.clear();
    printLabel(AnswerNo);
    EXPECT_NE(
        lastMessage().find("The label printed while the shared disk catalogue could not be reached is now "
                           "recorded in it: disk #42.\r\n\r\nTo record its folders and files, "),
        std::string::npos)
        << lastMessage();
    EXPECT_EQ(numbers(), (std::vector<int>{42, 100}));
    EXPECT_FALSE(std::filesystem::exists(owed));
}

TEST_F(SharedLabelTest, ALoginThatMayNotLabelIsToldSoAndNothingIsPrinted) {
    ASSERT_TRUE(PgConnection::open(server).value()->run(
        "DO $$ BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'reader') THEN CREATE ROLE reader "
        "LOGIN IN ROLE " +
        std::string(SearchRole) + "; END IF; END $$"));
    useServer(server + " user=reader");
    printLabel(AnswerYes);
    EXPECT_NE(lastMessage().find("gives this desk no disk number"), std::string::npos) << lastMessage();
    EXPECT_FALSE(std::filesystem::exists(label));
    EXPECT_EQ(storedIndex(), "41");
}

} // namespace

// The document's parameter memory commands against a simulated drive:
// Store, Reset and Restore, their questions, failures and SDO time-out.
#include "DocCommandsTest.h"

#include "canopen/CANopenNode.h"
#include "ui/MessageTexts.h"

namespace doctest {

TEST_F(DocCommandsTest, StoreResetAndRestoreAskFirst)
{
    ovro::CQVTDoc& doc = Connected();
    EditSpeed(doc, "2500");
    ASSERT_TRUE(doc.Download());

    // No: nothing is stored.
    ui_.answers = {false};
    EXPECT_FALSE(doc.Store());
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0], MessageText(63662));
    drives_[0]->control("powercycle");
    ASSERT_TRUE(doc.Upload());
    EXPECT_EQ(Speed(doc), "3000");

    // Yes: the application parameters survive a power cycle.
    EditSpeed(doc, "2500");
    ASSERT_TRUE(doc.Download());
    ui_.answers = {true};
    EXPECT_TRUE(doc.Store());
    EXPECT_EQ(master_.SdoTimeout(), kSdoTimeout);
    drives_[0]->control("powercycle");
    ASSERT_TRUE(doc.Upload());
    EXPECT_EQ(Speed(doc), "2500");

    // Reset: No leaves the name; Yes resets the drive, waits and uploads.
    doc.Device()->name = "My drive";
    doc.Device()->text = "text";
    EditSpeed(doc, "2000");
    ASSERT_TRUE(doc.Download());
    ui_.answers = {false};
    EXPECT_FALSE(doc.Reset());
    EXPECT_EQ(doc.Device()->name, "My drive");
    EXPECT_TRUE(sleeps_.empty());
    ui_.answers = {true};
    EXPECT_TRUE(doc.Reset());
    EXPECT_EQ(ui_.questions.back(), MessageText(63663));
    ASSERT_EQ(sleeps_.size(), 1u);
    EXPECT_EQ(sleeps_[0], std::chrono::milliseconds(2000));
    EXPECT_EQ(doc.Device()->name, "Ovro K315");
    EXPECT_EQ(doc.Device()->text, "");
    EXPECT_EQ(Speed(doc), "2500");

    // Restore: No keeps the values; Yes brings back the factory settings.
    ui_.answers = {false};
    EXPECT_FALSE(doc.Restore());
    EXPECT_EQ(ui_.questions.back(), MessageText(63664));
    ui_.answers = {true};
    EXPECT_TRUE(doc.Restore());
    EXPECT_EQ(sleeps_.size(), 2u);
    EXPECT_EQ(master_.SdoTimeout(), kSdoTimeout);
    EXPECT_EQ(Speed(doc), "3000");
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
}

TEST_F(DocCommandsTest, ARefusedStoreShowsTheAbortText)
{
    ovro::CQVTDoc& doc = Connected();
    drives_[0]->control("refuse store");
    ui_.answers = {true};
    EXPECT_FALSE(doc.Store());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_TRUE(Contains(ui_.messages[0].text, "ERROR:\tcan\xB4t store parameters of node #5!\n\n\t"))
        << ui_.messages[0].text;
    EXPECT_FALSE(Contains(ui_.messages[0].text, "Resistance is futile")) << ui_.messages[0].text;
    EXPECT_EQ(master_.SdoTimeout(), kSdoTimeout);
}

TEST_F(DocCommandsTest, TheLongSdoTimeoutIsBackBeforeAnyFailureMessage)
{
    ovro::CQVTDoc& doc = Connected();
    // While a message box is up the status poll reads on: with the timeout
    // of the commands it would stall on a drive that has gone.
    std::vector<std::uint16_t> timeoutWhileShown;
    ui_.onMessage = [&](const ScriptedUi::Message&) { timeoutWhileShown.push_back(master_.SdoTimeout()); };
    const struct {
        const char* name;
        const char* fault;
        bool (ovro::CQVTDoc::*command)();
        unsigned message;
    } rows[] = {
        {"restore refused at 0x1011", "abort 0x1011 1 0x08000020", &ovro::CQVTDoc::Restore, 63533},
        {"restore refused at 0x6060", "abort 0x6060 0 0x06090030", &ovro::CQVTDoc::Restore, 63533},
        {"store refused", "refuse store", &ovro::CQVTDoc::Store, 63529},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        drives_[0]->control("abort clear");
        drives_[0]->control(row.fault);
        ui_.messages.clear();
        timeoutWhileShown.clear();
        ui_.answers = {true};
        EXPECT_FALSE((doc.*row.command)());
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_EQ(ui_.messages[0].text.rfind(FormatMessage(row.message, 5, "").substr(0, 30), 0), 0u)
            << ui_.messages[0].text;
        ASSERT_EQ(timeoutWhileShown.size(), 1u);
        EXPECT_EQ(timeoutWhileShown[0], kSdoTimeout);
        EXPECT_EQ(master_.SdoTimeout(), kSdoTimeout);
    }
    drives_[0]->control("abort clear");
}

}  // namespace doctest

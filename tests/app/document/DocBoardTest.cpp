// The document's commands through the board-based master (library 100): the
// emulated board "Orvax Stick-U1 compact" runs the CANopen master in its
// firmware, against simulated drives on a private virtual bus.
#include "DocTestSupport.h"

#include "description/QVTDevice.h"
#include "document/NodeSearch.h"
#include "document/ParameterValue.h"
#include "ui/MessageTexts.h"

using namespace doctest;
using ovro::ConnectDeviceChoice;

namespace {

constexpr std::uint16_t kHeartbeat = 0x1017;

class DocBoardTest : public SimBusTest {
protected:
    DocBoardTest() { boardInterface_ = true; }

    ovro::CQVTDoc& Connected()
    {
        AddDrive({});
        ovro::CQVTDoc& doc = MakeDocument();
        chooser_.Push(ConnectDeviceChoice::Connect, 5, 7);
        EXPECT_TRUE(doc.OnNewDocument()) << (ui_.messages.empty() ? "" : ui_.messages.back().text);
        return doc;
    }

    ovro::CQVTParameter& Speed(ovro::CQVTDoc& doc) { return *doc.Device()->FindParameter(0x6410, 2); }
    void EditSpeed(ovro::CQVTDoc& doc, const std::string& text)
    {
        ASSERT_TRUE(ovro::CParameterValue::SetValueText(Speed(doc), text));
        Speed(doc).changed = true;
    }
    std::string SpeedText(ovro::CQVTDoc& doc) { return ovro::CParameterValue::GetValueText(Speed(doc), false); }
};

TEST_F(DocBoardTest, TheMasterIsTheBoard)
{
    EXPECT_NE(master_.BoardHandle(), 0);
    EXPECT_EQ(master_.BoardType(), kStick);
    std::string info;
    ASSERT_TRUE(master_.GetBoardInfo(info));
    EXPECT_EQ(info, "Orvax CANopen Master API, V3.02\n\nBoard=Orvax Stick-U1 compact, S/N=050F0011, HW=V1.05, "
                    "Firmware V4.20, ORX\\API, SW=V3.02");
}

TEST_F(DocBoardTest, ConnectUploadAndDownload)
{
    ovro::CQVTDoc& doc = Connected();
    EXPECT_TRUE(doc.IsOnline());
    EXPECT_EQ(doc.Model(), 2);
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    EXPECT_EQ(doc.Device()->nodeId, 5);
    EXPECT_EQ(doc.Device()->name, "Ovro K315");

    ovro::CQVTParameter* heartbeat = doc.Device()->FindParameter(kHeartbeat, 0);
    ASSERT_NE(heartbeat, nullptr);
    ASSERT_TRUE(ovro::CParameterValue::SetValueText(*heartbeat, "700"));
    heartbeat->changed = true;
    EXPECT_TRUE(doc.Download());
    EXPECT_EQ(ui_.progress.Joined(), "Producer heartbeat time...|OK!\r\n|+++ Finished: no error occurred!|");
    std::uint16_t value = 0;
    ASSERT_TRUE(doc.Node()->ReadU16(kHeartbeat, 0, value));
    EXPECT_EQ(value, 700);
    EXPECT_TRUE(doc.Upload());
    EXPECT_EQ(ovro::CParameterValue::GetValueText(*heartbeat, false), "700");
}

TEST_F(DocBoardTest, StoreResetAndRestore)
{
    ovro::CQVTDoc& doc = Connected();
    EditSpeed(doc, "2500");
    ASSERT_TRUE(doc.Download());
    ui_.answers = {true};
    EXPECT_TRUE(doc.Store()) << (ui_.messages.empty() ? "" : ui_.messages.back().text);
    EXPECT_EQ(master_.SdoTimeout(), kBoardSdoTimeout);
    drives_[0]->control("powercycle");
    ASSERT_TRUE(doc.Upload());
    EXPECT_EQ(SpeedText(doc), "2500") << "stored";

    EditSpeed(doc, "2000");
    ASSERT_TRUE(doc.Download());
    ui_.answers = {true};
    EXPECT_TRUE(doc.Reset()) << (ui_.messages.empty() ? "" : ui_.messages.back().text);
    EXPECT_EQ(SpeedText(doc), "2500") << "reset to the stored value";

    ui_.answers = {true};
    EXPECT_TRUE(doc.Restore()) << (ui_.messages.empty() ? "" : ui_.messages.back().text);
    EXPECT_EQ(SpeedText(doc), "3000") << "factory value";
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
}

TEST_F(DocBoardTest, TheNodeSettingsChangeByLmtMovesTheDrive)
{
    ovro::CQVTDoc& doc = Connected();
    ChangeNodeSettings(*doc.Device(), 9, 4);
    EXPECT_TRUE(doc.Download());
    EXPECT_EQ(ui_.progress.Joined(), "Changing Node-Id. and/or Baudrate...|OK!\r\n|+++ Finished: no error occurred!|");
    EXPECT_EQ(doc.NodeId(), 9);
    EXPECT_EQ(master_.BaudRate(), 4);
    EXPECT_EQ(views_.status.rfind("Connected: CAN,#9,125kBit/s", 0), 0u) << views_.status;
    EXPECT_TRUE(doc.Upload());
    EXPECT_EQ(drives_[0]->state("node-id"), "9");
    EXPECT_EQ(drives_[0]->state("bitrate"), "125");
}

TEST_F(DocBoardTest, TheNodeSearchFindsEveryDrive)
{
    AddK315AndH315();
    ScriptedSearchView view;
    view.pick = 1;
    ovro::CNodeSearch search(master_, commissioning_, ui_, view);
    ovro::CNodeSearch::Range range;
    range.first = 8;
    range.last = 1;
    range.baudRate = 7;
    std::uint8_t id = 127, baud = 7;
    EXPECT_EQ(search.Search(range, id, baud), ovro::CNodeSearch::Outcome::Chosen);
    ASSERT_EQ(search.Results().size(), 2u);
    EXPECT_EQ(search.Results()[0].deviceName, "Ovro H315");
    EXPECT_EQ(search.Results()[1].deviceName, "Ovro K315");
    EXPECT_EQ(id, 3);
}

TEST_F(DocBoardTest, TheStatusPollFillsTheActualValues)
{
    ovro::CQVTDoc& doc = Connected();
    const ovro::ActualValues& actual = doc.Device()->actual;
    for (int i = 0; i < ovro::CQVTDoc::kPollPauseAfterConnect + 36; ++i)
        doc.OnPollTimer();
    EXPECT_NE(actual.actualTemperature, 0);
    EXPECT_NE(actual.actualVoltage, 0u);
    EXPECT_TRUE(doc.PollState().errorHistoryValid);
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
}

TEST_F(DocBoardTest, ALostDriveShowsTheBoardsTimeOutText)
{
    ovro::CQVTDoc& doc = Connected();
    drives_[0]->control("silent");
    EXPECT_FALSE(doc.Upload());
    ASSERT_FALSE(ui_.messages.empty());
    // The board's own code 10, where the software master reports -50.
    EXPECT_TRUE(Contains(ui_.messages.back().text, "Timeout in CAN communication.")) << ui_.messages.back().text;
    drives_[0]->control("resume");
}

}  // namespace

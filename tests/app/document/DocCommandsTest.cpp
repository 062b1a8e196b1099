// The document's connection and transfer commands against a simulated
// drive on a private virtual bus.
#include "DocTestSupport.h"

#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"
#include "document/ParameterValue.h"
#include "ui/MessageTexts.h"

using namespace doctest;
using ovro::ConnectDeviceChoice;
using ovro::CQVTParameter;

namespace {

constexpr std::uint16_t kHeartbeat = 0x1017;  // "ProducerHeartbeatTime", Unsigned16, transferable
constexpr std::uint16_t kGuardTime = 0x100C;  // "GuardTime", Unsigned16, transferable

class DocCommandsTest : public SimBusTest {
protected:
    // A K315 at node 5, 20 kBit/s, connected and uploaded.
    ovro::CQVTDoc& Connected(const std::string& model = "K315")
    {
        DriveOptions options;
        options.model = model;
        AddDrive(options);
        ovro::CQVTDoc& doc = MakeDocument();
        chooser_.Push(ConnectDeviceChoice::Connect, 5, 7);
        EXPECT_TRUE(doc.OnNewDocument());
        return doc;
    }

    CQVTParameter& Param(ovro::CQVTDoc& doc, std::uint16_t index)
    {
        CQVTParameter* p = doc.Device()->FindParameter(index, 0);
        EXPECT_NE(p, nullptr);
        return *p;
    }

    void Edit(ovro::CQVTDoc& doc, std::uint16_t index, const std::string& text)
    {
        CQVTParameter& p = Param(doc, index);
        ASSERT_TRUE(ovro::CParameterValue::SetValueText(p, text));
        p.changed = true;
    }

    std::uint16_t DriveU16(ovro::CQVTDoc& doc, std::uint16_t index)
    {
        std::uint16_t value = 0xFFFF;
        EXPECT_TRUE(doc.Node()->ReadU16(index, 0, value));
        return value;
    }

    // "MaxMotorSpeed", 0x6410/02: an application parameter (factory 3000).
    CQVTParameter& SpeedParam(ovro::CQVTDoc& doc) { return *doc.Device()->FindParameter(0x6410, 2); }
    void EditSpeed(ovro::CQVTDoc& doc, const std::string& text)
    {
        ASSERT_TRUE(ovro::CParameterValue::SetValueText(SpeedParam(doc), text));
        SpeedParam(doc).changed = true;
    }
    std::string Speed(ovro::CQVTDoc& doc) { return ovro::CParameterValue::GetValueText(SpeedParam(doc), false); }
};

TEST_F(DocCommandsTest, ConnectReadsTheModelAndUploadsEveryParameter)
{
    ovro::CQVTDoc& doc = Connected();
    EXPECT_TRUE(doc.IsOnline());
    EXPECT_FALSE(doc.IsOffline());
    EXPECT_EQ(doc.Model(), 2);
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    ASSERT_EQ(chooser_.requests.size(), 1u);
    EXPECT_EQ(chooser_.requests[0].nodeId, 127);
    EXPECT_EQ(chooser_.requests[0].baudRate, 7);
    EXPECT_FALSE(chooser_.requests[0].offlineAllowed);
    EXPECT_FALSE(chooser_.requests[0].configurationAllowed);

    ovro::CQVTDevice& device = *doc.Device();
    EXPECT_EQ(device.nodeId, 5);
    EXPECT_FALSE(device.nodeIdChanged);
    EXPECT_EQ(device.CountParameters(true, true), 0);
    const std::string name = ovro::CParameterValue::GetValueText(*device.FindParameter(0x1008, 0), false);
    EXPECT_EQ(name, "Ovro K315");
    EXPECT_EQ(views_.path, device.name);
    EXPECT_EQ(views_.status.rfind("Connected: CAN,#5,20kBit/s,Ovro K315,", 0), 0u) << views_.status;
    EXPECT_EQ(doc.PollState().pollPause, ovro::CQVTDoc::kPollPauseAfterConnect);

    // Connect while online shows the drive's identity.
    doc.OnConnect();
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Info);
    EXPECT_TRUE(Contains(ui_.messages[0].text, "INFO:\tread from node #5:\n\n\tDevice=Ovro K315, S/N=1"))
        << ui_.messages[0].text;

    doc.OnDisconnect();
    EXPECT_FALSE(doc.IsOnline());
    EXPECT_TRUE(doc.IsOffline());
    EXPECT_EQ(master_.GetNode(5), nullptr);
    EXPECT_EQ(views_.status.rfind("Offline: CAN,#5,20kBit/s", 0), 0u) << views_.status;
    EXPECT_FALSE(doc.Upload());
    EXPECT_EQ(ui_.messages.back().text, FormatMessage(63514, 5));
}

TEST_F(DocCommandsTest, ConnectToAMissingDriveAbandonsTheDocumentAndLeavesNoNode)
{
    AddDrive({});
    ovro::CQVTDoc& doc = MakeDocument();
    chooser_.Push(ConnectDeviceChoice::Connect, 9, 7);
    EXPECT_FALSE(doc.OnNewDocument());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_TRUE(Contains(ui_.messages[0].text, "ERROR:\tcan\xB4t read device type of node #9!")) << ui_.messages[0].text;
    EXPECT_EQ(master_.GetNode(9), nullptr);

    chooser_.Push(ConnectDeviceChoice::Cancel);
    EXPECT_FALSE(doc.OnNewDocument());
    EXPECT_EQ(doc.Model(), 2);
    EXPECT_EQ(doc.NodeId(), 127);
}

TEST_F(DocCommandsTest, AnEditedValueIsDownloadedAndNothingElse)
{
    ovro::CQVTDoc& doc = Connected();
    EXPECT_FALSE(doc.Download());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, FormatMessage(63523, 5));
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(ui_.progress.windows, 0);

    Edit(doc, kHeartbeat, "500");
    views_.refreshes.clear();
    EXPECT_TRUE(doc.Download());
    EXPECT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(views_.refreshes.front(), ovro::IDocumentObserver::kCommitEdits);
    EXPECT_EQ(ui_.progress.range, 1);
    EXPECT_EQ(ui_.progress.Joined(), "Producer heartbeat time...|OK!\r\n|+++ Finished: no error occurred!|");
    EXPECT_TRUE(ui_.progress.finishedWith);
    EXPECT_EQ(views_.beeps, 1);
    EXPECT_EQ(views_.scopeClosed, 1);
    EXPECT_FALSE(Param(doc, kHeartbeat).changed);
    EXPECT_TRUE(doc.PollState().transferIdle);
    EXPECT_EQ(DriveU16(doc, kHeartbeat), 500);
}

TEST_F(DocCommandsTest, ARefusedParameterFailsTheDownloadAndStaysChanged)
{
    ovro::CQVTDoc& doc = Connected();
    drives_[0]->control("abort 0x1017 0 0x06090030");
    Edit(doc, kHeartbeat, "600");
    Edit(doc, kGuardTime, "100");
    EXPECT_FALSE(doc.Download());

    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, FormatMessage(63527, 5));
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
    const std::string log = ui_.progress.Joined();
    EXPECT_TRUE(Contains(log, "Producer heartbeat time...|ERROR!\r\n|+++ SDO-Transfer aborted (06090030h): "
                              "Value range of parameter exceeded (only for write access).\r\n|"))
        << log;
    EXPECT_TRUE(Contains(log, "Guard time...|OK!\r\n|")) << log;
    EXPECT_TRUE(Contains(log, "+++ Finished: error(s) occurred!")) << log;
    EXPECT_FALSE(ui_.progress.finishedWith);
    EXPECT_EQ(views_.beeps, 0);
    EXPECT_TRUE(Param(doc, kHeartbeat).changed);
    EXPECT_FALSE(Param(doc, kGuardTime).changed);
    EXPECT_EQ(doc.Device()->CountParameters(true, true), 1);

    // Another download finds the failed parameter again.
    drives_[0]->control("abort clear");
    EXPECT_TRUE(doc.Download());
    EXPECT_EQ(DriveU16(doc, kHeartbeat), 600);
}

TEST_F(DocCommandsTest, ARefusedWriteOfTheValueTheDriveHoldsCountsAsWritten)
{
    ovro::CQVTDoc& doc = Connected();
    // The description marks the device type transferable; the drive refuses
    // the write but holds the value already.
    CQVTParameter& type = Param(doc, 0x1000);
    type.accessible = 1;
    type.changed = true;
    EXPECT_TRUE(doc.Download());
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    EXPECT_TRUE(Contains(ui_.progress.Joined(), "Device type...|ERROR!\r\n|+++ SDO-Transfer aborted (06010002h): "
                                                "Attempt to write a read only object.\r\n|+++ Finished: no error"))
        << ui_.progress.Joined();
    EXPECT_FALSE(type.changed);
}

TEST_F(DocCommandsTest, ADownloadWithANewNodeIdAndBitRateMovesTheDrive)
{
    ovro::CQVTDoc& doc = Connected();
    ovro::CQVTDevice& device = *doc.Device();
    ChangeNodeSettings(device, 9, 4);
    EXPECT_TRUE(doc.Download());

    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, MessageText(63503));
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(ui_.progress.Joined(), "Changing Node-Id. and/or Baudrate...|OK!\r\n|+++ Finished: no error occurred!|");
    EXPECT_EQ(doc.NodeId(), 9);
    EXPECT_EQ(master_.BaudRate(), 4);
    EXPECT_FALSE(device.nodeIdChanged);
    EXPECT_FALSE(device.baudRateChanged);
    EXPECT_EQ(device.baudRate, 4);
    EXPECT_EQ(doc.Node(), master_.GetNode(9));
    EXPECT_EQ(master_.GetNode(5), nullptr);
    EXPECT_EQ(views_.status.rfind("Connected: CAN,#9,125kBit/s", 0), 0u) << views_.status;
    // The drive answers under its new settings (and has left LMT mode by then).
    EXPECT_TRUE(doc.Upload());
    EXPECT_EQ(drives_[0]->state("node-id"), "9");
    EXPECT_EQ(drives_[0]->state("bitrate"), "125");
}

TEST_F(DocCommandsTest, ASilentDriveFailsTheDownloadAtTheModelCheck)
{
    ovro::CQVTDoc& doc = Connected();
    doc.Device()->nodeId = 9;
    doc.Device()->nodeIdChanged = true;
    drives_[0]->control("silent");
    EXPECT_FALSE(doc.Download());
    ASSERT_FALSE(ui_.messages.empty());
    EXPECT_TRUE(Contains(ui_.messages.back().text, "can\xB4t download parameters into node #5!"))
        << ui_.messages.back().text;
    drives_[0]->control("resume");
}

TEST_F(DocCommandsTest, ADriveLostDuringTheNodeSettingsChangeLeavesTheDocumentOffline)
{
    ovro::CQVTDoc& doc = Connected();
    doc.Device()->nodeId = 9;
    doc.Device()->nodeIdChanged = true;
    // The drive goes quiet once the change has begun.
    SimProcess& drive = *drives_[0];
    ui_.progress.onText = [&drive](const std::string& text) {
        if (text == MessageText(63505))
            drive.control("silent");
    };
    EXPECT_FALSE(doc.Download());
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0].text, MessageText(63503));
    EXPECT_TRUE(Contains(ui_.messages[1].text, "ERROR:\tcan\xB4t configure node settings. Node #5 was lost!\n\n\t"))
        << ui_.messages[1].text;
    EXPECT_EQ(ui_.messages[1].icon, MessageIcon::Stop);
    EXPECT_EQ(ui_.progress.Joined(), "Changing Node-Id. and/or Baudrate...|ERROR!\r\n|");
    EXPECT_FALSE(doc.IsOnline());
    EXPECT_TRUE(doc.IsOffline());
    EXPECT_EQ(master_.GetNode(5), nullptr);
    EXPECT_EQ(master_.GetNode(9), nullptr);
    EXPECT_TRUE(doc.PollState().transferIdle);
    EXPECT_TRUE(doc.Device()->nodeIdChanged);
    EXPECT_EQ(views_.status.rfind("Offline: CAN,#5,", 0), 0u) << views_.status;
    // The poll does not touch the lost node.
    doc.OnPollTimer();
    drive.control("resume");
}

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

TEST_F(DocCommandsTest, CommandsThatEndWithoutAMessageSayInThePromptPaneWhatTheyDid)
{
    ovro::CQVTDoc& doc = Connected();
    const int total = doc.Device()->CountParameters(false, false);
    // The connect's upload already says how many parameters it read.
    ASSERT_FALSE(views_.prompts.empty());
    const int read = doc.LastUpload().read;
    EXPECT_GT(read, 0);
    EXPECT_LE(read, total);
    EXPECT_EQ(doc.LastUpload().total, total);
    EXPECT_EQ(views_.prompts.back(), FormatMessage(63700, read, total, 5));

    // One parameter refused: one fewer read.
    drives_[0]->control("abort 0x1017 0 0x06020000");
    views_.prompts.clear();
    ASSERT_TRUE(doc.Upload());
    ASSERT_EQ(views_.prompts.size(), 1u);
    EXPECT_EQ(views_.prompts[0], FormatMessage(63700, read - 1, total, 5));
    drives_[0]->control("abort clear");

    const struct {
        const char* name;
        bool (ovro::CQVTDoc::*command)();
        unsigned prompt;
    } rows[] = {
        {"store", &ovro::CQVTDoc::Store, 63701},
        {"reset", &ovro::CQVTDoc::Reset, 63702},
        {"restore", &ovro::CQVTDoc::Restore, 63703},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        views_.prompts.clear();
        ui_.answers = {true};
        ASSERT_TRUE((doc.*row.command)());
        ASSERT_FALSE(views_.prompts.empty());
        EXPECT_EQ(views_.prompts.back(), FormatMessage(row.prompt, 5, read, total));
    }
    // No message box was added for any of them.
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;

    // A refused command says nothing there.
    views_.prompts.clear();
    ui_.answers = {false};
    EXPECT_FALSE(doc.Store());
    EXPECT_TRUE(views_.prompts.empty());
}

TEST_F(DocCommandsTest, ADriveWithoutTheModelProbeIsRefusedAsIncompatible)
{
    ovro::CQVTDoc& doc = Connected();
    ASSERT_EQ(doc.Model(), 2);
    EditSpeed(doc, "2200");
    // 0x2100 no longer answers: the drive counts as an H315.
    drives_[0]->control("abort 0x2100 * 0x06020000");
    const struct {
        const char* name;
        bool (ovro::CQVTDoc::*command)();
        unsigned message;
    } rows[] = {
        {"upload", &ovro::CQVTDoc::Upload, 63535},
        {"download", &ovro::CQVTDoc::Download, 63524},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui_.messages.clear();
        EXPECT_FALSE((doc.*row.command)());
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_EQ(ui_.messages[0].text, FormatMessage(row.message, 5));
        EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
    }
    // Nothing was written: the speed is still the edit, still marked.
    drives_[0]->control("abort clear");
    EXPECT_TRUE(SpeedParam(doc).changed);
    std::uint16_t speed = 0;
    ASSERT_TRUE(doc.Node()->ReadU16(0x6410, 2, speed));
    EXPECT_NE(speed, 2200);
}

TEST_F(DocCommandsTest, TheModelBoundCommandsAndTheCloseQuestion)
{
    ovro::CQVTDoc& doc = Connected("H315");
    EXPECT_EQ(doc.Model(), 1);
    doc.OnOscilloscope();
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, FormatMessage(63504, 5));
    EXPECT_EQ(views_.scopeOpened, 0);

    ui_.answers = {false};
    EXPECT_FALSE(doc.CanCloseFrame());
    EXPECT_EQ(ui_.questions.back(), MessageText(63665));
    doc.OnCloseDocument();
    EXPECT_EQ(master_.GetNode(5), nullptr);
    EXPECT_EQ(commissioning_.GetCurrentDevice(), nullptr);
    EXPECT_EQ(views_.status, "<default>");
}

TEST_F(DocCommandsTest, TheFirmwareUpdateRunsTheDownloadWithTheChosenFile)
{
    ovro::CQVTDoc& doc = Connected();
    std::vector<std::string> calls;
    std::uint16_t timeoutDuringDownload = 0;
    const auto download = [&](const std::string& loader, const std::string& file, CCANopenNode& node) {
        calls.push_back(loader + "|" + file + "|" + std::to_string(node.NodeId()));
        timeoutDuringDownload = master_.SdoTimeout();
        return true;
    };
    std::string appFile = "OvroNeu.H86";

    // The file dialog cancelled: nothing happens.
    EXPECT_FALSE(doc.OnFirmwareUpdate(download, "/x/sll/sll.H86", appFile));
    ASSERT_EQ(ui_.fileRequests.size(), 1u);
    EXPECT_EQ(ui_.fileRequests[0].defaultName, "OvroNeu.H86");
    EXPECT_EQ(ui_.fileRequests[0].filter, "Intel-Hex Files (*.h86);;Intel-Hex Files (*.hex);;All Files (*.*)");
    EXPECT_TRUE(calls.empty());

    ui_.files = {"/fw/new.h86"};
    EXPECT_TRUE(doc.OnFirmwareUpdate(download, "/x/sll/sll.H86", appFile));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], "/x/sll/sll.H86|/fw/new.h86|5");
    EXPECT_EQ(timeoutDuringDownload, 3000);
    EXPECT_EQ(master_.SdoTimeout(), kSdoTimeout);
    EXPECT_EQ(appFile, "/fw/new.h86");
    ASSERT_EQ(sleeps_.size(), 1u);
    EXPECT_EQ(sleeps_[0], std::chrono::milliseconds(3000));
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;

    // A failed download keeps the old file name.
    ui_.files = {"/fw/bad.h86"};
    EXPECT_FALSE(doc.OnFirmwareUpdate([](const std::string&, const std::string&, CCANopenNode&) { return false; },
                                      "/x/sll/sll.H86", appFile));
    EXPECT_EQ(appFile, "/fw/new.h86");
}

TEST_F(DocCommandsTest, TheStatusPollRestsWhileTheFirmwareLoadersRun)
{
    ovro::CQVTDoc& doc = Connected();
    ovro::ActualValues& actual = doc.Device()->actual;
    doc.PollState().pollPause = 0;
    // The download's progress box and its failure message let the window
    // timer through; every tick meanwhile must leave the drive alone.
    constexpr std::int32_t kUntouched = 0x5A5A5A5A;
    int ticks = 0;
    ui_.onMessage = [&](const ScriptedUi::Message&) {
        for (int i = 0; i < 8; ++i, ++ticks)
            doc.OnPollTimer();
    };
    const auto download = [&](const std::string&, const std::string&, CCANopenNode&) {
        actual.actualPosition = kUntouched;
        actual.actualVelocity = kUntouched;
        for (int i = 0; i < 8; ++i, ++ticks)
            doc.OnPollTimer();
        ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation, "loader refused");
        return false;
    };
    std::string appFile = "OvroNeu.H86";
    ui_.files = {"/fw/new.h86"};
    EXPECT_FALSE(doc.OnFirmwareUpdate(download, "/x/sll/sll.H86", appFile));
    EXPECT_EQ(ticks, 16);
    EXPECT_EQ(actual.actualPosition, kUntouched);
    EXPECT_EQ(actual.actualVelocity, kUntouched);
    EXPECT_EQ(master_.SdoTimeout(), kSdoTimeout);

    // Afterwards the poll reads the drive again.
    ui_.onMessage = nullptr;
    doc.PollState().pollPause = 0;
    for (int i = 0; i < 4; ++i)
        doc.OnPollTimer();
    EXPECT_TRUE(doc.PollState().transferIdle);
    EXPECT_NE(actual.actualPosition, kUntouched);
}

TEST_F(DocCommandsTest, TheFirmwareUpdateIsForTheK315Only)
{
    ovro::CQVTDoc& doc = Connected("H315");
    std::string appFile = "OvroNeu.H86";
    EXPECT_FALSE(doc.OnFirmwareUpdate(nullptr, "loader", appFile));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, FormatMessage(63504, 5));
    EXPECT_TRUE(ui_.fileRequests.empty());
}

}  // namespace

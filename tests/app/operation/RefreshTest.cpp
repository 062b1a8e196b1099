// The refresh texts of the Motion Control and Device Status windows and of
// the limits windows: formulas, text forms, the offline texts, lamps,
// logbook and error list - and that a refresh sends nothing on the bus.
#include "OperationTestSupport.h"

#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"
#include "operation/LimitsReader.h"
#include "operation/MotionPage.h"
#include "operation/MotionViewModel.h"
#include "operation/StatusLampPages.h"
#include "operation/StatusViewModel.h"
#include "ui/MessageTexts.h"

using namespace optest;

namespace {

class RefreshTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        device = *Description().GetDevice(2);
        doc.device = &device;
    }

    ovro::CQVTDevice device;
    FakeDriveDocument doc;
};

TEST_F(RefreshTest, MotionViewShowsTheActualValuesWithTheMotorData)
{
    SetParameter(device, 0x6410, 0x03, 1800); // rated current, mA
    SetParameter(device, 0x6410, 0x04, 3200); // torque constant
    SetParameter(device, 0x6410, 0x05, 1);    // gear numerator
    SetParameter(device, 0x6410, 0x06, 5);    // gear denominator
    SetParameter(device, 0x6410, 0x08, 900);  // gear efficiency
    SetParameter(device, 0x6410, 0x0B, 50);   // pole pairs
    ovro::ActualValues& a = device.actual;
    a.actualPosition = -12345;
    a.actualVelocity = 3000;
    a.actualCurrent = 500;
    a.actualTemperature = -5;
    a.actualVoltage = 24199;
    a.statusRegister = 1u << 24;
    a.statusword = 0x0237;
    a.errorCode = 0;
    const std::optional<ovro::MotionViewTexts> t = ovro::CMotionViewModel::Refresh(doc);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->position, "-12345");
    EXPECT_EQ(t->velocity, "3000");
    // 3000 x 1 x 60 / (50 x 5 x 6) = 120 1/min
    EXPECT_EQ(t->shaftSpeed, std::optional<std::string>("120"));
    EXPECT_EQ(t->referencedBit, "1");
    EXPECT_EQ(t->referenced, "Yes");
    EXPECT_EQ(t->temperature, "-5");
    EXPECT_EQ(t->current, "0.90"); // 500 x 1800 x 1e-6 A
    // 500 x 5 x 3200 x 900 x 1800 / (1 x 1e12) x 0.01 = 0.1296 Nm
    EXPECT_EQ(t->torque, std::optional<std::string>("0.13"));
    EXPECT_EQ(t->voltage, "24.1") << "whole tenths of a volt";
    EXPECT_EQ(t->status.statusword, "0237h");
    EXPECT_EQ(t->status.state, "Operation Enabled");
    EXPECT_EQ(t->status.errorCode, "0000h");
    EXPECT_EQ(t->status.errorText, "Error reset or no error");
    EXPECT_FALSE(t->status.resetFault);
}

TEST_F(RefreshTest, SpeedAndTorqueAreNotComputedWithoutTheirMotorData)
{
    SetParameter(device, 0x6410, 0x0B, 0);
    device.actual.actualVelocity = 1000;
    device.actual.statusRegister = 0;
    std::optional<ovro::MotionViewTexts> t = ovro::CMotionViewModel::Refresh(doc);
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->shaftSpeed) << "no pole pairs: the field keeps its text";
    EXPECT_EQ(t->referenced, "No");
    EXPECT_EQ(t->referencedBit, "0");

    SetParameter(device, 0x6410, 0x0B, 50);
    SetParameter(device, 0x6410, 0x06, 0);
    EXPECT_FALSE(ovro::CMotionViewModel::Refresh(doc)->shaftSpeed) << "no gear denominator";
    SetParameter(device, 0x6410, 0x05, 0);
    EXPECT_FALSE(ovro::CMotionViewModel::Refresh(doc)->torque) << "no gear numerator";
}

TEST_F(RefreshTest, OutputShaftSpeedOfAGearedMotorDoesNotOverflow)
{
    // 50000 x 60000 x 60 exceeds 32 bits by far; the speed itself does not.
    SetParameter(device, 0x6410, 0x05, 60000);
    SetParameter(device, 0x6410, 0x06, 1000);
    SetParameter(device, 0x6410, 0x0B, 50);
    device.actual.actualVelocity = -50000;
    EXPECT_EQ(ovro::CMotionViewModel::Refresh(doc)->shaftSpeed, std::optional<std::string>("-600000"));
}

TEST_F(RefreshTest, NothingIsShownUntilTheDocumentIsReady)
{
    doc.ready = false;
    EXPECT_FALSE(ovro::CMotionViewModel::Refresh(doc));
    EXPECT_FALSE(ovro::CStatusViewModel::Refresh(doc));
    doc.ready = true;
    doc.device = nullptr;
    EXPECT_FALSE(ovro::CMotionViewModel::Refresh(doc));
    EXPECT_FALSE(ovro::CStatusViewModel::Refresh(doc));
}

TEST_F(RefreshTest, DriveStatusTakesTheOfflineTextsWhileThePollFails)
{
    device.actual.statusword = 0x0008;
    device.actual.errorCode = 0x2310;
    CCANopenNode node;
    const struct {
        const char* name;
        bool pollFailed;
        bool offline;
        CCANopenNode* node;
        const char* statusword;
        const char* state;
        const char* errorCode;
        const char* errorText;
        bool resetFault;
    } rows[] = {
        {"poll fine", false, false, &node, "0008h", "Fault", "2310h", "Continuous motor current exceeded", true},
        {"offline", true, true, nullptr, "0008h", "Fault", "2310h", "Continuous motor current exceeded", true},
        {"poll failed, node", true, false, &node, "0", "Offline!", "0", "text of 0", false},
        {"poll failed, no node", true, false, nullptr, "0", "Offline!", "0", "No device connected.", false},
    };
    for (const auto& row : rows) {
        doc.pollFailed = row.pollFailed;
        doc.offline = row.offline;
        doc.node = row.node;
        for (int window = 0; window < 2; ++window) {
            const ovro::DriveStatusText s = window == 0 ? ovro::CMotionViewModel::Refresh(doc)->status
                                                        : ovro::CStatusViewModel::Refresh(doc)->status;
            EXPECT_EQ(s.statusword, row.statusword) << row.name;
            EXPECT_EQ(s.state, row.state) << row.name;
            EXPECT_EQ(s.errorCode, row.errorCode) << row.name;
            EXPECT_EQ(s.errorText, row.errorText) << row.name;
            EXPECT_EQ(s.resetFault, row.resetFault) << row.name;
        }
    }
}

TEST_F(RefreshTest, FaultBitOrMalfunctionBitEnablesResetFault)
{
    const struct {
        const char* name;
        std::uint16_t statusword;
        std::uint32_t statusRegister;
        const char* state;
        bool resetFault;
    } rows[] = {
        {"statusword 0x0008", 0x0008, 0, "Fault", true},
        {"only bit 31 of the register", 0x0237, 0x80000000u, "Operation Enabled", true},
        {"neither", 0x0250, 0x7FFFFFFFu, "Switch On Disabled", false},
    };
    for (const auto& row : rows) {
        device.actual.statusword = row.statusword;
        device.actual.statusRegister = row.statusRegister;
        const ovro::StatusViewTexts t = *ovro::CStatusViewModel::Refresh(doc);
        EXPECT_EQ(t.status.state, row.state) << row.name;
        EXPECT_EQ(t.status.resetFault, row.resetFault) << row.name;
        EXPECT_EQ(ovro::CMotionViewModel::Refresh(doc)->status.resetFault, row.resetFault) << row.name;
    }
    // The lamps: bit 3 of the statusword page, bit 31 on "Statusregister...".
    device.actual.statusword = 0x0008;
    device.actual.statusRegister = 0x80000000u;
    EXPECT_EQ(ovro::CStatusLampPages::Page(0).Bits(device.actual), 0x0008);
    EXPECT_EQ(ovro::CStatusLampPages::Page(1).Bits(device.actual), 0x8000);
    EXPECT_EQ(ovro::CStatusLampPages::Page(2).Bits(device.actual), 0x0000);
    EXPECT_STREQ(ovro::CStatusLampPages::Page(1).title, "Statusregister...");
    EXPECT_STREQ(ovro::CStatusLampPages::Page(1).bitTexts[0], "Bit 31: Malfunction/error");
    EXPECT_STREQ(ovro::CStatusLampPages::Page(0).bitTexts[12], "Bit 3: Fault");
}

TEST_F(RefreshTest, LampPagesShowTheirHalvesOfEachValue)
{
    device.actual.statusword = 0x1234;
    device.actual.statusRegister = 0xABCD5678u;
    device.actual.digitalInputs = 0x00020005u; // MAN-P, REF, LIM-N
    const std::uint16_t expected[] = {0x1234, 0xABCD, 0x5678, 0x0002, 0x0005};
    const char* const titles[] = {"Statusword", "Statusregister...", "...Statusregister", "Digital Inputs...",
                                  "...Digital Inputs"};
    for (int i = 0; i < ovro::CStatusLampPages::kCount; ++i) {
        const ovro::LampPage& page = ovro::CStatusLampPages::Page(i);
        EXPECT_EQ(page.Bits(device.actual), expected[i]) << titles[i];
        EXPECT_STREQ(page.title, titles[i]);
        // Each text names its bit, highest first.
        const int top = i == 1 || i == 3 ? 31 : 15;
        for (int lamp = 0; lamp < 16; ++lamp)
            EXPECT_EQ(std::string(page.bitTexts[static_cast<std::size_t>(lamp)])
                          .rfind("Bit " + std::to_string(top - lamp) + ": ", 0),
                      0u)
                << titles[i] << " lamp " << lamp;
    }
    EXPECT_STREQ(ovro::CStatusLampPages::Page(3).bitTexts[14], "Bit 17: Input signal MAN-P (Standard interface)");
    EXPECT_STREQ(ovro::CStatusLampPages::Page(4).bitTexts[15], "Bit 0: Limit switch LIM-N (Sensor interface)");
}

TEST_F(RefreshTest, LogbookShowsSecondsAndDurations)
{
    const struct {
        std::uint32_t seconds;
        const char* duration;
    } rows[] = {
        {0, "T#0d0h0m0s"},
        {59, "T#0d0h0m59s"},
        {90061, "T#1d1h1m1s"},
        {86399, "T#0d23h59m59s"},
        {4294967295u, "T#49710d6h28m15s"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ovro::CStatusViewModel::Duration(row.seconds), row.duration) << row.seconds;
    device.actual.powerOnTime = 90061;
    device.actual.turnOnTime = 3600;
    device.actual.positionings = 42;
    const ovro::LogbookTexts t = ovro::CStatusViewModel::Logbook(device.actual);
    EXPECT_EQ(t.powerOnSeconds, "90061");
    EXPECT_EQ(t.powerOnTime, "T#1d1h1m1s");
    EXPECT_EQ(t.turnOnSeconds, "3600");
    EXPECT_EQ(t.turnOnTime, "T#0d1h0m0s");
    EXPECT_EQ(t.positionings, "42");
}

TEST_F(RefreshTest, ErrorListRewritesOnlyChangedRowsAndEmptiesARowGoneToZero)
{
    ovro::CStatusViewModel model;
    device.actual.errorList[0].SetCode(0x2310);
    device.actual.errorList[1].SetCode(0x4210);
    doc.historyValid = false;
    EXPECT_TRUE(model.ErrorRows(doc).empty()) << "not while the poll reads the history";
    doc.historyValid = true;
    std::vector<ovro::ErrorListRow> rows = model.ErrorRows(doc);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].row, 1);
    EXPECT_EQ(rows[0].emergency, "2310h");
    EXPECT_EQ(rows[0].meaning, "Continuous motor current exceeded");
    EXPECT_EQ(rows[1].row, 2);
    EXPECT_EQ(rows[1].meaning, "Power amplifier excess temperature");
    EXPECT_TRUE(model.ErrorRows(doc).empty()) << "nothing changed";

    device.actual.errorList[1].SetCode(0);
    device.actual.errorList[4].SetCode(0x1234);
    rows = model.ErrorRows(doc);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].row, 2);
    EXPECT_EQ(rows[0].emergency, "");
    EXPECT_EQ(rows[0].meaning, "") << "a code gone to 0 empties its row";
    EXPECT_EQ(rows[1].row, 5);
    EXPECT_EQ(rows[1].meaning, "Unknown emergency code.");
}

TEST_F(RefreshTest, StatusViewCaptionNamesTheMode)
{
    const ovro::StatusViewTexts initial = ovro::CStatusViewModel::Initial();
    EXPECT_EQ(initial.modeCaption, "Mode of Operation");
    EXPECT_EQ(initial.status.state, "Offline!");
    EXPECT_EQ(initial.status.errorText, "No device connected.");
    EXPECT_EQ(initial.position, "0");
    device.actual.actualMode = 6;
    EXPECT_EQ(ovro::CStatusViewModel::Refresh(doc)->modeCaption, "Homing Mode");
    device.actual.actualMode = 42;
    EXPECT_EQ(ovro::CStatusViewModel::Refresh(doc)->modeCaption, "Unknown mode of operation");
}

TEST(CurrentTextTest, MaxCurrentFieldGivesAmperesOfTheRatedCurrent)
{
    ovro::CQVTDevice device = *Description().GetDevice(2);
    SetParameter(device, 0x6410, 0x03, 1800);
    const struct {
        const char* field;
        std::optional<std::string> text;
    } rows[] = {
        {"1000", "1.80 A"}, {" 500 ", "0.90 A"}, {"0", "0.00 A"}, {"", std::nullopt},
        {"12a", std::nullopt}, {"-5", std::nullopt}, {"70000", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ovro::CMotionPage::CurrentText(&device, row.field), row.text) << "'" << row.field << "'";
    EXPECT_EQ(ovro::CMotionPage::CurrentText(nullptr, "1000"), std::optional<std::string>("0.00 A"));
}

TEST(FieldNumberTest, FieldsTakeDecimalNumbersInTheirRange)
{
    EXPECT_EQ(ovro::CMotionPage::FieldNumber("-2147483648", INT32_MIN, INT32_MAX), INT32_MIN);
    EXPECT_EQ(ovro::CMotionPage::FieldNumber("+17", 0, 100), 17);
    EXPECT_FALSE(ovro::CMotionPage::FieldNumber("2147483648", INT32_MIN, INT32_MAX));
    EXPECT_FALSE(ovro::CMotionPage::FieldNumber("0x10", 0, 100));
    EXPECT_FALSE(ovro::CMotionPage::FieldNumber("-", 0, 100));
    EXPECT_FALSE(ovro::CMotionPage::FieldNumber("99999999999999999999", 0, 100));
    EXPECT_EQ(ovro::CMotionPage::RangePrompt(0, 65535), "Please enter an integer between 0 and 65535.");
}

TEST(LimitsPlacementTest, LimitsWindowsStackBesideTheFramesRightEdge)
{
    const ovro::WindowRect frame{100, 50, 1000, 700};
    const ovro::WindowRect first = ovro::CLimitsReader::Place(frame, 200, 120, false);
    EXPECT_EQ(first.x, 100 + 1000 - 10 - 200);
    EXPECT_EQ(first.y, 50 + 120 - 30);
    const ovro::WindowRect second = ovro::CLimitsReader::Place(frame, 200, 120, true);
    EXPECT_EQ(second.x, first.x);
    EXPECT_EQ(second.y, 50 + 2 * 120 - 25);
}

TEST(LimitsTextTest, WithoutANodeEveryValueIsUnreadable)
{
    const ovro::MotionProfileLimitsTexts m = ovro::CLimitsReader::ReadMotionProfileLimits(nullptr);
    EXPECT_EQ(m.maxVelocity, "????");
    EXPECT_EQ(m.ratedCurrent, "????");
    const ovro::SoftwarePositionLimitsTexts s = ovro::CLimitsReader::ReadSoftwarePositionLimits(nullptr);
    EXPECT_EQ(s.positionLower, "-??????????");
    EXPECT_EQ(s.positionUpper, "+??????????");
    EXPECT_EQ(s.safetyUpper, "+??????????");
}

class RefreshSimTest : public OperationSimTest {};

TEST_F(RefreshSimTest, RefreshesReadOnlyTheRecordAndSendNothing)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    Control("fault 0x2310");
    PollCycle();
    ovro::CStatusViewModel status;
    monitor_->clear();
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(ovro::CMotionViewModel::Refresh(*drive_));
        ASSERT_TRUE(ovro::CStatusViewModel::Refresh(*drive_));
        status.ErrorRows(*drive_);
        ovro::CStatusViewModel::Logbook(doc_->Device()->actual);
    }
    EXPECT_TRUE(monitor_->frames().empty()) << monitor_->frames().size() << " frames";
    EXPECT_EQ(ovro::CStatusViewModel::Refresh(*drive_)->status.state, "Fault");
    EXPECT_EQ(status.ShownCodes()[0], 0x2310);
}

TEST_F(RefreshSimTest, AClearedHistoryEmptiesTheRowsAfterTheNextPoll)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    Control("fault 0x2310");
    PollCycle();
    ovro::CStatusViewModel status;
    ASSERT_EQ(status.ErrorRows(*drive_).size(), 1u);
    ASSERT_TRUE(doc_->Node()->ClearErrorHistory()); // "Clear List"
    PollCycle();
    const std::vector<ovro::ErrorListRow> rows = status.ErrorRows(*drive_);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].row, 1);
    EXPECT_EQ(rows[0].emergency, "");
}

TEST_F(RefreshSimTest, LimitsWindowsReadTheDrivesLimits)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    Control("abort 0x2008 2 0x06020000");
    monitor_->clear();
    const ovro::MotionProfileLimitsTexts m = ovro::CLimitsReader::ReadMotionProfileLimits(doc_->Node());
    EXPECT_EQ(monitor_->sdoRequests(kNode), (std::vector<Request>{R(0x607F), R(0x60C5), R(0x60C6), R(0x6075)}));
    EXPECT_EQ(m.maxVelocity, std::to_string(ReadDrive(0x607F)));
    EXPECT_EQ(m.maxAcceleration, std::to_string(ReadDrive(0x60C5)));
    EXPECT_EQ(m.ratedCurrent, StringPrintf("%.2f", ReadDrive(0x6075) * 0.001));
    const ovro::SoftwarePositionLimitsTexts s = ovro::CLimitsReader::ReadSoftwarePositionLimits(doc_->Node());
    EXPECT_EQ(s.positionLower, StringPrintf("%+li", static_cast<long>(static_cast<std::int32_t>(ReadDrive(0x607D, 1)))));
    EXPECT_EQ(s.positionUpper.front(), '+');
    EXPECT_EQ(s.driveLower.front(), '-');
    EXPECT_NE(s.safetyLower, "-??????????");
    EXPECT_EQ(s.safetyUpper, "+??????????") << "unreadable";
}

} // namespace

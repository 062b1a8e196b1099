#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "description/QVTDataType.h"
#include "document/CommissioningFile.h"
#include "document/ParameterValue.h"
#include "FileText.h"

using namespace ovro;
namespace fs = std::filesystem;

using ovro::test::ReadFile;
using ovro::test::WriteFile;

namespace {

CQVTParameter& Add(CQVTSection& s, const char* key, int type, int accessible)
{
    s.parameters.emplace_back(key);
    s.parameters.back().dataType = type;
    s.parameters.back().accessible = static_cast<std::uint8_t>(accessible);
    return s.parameters.back();
}

// A small description of both models.
void Describe(CCommissioning& c)
{
    for (int model : {1, 2}) {
        CQVTDevice& d = *c.GetDevice(model);
        d.model = model;
        d.typeName = CCommissioning::ModelName(model);
        d.sections.emplace_back("Identification");
        Add(d.sections[0], "DeviceName", QvtVisibleString, 0);
        Add(d.sections[0], "SoftwareVersion", QvtVisibleString, 0);
        d.sections.emplace_back("Motion");
        Add(d.sections[1], "Mode", QvtInteger8, 1);
        Add(d.sections[1], "Velocity", QvtUnsigned32, 1);
        Add(d.sections[1], "Current", QvtUnsigned16, 0);
        Add(d.sections[1], "Stamp", QvtOctetString, 1);
    }
}

class CommissioningFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/ovro-commissioning-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        Describe(m_c);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const char* name) const { return m_dir + "/" + name; }

    CQVTDevice& FillK315()
    {
        CQVTDevice& d = *m_c.SelectDevice(2);
        d.name = "Axis 1";
        d.text = "conveyor";
        d.date = "08.12.2026";
        d.nodeId = 5;
        d.baudRate = 4;
        CParameterValue::SetValueText(d.sections[0].parameters[0], "K315 drive");
        CParameterValue::SetValueText(d.sections[0].parameters[1], "v1.004");
        CParameterValue::SetValueText(d.sections[1].parameters[0], "-3");
        CParameterValue::SetValueText(d.sections[1].parameters[1], "4294967295");
        CParameterValue::SetValueText(d.sections[1].parameters[2], "1200");
        d.motion.position.readFromDrive = false;
        d.motion.position.targetPosition = -100000;
        d.motion.position.relative = 1;
        d.motion.position.profileVelocity = 4000000000u;
        d.motion.position.acceleration = 10;
        d.motion.position.deceleration = 20;
        d.motion.position.maxCurrent = 65535;
        d.motion.position.userProfile = 1;
        d.motion.position.profileNumber = 10;
        d.motion.velocity.readFromDrive = false;
        d.motion.velocity.targetVelocity = -500;
        d.motion.velocity.maxCurrent = 800;
        d.motion.homing.readFromDrive = false;
        d.motion.homing.homingMethod = -1;
        d.motion.homing.assignPosition = -2147483647 - 1;
        d.motion.manual.readFromDrive = false;
        d.motion.manual.simulatedMode = 0;
        d.scopeProfile.readFromDrive = false;
        d.scopeProfile.profileVelocity = 1000;
        d.scopeProfile.maxCurrent = 300;
        d.actual.statusRegister = 0x80000001u;
        d.actual.errorCode = 0x8130;
        d.actual.statusword = 0x0637;
        d.actual.actualPosition = -12345;
        d.actual.actualVelocity = 77;
        d.actual.actualCurrent = -250;
        d.actual.actualVoltage = 24000;
        d.actual.actualTemperature = -5;
        d.actual.digitalInputs = 0xABCDEFu;
        d.actual.actualMode = -3;
        d.actual.errorList[0].SetCode(0x2310);
        d.actual.errorList[4].SetCode(0xFFFF);
        d.actual.powerOnTime = 1;
        d.actual.turnOnTime = 2;
        d.actual.positionings = 3;
        d.actual.recording = 1;
        return d;
    }

    std::string m_dir;
    CCommissioning m_c;
};

}  // namespace

TEST_F(CommissioningFileTest, WrittenTextFollowsTheFormat)
{
    CQVTDevice& d = FillK315();
    d.motion.velocity.readFromDrive = true;
    const std::string text = CCommissioningFile::Format(d, true);
    EXPECT_EQ(text.rfind("[Commissioning]\r\nType=Ovro K315\r\nName=Axis 1\r\nText=conveyor\r\n"
                         "Date=08.12.2026\r\n\r\n[NodeSettings]\r\nNodeId=5\r\nBaudrate=125\r\n\r\n"
                         "[Identification]\r\nDeviceName=K315 drive\r\nSoftwareVersion=v1.004\r\n\r\n"
                         "[Motion]\r\nMode=-3\r\nVelocity=4294967295\r\nCurrent=1200\r\nStamp= 0x00",
                         0),
              0u);
    EXPECT_NE(text.find("\r\n\r\n[PositionMode]\r\nTargetPosition=-100000\r\nRelativePosition=1\r\n"
                        "ProfileVelocity=4000000000\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("[VelocityMode]"), std::string::npos);  // still read from the drive
    EXPECT_NE(text.find("[HomingMode]\r\nHomingMethod=-1\r\nAssignPosition=-2147483648\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("[DeviceStatus]\r\nStatusRegister=0x80000001\r\nErrorCode=0x8130\r\n"
                        "Statusword=0x0637\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("DigitalInputs=0xABCDEF\r\nActualMode=-3\r\nErrorList1=0x2310\r\n"
                        "ErrorList2=0x0000\r\n"),
              std::string::npos);
    // The oscilloscope section ends the text without a blank line.
    const std::string tail = "[Oscilloscope]\r\nProfileVelocity=1000\r\nProfileAcceleration=0\r\n"
                             "ProfileDeceleration=0\r\nMaxCurrent=300\r\n";
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);

    // Not everything: only transferable parameters, only sections that have some.
    const std::string some = CCommissioningFile::Format(d, false);
    EXPECT_EQ(some.find("[Identification]"), std::string::npos);
    EXPECT_EQ(some.find("Current=1200"), std::string::npos);
    EXPECT_NE(some.find("[Motion]\r\nMode=-3\r\nVelocity=4294967295\r\nStamp="), std::string::npos);

    d.actual.recording = -1;
    EXPECT_NE(CCommissioningFile::Format(d, true).find("Recording=4294967295\r\n"), std::string::npos);
}

TEST_F(CommissioningFileTest, WriteAndReadBackEqual)
{
    const CQVTDevice& written = FillK315();
    const std::string path = Path("axis.31x");
    ASSERT_TRUE(CCommissioningFile::Write(m_c, path, true));
    const std::string text = ReadFile(path);
    const CQVTDevice original = written;

    m_c.ResetDevice();
    ASSERT_TRUE(CCommissioningFile::Read(m_c, path, 0, true));
    ASSERT_EQ(m_c.GetCurrentDevice(), &m_c.deviceK315);
    const CQVTDevice& d = m_c.deviceK315;
    EXPECT_EQ(d.name, original.name);
    EXPECT_EQ(d.text, original.text);
    EXPECT_EQ(d.date, original.date);
    EXPECT_EQ(d.nodeId, 5);
    EXPECT_TRUE(d.nodeIdChanged);
    EXPECT_EQ(d.baudRate, 4);
    EXPECT_TRUE(d.baudRateChanged);
    for (std::size_t s = 0; s < d.sections.size(); ++s) {
        for (std::size_t i = 0; i < d.sections[s].parameters.size(); ++i) {
            const CQVTParameter& p = d.sections[s].parameters[i];
            // Octet Strings too come back through their text form.
            EXPECT_EQ(p.value, original.sections[s].parameters[i].value) << p.key;
            EXPECT_TRUE(p.changed) << p.key;
        }
    }
    const MotionMemory& m = d.motion;
    const MotionMemory& o = original.motion;
    EXPECT_EQ(m.position.targetPosition, o.position.targetPosition);
    EXPECT_EQ(m.position.relative, o.position.relative);
    EXPECT_EQ(m.position.profileVelocity, o.position.profileVelocity);
    EXPECT_EQ(m.position.acceleration, o.position.acceleration);
    EXPECT_EQ(m.position.deceleration, o.position.deceleration);
    EXPECT_EQ(m.position.maxCurrent, o.position.maxCurrent);
    EXPECT_EQ(m.position.userProfile, o.position.userProfile);
    EXPECT_EQ(m.position.profileNumber, o.position.profileNumber);
    EXPECT_EQ(m.velocity.targetVelocity, o.velocity.targetVelocity);
    EXPECT_EQ(m.velocity.maxCurrent, o.velocity.maxCurrent);
    EXPECT_EQ(m.homing.homingMethod, -1);
    EXPECT_EQ(m.homing.assignPosition, o.homing.assignPosition);
    EXPECT_EQ(m.manual.simulatedMode, 0);
    // Reading leaves the read-from-drive flags alone (reset: set).
    EXPECT_TRUE(m.position.readFromDrive);
    EXPECT_TRUE(d.scopeProfile.readFromDrive);
    EXPECT_EQ(d.scopeProfile.profileVelocity, 1000u);
    EXPECT_EQ(d.scopeProfile.maxCurrent, 300);
    const ActualValues& a = d.actual;
    const ActualValues& b = original.actual;
    EXPECT_EQ(a.statusRegister, b.statusRegister);
    EXPECT_EQ(a.errorCode, b.errorCode);
    EXPECT_EQ(a.statusword, b.statusword);
    EXPECT_EQ(a.actualPosition, b.actualPosition);
    EXPECT_EQ(a.actualVelocity, b.actualVelocity);
    EXPECT_EQ(a.actualCurrent, b.actualCurrent);
    EXPECT_EQ(a.actualVoltage, b.actualVoltage);
    EXPECT_EQ(a.actualTemperature, b.actualTemperature);
    EXPECT_EQ(a.digitalInputs, b.digitalInputs);
    EXPECT_EQ(a.actualMode, b.actualMode);
    for (std::size_t i = 0; i < a.errorList.size(); ++i)
        EXPECT_EQ(a.errorList[i].Code(), b.errorList[i].Code()) << i;
    EXPECT_EQ(a.powerOnTime, b.powerOnTime);
    EXPECT_EQ(a.turnOnTime, b.turnOnTime);
    EXPECT_EQ(a.positionings, b.positionings);
    EXPECT_EQ(a.recording, 1);

    // Written again after reading, the document is the same text.
    m_c.deviceK315.motion = original.motion;
    m_c.deviceK315.scopeProfile = original.scopeProfile;
    EXPECT_EQ(CCommissioningFile::Format(m_c.deviceK315, true), text);
}

TEST_F(CommissioningFileTest, TypeChecksRefuseFiles)
{
    const std::string path = Path("doc.31x");
    EXPECT_FALSE(CCommissioningFile::Read(m_c, path, 0, true));  // missing file
    WriteFile(path, "[NodeSettings]\r\nNodeId=3\r\n");
    EXPECT_FALSE(CCommissioningFile::Read(m_c, path, 0, true));
    WriteFile(path, "[Commissioning]\r\nName=x\r\n");
    EXPECT_FALSE(CCommissioningFile::Read(m_c, path, 0, true));
    WriteFile(path, "[Commissioning]\r\nType=(unknown)\r\n");
    EXPECT_FALSE(CCommissioningFile::Read(m_c, path, 0, true));
    WriteFile(path, "[Commissioning]\r\nType=ovro k315\r\n");  // exact names only
    EXPECT_FALSE(CCommissioningFile::Read(m_c, path, 0, true));
    WriteFile(path, "[Commissioning]\r\nType=Ovro H315\r\nName=h\r\n");
    EXPECT_FALSE(CCommissioningFile::Read(m_c, path, 2, true));  // the other model
    EXPECT_EQ(m_c.GetCurrentDevice(), nullptr);
    EXPECT_TRUE(m_c.deviceH315.name.empty());
    EXPECT_TRUE(CCommissioningFile::Read(m_c, path, 1, true));
    EXPECT_EQ(m_c.GetCurrentDevice(), &m_c.deviceH315);
    EXPECT_EQ(m_c.deviceH315.name, "h");
    EXPECT_TRUE(m_c.deviceH315.text.empty());
    // Without entries: node settings unchanged and not marked, defaults for records.
    EXPECT_EQ(m_c.deviceH315.nodeId, 127);
    EXPECT_FALSE(m_c.deviceH315.nodeIdChanged);
    EXPECT_FALSE(m_c.deviceH315.baudRateChanged);
    EXPECT_EQ(m_c.deviceH315.motion.homing.homingMethod, -1);
    EXPECT_EQ(m_c.deviceH315.motion.manual.simulatedMode, 1);
}

TEST_F(CommissioningFileTest, EntriesThatDoNotFitAreSkipped)
{
    const std::string path = Path("doc.31x");
    CQVTDevice& d = *m_c.SelectDevice(1);
    CParameterValue::SetValueText(d.sections[1].parameters[0], "7");
    WriteFile(path,
              "[commissioning]\r\ntype=Ovro H315\r\n\r\n"
              "[NodeSettings]\r\nNodeId=0\r\nBaudrate=125\r\n\r\n"
              "[Motion]\r\nMode=200\r\nVelocity=\r\nCurrent=12\r\n\r\n"
              "[PositionMode]\r\nTargetPosition=12x\r\nProfileNumber=3\r\n\r\n"
              "[HomingMode]\r\nHomingMethod=\r\n\r\n"
              "[DeviceStatus]\r\nRecording=4294967295\r\n");
    ASSERT_TRUE(CCommissioningFile::Read(m_c, path, 0, false));
    const CQVTParameter& mode = d.sections[1].parameters[0];
    EXPECT_EQ(mode.value[0], 7);  // 200 does not fit an Integer8: left alone
    EXPECT_FALSE(mode.changed);
    EXPECT_FALSE(d.sections[1].parameters[1].changed);  // empty entry
    EXPECT_FALSE(d.sections[1].parameters[2].changed);  // not transferable, not everything
    EXPECT_EQ(d.nodeId, 127);
    EXPECT_FALSE(d.nodeIdChanged);
    EXPECT_EQ(d.baudRate, 4);
    EXPECT_TRUE(d.baudRateChanged);
    EXPECT_EQ(d.motion.position.profileNumber, 1);  // records only with everything

    ASSERT_TRUE(CCommissioningFile::Read(m_c, path, 1, true));
    EXPECT_TRUE(d.sections[1].parameters[2].changed);
    EXPECT_EQ(d.motion.position.targetPosition, 0);  // not a number
    EXPECT_EQ(d.motion.position.profileNumber, 3);
    EXPECT_TRUE(d.motion.position.readFromDrive);
    EXPECT_EQ(d.motion.homing.homingMethod, -1);  // empty: its default
    EXPECT_EQ(d.actual.recording, 0);             // does not fit the field

    for (const char* id : {"NodeId=128", "NodeId=-5", "NodeId=x"}) {
        d.nodeIdChanged = false;
        WriteFile(path, std::string("[Commissioning]\r\nType=Ovro H315\r\n[NodeSettings]\r\n") + id + "\r\n");
        ASSERT_TRUE(CCommissioningFile::Read(m_c, path, 1, true));
        EXPECT_EQ(d.nodeId, 127) << id;
        EXPECT_FALSE(d.nodeIdChanged) << id;
    }
}

TEST_F(CommissioningFileTest, LineBreaksInValuesCannotForgeEntries)
{
    CQVTDevice& d = FillK315();
    d.text = "line\r\n[NodeSettings]\r\nNodeId=9";
    const std::string path = Path("doc.31x");
    ASSERT_TRUE(CCommissioningFile::Write(m_c, path, true));
    ASSERT_TRUE(CCommissioningFile::Read(m_c, path, 2, true));
    EXPECT_EQ(d.nodeId, 5);
    EXPECT_EQ(d.text, "line  [NodeSettings]  NodeId=9");
}

TEST_F(CommissioningFileTest, ExtraSectionsAreWrittenInTheSameFile)
{
    FillK315();
    const std::string path = Path("doc.31x");
    ASSERT_TRUE(CCommissioningFile::Write(m_c, path, true, [](std::string& text) {
        text += "[Recording]\r\nSignals=2\r\n\r\n";
        return true;
    }));
    const std::string text = ReadFile(path);
    EXPECT_NE(text.find("MaxCurrent=300\r\n[Recording]\r\nSignals=2\r\n\r\n"), std::string::npos);
}

TEST_F(CommissioningFileTest, FailedWriteKeepsTheOldFile)
{
    const std::string path = Path("doc.31x");
    const std::string old = "[Commissioning]\r\nType=Ovro K315\r\nName=old\r\n";
    WriteFile(path, old);

    // No current device.
    EXPECT_FALSE(CCommissioningFile::Write(m_c, path, true));
    EXPECT_EQ(ReadFile(path), old);

    // The appended sections fail.
    FillK315();
    EXPECT_FALSE(CCommissioningFile::Write(m_c, path, true, [](std::string& text) {
        text += "[Recording]\r\n";
        return false;
    }));
    EXPECT_EQ(ReadFile(path), old);

    // The disk refuses the data half way (file size limit).
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = CCommissioningFile::Write(m_c, path, true);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(path), old);

    // The folder does not exist.
    EXPECT_FALSE(CCommissioningFile::Write(m_c, Path("missing/doc.31x"), true));

    // No temporary file is left behind.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(m_dir)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);

    // A write that succeeds replaces the file and keeps its permissions.
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(CCommissioningFile::Write(m_c, path, true));
    EXPECT_NE(ReadFile(path).find("Name=Axis 1"), std::string::npos);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(CommissioningFileTest, UnwritableFolderKeepsTheOldFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not bind the super-user";
    const std::string path = Path("doc.31x");
    WriteFile(path, "old");
    FillK315();
    fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(CCommissioningFile::Write(m_c, path, true));
    fs::permissions(m_dir, fs::perms::owner_all);
    EXPECT_EQ(ReadFile(path), "old");
}

TEST_F(CommissioningFileTest, DescriptionFileRoundTrip)
{
    if (!fs::exists(OVRO_DESCRIPTION_FILE))
        GTEST_SKIP() << "device description " << OVRO_DESCRIPTION_FILE << " does not exist yet";
    CCommissioning c;
    ASSERT_TRUE(c.LoadDescription(OVRO_DESCRIPTION_FILE));
    for (int model : {1, 2}) {
        CQVTDevice& d = *c.SelectDevice(model);
        int n = 0;
        for (CQVTSection& s : d.sections) {
            for (CQVTParameter& p : s.parameters) {
                const std::string text = p.dataType == QvtVisibleString ? "s" + std::to_string(++n)
                                                                        : std::to_string(++n % 100);
                CParameterValue::SetValueText(p, text);
            }
        }
        const std::string path = Path("full.31x");
        ASSERT_TRUE(CCommissioningFile::Write(c, path, true));
        const CQVTDevice before = d;
        c.ResetDevice();
        ASSERT_TRUE(CCommissioningFile::Read(c, path, 0, true));
        ASSERT_EQ(c.GetCurrentDevice(), &d);
        for (std::size_t s = 0; s < d.sections.size(); ++s) {
            for (std::size_t i = 0; i < d.sections[s].parameters.size(); ++i) {
                const CQVTParameter& p = d.sections[s].parameters[i];
                // Date and Time Of Day keep what their texts show.
                if (p.dataType == QvtDate || p.dataType == QvtTimeOfDay) {
                    EXPECT_EQ(CParameterValue::GetValueText(p, false),
                              CParameterValue::GetValueText(before.sections[s].parameters[i], false))
                        << s << "/" << p.key;
                    continue;
                }
                EXPECT_EQ(p.value, before.sections[s].parameters[i].value) << s << "/" << p.key;
            }
        }
    }
}

TEST_F(CommissioningFileTest, ADateOfTheFileIsTheDateOfTheReopenedDocument)
{
    if (!fs::exists(OVRO_DESCRIPTION_FILE))
        GTEST_SKIP() << "device description " << OVRO_DESCRIPTION_FILE << " does not exist yet";
    CCommissioning c;
    ASSERT_TRUE(c.LoadDescription(OVRO_DESCRIPTION_FILE));
    CQVTDevice& d = *c.SelectDevice(2);
    CQVTParameter* datePtr = d.FindParameter(0x2003, 1);  // "ManufacturingDate"
    CQVTParameter* dataPtr = d.FindParameter(0x2003, 2);  // "ProductionData"
    CQVTParameter* stored = d.FindParameter(0x200F, 0);   // "LastStoreTime"
    ASSERT_NE(datePtr, nullptr);
    ASSERT_NE(dataPtr, nullptr);
    ASSERT_NE(stored, nullptr);
    CQVTParameter& date = *datePtr;
    CQVTParameter& data = *dataPtr;
    const std::uint8_t day[7] = {0, 0, 0, 0, 16, 6, 9};  // 16.06.2009
    date.SetRaw(day, sizeof day);
    const std::uint8_t record[3] = {0x07, 0x31, 0xC0};
    data.SetRaw(record, sizeof record);
    const std::uint8_t when[6] = {0x80, 0xEE, 0x36, 0x00, 0x34, 0x24};
    stored->SetRaw(when, sizeof when);
    const std::string shownDate = CParameterValue::GetValueText(date, false);
    const std::string shownData = CParameterValue::GetValueText(data, false);
    const std::string shownTime = CParameterValue::GetValueText(*stored, false);
    ASSERT_EQ(shownDate, "16.06.2009 00:00");

    const std::string path = Path("dated.31x");
    ASSERT_TRUE(CCommissioningFile::Write(c, path, true));
    const std::string text = ReadFile(path);
    EXPECT_NE(text.find("ManufacturingDate=16.06.2009 00:00\r\n"), std::string::npos);
    c.ResetDevice();
    ASSERT_TRUE(CCommissioningFile::Read(c, path, 0, true));
    EXPECT_EQ(CParameterValue::GetValueText(date, false), shownDate);
    EXPECT_EQ(CParameterValue::GetValueText(data, false), shownData);
    EXPECT_EQ(CParameterValue::GetValueText(*stored, false), shownTime);
    EXPECT_TRUE(date.changed);
    // The file written again is the file read: its format is unchanged.
    const std::string again = Path("again.31x");
    ASSERT_TRUE(CCommissioningFile::Write(c, again, true));
    EXPECT_EQ(ReadFile(again), text);
}

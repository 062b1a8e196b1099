// The recording in files: the sections of a commissioning document, the
// "Recorded Data" table, the clipboard text and the CSV and text exports,
// character for character.
#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "document/CommissioningFile.h"
#include "scope/OscilloscopeData.h"
#include "scope/RecordingExport.h"
#include "scope/RecordingSections.h"
#include "scope/RecordingTable.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"

#include "ScriptedUserInterface.h"
#include "TempDir.h"

#include "FileText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using ovro::test::ReadFile;
using ovro::test::WriteFile;

using RS = RecordingSettings;

// Three samples at 10 ms, the trigger at the second: position, current and
// digital inputs with bits 16 and 17 as the trigger's extra column.
class ThreeSamples : public ::testing::Test {
protected:
    RS settings;
    SampleRing ring;
    TempDir dir;

    void SetUp() override
    {
        settings.SetChannels({RS::kPosition, RS::kCurrent});
        settings.timeBase = 4;  // 10 ms
        settings.trigger = RS::kDigitalInputs;
        settings.slope = RS::kBinaryAnd;
        settings.mask = "0x30000";
        settings.value = "0x30000";
        settings.delay = "20";
        settings.timeMin = -100;
        settings.timeSpan = 400;
        const std::int32_t base = 100;  // anywhere in the ring
        ring.At(base) = Sample{-5, 0, -250, 0, 0x00010000, 0x0237};
        ring.At(base + 1) = Sample{12, 3000, 500, 2900, 0x00030000, 0x1637};
        ring.At(base + 2) = Sample{40, 4000, 123, 4100, 0x00030000, 0x0637};
        ring.SetS(base);
        ring.SetT(base + 1);
        ring.SetD(base);
        ring.SetW(base + 3);
    }
};

TEST_F(ThreeSamples, SectionsAsTheDocumentCarriesThem)
{
    EXPECT_EQ(CRecordingSections::Format(settings, ring),
              "[Recording]\r\n"
              "Signals=2\r\nSignal1=0\r\nSignal2=2\r\nSignal3=0\r\nSignal4=0\r\n"
              "TimeBase=4\r\nTrigger=4\r\nSlope=5\r\n"
              "Level=0\r\nMin=0\r\nMax=0\r\nMask=0x30000\r\nValue=0x30000\r\n"
              "Delay=20\r\nFilter=0\r\nTimeMin=-100\r\nTimeSpan=400\r\n"
              "PlotCount=3\r\nPlotTrigger=1\r\n\r\n"
              "[PlotData]\r\n"
              "-5,0,-250,0,0x10000,0x237\r\n"
              "12,3000,500,2900,0x30000,0x1637\r\n"
              "40,4000,123,4100,0x30000,0x637\r\n"
              "\r\n");
}

TEST_F(ThreeSamples, WrittenAndReadBackWithTimesAroundTheTrigger)
{
    const std::string path = dir.Path() + "/drive.31x";
    WriteFile(path, "[Commissioning]\r\nType=Ovro K315\r\n\r\n" + CRecordingSections::Format(settings, ring));
    RS loaded;
    SampleRing back;
    back.At(7).position = 999;  // an older recording in the ring
    ASSERT_TRUE(CRecordingSections::Load(path, loaded, back));
    EXPECT_EQ(loaded.Channels(), settings.Channels());
    EXPECT_EQ(loaded.signalDefs[RS::kCurrent].channel, 1);
    EXPECT_EQ(loaded.timeBase, 4);
    EXPECT_EQ(loaded.trigger, RS::kDigitalInputs);
    EXPECT_EQ(loaded.slope, RS::kBinaryAnd);
    EXPECT_EQ(loaded.mask, "0x30000");
    EXPECT_EQ(loaded.level, "0");
    EXPECT_EQ(loaded.delay, "20");
    EXPECT_EQ(loaded.timeMin, -100);
    EXPECT_EQ(loaded.timeSpan, 400);
    EXPECT_EQ(back.S(), 0);
    EXPECT_EQ(back.D(), 0);
    EXPECT_EQ(back.Count(), 3);
    EXPECT_EQ(back.TriggerOffset(), 1);
    EXPECT_EQ(back.At(1).current, 500);
    EXPECT_EQ(back.At(2).statusword, 0x0637);
    EXPECT_EQ(back.At(0).digitalInputs, 0x10000u);

    const CRecordingTable table(loaded, back, 2000.0);
    ASSERT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.Row(0)[0], "-10");
    EXPECT_EQ(table.Row(1)[0], "+0");
    EXPECT_EQ(table.Row(2)[0], "+10");
    EXPECT_EQ(CRecordingSections::Format(loaded, back).substr(0, 40),
              CRecordingSections::Format(settings, ring).substr(0, 40));
}

TEST_F(ThreeSamples, TableRowsWithTheInputsInEightDigits)
{
    const CRecordingTable table(settings, ring, 2000.0);
    EXPECT_EQ(table.ColumnCount(), 4);
    EXPECT_EQ(table.Header(), (std::vector<std::string>{"Time [ms]", "Actual Position [inc]", "Actual Current [mA]",
                                                        "Digital Inputs"}));
    EXPECT_EQ(table.Row(0), (std::vector<std::string>{"-10", "-5", "-500", "0x00010000"}));
    EXPECT_EQ(table.Row(1), (std::vector<std::string>{"+0", "12", "1000", "0x00030000"}));
    EXPECT_EQ(table.Row(2), (std::vector<std::string>{"+10", "40", "246", "0x00030000"}));
}

TEST_F(ThreeSamples, StatuswordColumnAndClipboardText)
{
    settings.trigger = RS::kStatusword;
    const CRecordingTable table(settings, ring, 1500.0);
    EXPECT_EQ(table.Row(1).back(), "0x1637");
    std::vector<std::int32_t> progress;
    EXPECT_EQ(table.ClipboardText([&](std::int32_t rows) { progress.push_back(rows); }),
              "Time [ms]\tActual Position [inc]\tActual Current [mA]\tStatusword\r\n"
              "-10\t-5\t-375\t567\r\n"
              "+0\t12\t750\t5687\r\n"
              "+10\t40\t184\t1591");
    EXPECT_EQ(progress, (std::vector<std::int32_t>{1, 2, 3}));
}

TEST_F(ThreeSamples, CsvForAnyCaseOfCsvAndTextOtherwise)
{
    const CRecordingTable table(settings, ring, 2000.0);
    const std::string csv = dir.Path() + "/data.CSV";
    const std::string txt = dir.Path() + "/data.txt";
    ASSERT_TRUE(CRecordingExport::Write(csv, table));
    ASSERT_TRUE(CRecordingExport::Write(txt, table));
    EXPECT_EQ(ReadFile(csv), "\"Time [ms]\";\"Actual Position [inc]\";\"Actual Current [mA]\";\"Digital Inputs\"\r\n"
                             "\"-10\";\"-5\";\"-500\";\"65536\"\r\n"
                             "\"+0\";\"12\";\"1000\";\"196608\"\r\n"
                             "\"+10\";\"40\";\"246\";\"196608\"\r\n");
    EXPECT_EQ(ReadFile(txt), "Time [ms]\tActual Position [inc]\tActual Current [mA]\tDigital Inputs\r\n"
                             "-10\t-5\t-500\t65536\r\n"
                             "+0\t12\t1000\t196608\r\n"
                             "+10\t40\t246\t196608\r\n");
}

TEST_F(ThreeSamples, WithoutExtraColumnTheChannelsOnly)
{
    settings.trigger = RS::kPosition;
    settings.slope = RS::kRisingEdge;
    settings.level = "10";
    const CRecordingTable table(settings, ring, 2000.0);
    const std::string text = CRecordingExport::Text(table, true);
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "\"Time [ms]\";\"Actual Position [inc]\";\"Actual Current [mA]\"");
    EXPECT_EQ(table.Row(2).size(), 3u);
}

TEST_F(ThreeSamples, ExportCommandProposesTheLastExtensionAndStoresTheChosenOne)
{
    const CRecordingTable table(settings, ring, 2000.0);
    MemorySettingsStore store;
    ScriptedUserInterface ui;
    ui.files.push_back(dir.Path() + "/first");  // no extension typed
    ASSERT_TRUE(CRecordingExport::Run(ui, store, table));
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].defaultName, "untitled.csv");
    EXPECT_EQ(ui.fileRequests[0].kind, FileRequest::Kind::Save);
    EXPECT_EQ(ui.fileRequests[0].filter,
              "Comma Separated Values Files (*.csv);;ASCII Text Files (*.txt);;All Files (*.*)");
    EXPECT_EQ(ReadFile(dir.Path() + "/first.csv").substr(0, 1), "\"");
    EXPECT_EQ(store.ReadString(SettingsKeys::kOscilloscope, SettingsKeys::kLastFileExt, "?"), ".csv");

    ui.files.push_back(dir.Path() + "/second.txt");
    ASSERT_TRUE(CRecordingExport::Run(ui, store, table));
    EXPECT_EQ(ui.fileRequests[1].defaultName, "untitled.csv");
    EXPECT_EQ(store.ReadString(SettingsKeys::kOscilloscope, SettingsKeys::kLastFileExt, "?"), ".txt");
    ui.files.push_back(std::nullopt);
    EXPECT_FALSE(CRecordingExport::Run(ui, store, table));
    EXPECT_EQ(ui.fileRequests[2].defaultName, "untitled.txt");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ThreeSamples, AnExportThatCannotBeWrittenSaysSoAndKeepsTheOldFile)
{
    const CRecordingTable table(settings, ring, 2000.0);
    MemorySettingsStore store;
    ScriptedUserInterface ui;
    const std::string path = dir.Path() + "/missing/folder/x.csv";
    ui.files.push_back(path);
    EXPECT_FALSE(CRecordingExport::Run(ui, store, table));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "ERROR:\tcan\xB4t write to file '" + path + "'!\n\n\tMay be locked by another application.");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(store.Contains(SettingsKeys::kOscilloscope, SettingsKeys::kLastFileExt));
}

TEST(RecordingInDocument, ADocumentKeepsItsRecordingThroughReadAndWriteAgain)
{
    ovro::CCommissioning description;
    ASSERT_TRUE(description.LoadDescription(OVRO_DESCRIPTION_FILE));
    ASSERT_NE(description.SelectDevice(ovro::CCommissioning::ModelK315), nullptr);
    ovro::CQVTDevice& device = *description.GetCurrentDevice();
    device.actual.recording = 1;
    device.scopeProfile.readFromDrive = false;  // "[Oscilloscope]" without its blank line
    COscilloscopeData first;
    first.settings.SetChannels({RS::kDemandedVelocity, RS::kCurrent});
    first.settings.timeBase = 6;
    first.settings.trigger = RS::kCurrent;
    first.settings.slope = RS::kOutWindow;
    first.settings.minimum = "-100";
    first.settings.maximum = "100";
    first.settings.delay = "75";
    for (int i = 0; i < 1200; ++i)
        first.ring.At(50 + i) = Sample{i, i * 2, static_cast<std::int16_t>(i % 300 - 150), i * 3, 0, 0x0637};
    first.ring.SetS(50);
    first.ring.SetT(53);
    first.ring.SetW(1250);
    TempDir dir;
    const std::string one = dir.Path() + "/one.31x";
    const auto append = [](const COscilloscopeData& data) {
        return [&data](std::string& text) { return data.AppendRecording(text); };
    };
    ASSERT_TRUE(ovro::CCommissioningFile::Write(description, one, true, append(first)));
    EXPECT_NE(ReadFile(one).find("MaxCurrent=0\r\n[Recording]\r\n"), std::string::npos)
        << "the sections follow the oscilloscope profile directly";

    description.ResetDevice();
    ASSERT_TRUE(ovro::CCommissioningFile::Read(description, one, 0, true));
    EXPECT_EQ(description.GetCurrentDevice()->actual.recording, 1);
    COscilloscopeData second;
    ASSERT_TRUE(second.LoadRecording(one));
    EXPECT_EQ(second.ring.Count(), 1200);
    EXPECT_EQ(second.ring.TriggerOffset(), 3);
    // (Reading leaves the read-from-drive flags as they are.)
    description.GetCurrentDevice()->scopeProfile.readFromDrive = false;
    const std::string two = dir.Path() + "/two.31x";
    ASSERT_TRUE(ovro::CCommissioningFile::Write(description, two, true, append(second)));
    const std::string once = ReadFile(one);
    const std::string twice = ReadFile(two);
    EXPECT_EQ(twice.size(), once.size());
    EXPECT_TRUE(twice == once) << "saved again, the document is the same";
}

TEST(RecordingSectionsLoad, APlotCountAboveTheDataLinesStopsAtTheEndOfTheFile)
{
    const std::string text = "[Recording]\r\nSignals=1\r\nSignal1=0\r\nTimeBase=0\r\nPlotCount=500\r\n"
                             "PlotTrigger=0\r\n\r\n[PlotData]\r\n1,0,0,0,0x0,0x0\r\n2,0,0,0,0x0,0x0\r\n";
    RS settings;
    SampleRing ring;
    ring.At(2).position = 77;
    ASSERT_TRUE(CRecordingSections::LoadText(text, settings, ring));
    EXPECT_EQ(ring.Count(), 2) << "only the samples in the file";
    EXPECT_EQ(ring.At(1).position, 2);
    EXPECT_EQ(ring.At(2).position, 77);
}

TEST(RecordingSectionsLoad, WithoutPlotDataNoSampleAndDefaults)
{
    RS settings;
    settings.SetChannels({RS::kVelocity});
    SampleRing ring;
    ASSERT_TRUE(CRecordingSections::LoadText("[Commissioning]\r\nType=Ovro K315\r\n", settings, ring));
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_EQ(settings.channelCount, 0);
    EXPECT_EQ(settings.timeBase, 7);
    EXPECT_EQ(settings.trigger, -1);
    EXPECT_EQ(settings.mask, "0x0");
    EXPECT_EQ(settings.timeSpan, 1000);
    EXPECT_FALSE(CRecordingSections::Load("/nonexistent/file.31x", settings, ring));
}

TEST(RecordingSectionsLoad, LinesThatDoNotScanLeaveTheFieldsTheyDoNotReach)
{
    Sample s{1, 2, 3, 4, 5, 6};
    CRecordingSections::ScanDataLine("10,20,x", s);
    EXPECT_EQ(s.position, 10);
    EXPECT_EQ(s.velocity, 20);
    EXPECT_EQ(s.current, 3);
    EXPECT_EQ(s.statusword, 6);
    CRecordingSections::ScanDataLine("", s);
    EXPECT_EQ(s.position, 10);
    EXPECT_EQ(CRecordingSections::DataLine(Sample{-1, 2, -3, 4, 0xFFFFFFFFu, 0xABCD}),
              "-1,2,-3,4,0xFFFFFFFF,0xABCD");
}

TEST(RecordingSectionsLoad, BadCountsAndIndexesGiveAUsableRecording)
{
    const std::string text = "[recording]\r\nsignals=7\r\nSignal1=2\r\nSignal2=2\r\nSignal3=-4\r\nSignal4=1\r\n"
                             "TimeBase=44\r\nTrigger=12\r\nSlope=9\r\nPlotCount=99999\r\nPlotTrigger=-3\r\n"
                             "TimeSpan=-5\r\n\r\n[PlotData]\r\n5,5,5,5,0x5,0x5\r\n";
    RS settings;
    SampleRing ring;
    ASSERT_TRUE(CRecordingSections::LoadText(text, settings, ring));
    EXPECT_EQ(settings.Channels(), (std::vector<int>{2, 1}));
    EXPECT_EQ(settings.timeBase, 7);
    EXPECT_EQ(settings.trigger, -1);
    EXPECT_EQ(settings.slope, -1);
    EXPECT_EQ(settings.timeSpan, 1000);
    EXPECT_EQ(ring.Count(), 1);
    EXPECT_EQ(ring.TriggerOffset(), 0);
}

}  // namespace

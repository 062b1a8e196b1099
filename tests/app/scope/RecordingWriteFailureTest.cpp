// The recording written while the disk refuses one call of the safe replace
// (open, write, fsync, close or rename): the export shows its message and
// stores no extension, a commissioning document with its recording
// sections is not written; either way the file written before stays byte
// for byte and no temporary file is left.
#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "document/CommissioningFile.h"
#include "scope/OscilloscopeData.h"
#include "scope/RecordingExport.h"
#include "scope/RecordingTable.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"

#include "FailingWrites.h"
#include "ScriptedUserInterface.h"
#include "TempDir.h"
#include "FileText.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

using ovro::test::ReadFile;

namespace {

using RS = RecordingSettings;
using ovro::test::FailingWrites;
using ovro::test::WriteCall;

// Files in the folder besides the one named.
int Others(const std::string& dir, const std::string& name)
{
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        n += entry.path().filename() != name;
    return n;
}

struct Failure {
    const char* name;
    WriteCall call;
    int error;
};

const Failure kFailures[] = {
    {"Open", WriteCall::Open, EACCES},  {"Write", WriteCall::Write, ENOSPC}, {"Fsync", WriteCall::Fsync, EIO},
    {"Close", WriteCall::Close, EIO},   {"Rename", WriteCall::Rename, EACCES},
};

class RecordingWriteFailure : public ::testing::TestWithParam<Failure> {
protected:
    void SetUp() override
    {
        data.settings.SetChannels({RS::kPosition, RS::kCurrent});
        data.settings.timeBase = 4;
        for (int i = 0; i < 500; ++i)
            data.ring.At(i) = Sample{i, i * 2, static_cast<std::int16_t>(i % 100), i * 3, 0, 0x0637};
        data.ring.SetS(0);
        data.ring.SetT(10);
        data.ring.SetD(0);
        data.ring.SetW(500);
    }
    COscilloscopeData data;
    TempDir dir;
};

TEST_P(RecordingWriteFailure, TheExportSaysSoAndKeepsTheOldFile)
{
    const CRecordingTable table(data.settings, data.ring, 2000.0);
    const std::string path = dir.Path() + "/run.csv";
    {
        std::ofstream(path, std::ios::binary) << "the export of yesterday\r\n";
    }
    const std::string before = ReadFile(path);
    MemorySettingsStore store;
    ScriptedUserInterface ui;
    ui.files.push_back(path);
    {
        FailingWrites fail(GetParam().call, 1, GetParam().error);
        EXPECT_FALSE(CRecordingExport::Run(ui, store, table));
        EXPECT_TRUE(fail.failed());
    }
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "ERROR:\tcan\xB4t write to file '" + path + "'!\n\n\tMay be locked by another application.");
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(Others(dir.Path(), "run.csv"), 0) << "a temporary file was left";
    EXPECT_FALSE(store.Contains(SettingsKeys::kOscilloscope, SettingsKeys::kLastFileExt));

    // The disk working again, the export goes through.
    ui.files.push_back(path);
    EXPECT_TRUE(CRecordingExport::Run(ui, store, table));
    EXPECT_NE(ReadFile(path), before);
}

TEST_P(RecordingWriteFailure, ADocumentWithItsRecordingKeepsTheOldFile)
{
    ovro::CCommissioning description;
    ASSERT_TRUE(description.LoadDescription(OVRO_DESCRIPTION_FILE));
    ASSERT_NE(description.SelectDevice(ovro::CCommissioning::ModelK315), nullptr);
    description.GetCurrentDevice()->actual.recording = 1;
    const auto append = [this](std::string& text) { return data.AppendRecording(text); };
    const std::string path = dir.Path() + "/drive.31x";
    ASSERT_TRUE(ovro::CCommissioningFile::Write(description, path, true));  // saved before, no recording
    const std::string before = ReadFile(path);
    {
        FailingWrites fail(GetParam().call, 1, GetParam().error);
        EXPECT_FALSE(ovro::CCommissioningFile::Write(description, path, true, append));
        EXPECT_TRUE(fail.failed());
    }
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(Others(dir.Path(), "drive.31x"), 0) << "a temporary file was left";
    ASSERT_TRUE(ovro::CCommissioningFile::Write(description, path, true, append));
    EXPECT_NE(ReadFile(path).find("[PlotData]\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Calls, RecordingWriteFailure, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

}  // namespace

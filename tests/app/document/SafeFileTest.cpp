// The safe replace of a file under failing system calls, and under a
// saving process killed at any moment: the file that was there before is
// either kept byte for byte or replaced whole.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <signal.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "../TempDir.h"
#include "FailingWrites.h"
#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "document/CommissioningFile.h"
#include "document/ParameterValue.h"
#include "document/SafeFile.h"
#include "FileText.h"

using ovro::test::ReadFile;

namespace {

using ovro::test::FailingWrites;
using ovro::test::WriteCall;

// Files in the folder besides the named one (left-over temporary files).
std::vector<std::string> Others(const std::string& folder, const std::string& name)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename() != name)
            found.push_back(entry.path().filename().string());
    return found;
}

std::string Pattern(std::size_t size, char seed)
{
    std::string text(size, ' ');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>('A' + (seed + i * 7) % 26);
    return text;
}

struct FailureRow {
    const char* name;
    WriteCall call;
    int nth;
    int error;
    std::size_t maxWrite;
};

const FailureRow kFailures[] = {
    {"OpenRefused", WriteCall::Open, 1, EACCES, 0},
    {"OpenNoSpace", WriteCall::Open, 1, ENOSPC, 0},
    {"WriteNoSpace", WriteCall::Write, 1, ENOSPC, 0},
    {"WriteNoSpaceHalfWay", WriteCall::Write, 5, ENOSPC, 4096},
    {"WriteIoError", WriteCall::Write, 1, EIO, 0},
    {"FsyncIoError", WriteCall::Fsync, 1, EIO, 0},
    {"FsyncNoSpace", WriteCall::Fsync, 1, ENOSPC, 0},
    {"CloseIoError", WriteCall::Close, 1, EIO, 0},
    {"RenameRefused", WriteCall::Rename, 1, EACCES, 0},
    {"RenameAcrossDevices", WriteCall::Rename, 1, EXDEV, 0},
};

class SafeFileFailureTest : public ::testing::TestWithParam<FailureRow> {};

TEST_P(SafeFileFailureTest, TheOldFileStaysByteForByteAndNoTemporaryFileIsLeft)
{
    const FailureRow& row = GetParam();
    TempDir dir;
    const std::string path = dir.Path() + "/drive.31x";
    const std::string old = "[Commissioning]\r\nType=Ovro K315\r\n" + Pattern(1000, 3);
    {
        std::ofstream out(path, std::ios::binary);
        out << old;
    }
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string replacement = Pattern(64 * 1024, 11);
    {
        FailingWrites fail(row.call, row.nth, row.error, row.maxWrite);
        errno = 0;
        EXPECT_FALSE(ovro::CSafeFile::Replace(path, replacement));
        EXPECT_EQ(errno, row.error) << std::strerror(errno);
        EXPECT_TRUE(fail.failed()) << ovro::test::WriteCallName(row.call) << " was called "
                                   << fail.calls(row.call) << " times";
    }
    EXPECT_EQ(ReadFile(path), old);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_TRUE(Others(dir.Path(), "drive.31x").empty()) << Others(dir.Path(), "drive.31x").front();

    // The same write goes through once the calls work again.
    EXPECT_TRUE(ovro::CSafeFile::Replace(path, replacement));
    EXPECT_EQ(ReadFile(path), replacement);
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_P(SafeFileFailureTest, ANewFileIsNotCreatedHalfWritten)
{
    const FailureRow& row = GetParam();
    TempDir dir;
    const std::string path = dir.Path() + "/export.csv";
    FailingWrites fail(row.call, row.nth, row.error, row.maxWrite);
    EXPECT_FALSE(ovro::CSafeFile::Replace(path, Pattern(64 * 1024, 5)));
    EXPECT_TRUE(fail.failed());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(Others(dir.Path(), "export.csv").empty());
}

INSTANTIATE_TEST_SUITE_P(Calls, SafeFileFailureTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureRow>& info) { return info.param.name; });

TEST(SafeFileTest, ShortWritesAreContinuedUntilTheFileIsWhole)
{
    TempDir dir;
    const std::string path = dir.Path() + "/drive.31x";
    const std::string text = Pattern(10000, 1);
    FailingWrites fail(WriteCall::Write, 1000, EIO, 333);  // never reached: 31 writes
    EXPECT_TRUE(ovro::CSafeFile::Replace(path, text));
    EXPECT_FALSE(fail.failed());
    EXPECT_EQ(fail.calls(WriteCall::Write), 31);
    EXPECT_EQ(ReadFile(path), text);
}

// A process that saves a commissioning document again and again, with one
// value changing between two texts, is killed at a random moment; the file
// is then always one of the two documents, whole.
TEST(SafeFileTest, ASaveKilledAtAnyMomentLeavesTheOldDocumentOrTheNewOne)
{
    ovro::CCommissioning commissioning;
    ASSERT_TRUE(commissioning.LoadDescription(OVRO_DESCRIPTION_FILE));
    ovro::CQVTDevice* device = commissioning.SelectDevice(2);
    ASSERT_NE(device, nullptr);
    ovro::CQVTParameter* speed = device->FindParameter(0x6410, 2);
    ASSERT_NE(speed, nullptr);
    // Texts of different lengths, so that a torn file cannot pass for either.
    const char* const values[2] = {"2500", "123"};
    std::string documents[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(ovro::CParameterValue::SetValueText(*speed, values[i]));
        device->text = i == 0 ? std::string(20000, 'x') : std::string();  // a long document and a short one
        documents[i] = ovro::CCommissioningFile::Format(*device, true);
    }
    ASSERT_NE(documents[0].size(), documents[1].size());

    TempDir dir;
    const std::string path = dir.Path() + "/drive.31x";
    std::mt19937 random(20261209);
    int found[2] = {0, 0};
    int leftovers = 0;
    constexpr int kRounds = 60;
    for (int round = 0; round < kRounds; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned i = 0;; ++i) {
                ovro::CParameterValue::SetValueText(*speed, values[i % 2]);
                device->text = i % 2 == 0 ? std::string(20000, 'x') : std::string();
                if (!ovro::CCommissioningFile::Write(commissioning, path, true))
                    ::_exit(3);
            }
        }
        // At first before the first save is through, later anywhere in the loop.
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (round < 10 ? 2000 : 30000)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process ended by itself: " << status;
        if (!std::filesystem::exists(path))
            continue;  // killed before its first save was complete: no file yet
        const std::string text = ReadFile(path);
        if (text == documents[0])
            ++found[0];
        else if (text == documents[1])
            ++found[1];
        else
            ADD_FAILURE() << "round " << round << ": a torn document of " << text.size() << " bytes";
        // A killed save may leave its temporary file; it is never the document.
        for (const std::string& name : Others(dir.Path(), "drive.31x")) {
            ++leftovers;
            std::filesystem::remove(dir.Path() + "/" + name);
        }
    }
    std::printf("killed %d saves: %d found the long document, %d the short one, %d left a temporary file\n",
                kRounds, found[0], found[1], leftovers);
    EXPECT_GT(found[0] + found[1], kRounds / 2);
}

}  // namespace

// The rules of the firmware download that need no drive: the checks made
// before the progress box opens, the texts of a progress update and the
// forms of the log file.
#include "download/Download.h"
#include "download/DownloadLog.h"
#include "download/HexFile.h"
#include "download/NullDownloadView.h"
#include "HexTestSupport.h"
#include "ScriptedUserInterface.h"

#include "canopen/CANopenNode.h"
#include "ui/MessageTexts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

// ---------------------------------------------------------------- checks

class DownloadChecks : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string records = Join({HexLine(0, 0x0000, Bytes(16)), HexLine(1, 0, {})}, "\r\n");
        loader_ = WriteWithSfv("sll.H86", records);
        app_ = WriteWithSfv("app.h86", Join({HexLine(0, 0x0100, Bytes(32)), HexLine(1, 0, {})}, "\r\n"));
    }

    std::string WriteWithSfv(const std::string& name, const std::string& text)
    {
        const std::string path = folder_.Write(name, text);
        folder_.Write(ReplaceExtension(name, "sfv"), SfvLine(name, CrcOfBytes(text)) + "\r\n");
        return path;
    }

    bool Run(const std::string& loader, const std::string& app, long pageSize = 128, bool withNode = true)
    {
        CDownload download(ui_, view_);
        return download.Download(loader, app, pageSize, withNode ? &node_ : nullptr);
    }

    TempFolder folder_;
    std::string loader_;
    std::string app_;
    CCANopenNode node_;  // not connected: nothing may reach it
    ScriptedUserInterface ui_;
    CNullDownloadView view_{false};
};

TEST_F(DownloadChecks, EveryScanErrorOfEitherFileIsShownBeforeTheBoxOpens)
{
    struct Row {
        const char* name;
        std::function<void(const std::string& path)> spoil;  // what happens to the file
        unsigned loaderMessage, appMessage;
    };
    const Row rows[] = {
        {"not found", [](const std::string& p) { std::filesystem::remove(p); }, 63543, 63551},
        {"no access", [](const std::string& p) {
             std::filesystem::remove(p);
             std::filesystem::create_directory(p);
         }, 63544, 63552},
        {"a line that is no record", [](const std::string& p) { std::ofstream(p, std::ios::app) << "\r\nnonsense\r\n"; },
         63545, 63553},
        {"no check-sum file", [](const std::string& p) { std::filesystem::remove(ReplaceExtension(p, "sfv")); },
         63546, 63546},
        {"check-sum file unreadable", [](const std::string& p) {
             std::filesystem::remove(ReplaceExtension(p, "sfv"));
             std::filesystem::create_directory(ReplaceExtension(p, "sfv"));
         }, 63547, 63547},
        {"check-sum file without a CRC", [](const std::string& p) {
             std::ofstream(ReplaceExtension(p, "sfv"), std::ios::trunc) << "justaname\r\n";
         }, 63548, 63548},
        {"check sum differs", [](const std::string& p) { std::ofstream(p, std::ios::app) << ":00000001FF\r\n"; },
         63549, 63554},
    };
    for (const Row& row : rows) {
        for (const bool loaderFile : {true, false}) {
            SCOPED_TRACE(std::string(row.name) + (loaderFile ? " (loader)" : " (application)"));
            SetUp();
            ui_.messages.clear();
            const std::string& spoiled = loaderFile ? loader_ : app_;
            row.spoil(spoiled);
            EXPECT_FALSE(Run(loader_, app_));
            ASSERT_EQ(ui_.messages.size(), 1u);
            EXPECT_EQ(ui_.messages[0].text, FormatMessage(loaderFile ? row.loaderMessage : row.appMessage, spoiled.c_str()));
            EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Stop);
            EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Error);
            EXPECT_EQ(view_.Opened(), 0);
            std::error_code ec;
            std::filesystem::remove_all(spoiled, ec);
            std::filesystem::remove_all(ReplaceExtension(spoiled, "sfv"), ec);
        }
    }
}

TEST_F(DownloadChecks, NodePageSizeAndTheLoaderAsApplication)
{
    struct Row {
        const char* name;
        bool withNode;
        long pageSize;
        bool sameFile;
        MessageSeverity severity;
        std::string text;
    };
    const Row rows[] = {
        {"no node", false, 128, false, MessageSeverity::FatalError, "FATAL ERROR:\nno valid node-pointer given!"},
        {"page size 64", true, 64, false, MessageSeverity::FatalError, "FATAL ERROR:\ninvalid page size given!"},
        {"page size 0", true, 0, false, MessageSeverity::FatalError, "FATAL ERROR:\ninvalid page size given!"},
        {"loader as application", true, 128, true, MessageSeverity::Error,
         "ERROR:\twhile scaning file '" + loader_ +
             "'!\n\n\tYou try to load the Second-Level-Loader file into the Flash."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ui_.messages.clear();
        EXPECT_FALSE(Run(loader_, row.sameFile ? loader_ : app_, row.pageSize, row.withNode));
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_EQ(ui_.messages[0].text, row.text);
        EXPECT_EQ(ui_.messages[0].severity, row.severity);
        EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Stop);
    }
    EXPECT_EQ(view_.Opened(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("app.log")));
    EXPECT_FALSE(std::filesystem::exists(folder_.Path("sll.log")));
}

TEST_F(DownloadChecks, TheSameBytesUnderAnotherPathAreNoMistake)
{
    // Equal counts alone do not refuse: the paths must be the same text too.
    const std::string copy = WriteWithSfv("copy.h86", Join({HexLine(0, 0x0000, Bytes(16)), HexLine(1, 0, {})}, "\r\n"));
    EXPECT_FALSE(Run(loader_, copy));
    EXPECT_EQ(view_.Opened(), 1) << "past the checks";
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text.rfind("ERROR:\tcan\xB4t start the First-Level-Loader of node #0!", 0), 0u)
        << "the node that is not connected fails the first step: " << ui_.messages[0].text;
}

// ---------------------------------------------------------------- progress texts

TEST(DownloadProgress, TextsOfAnUpdate)
{
    struct Row {
        std::uint64_t loaded, total;
        long seconds;
        const char *caption, *time, *rate;
    };
    const Row rows[] = {
        {0, 1300, 0, "0.0% of K315.h86 loaded", "0:00 min  (0 of 1300 bytes loaded)", "0.0 KB/sec"},
        {1024, 2048, 0, "50.0% of K315.h86 loaded", "0:00 min  (1024 of 2048 bytes loaded)", "1.0 KB/sec"},
        {2048, 2048, 2, "100.0% of K315.h86 loaded", "0:02 min  (2048 of 2048 bytes loaded)", "1.0 KB/sec"},
        {61440, 102400, 125, "60.0% of K315.h86 loaded", "2:05 min  (61440 of 102400 bytes loaded)", "0.5 KB/sec"},
        {512, 3000, 59, "17.1% of K315.h86 loaded", "0:59 min  (512 of 3000 bytes loaded)", "0.0 KB/sec"},
    };
    for (const Row& r : rows) {
        const CDownload::ProgressTexts t = CDownload::ProgressOf(r.loaded, r.total, r.seconds, "K315.h86");
        EXPECT_EQ(t.caption, r.caption);
        EXPECT_EQ(t.time, r.time);
        EXPECT_EQ(t.rate, r.rate);
    }
    EXPECT_FLOAT_EQ(CDownload::ProgressOf(1000, 1000, 0, "x").kbPerSecond, 1000.0f / 1024.0f) << "one second";
    EXPECT_EQ(CDownload::FileName("/home/fw/K315.h86"), "K315.h86");
    EXPECT_EQ(CDownload::FileName("K315.h86"), "K315.h86");
    EXPECT_EQ(CDownload::FileName("C:\\fw\\K315.h86"), "K315.h86");
}

// ---------------------------------------------------------------- log

TEST(DownloadLog, DateInTheCLocaleWhateverTheUsersLocale)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(CDownloadLog::FormatDate(1700000000), "2023/11/14 10:13:20 PM UTC");
    EXPECT_EQ(CDownloadLog::FormatDate(1700000000 - 12 * 3600), "2023/11/14 10:13:20 AM UTC");
    EXPECT_EQ(CDownloadLog::FormatDate(1699920000), "2023/11/14 12:00:00 AM UTC") << "midnight";
}

TEST(DownloadLog, LinesEndInCrLfAndPagesShowEveryByte)
{
    TempFolder folder;
    CDownloadLog log;
    std::string reason;
    ASSERT_TRUE(log.Create(folder.Path("x.log"), reason)) << reason;
    log.Write("1. Start First-Level-Loader...");
    log.Write("OK!\n");
    PageBlock block;
    block.Open(0x00010080, 0);
    block.Put(0x00);
    block.Put(0xAB);
    log.WritePage(block, block.Seal());
    log.Close();
    std::string expected = "1. Start First-Level-Loader...OK!\r\n   Addr=00010080, Size=128, Data=00AB";
    for (int i = 2; i < 128; ++i)
        expected += "FF";
    expected += ", CSum=00AD\r\n";  // (0 + 1) + (0xAB + 1)
    std::ifstream in(folder.Path("x.log"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), expected);

    EXPECT_FALSE(log.Create(folder.Path("missing/x.log"), reason));
    EXPECT_EQ(reason, "No such file or directory");
}

}  // namespace

// The firmware download end to end: CDownload, the node, mastergate,
// softmaster and libpcan_usb against the simulated K315 on a private bus.
// Each case checks the messages, the log file byte for byte and the image
// in the drive's FLASH file.
#include "download/Download.h"
#include "DownloadTestSupport.h"

#include "canopen/CANopenNode.h"
#include "ui/MessageTexts.h"

#include <filesystem>
#include <fstream>
#include <functional>

namespace dltest {
namespace {

class Download : public DownloadSimTest {
protected:
    bool Run(CDownload::Clock clock = StandingClock)
    {
        CDownload download(ui_, view_, std::move(clock));
        const bool ok = download.Download(loader_.path, app_.path, 128, node_);
        logPath_ = download.LogPath();
        rate_ = download.Rate();
        return ok;
    }
    std::string Log() const { return ReadFile(logPath_); }
    std::string LogPath() const { return Path("fw/K315.log"); }
    bool FlashHoldsApplication() const
    {
        const std::vector<std::uint8_t> flash = FlashBytes();
        return flash.size() >= app_.image.size() && std::equal(app_.image.begin(), app_.image.end(), flash.begin());
    }
    // Failure messages of the node's steps: "#5" and the text of the abort.
    static std::string StepMessage(unsigned id, const std::string& reason)
    {
        return FormatMessage(id, static_cast<int>(kNode), reason.c_str());
    }
    static constexpr const char* kRefused = "Data cannot be transferred or stored to the application.";

    std::string logPath_;
    float rate_ = 0;
};

TEST_F(Download, LoadsAndStartsTheNewApplication)
{
    ASSERT_EQ(DriveVersion(), "v2.140");
    ASSERT_TRUE(Run());
    EXPECT_EQ(logPath_, LogPath());
    EXPECT_EQ(Log(), ExpectedLog::Success(kDate, LogPath(), loader_, app_, kNode).text);
    EXPECT_TRUE(FlashHoldsApplication());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Success);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(ui_.messages[0].text, "\nSUCCESS:\tapplication loaded and started!\n\n\t\t300 byte(s)\t" + loader_.path +
                                        "\n\t\t1000 byte(s)\t" + app_.path + "\n\n\t\t0:00 min @ 1.3 KB/sec");
    EXPECT_TRUE(ui_.questions.empty());
    // the box: opened once, its last texts, closed
    const BoxRecord& box = view_.box;
    EXPECT_EQ(box.opened, 1);
    EXPECT_EQ(box.closed, 1);
    EXPECT_EQ(box.range, 1300);
    EXPECT_EQ(box.position, 1300);
    EXPECT_FALSE(box.animating);
    EXPECT_EQ(box.node, "node #5");
    EXPECT_EQ(box.Values("step"),
              (std::vector<std::string>{"Initialize", "Start First-Level-Loader", "Load Second-Level-Loader into RAM",
                                        "Start Second-Level-Loader", "Load Intel-Hex-File into FLASH",
                                        "Start Application/Reset Microcontroller", "Application running!"}));
    EXPECT_EQ(box.file, app_.path);
    EXPECT_EQ(box.caption, "100.0% of K315.h86 loaded");
    EXPECT_EQ(box.time, "0:00 min  (1300 of 1300 bytes loaded)");
    EXPECT_EQ(box.rate, "1.3 KB/sec");
    // the drive runs the new application
    EXPECT_TRUE(drive_.waitForState("loader", "0", 2000));
    EXPECT_EQ(DriveVersion(), "v2.300");
}

TEST_F(Download, WithAutoCloseTheSuccessIsNotShown)
{
    view_.box.autoClose = true;
    ASSERT_TRUE(Run());
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(Log(), ExpectedLog::Success(kDate, LogPath(), loader_, app_, kNode).text);
    EXPECT_TRUE(FlashHoldsApplication());
    EXPECT_EQ(view_.box.closed, 1);
}

TEST_F(Download, ProgressAfterEveryPageAndAtTheEndOfEachFile)
{
    std::time_t now = kStart;
    ASSERT_TRUE(Run([&now] { return now++; }));  // a second passes at every look at the clock
    const std::size_t pages = ExpectedLog::PageCount(loader_) + ExpectedLog::PageCount(app_);
    const std::vector<std::string> times = view_.box.Values("time");
    // the initial text, then one update per page and one per file
    ASSERT_EQ(times.size(), 1 + pages + 2);
    EXPECT_EQ(times[0], "0:00 min  (0 of 1300 bytes loaded)");
    EXPECT_EQ(times[1], "0:01 min  (128 of 1300 bytes loaded)");
    EXPECT_EQ(times[3], "0:03 min  (300 of 1300 bytes loaded)") << "the loader's last page";
    EXPECT_EQ(times[4], "0:04 min  (300 of 1300 bytes loaded)") << "the end of the loader file";
    EXPECT_EQ(times.back(), "0:" + std::to_string(pages + 2) + " min  (1300 of 1300 bytes loaded)");
    EXPECT_EQ(view_.box.Values("rate")[1], "0.1 KB/sec");
    EXPECT_EQ(view_.box.Values("caption")[1], "9.8% of K315.h86 loaded");
    EXPECT_EQ(view_.box.takes, int(pages + 2)) << "Cancel is looked at with every update";
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_NE(ui_.messages[0].text.find("0:13 min @ 0.1 KB/sec"), std::string::npos) << ui_.messages[0].text;
}

TEST_F(Download, UnderOneSecondTheRateCountsOneSecond)
{
    ASSERT_TRUE(Run(StandingClock));
    EXPECT_FLOAT_EQ(rate_, 1300.0f / 1024.0f);
    EXPECT_EQ(view_.box.Values("rate")[1], "0.1 KB/sec") << "128 bytes in (less than) one second";
}

TEST_F(Download, TheLoaderChosenAsApplicationIsRefusedBeforeAnythingIsSent)
{
    const std::string received = drive_.state("frames-received");
    CDownload download(ui_, view_, StandingClock);
    EXPECT_FALSE(download.Download(loader_.path, loader_.path, 128, node_));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(ui_.messages[0].text, FormatMessage(63555, loader_.path.c_str()));
    EXPECT_EQ(view_.box.opened, 0);
    EXPECT_FALSE(std::filesystem::exists(Path("sll/sll.log")));
    EXPECT_EQ(drive_.state("frames-received"), received);
}

TEST_F(Download, EveryScanErrorOfEitherFileStopsBeforeAnythingIsSent)
{
    namespace fs = std::filesystem;
    const auto sfv = [](const std::string& p) { return p.substr(0, p.size() - 3) + "sfv"; };
    struct Row {
        const char* name;
        std::function<void(const std::string& path)> spoil;
        unsigned loaderMessage, appMessage;
    };
    const Row rows[] = {
        {"not found", [](const std::string& p) { fs::remove(p); }, 63543, 63551},
        {"no access", [](const std::string& p) { fs::remove(p), fs::create_directory(p); }, 63544, 63552},
        {"a line that is no record", [](const std::string& p) { std::ofstream(p, std::ios::app) << "\r\nnonsense\r\n"; },
         63545, 63553},
        {"no check-sum file", [&](const std::string& p) { fs::remove(sfv(p)); }, 63546, 63546},
        {"check-sum file unreadable", [&](const std::string& p) { fs::remove(sfv(p)), fs::create_directory(sfv(p)); },
         63547, 63547},
        {"check-sum file without a CRC", [&](const std::string& p) { std::ofstream(sfv(p), std::ios::trunc) << "x\r\n"; },
         63548, 63548},
        {"check sum differs", [](const std::string& p) { std::ofstream(p, std::ios::app) << ":00000001FF\r\n"; }, 63549,
         63554},
    };
    const std::string received = drive_.state("frames-received");
    for (const Row& row : rows) {
        for (const bool loaderFile : {true, false}) {
            SCOPED_TRACE(std::string(row.name) + (loaderFile ? " (loader)" : " (application)"));
            ui_.messages.clear();
            view_.box = BoxRecord();
            for (const Firmware* f : {&loader_, &app_}) {
                fs::remove_all(f->path);
                fs::remove_all(sfv(f->path));
            }
            loader_ = MakeLoader(bus_.dir());
            app_ = MakeApplication(bus_.dir());
            const std::string& spoiled = loaderFile ? loader_.path : app_.path;
            row.spoil(spoiled);
            EXPECT_FALSE(Run());
            ASSERT_EQ(ui_.messages.size(), 1u);
            EXPECT_EQ(ui_.messages[0].text,
                      FormatMessage(loaderFile ? row.loaderMessage : row.appMessage, spoiled.c_str()));
            EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Stop);
            EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Error);
            EXPECT_EQ(view_.box.opened, 0);
            EXPECT_FALSE(fs::exists(LogPath())) << "no log is begun";
        }
    }
    EXPECT_EQ(drive_.state("frames-received"), received) << "nothing reached the drive";
    EXPECT_EQ(drive_.state("firmware.stage"), "0");
}

TEST_F(Download, ARefusedStartEndsTheLogWithItsFailure)
{
    ASSERT_EQ(drive_.control("loader refuse-start"), "ok\n");
    EXPECT_FALSE(Run());
    const std::string message = StepMessage(63556, kRefused);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, message);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Error);
    ExpectedLog log;
    log.Header(kDate, LogPath(), loader_, app_, kNode).Line("1. Start First-Level-Loader...failed!\n+++ " + message + "\n");
    EXPECT_EQ(Log(), log.text);
    EXPECT_EQ(view_.box.closed, 1);
    EXPECT_EQ(drive_.state("loader"), "0") << "the application still runs";
}

TEST_F(Download, APageRefusedOnceIsSentAgainAndLoggedOnce)
{
    ASSERT_EQ(drive_.control("loader refuse-page 5"), "ok\n");  // the application's second page
    ASSERT_TRUE(Run());
    EXPECT_EQ(Log(), ExpectedLog::Success(kDate, LogPath(), loader_, app_, kNode).text);
    EXPECT_TRUE(FlashHoldsApplication());
    // The drive refused one write and took the same page on the repeat.
    const std::size_t pages = ExpectedLog::PageCount(loader_) + ExpectedLog::PageCount(app_);
    EXPECT_EQ(drive_.state("firmware.pages-refused"), "1");
    EXPECT_EQ(drive_.state("firmware.page-writes"), std::to_string(pages + 1));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Success);
}

TEST_F(Download, APageRefusedTwiceEndsTheDownload)
{
    struct Row {
        const char* name;
        int page;           // page write that the drive refuses twice
        unsigned message;
        std::size_t loaderPages, appPages;  // page lines in the log
    };
    const Row rows[] = {
        {"second-level loader", 2, 63557, 2, 0},
        {"application", 6, 63564, 3, 3},
    };
    int refused = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ui_.messages.clear();
        ASSERT_EQ(drive_.control("loader refuse-page " + std::to_string(row.page) + " 2"), "ok\n");
        EXPECT_FALSE(Run());
        const std::string message = StepMessage(row.message, kRefused);
        ASSERT_EQ(ui_.messages.size(), 1u);
        EXPECT_EQ(ui_.messages[0].text, message);
        EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
        ExpectedLog log;
        log.Header(kDate, LogPath(), loader_, app_, kNode)
            .Line("1. Start First-Level-Loader...OK!\n")
            .Line("2. Load Second-Level-Loader into RAM:\n")
            .Pages(loader_, 0, row.loaderPages);
        if (row.appPages > 0) {
            log.Line("   File=" + loader_.path + ", 300 byte(s) loaded\n")
                .Line("3. Start Second-Level-Loader...OK!\n")
                .Line("4. Load Intel-Hex-File into FLASH:\n")
                .Pages(app_, 0, row.appPages);
        }
        log.Line("+++ " + message + "\n");
        EXPECT_EQ(Log(), log.text);
        refused += 2;
        EXPECT_EQ(drive_.state("firmware.pages-refused"), std::to_string(refused)) << "the page and its one repeat";
        EXPECT_FALSE(FlashHoldsApplication());
    }
}

TEST_F(Download, CancelAnsweredNoGoesOnAnsweredYesStopsWithoutAMessage)
{
    view_.box.cancelAtTake = {2, 7};
    ui_.answers = {false, true};
    EXPECT_FALSE(Run());
    ASSERT_EQ(ui_.questions.size(), 2u);
    for (const auto& q : ui_.questions) {
        EXPECT_EQ(q.text, "Do you really want to cancel the download?");
        EXPECT_EQ(q.icon, MessageIcon::Question);
        EXPECT_FALSE(q.defaultYes);
    }
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(view_.box.closed, 1);
    // takes 1..3: the loader's pages, 4: its end, 5..7: the application's first pages
    ExpectedLog log;
    log.Header(kDate, LogPath(), loader_, app_, kNode)
        .Line("1. Start First-Level-Loader...OK!\n")
        .Line("2. Load Second-Level-Loader into RAM:\n")
        .Pages(loader_)
        .Line("   File=" + loader_.path + ", 300 byte(s) loaded\n")
        .Line("3. Start Second-Level-Loader...OK!\n")
        .Line("4. Load Intel-Hex-File into FLASH:\n")
        .Pages(app_, 0, 3)
        .Line("+++ Download cancelled by user!!!\n");
    EXPECT_EQ(Log(), log.text);
    EXPECT_EQ(drive_.state("firmware.stage"), "2") << "the drive is not told";
}

TEST_F(Download, SilenceInTheMiddleEndsTheDownloadAfterTheRepeat)
{
    master_.SetSDOTimeout(200);
    ASSERT_EQ(drive_.control("loader silent-at 2"), "ok\n");
    EXPECT_FALSE(Run());
    ASSERT_EQ(ui_.messages.size(), 1u);
    const std::string message = StepMessage(63557, node_->ErrorText());
    EXPECT_EQ(ui_.messages[0].text, message);
    ExpectedLog log;
    log.Header(kDate, LogPath(), loader_, app_, kNode)
        .Line("1. Start First-Level-Loader...OK!\n")
        .Line("2. Load Second-Level-Loader into RAM:\n")
        .Pages(loader_, 0, 2)
        .Line("+++ " + message + "\n");
    EXPECT_EQ(Log(), log.text);
}

TEST_F(Download, ADriveSwitchedOffHalfWayIsBroughtBackByASecondDownload)
{
    // The drive goes off and on while it takes the application's third page.
    const std::size_t loaderPages = ExpectedLog::PageCount(loader_);
    view_.box.onTake = [&](int take) {
        if (take == int(loaderPages) + 1 + 2)
            drive_.control("powercycle");
    };
    EXPECT_FALSE(Run());
    ASSERT_EQ(ui_.messages.size(), 1u);
    // The loader that came back takes no FLASH pages.
    EXPECT_EQ(ui_.messages[0].text, StepMessage(63564, "Value range of parameter exceeded (only for write access)."));
    EXPECT_TRUE(drive_.waitForState("loader", "1"));
    EXPECT_EQ(DriveVersion(), "FLL V1.00") << "only the loader answers";
    EXPECT_FALSE(FlashHoldsApplication());

    ui_.messages.clear();
    view_.box = BoxRecord();
    ASSERT_TRUE(Run()) << (ui_.messages.empty() ? "" : ui_.messages[0].text);
    EXPECT_EQ(Log(), ExpectedLog::Success(kDate, LogPath(), loader_, app_, kNode).text);
    EXPECT_TRUE(FlashHoldsApplication());
    EXPECT_TRUE(drive_.waitForState("loader", "0", 2000));
    EXPECT_EQ(DriveVersion(), "v2.300");
}

TEST_F(Download, ALogThatCannotBeCreatedStopsBeforeAnythingIsSent)
{
    std::filesystem::create_directory(LogPath());  // a folder where the log should go
    const std::string received = drive_.state("frames-received");
    EXPECT_FALSE(Run());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(ui_.messages[0].text, "ERROR:\tcan\xB4t create the download log '" + LogPath() +
                                        "'!\n\n\tIs a directory\n\n\tThe download has not been started.");
    EXPECT_EQ(view_.box.opened, 1);
    EXPECT_EQ(view_.box.closed, 1);
    EXPECT_EQ(drive_.state("frames-received"), received);
    EXPECT_EQ(drive_.state("loader"), "0");
}

TEST_F(Download, ARecordErrorStopsWithItsLine)
{
    // The application file with a damaged record check sum, its .sfv made to match.
    std::string hex = ReadFile(app_.path);
    const std::size_t third = hex.find(":20", hex.find(":20", hex.find(":20") + 1) + 1);
    hex[third + 9] = hex[third + 9] == '0' ? '1' : '0';
    std::ofstream(app_.path, std::ios::binary) << hex;
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : hex) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    std::ofstream(Path("fw/K315.sfv"), std::ios::binary) << StringPrintf("K315.h86 %08X\r\n", ~crc);
    EXPECT_FALSE(Run());
    const std::string message = FormatMessage(63559, app_.path.c_str(), 4L);  // line 1 is the address record
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, message);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
    // Nothing of the application was sent: its first page was not complete.
    const std::string tail = ExpectedLog().Line("4. Load Intel-Hex-File into FLASH:\n+++ " + message + "\n").text;
    const std::string log = Log();
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

}  // namespace
}  // namespace dltest

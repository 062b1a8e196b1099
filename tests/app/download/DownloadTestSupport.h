// What the firmware download tests share: a progress box that records what
// it is shown and presses Cancel when told, firmware files made for the
// simulated K315, the log a download writes as the test expects it, and a
// fixture with the simulated drive and a master on a private bus.
#pragma once

#include "download/DownloadProgress.h"
#include "PrivateBus.h"
#include "ScriptedUserInterface.h"
#include "SimProcess.h"
#include "canopen/CANopenMaster.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace dltest {

// Everything the boxes of a test were shown, in order ("step=...", ...).
struct BoxRecord {
    std::vector<std::string> events;
    int opened = 0;
    int closed = 0;
    bool autoClose = false;
    bool animating = false;
    std::int32_t range = -1;
    std::int32_t position = -1;
    std::string caption, step, file, node, time, rate;
    int takes = 0;                        // calls of TakeCancel so far
    std::set<int> cancelAtTake;           // Cancel is pressed before these calls
    std::function<void(int take)> onTake; // runs at every call (a test's action mid-download)

    // The values a text took, in order.
    std::vector<std::string> Values(const std::string& name) const;
};

class RecordingBox : public IDownloadProgress {
public:
    explicit RecordingBox(BoxRecord& record) : r_(record) { ++r_.opened; }
    ~RecordingBox() override { ++r_.closed; }
    void SetCaption(const std::string& text) override { Set("caption", r_.caption, text); }
    void SetStep(const std::string& text) override { Set("step", r_.step, text); }
    void SetFile(const std::string& text) override { Set("file", r_.file, text); }
    void SetNode(const std::string& text) override { Set("node", r_.node, text); }
    void SetTime(const std::string& text) override { Set("time", r_.time, text); }
    void SetRate(const std::string& text) override { Set("rate", r_.rate, text); }
    void SetRange(std::int32_t total) override { r_.range = total; }
    void SetPosition(std::int32_t position) override { r_.position = position; }
    void StartAnimation() override { r_.animating = true; }
    void StopAnimation() override { r_.animating = false; }
    void ProcessMessages() override {}
    bool TakeCancel() override;
    bool AutoClose() const override { return r_.autoClose; }

private:
    void Set(const char* name, std::string& field, const std::string& text);
    BoxRecord& r_;
};

class RecordingView : public IDownloadView {
public:
    std::unique_ptr<IDownloadProgress> OpenProgressBox() override { return std::make_unique<RecordingBox>(box); }
    BoxRecord box;
};

// A firmware image for the simulated K315 and where it is loaded.
struct Firmware {
    std::vector<std::uint8_t> image;
    std::uint32_t base = 0;
    std::string path;  // its HEX file (with the .sfv beside it)
};

// The loader and application files of the tests, written into dir.
Firmware MakeLoader(const std::string& dir, std::size_t size = 300);
Firmware MakeApplication(const std::string& dir, const std::string& version = "v2.300", std::size_t size = 1000);

// The log of a download as the program must write it, CR LF line ends.
struct ExpectedLog {
    std::string text;
    ExpectedLog& Header(const std::string& date, const std::string& logPath, const Firmware& loader,
                        const Firmware& app, unsigned nodeId);
    // The page lines of a file; pages [first, last) only, when given.
    ExpectedLog& Pages(const Firmware& f, std::size_t first = 0, std::size_t last = SIZE_MAX);
    ExpectedLog& Line(const std::string& line);  // "\n" ends a line
    // A whole successful download.
    static ExpectedLog Success(const std::string& date, const std::string& logPath, const Firmware& loader,
                               const Firmware& app, unsigned nodeId);
    static std::size_t PageCount(const Firmware& f);
};

std::string ReadFile(const std::string& path);

// The simulated K315 (node 5, 1000 kbit/s, FLASH file) on a private bus,
// the software master on it, the node connected, the firmware files.
class DownloadSimTest : public ::testing::Test {
protected:
    static constexpr std::uint8_t kNode = 5;
    static constexpr std::time_t kStart = 1700000000;  // 2023/11/14 10:13:20 PM UTC
    static constexpr const char* kDate = "2023/11/14 10:13:20 PM UTC";

    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const { return bus_.path(name); }
    std::string FlashFile() const { return Path("k315.flash"); }
    std::vector<std::uint8_t> FlashBytes() const;
    // Starts the drive again with its store and FLASH files (a new process).
    void RestartDrive();
    // The drive's software version, read by SDO.
    std::string DriveVersion();
    // A clock that stands at kStart (downloads "under one second").
    static std::time_t StandingClock() { return kStart; }

    ovro::test::PrivateBus bus_;
    ovro::test::SimProcess drive_;
    CCANopenMaster master_;
    CCANopenNode* node_ = nullptr;
    ScriptedUserInterface ui_;
    RecordingView view_;
    Firmware loader_;
    Firmware app_;
};

}  // namespace dltest

// DocTestSupport.h - what the document and node-search tests share: a
// scripted user interface, Connect Device chooser and search view that
// record everything shown, a simulated drive run as a child process on a
// private virtual bus, and a fixture with a master on that bus.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "description/Commissioning.h"
#include "document/ConnectDeviceChooser.h"
#include "document/DocumentObserver.h"
#include "document/DocumentWindows.h"
#include "document/NodeSearch.h"
#include "document/QVTDoc.h"
#include "document/StatusTextSink.h"
#include "PrivateBus.h"
#include "SimProcess.h"
#include "ui/UserInterface.h"

namespace doctest {

// A progress log that keeps its text; it finishes by itself on success
// (auto-close) and, on failure, after pressesUntilFinish polls.
struct ProgressLog {
    std::vector<std::string> texts;
    std::int32_t range = -1;
    int position = 0;
    int windows = 0;
    bool finishedWith = false;
    bool finishCalled = false;
    int cancelAfterSteps = -1;  // the user presses Cancel after that many steps
    std::function<void(const std::string&)> onText;
    std::string Joined() const;
};

class ScriptedProgress : public IProgress {
public:
    explicit ScriptedProgress(ProgressLog& log) : log_(log) {}
    void AddText(const std::string& text, std::int32_t step) override;
    void Finish(bool success) override;
    bool Finished() override;
    bool Cancelled() override;

private:
    ProgressLog& log_;
    bool finished_ = false;
    int polls_ = 0;
};

class ScriptedUi : public IUserInterface {
public:
    struct Message {
        MessageSeverity severity;
        MessageIcon icon;
        std::string text;
    };
    void ShowMessage(MessageSeverity severity, MessageIcon icon, const std::string& text) override;
    bool AskYesNo(MessageIcon icon, const std::string& text, bool defaultYes) override;
    std::unique_ptr<IProgress> BeginProgress(std::int32_t range) override;
    std::optional<std::string> ChooseFile(const FileRequest& request) override;

    std::vector<Message> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    std::deque<std::string> files;
    std::vector<FileRequest> fileRequests;
    ProgressLog progress;
    std::function<void(const Message&)> onMessage;  // runs while the message box is up
};

class ScriptedChooser : public ovro::IConnectDeviceChooser {
public:
    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest& request) override;
    void Push(ovro::ConnectDeviceChoice::Result result, std::uint8_t nodeId = 5, std::uint8_t baud = 7,
              bool download = false, bool store = false);

    std::deque<ovro::ConnectDeviceChoice> choices;
    std::vector<ovro::ConnectDeviceRequest> requests;
};

class RecordingViews : public ovro::IDocumentObserver, public ovro::IStatusTextSink, public ovro::IDocumentWindows {
public:
    void OnRefresh(int hint) override { refreshes.push_back(hint); }
    void OnPathChanged(const std::string& path, bool addToRecentList) override;
    void SetStatusText(const std::string& text) override { status = text; }
    void SetDefaultStatusText() override { status = "<default>"; }
    void SetPromptText(const std::string& text) override { prompts.push_back(text); }
    void CloseOscilloscope() override { ++scopeClosed; }
    void OpenOscilloscope() override { ++scopeOpened; }
    void Beep() override { ++beeps; }

    std::vector<int> refreshes;
    std::vector<std::string> recentFiles;
    std::string path;
    std::string status;
    std::vector<std::string> prompts;
    int scopeClosed = 0;
    int scopeOpened = 0;
    int beeps = 0;
};

class ScriptedSearchView : public ovro::INodeSearchView {
public:
    std::unique_ptr<IProgress> BeginSearchProgress(std::int32_t range) override;
    bool AskRetry(const std::string& text) override;
    std::optional<std::size_t> ChooseResult(const std::vector<ovro::SearchNodeResult>& results,
                                            std::uint8_t baudRate) override;

    ProgressLog progress;
    std::deque<bool> retries;  // empty: Cancel
    std::vector<std::string> retryTexts;
    std::optional<std::size_t> pick = 0;
    std::vector<std::vector<ovro::SearchNodeResult>> lists;
};

using ovro::test::SimProcess;

// How AddDrive starts ovro-drive-sim.
struct DriveOptions {
    std::string model = "K315";
    std::string nodeId = "5";
    int kbit = 20;
    unsigned long serial = 1;
};

// A master on a private virtual bus, and the description of both models.
// The interface is PCAN-USB (the software master) unless a derived fixture
// sets boardInterface_ in its constructor: then the emulated board "Orvax
// Stick-U1 compact" (the board-based master), with a hardware registry of
// the test's own.
class SimBusTest : public ::testing::Test {
protected:
    static constexpr std::uint16_t kSdoTimeout = 500;
    // Through the board each transfer passes its firmware's threads as well.
    static constexpr std::uint16_t kBoardSdoTimeout = 1500;
    static constexpr std::uint32_t kStick = 0x01050F00u;

    void SetUp() override;
    void TearDown() override;

    // Starts a drive; fails the test when it does not come up.
    SimProcess& AddDrive(const DriveOptions& options);
    // A K315 as node 3 and an H315 as node 6 (serial number 2), for the node search.
    void AddK315AndH315();
    // Marks a new node-id and bit rate for the download (by LMT).
    static void ChangeNodeSettings(ovro::CQVTDevice& device, int nodeId, int baudRate);
    ovro::CQVTDoc& MakeDocument();
    ovro::DocumentEnvironment Environment();

    bool boardInterface_ = false;
    ovro::test::PrivateBus bus_;
    CCANopenMaster master_;
    ovro::CCommissioning commissioning_;
    ScriptedUi ui_;
    ScriptedChooser chooser_;
    RecordingViews views_;
    std::vector<std::chrono::milliseconds> sleeps_;
    std::vector<std::unique_ptr<SimProcess>> drives_;
    std::unique_ptr<ovro::CQVTDoc> doc_;
};

// Does the text hold the part?
bool Contains(const std::string& text, const std::string& part);

}  // namespace doctest

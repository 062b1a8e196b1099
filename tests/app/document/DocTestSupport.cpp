// The shared parts of the document tests (see DocTestSupport.h).
#include "DocTestSupport.h"

#include <unistd.h>

#include <thread>

#include <cop/cop.h>

#include "description/QVTDevice.h"

namespace doctest {

using namespace std::chrono_literals;

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::string ProgressLog::Joined() const
{
    std::string all;
    for (const std::string& t : texts)
        all += t + "|";
    return all;
}

// ---------------------------------------------------------------- progress

void ScriptedProgress::AddText(const std::string& text, std::int32_t step)
{
    log_.texts.push_back(text);
    log_.position += step;
    if (log_.onText)
        log_.onText(text);
}

void ScriptedProgress::Finish(bool success)
{
    log_.finishCalled = true;
    log_.finishedWith = success;
    finished_ = success;  // auto-close is on
}

bool ScriptedProgress::Finished()
{
    // After an error the user presses "&Finish" on the third look.
    if (!finished_ && log_.finishCalled && ++polls_ >= 3)
        finished_ = true;
    const bool result = finished_;
    finished_ = false;
    if (result)
        log_.finishCalled = false;
    return result;
}

bool ScriptedProgress::Cancelled()
{
    return log_.cancelAfterSteps >= 0 && log_.position >= log_.cancelAfterSteps;
}

// ---------------------------------------------------------------- user interface

void ScriptedUi::ShowMessage(MessageSeverity severity, MessageIcon icon, const std::string& text)
{
    messages.push_back({severity, icon, text});
    if (onMessage)
        onMessage(messages.back());
}

bool ScriptedUi::AskYesNo(MessageIcon, const std::string& text, bool)
{
    questions.push_back(text);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::unique_ptr<IProgress> ScriptedUi::BeginProgress(std::int32_t range)
{
    progress.range = range;
    progress.position = 0;
    ++progress.windows;
    return std::make_unique<ScriptedProgress>(progress);
}

std::optional<std::string> ScriptedUi::ChooseFile(const FileRequest& request)
{
    fileRequests.push_back(request);
    if (files.empty())
        return std::nullopt;
    std::string file = files.front();
    files.pop_front();
    return file;
}

ovro::ConnectDeviceChoice ScriptedChooser::Choose(const ovro::ConnectDeviceRequest& request)
{
    requests.push_back(request);
    if (choices.empty()) {
        ADD_FAILURE() << "unexpected Connect Device dialog";
        return {};
    }
    ovro::ConnectDeviceChoice choice = choices.front();
    choices.pop_front();
    return choice;
}

void ScriptedChooser::Push(ovro::ConnectDeviceChoice::Result result, std::uint8_t nodeId, std::uint8_t baud,
                           bool download, bool store)
{
    ovro::ConnectDeviceChoice c;
    c.result = result;
    c.nodeId = nodeId;
    c.baudRate = baud;
    c.download = download;
    c.store = store;
    choices.push_back(c);
}

void RecordingViews::OnPathChanged(const std::string& newPath, bool addToRecentList)
{
    path = newPath;
    if (addToRecentList)
        recentFiles.push_back(newPath);
}

std::unique_ptr<IProgress> ScriptedSearchView::BeginSearchProgress(std::int32_t range)
{
    progress.range = range;
    progress.position = 0;
    ++progress.windows;
    return std::make_unique<ScriptedProgress>(progress);
}

bool ScriptedSearchView::AskRetry(const std::string& text)
{
    retryTexts.push_back(text);
    if (retries.empty())
        return false;
    const bool retry = retries.front();
    retries.pop_front();
    return retry;
}

std::optional<std::size_t> ScriptedSearchView::ChooseResult(const std::vector<ovro::SearchNodeResult>& results,
                                                           std::uint8_t)
{
    lists.push_back(results);
    return pick;
}

// ---------------------------------------------------------------- fixture

void SimBusTest::SetUp()
{
    ASSERT_TRUE(bus_.create("ovro-doc"));
    ::setenv("OVRO_CAN_CHANNEL", "virtual:doc", 1);
    ASSERT_TRUE(commissioning_.LoadDescription(OVRO_DESCRIPTION_FILE));
    std::map<std::int32_t, std::string> errors;
    for (const ovro::CQVTEnumerator& e : commissioning_.errors)
        errors.emplace(e.value, e.text);
    master_.SetErrorList(errors);
    if (::access(SimProcess::executable().c_str(), X_OK) != 0)
        GTEST_SKIP() << "ovro-drive-sim is not built";
    if (boardInterface_) {
        ::setenv("XDG_CONFIG_HOME", bus_.path("config").c_str(), 1);
        ASSERT_TRUE(master_.Initialize(COP_LIBRARY_CARDMASTER, kStick, nullptr, COP_BAUD_20, 0))
            << "error " << master_.LastError();
    } else {
        ASSERT_TRUE(master_.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_20, 0))
            << "error " << master_.LastError();
    }
    // Generous, for a machine under load; a lost drive costs this per read.
    master_.SetSDOTimeout(boardInterface_ ? kBoardSdoTimeout : kSdoTimeout);
}

void SimBusTest::TearDown()
{
    doc_.reset();
    master_.Terminate();
    for (auto& drive : drives_)
        drive->stop();
    drives_.clear();
    bus_.remove();
}

SimProcess& SimBusTest::AddDrive(const DriveOptions& options)
{
    drives_.push_back(std::make_unique<SimProcess>());
    SimProcess& drive = *drives_.back();
    const std::string eeprom = bus_.path("drive" + std::to_string(drives_.size()) + ".eeprom");
    EXPECT_TRUE(drive.start(bus_.dir(), {"--model", options.model, "--node-id", options.nodeId, "--bitrate",
                                         std::to_string(options.kbit), "--bus", "doc", "--eeprom", eeprom,
                                         "--serial", std::to_string(options.serial), "--description",
                                         OVRO_DESCRIPTION_FILE}))
        << "ovro-drive-sim did not start: " << drive.log();
    return drive;
}

void SimBusTest::AddK315AndH315()
{
    DriveOptions k315;
    k315.nodeId = "3";
    DriveOptions h315;
    h315.model = "H315";
    h315.nodeId = "6";
    h315.serial = 2;
    AddDrive(k315);
    AddDrive(h315);
}

void SimBusTest::ChangeNodeSettings(ovro::CQVTDevice& device, int nodeId, int baudRate)
{
    device.nodeId = nodeId;
    device.nodeIdChanged = true;
    device.baudRate = baudRate;
    device.baudRateChanged = true;
}

ovro::DocumentEnvironment SimBusTest::Environment()
{
    ovro::DocumentEnvironment env;
    env.master = &master_;
    env.commissioning = &commissioning_;
    env.ui = &ui_;
    env.chooser = &chooser_;
    env.observer = &views_;
    env.status = &views_;
    env.windows = &views_;
    env.sleep = [this](std::chrono::milliseconds time) {
        sleeps_.push_back(time);
        std::this_thread::sleep_for(200ms);
    };
    env.defaultNodeId = 127;
    env.programDirectory = bus_.dir();
    env.descriptionPath = OVRO_DESCRIPTION_FILE;
    return env;
}

ovro::CQVTDoc& SimBusTest::MakeDocument()
{
    doc_ = std::make_unique<ovro::CQVTDoc>(Environment());
    return *doc_;
}

}  // namespace doctest

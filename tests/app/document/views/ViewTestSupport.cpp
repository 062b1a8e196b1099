#include "ViewTestSupport.h"

#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>

#include "document/CommissioningFile.h"
#include "ui/Progress.h"

using namespace std::chrono_literals;

namespace viewtest {

namespace {

class SilentProgress : public IProgress {
public:
    void AddText(const std::string& /*text*/, std::int32_t /*step*/) override {}
    void Finish(bool /*success*/) override {}
    bool Finished() override { return true; }
    bool Cancelled() override { return false; }
};

}  // namespace

// ---------------------------------------------------------------- scripted

void ScriptedUi::ShowMessage(MessageSeverity, MessageIcon, const std::string& text)
{
    messages.push_back(text);
    if (onMessage)
        onMessage();
}

bool ScriptedUi::AskYesNo(MessageIcon, const std::string& text, bool)
{
    questions.push_back(text);
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::unique_ptr<IProgress> ScriptedUi::BeginProgress(std::int32_t)
{
    return std::make_unique<SilentProgress>();
}

std::optional<std::string> ScriptedUi::ChooseFile(const FileRequest&)
{
    return std::nullopt;
}

ovro::ConnectDeviceChoice ScriptedChooser::Choose(const ovro::ConnectDeviceRequest&)
{
    if (choices.empty())
        return ovro::ConnectDeviceChoice{};
    const ovro::ConnectDeviceChoice choice = choices.front();
    choices.pop_front();
    return choice;
}

// ---------------------------------------------------------------- fixtures

void OfflineDocTest::SetUp()
{
    ASSERT_TRUE(bus_.create("ovro-views"));
    ::setenv("OVRO_CAN_CHANNEL", "virtual:views", 1);
    ASSERT_TRUE(commissioning_.LoadDescription(OVRO_DESCRIPTION_FILE));
}

void OfflineDocTest::TearDown()
{
    doc_.reset();
    bus_.remove();
}

ovro::DocumentEnvironment OfflineDocTest::Environment()
{
    ovro::DocumentEnvironment env;
    env.master = &master_;
    env.commissioning = &commissioning_;
    env.ui = &ui_;
    env.chooser = &chooser_;
    env.observer = &observers_;
    env.sleep = [](std::chrono::milliseconds) {};
    env.programDirectory = bus_.dir();
    env.descriptionPath = OVRO_DESCRIPTION_FILE;
    return env;
}

ovro::CQVTDoc& OfflineDocTest::OpenOffline(int model)
{
    const std::string path = bus_.path("offline" + std::to_string(model) + ".31x");
    ovro::CQVTDevice* device = commissioning_.SelectDevice(model);
    EXPECT_NE(device, nullptr);
    if (device != nullptr) {
        device->name = "Axis 1";
        device->nodeId = 9;
        EXPECT_TRUE(ovro::CCommissioningFile::Write(commissioning_, path, true));
    }
    commissioning_.ResetDevice();
    doc_ = std::make_unique<ovro::CQVTDoc>(Environment());
    ovro::ConnectDeviceChoice offline;
    offline.result = ovro::ConnectDeviceChoice::Offline;
    chooser_.choices.push_back(offline);
    EXPECT_TRUE(doc_->OnOpenDocument(path));
    return *doc_;
}

std::pair<int, int> OfflineDocTest::SectionAndRow(const ovro::CQVTDevice& device, std::uint16_t index)
{
    for (std::size_t s = 0; s < device.sections.size(); ++s) {
        const auto& parameters = device.sections[s].parameters;
        for (std::size_t p = 0; p < parameters.size(); ++p) {
            if (parameters[p].index == index)
                return {static_cast<int>(s), static_cast<int>(p)};
        }
    }
    ADD_FAILURE() << "no parameter " << index;
    return {0, 0};
}

void SimDocTest::SetUp()
{
    OfflineDocTest::SetUp();
    if (HasFatalFailure())
        return;
    if (::access(ovro::test::SimProcess::executable().c_str(), X_OK) != 0)
        GTEST_SKIP() << "ovro-drive-sim is not built";
    std::map<std::int32_t, std::string> errors;
    for (const ovro::CQVTEnumerator& e : commissioning_.errors)
        errors.emplace(e.value, e.text);
    master_.SetErrorList(errors);
    master_.SetWaitFunction([](std::chrono::milliseconds) { std::this_thread::sleep_for(100ms); });
    ASSERT_TRUE(master_.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_1000, 0))
        << "error " << master_.LastError();
}

void SimDocTest::TearDown()
{
    doc_.reset();
    master_.Terminate();
    for (auto& drive : drives_)
        drive->stop();
    drives_.clear();
    OfflineDocTest::TearDown();
}

ovro::CQVTDoc& SimDocTest::Connect(const std::string& model)
{
    drives_.push_back(std::make_unique<ovro::test::SimProcess>());
    ovro::test::SimProcess& drive = *drives_.back();
    EXPECT_TRUE(drive.start(bus_.dir(), {"--model", model, "--node-id", "5", "--bitrate", "1000", "--bus", "views",
                                         "--eeprom", bus_.path("drive.eeprom"), "--description",
                                         OVRO_DESCRIPTION_FILE}))
        << "ovro-drive-sim did not start: " << drive.log();
    doc_ = std::make_unique<ovro::CQVTDoc>(Environment());
    ovro::ConnectDeviceChoice connect;
    connect.result = ovro::ConnectDeviceChoice::Connect;
    connect.nodeId = 5;
    connect.baudRate = COP_BAUD_1000;
    chooser_.choices.push_back(connect);
    EXPECT_TRUE(doc_->OnNewDocument());
    for (const std::string& message : ui_.messages)
        ADD_FAILURE() << message;
    return *doc_;
}

}  // namespace viewtest

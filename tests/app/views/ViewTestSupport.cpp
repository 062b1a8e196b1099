#include "ViewTestSupport.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "CommissioningFile.h"
#include "Progress.h"

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

// True once the drive answers "ok" to a state request on its control
// socket at path.
bool Answers(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::send(fd, "state\n", 6, MSG_NOSIGNAL) == 6) {
        char buffer[512];
        while (reply.find("ok") == std::string::npos && reply.find("error") == std::string::npos) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            reply.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return reply.find("ok") != std::string::npos;
}

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

// ---------------------------------------------------------------- drive

std::string SimDrive::Program()
{
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path() / "ovro-drive-sim").string();
}

bool SimDrive::Start(const std::string& directory, const std::string& model, int nodeId, int kbit)
{
    const std::string control = directory + "/drive.ctl";
    std::vector<std::string> args = {Program(),  "--model",   model, "--node-id", std::to_string(nodeId),
                                     "--bitrate", std::to_string(kbit), "--bus", "views",
                                     "--eeprom",  directory + "/drive.eeprom", "--description",
                                     OVRO_DESCRIPTION_FILE, "--control", control};
    pid_ = ::fork();
    if (pid_ < 0)
        return false;
    if (pid_ == 0) {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        std::_Exit(127);
    }
    for (int i = 0; i < 300; ++i) {
        if (Answers(control))
            return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

void SimDrive::Stop()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    for (int i = 0; i < 300; ++i) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(10ms);
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

// ---------------------------------------------------------------- fixtures

void OfflineDocTest::SetUp()
{
    char pattern[] = "/tmp/ovro-views-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    directory_ = pattern;
    ::setenv("OVRO_CANBUS_DIR", directory_.c_str(), 1);
    ::setenv("OVRO_CAN_CHANNEL", "virtual:views", 1);
    ASSERT_TRUE(commissioning_.LoadDescription(OVRO_DESCRIPTION_FILE));
}

void OfflineDocTest::TearDown()
{
    doc_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
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
    env.programDirectory = directory_;
    env.descriptionPath = OVRO_DESCRIPTION_FILE;
    return env;
}

ovro::CQVTDoc& OfflineDocTest::OpenOffline(int model)
{
    const std::string path = directory_ + "/offline" + std::to_string(model) + ".31x";
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

void SimDocTest::SetUp()
{
    OfflineDocTest::SetUp();
    if (HasFatalFailure())
        return;
    if (::access(SimDrive::Program().c_str(), X_OK) != 0)
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
        drive->Stop();
    drives_.clear();
    OfflineDocTest::TearDown();
}

ovro::CQVTDoc& SimDocTest::Connect(const std::string& model)
{
    drives_.push_back(std::make_unique<SimDrive>());
    EXPECT_TRUE(drives_.back()->Start(directory_, model, 5, 1000)) << "ovro-drive-sim did not start";
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

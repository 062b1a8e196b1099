#include "MatrixFixture.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <cop/cop.h>

#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"
#include "document/ParameterValue.h"
#include "ui/MessageTexts.h"
#include "FileText.h"

extern char** environ;

namespace faults {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using ovro::test::ReadFile;

namespace {

constexpr std::uint16_t kProfileVelocity = 0x6081;  // the transferable parameter the cells use
constexpr const char* kBusName = "m";
// The pauses of the document (2000 ms after a reset) and of the master
// (1000 ms around the LMT bit-rate switch) shortened: the simulated drive
// boots at once, and switches within 200 ms.
constexpr auto kDocumentPause = 100ms;
constexpr auto kMasterPause = 300ms;

long Millis(Clock::duration d)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

}  // namespace

// ---------------------------------------------------------------- search view

std::unique_ptr<IProgress> MatrixSearchView::BeginSearchProgress(std::int32_t range)
{
    progress.range = range;
    progress.position = 0;
    ++progress.windows;
    return std::make_unique<doctest::ScriptedProgress>(progress);
}

bool MatrixSearchView::AskRetry(const std::string& text)
{
    retryTexts.push_back(text);
    if (retries <= 0)
        return false;
    --retries;
    if (beforeRetry)
        beforeRetry();
    return true;
}

std::optional<std::size_t> MatrixSearchView::ChooseResult(const std::vector<ovro::SearchNodeResult>& results,
                                                          std::uint8_t)
{
    chosenFrom = results;
    return 0;
}

// ---------------------------------------------------------------- set-up

void MatrixFixture::SetUp()
{
    ASSERT_TRUE(bus_.create("ovro-matrix"));
    ::setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBusName).c_str(), 1);
    if (::access(ovro::test::SimProcess::executable().c_str(), X_OK) != 0) {
        skipped_ = true;
        GTEST_SKIP() << "ovro-drive-sim is not built";
    }
    ASSERT_TRUE(commissioning_.LoadDescription(OVRO_DESCRIPTION_FILE));
    std::map<std::int32_t, std::string> errors;
    for (const ovro::CQVTEnumerator& e : commissioning_.errors)
        errors.emplace(e.value, e.text);
    master_.SetErrorList(errors);
    master_.SetWaitFunction([this](std::chrono::milliseconds time) {
        const auto slept = std::min<std::chrono::milliseconds>(time, kMasterPause);
        pausedMs_ += static_cast<long>(slept.count());
        std::this_thread::sleep_for(slept);
    });
    eeprom_ = bus_.path("drive.eeprom");
    ASSERT_TRUE(drive_.start(bus_.dir(), {"--model", "K315", "--node-id", "5", "--bitrate", "20", "--bus", kBusName,
                                          "--eeprom", eeprom_, "--serial", "1", "--description",
                                          OVRO_DESCRIPTION_FILE}))
        << drive_.log();
    ASSERT_TRUE(master_.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_20, 0))
        << "error " << master_.LastError();
    master_.SetSDOTimeout(kSdoTimeoutMs);
}

void MatrixFixture::TearDown()
{
    const Cell& cell = GetParam();
    doc_.reset();
    master_.Terminate();
    drive_.stop();
    bus_.remove();
    std::error_code ec;
    std::filesystem::create_directories(OVRO_MATRIX_RESULTS, ec);
    std::ofstream out(std::string(OVRO_MATRIX_RESULTS) + "/" + cell.name);
    out << (skipped_ ? "skip" : HasFailure() ? "fail" : "pass") << " " << CommandName(cell.command) << " "
        << FaultName(cell.fault) << " " << elapsedMs_ << " " << budgetMs_ << "\n";
}

ovro::CQVTDoc& MatrixFixture::NewDocument()
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
        const auto slept = std::min<std::chrono::milliseconds>(time, kDocumentPause);
        pausedMs_ += static_cast<long>(slept.count());
        std::this_thread::sleep_for(slept);
    };
    env.defaultNodeId = 127;
    env.programDirectory = bus_.dir();
    env.descriptionPath = OVRO_DESCRIPTION_FILE;
    doc_ = std::make_unique<ovro::CQVTDoc>(env);
    return *doc_;
}

bool MatrixFixture::Connect()
{
    ovro::CQVTDoc& doc = NewDocument();
    chooser_.Push(ovro::ConnectDeviceChoice::Connect, kNode, kBaud20);
    return doc.OnNewDocument();
}

ovro::CNodeSearch::Outcome MatrixFixture::Search(MatrixSearchView& view)
{
    ovro::CNodeSearch search(master_, commissioning_, ui_, view);
    ovro::CNodeSearch::Range range;
    range.first = 4;
    range.last = 6;
    range.baudRate = kBaud20;
    std::uint8_t id = 127;
    std::uint8_t baud = kBaud20;
    const ovro::CNodeSearch::Outcome outcome = search.Search(range, id, baud);
    searchResults_ = search.Results();
    return outcome;
}

void MatrixFixture::Edit(const std::string& value)
{
    ovro::CQVTParameter* p = doc_->Device()->FindParameter(kProfileVelocity, 0);
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(ovro::CParameterValue::SetValueText(*p, value));
    p->changed = true;
}

std::string MatrixFixture::ValueText(std::uint16_t index, std::uint8_t sub) const
{
    const ovro::CQVTParameter* p = doc_->Device()->FindParameter(index, sub);
    return p ? ovro::CParameterValue::GetValueText(*p, false) : "(none)";
}

void MatrixFixture::SendOnBus(const char* frame)
{
    // canbus send BUS FRAME, as a user would type it.
    const std::string tool = OVRO_CANBUS_TOOL;
    std::vector<std::string> args = {tool, "send", kBusName, frame};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(::posix_spawn(&pid, tool.c_str(), nullptr, nullptr, argv.data(), environ), 0) << tool;
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "canbus send " << frame;
}

// ---------------------------------------------------------------- the steps

void MatrixFixture::Prepare(const Cell& cell)
{
    if (cell.command == Command::Connect || cell.command == Command::NodeSearch)
        return;
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
    if (IsMotion(cell.command)) {
        PrepareMotion(cell);
        return;
    }
    if (IsScope(cell.command)) {
        PrepareScope(cell);
        return;
    }
    if (cell.command == Command::Download)
        Edit("2500");
    if (cell.command == Command::NodeSettings) {
        doc_->Device()->nodeId = kNewNode;
        doc_->Device()->nodeIdChanged = true;
    }
    if (cell.command == Command::Store || cell.command == Command::Reset || cell.command == Command::Restore)
        ui_.answers.push_back(true);  // the question before the command
    valueBefore_ = ValueText(kProfileVelocity, 0);
    if (cell.keepsValue) {
        // A value the drive does not hold, so that a read would change it.
        ovro::CQVTParameter* p = doc_->Device()->FindParameter(kProfileVelocity, 0);
        ASSERT_TRUE(ovro::CParameterValue::SetValueText(*p, "1234"));
        valueBefore_ = ValueText(kProfileVelocity, 0);
    }
}

void MatrixFixture::Inject(const Cell& cell)
{
    for (const std::string& line : cell.control)
        ASSERT_EQ(drive_.control(line), "ok\n") << line;
    storedBefore_ = ReadFile(eeprom_);
    firstMessage_ = ui_.messages.size();
    pausedMs_ = 0;
}

long MatrixFixture::Run(const Cell& cell)
{
    // A bus frame arrives while the command runs.
    std::thread frame;
    if (cell.busFrame != nullptr)
        frame = std::thread([this, &cell] {
            std::this_thread::sleep_for(20ms);
            SendOnBus(cell.busFrame);
        });
    if (cell.fault == Fault::SilentWhile && cell.command == Command::NodeSearch)
        searchView_.beforeRetry = [this] { EXPECT_TRUE(drive_.waitForState("silent", "0", 5000)); };
    searchView_.retries = cell.emptySweeps;
    if (!cell.found)
        searchView_.retries = cell.emptySweeps - 1;  // the last question is answered Cancel

    const auto start = Clock::now();
    switch (cell.command) {
    case Command::Connect: commandResult_ = Connect(); break;
    case Command::Upload: commandResult_ = doc_->Upload(); break;
    case Command::Download:
    case Command::NodeSettings: commandResult_ = doc_->Download(); break;
    case Command::Store: commandResult_ = doc_->Store(); break;
    case Command::Reset: commandResult_ = doc_->Reset(); break;
    case Command::Restore: commandResult_ = doc_->Restore(); break;
    case Command::NodeSearch:
        searchOutcome_ = Search(searchView_);
        commandResult_ = searchOutcome_ == ovro::CNodeSearch::Outcome::Chosen;
        break;
    default: commandResult_ = IsScope(cell.command) ? RunScope(cell.command) : RunMotion(cell.command); break;
    }
    const long ms = Millis(Clock::now() - start);
    if (frame.joinable())
        frame.join();
    return ms;
}

std::string MatrixFixture::ExpectedText(const Cell& cell) const
{
    std::string text;
    if (cell.text == TextOf::Error)
        text = commissioning_.GetErrorText(static_cast<std::int32_t>(cell.code));
    else if (cell.text == TextOf::Abort)
        text = CCANopenNode::AbortText(static_cast<std::uint32_t>(cell.code));
    if (cell.command == Command::NodeSearch)
        return MessageText(cell.message);
    if (IsScope(cell.command))
        return MessageText(cell.message);
    if (IsMotion(cell.command))
        return cell.subject ? FormatMessage(cell.message, cell.subject, text.c_str())
                            : FormatMessage(cell.message, text.c_str());
    if (cell.text == TextOf::None)
        return FormatMessage(cell.message, static_cast<int>(kNode));
    return FormatMessage(cell.message, static_cast<int>(kNode), text.c_str());
}

std::vector<std::string> MatrixFixture::UsualMessages(const Cell& cell) const
{
    if (cell.command == Command::NodeSettings)
        return {MessageText(63503)};  // only one node on the bus, please
    return {};
}

std::vector<std::string> MatrixFixture::MessagesSince(std::size_t first) const
{
    std::vector<std::string> texts;
    for (std::size_t i = first; i < ui_.messages.size(); ++i)
        texts.push_back(ui_.messages[i].text);
    return texts;
}

void MatrixFixture::CheckEnd(const Cell& cell)
{
    std::vector<std::string> expected = UsualMessages(cell);
    if (cell.command == Command::NodeSearch) {
        EXPECT_EQ(MessagesSince(firstMessage_), expected);
        EXPECT_EQ(searchView_.retryTexts, std::vector<std::string>(cell.emptySweeps, ExpectedText(cell)));
        EXPECT_EQ(commandResult_, cell.found);
        if (cell.found) {
            ASSERT_EQ(searchResults_.size(), 1u);
            const ovro::SearchNodeResult& r = searchResults_[0];
            EXPECT_EQ(r.nodeId, kNode);
            const std::string unknown = ovro::CNodeSearch::kUnknownText;
            const std::string field = cell.unknownField ? cell.unknownField : "";
            EXPECT_EQ(r.deviceName, field == "name" ? unknown : "Ovro K315");
            EXPECT_EQ(r.identNumber == unknown, field == "ident") << r.identNumber;
            EXPECT_NE(r.softwareVersion, unknown);
        } else {
            EXPECT_TRUE(searchResults_.empty());
            EXPECT_TRUE(searchView_.chosenFrom.empty());
        }
        // A sweep leaves no node added.
        for (std::uint8_t id = 4; id <= 6; ++id)
            EXPECT_EQ(master_.GetNode(id), nullptr) << int(id);
        return;
    }
    if (cell.message != 0)
        expected.push_back(ExpectedText(cell));
    EXPECT_EQ(MessagesSince(firstMessage_), expected);
    // Connect and the upload after Store, Reset and Restore report their own
    // result; a failed command never reads as success.
    if (cell.message != 0 && cell.command != Command::Connect) {
        EXPECT_FALSE(commandResult_);
    }
    if (cell.message == 0) {
        EXPECT_EQ(commandResult_, !cell.failsQuietly);
    }
    if (cell.keepsValue) {
        EXPECT_EQ(ValueText(kProfileVelocity, 0), valueBefore_) << "the aborted read changed the value";
    }
    if (cell.command == Command::Download && cell.message != 0) {
        EXPECT_TRUE(doc_->Device()->FindParameter(kProfileVelocity, 0)->changed) << "a failed write stays changed";
    }
    if (cell.fault == Fault::StoreFileFails && cell.command == Command::Store) {
        EXPECT_EQ(ReadFile(eeprom_), storedBefore_) << "the drive's store file changed";
    }
    if (IsScope(cell.command))
        CheckScopeEnd(cell);
    if (cell.command == Command::NodeSettings && cell.message != 0) {
        EXPECT_FALSE(doc_->IsOnline());
        EXPECT_TRUE(doc_->IsOffline());
    }
}

void MatrixFixture::CheckTime(const Cell& cell, long ms)
{
    // The time-outs that must run, and those that may.
    long timeouts = cell.timeouts.sdo * kSdoTimeoutMs + cell.timeouts.store * kStoreTimeoutMs +
                    cell.timeouts.lmt * kLmtTimeoutMs;
    long possible = 0;
    if (cell.command == Command::NodeSearch) {
        // The absent nodes 4 and 6 cost one time-out each per sweep; a drive
        // that does not answer a read one more.
        const int sweeps = cell.found ? cell.emptySweeps + 1 : cell.emptySweeps;
        timeouts += sweeps * 2L * kSdoTimeoutMs;
        possible += (cell.emptySweeps + (cell.unknownField != nullptr ? 1 : 0)) * long(kSdoTimeoutMs);
        if (cell.fault == Fault::SilentWhile)
            possible += 1000;  // the retry waits for the drive to talk again
    }
    elapsedMs_ = ms;
    budgetMs_ = timeouts + possible + pausedMs_ + kMarginMs;
    EXPECT_LE(ms, budgetMs_) << "time-outs " << timeouts << " ms (+" << possible << "), pauses "
                             << pausedMs_.load() << " ms";
    // The time-outs must all have run: a command that gives up early has
    // not used the time-out its drive needs (2500 ms for Store).
    EXPECT_GE(ms + 20, timeouts * 9 / 10) << "time-outs " << timeouts << " ms";
}

void MatrixFixture::Heal(const Cell& cell)
{
    ASSERT_EQ(drive_.control("clear"), "ok\n");
    ASSERT_EQ(drive_.control("abort clear"), "ok\n");
    // A drive silent for a while (or switched off) talks again by itself;
    // one silent for good is told to.
    if (cell.fault == Fault::SilentForGood) {
        ASSERT_EQ(drive_.control("resume"), "ok\n");
    }
    ASSERT_TRUE(drive_.waitForState("silent", "0", 5000));
}

void MatrixFixture::CheckNextCommandWorks(const Cell& cell)
{
    const std::size_t first = ui_.messages.size();
    switch (cell.command) {
    case Command::Connect:
        // Close what the command left and connect anew.
        if (doc_) {
            doc_->OnCloseDocument();
            doc_.reset();
        }
        ASSERT_TRUE(Connect());
        EXPECT_TRUE(doc_->IsOnline());
        EXPECT_EQ(doc_->Model(), 2);
        break;
    case Command::Upload: EXPECT_TRUE(doc_->Upload()); break;
    case Command::Download:
        Edit("2600");
        EXPECT_TRUE(doc_->Download());
        EXPECT_TRUE(doc_->Upload());
        EXPECT_EQ(ValueText(kProfileVelocity, 0), "2600");
        break;
    case Command::Store:
    case Command::Reset:
    case Command::Restore: {
        ui_.answers.push_back(true);
        const bool done = cell.command == Command::Store   ? doc_->Store()
                          : cell.command == Command::Reset ? doc_->Reset()
                                                           : doc_->Restore();
        EXPECT_TRUE(done);
        break;
    }
    case Command::NodeSearch: {
        MatrixSearchView view;
        EXPECT_EQ(Search(view), ovro::CNodeSearch::Outcome::Chosen);
        ASSERT_EQ(searchResults_.size(), 1u);
        EXPECT_EQ(searchResults_[0].deviceName, "Ovro K315");
        break;
    }
    default:
        if (IsScope(cell.command))
            CheckScopeNext(cell);
        else
            CheckMotionNext(cell);
        break;
    case Command::NodeSettings:
        if (!doc_->IsOnline()) {
            // The drive kept node-id 5: connect to it again and change it once more.
            chooser_.Push(ovro::ConnectDeviceChoice::Connect, kNode, kBaud20);
            doc_->OnConnect();
            ASSERT_TRUE(doc_->IsOnline()) << (ui_.messages.empty() ? "" : ui_.messages.back().text);
            EXPECT_TRUE(doc_->Device()->nodeIdChanged);
            EXPECT_TRUE(doc_->Download());
        }
        EXPECT_TRUE(doc_->IsOnline());
        EXPECT_EQ(doc_->NodeId(), kNewNode);
        EXPECT_TRUE(doc_->Upload());
        break;
    }
    std::vector<std::string> expected;
    if (cell.command == Command::NodeSettings && cell.message != 0)
        expected = UsualMessages(cell);
    EXPECT_EQ(MessagesSince(first), expected);
}

}  // namespace faults

// MatrixFixture.h - one cell of the fault matrix: a K315 (ovro-drive-sim)
// at node-id 5 on a private virtual bus, the program's master and document
// on it with a short SDO time-out; the command prepared (connected,
// edited), the fault brought about, the command run and timed, the drive
// healed, and the next command run.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../app/document/DocTestSupport.h"
#include "FaultMatrix.h"
#include "canopen/CANopenMaster.h"
#include "description/Commissioning.h"
#include "document/NodeSearch.h"
#include "document/QVTDoc.h"
#include "operation/DocumentDrive.h"
#include "operation/HomingMode.h"
#include "operation/ManualMode.h"
#include "operation/PositionMode.h"
#include "operation/VelocityMode.h"
#include "scope/OscilloscopeData.h"
#include "scope/Recording.h"
#include "PrivateBus.h"
#include "SimProcess.h"

namespace faults {

constexpr std::uint16_t kSdoTimeoutMs = 250;
constexpr int kStoreTimeoutMs = 2500;
constexpr int kLmtTimeoutMs = 500;
// What the commands take besides their time-outs, on a loaded machine.
constexpr int kMarginMs = 2500;
constexpr std::uint8_t kNode = 5;
constexpr std::uint8_t kNewNode = 9;
constexpr std::uint8_t kBaud20 = 7;

// The node search's view: answers Retry a given number of times (after the
// drive has talked again, when asked to wait) and takes the first record.
class MatrixSearchView : public ovro::INodeSearchView {
public:
    std::unique_ptr<IProgress> BeginSearchProgress(std::int32_t range) override;
    bool AskRetry(const std::string& text) override;
    std::optional<std::size_t> ChooseResult(const std::vector<ovro::SearchNodeResult>& results,
                                            std::uint8_t baudRate) override;

    int retries = 0;                       // Retry so many times, then Cancel
    std::function<void()> beforeRetry;     // e.g. wait for the drive
    std::vector<std::string> retryTexts;
    std::vector<ovro::SearchNodeResult> chosenFrom;
    doctest::ProgressLog progress;
};

class MatrixFixture : public ::testing::TestWithParam<Cell> {
protected:
    void SetUp() override;
    void TearDown() override;

    // The steps of a cell.
    void Prepare(const Cell& cell);
    void Inject(const Cell& cell);
    // Runs the command; returns its time in ms.
    long Run(const Cell& cell);
    void CheckEnd(const Cell& cell);
    void CheckTime(const Cell& cell, long ms);
    void Heal(const Cell& cell);
    void CheckNextCommandWorks(const Cell& cell);

    // The message the cell expects, formatted.
    std::string ExpectedText(const Cell& cell) const;
    // The messages the command shows besides its end (the node-settings
    // change warns before it starts).
    std::vector<std::string> UsualMessages(const Cell& cell) const;
    std::vector<std::string> MessagesSince(std::size_t first) const;

    ovro::CQVTDoc& NewDocument();
    bool Connect();
    ovro::CNodeSearch::Outcome Search(MatrixSearchView& view);
    void Edit(const std::string& value);
    std::string ValueText(std::uint16_t index, std::uint8_t sub) const;
    void SendOnBus(const char* frame);

    // The Motion Control window's commands (MotionSteps.cpp): the page
    // opened with its values (and, before a Stop, started), its Start or
    // Stop, and the Start and Stop that must work afterwards.
    void PrepareMotion(const Cell& cell);
    bool RunMotion(Command command);
    void CheckMotionNext(const Cell& cell);
    // The controlword the drive holds now.
    std::uint16_t DriveControlword();
    // The oscilloscope's (ScopeSteps.cpp).
    void PrepareScope(const Cell& cell);
    bool RunScope(Command command);
    void CheckScopeEnd(const Cell& cell);
    void CheckScopeNext(const Cell& cell);

    ovro::test::PrivateBus bus_;
    CCANopenMaster master_;
    ovro::CCommissioning commissioning_;
    doctest::ScriptedUi ui_;
    doctest::ScriptedChooser chooser_;
    doctest::RecordingViews views_;
    ovro::test::SimProcess drive_;
    std::unique_ptr<ovro::CQVTDoc> doc_;
    std::atomic<long> pausedMs_{0};  // the document's pauses (reset wait)
    std::string eeprom_;
    std::string storedBefore_;       // the EEPROM file before the command
    std::string valueBefore_;        // 0x6081 before the command
    std::size_t firstMessage_ = 0;   // the command's messages start here
    MatrixSearchView searchView_;
    ovro::CNodeSearch::Outcome searchOutcome_ = ovro::CNodeSearch::Outcome::Closed;
    std::vector<ovro::SearchNodeResult> searchResults_;
    bool commandResult_ = false;
    long elapsedMs_ = -1;
    long budgetMs_ = 0;
    bool skipped_ = false;
    std::unique_ptr<ovro::CDocumentDrive> motionDrive_;
    std::unique_ptr<ovro::CPositionMode> position_;
    std::unique_ptr<ovro::CVelocityMode> velocity_;
    std::unique_ptr<ovro::CHomingMode> homing_;
    std::unique_ptr<ovro::CManualMode> manual_;
    std::unique_ptr<COscilloscopeData> scope_;
    std::unique_ptr<CRecording> recording_;
};

}  // namespace faults

// The fault matrix's steps for the oscilloscope: its window opened on the
// connected document with the position signal, Start and Stop, and the
// recording that must start and stop afterwards.
#include "MatrixFixture.h"

#include "scope/OscilloscopeData.h"
#include "scope/Recording.h"

namespace faults {

void MatrixFixture::PrepareScope(const Cell& cell)
{
    scope_ = std::make_unique<COscilloscopeData>();
    scope_->settings.SetChannels({RecordingSettings::kPosition});
    recording_ = std::make_unique<CRecording>(scope_->settings, scope_->collector, master_, ui_);
    recording_->SetDocument(doc_.get());
    recording_->SetSleep([](std::chrono::milliseconds) {});
    recording_->Open();
    if (cell.command == Command::ScopeStop) {
        ASSERT_TRUE(recording_->Start());
        ASSERT_TRUE(recording_->IsRecording());
    }
    ASSERT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
}

bool MatrixFixture::RunScope(Command command)
{
    if (command == Command::ScopeStart)
        return recording_->Start();
    recording_->Stop();
    return !recording_->IsRecording();
}

void MatrixFixture::CheckScopeEnd(const Cell& cell)
{
    // A Start that failed starts no recording; a Stop ends it.
    EXPECT_EQ(recording_->IsRecording(), cell.command == Command::ScopeStart && cell.message == 0);
}

void MatrixFixture::CheckScopeNext(const Cell& cell)
{
    if (recording_->IsRecording()) {
        EXPECT_TRUE(RunScope(Command::ScopeStop));
    }
    EXPECT_TRUE(RunScope(Command::ScopeStart));
    EXPECT_TRUE(recording_->IsRecording());
    EXPECT_TRUE(drive_.waitForState("nmt", "operational", 2000));
    EXPECT_TRUE(RunScope(Command::ScopeStop));
    EXPECT_TRUE(drive_.waitForState("nmt", "pre-operational", 2000)) << CommandName(cell.command);
}

}  // namespace faults

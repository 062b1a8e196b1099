// The drive windows' commands and the document's busy mark, against the
// simulated drive: while another command runs (a download's progress box
// lets window messages through) no start reaches the drive, a stop always
// does, and while a start shows its message nothing may disconnect or
// close the document under it.
#include "OperationTestSupport.h"

#include <functional>

#include "canopen/CANopenNode.h"
#include "operation/DriveCommands.h"
#include "operation/FaultReset.h"
#include "operation/HomingMode.h"
#include "operation/ManualMode.h"
#include "operation/PositionMode.h"
#include "operation/VelocityMode.h"

using namespace optest;

namespace {

class CommandGuardTest : public OperationSimTest {};

struct StartRow {
    const char* name;
    std::function<bool(ovro::IDriveDocument&, IUserInterface&)> start;
};

std::vector<StartRow> Starts()
{
    return {
        {"position start",
         [](ovro::IDriveDocument& d, IUserInterface& ui) {
             ovro::CPositionMode page(d, ui);
             page.Open();
             return page.Start();
         }},
        {"velocity start",
         [](ovro::IDriveDocument& d, IUserInterface& ui) {
             ovro::CVelocityMode page(d, ui);
             page.Open();
             return page.Start();
         }},
        {"homing start",
         [](ovro::IDriveDocument& d, IUserInterface& ui) {
             ovro::CHomingMode page(d, ui);
             page.Open();
             return page.Start();
         }},
        {"jog", [](ovro::IDriveDocument& d,
                   IUserInterface& ui) { return ovro::CManualMode(d, ui).StartJog(ovro::CManualMode::Direction::Positive); }},
        {"manual box",
         [](ovro::IDriveDocument& d, IUserInterface& ui) {
             ovro::CManualMode page(d, ui);
             page.Open();
             page.SetSimulated(false);
             return !page.Simulated();
         }},
        {"reset fault", [](ovro::IDriveDocument& d, IUserInterface&) { return ovro::CFaultReset::Run(d); }},
        {"clear list",
         [](ovro::IDriveDocument& d, IUserInterface&) {
             ovro::CDriveCommands::ClearErrorList(d);
             return true;
         }},
    };
}

TEST_F(CommandGuardTest, NoStartReachesTheDriveWhileAnotherCommandRunsButStopsDo)
{
    Connect();
    for (const StartRow& row : Starts()) {
        SCOPED_TRACE(row.name);
        {
            const ovro::CQVTDoc::BusyScope download(*doc_);
            monitor_->clear();
            if (std::string(row.name) != "clear list")
                EXPECT_FALSE(row.start(*drive_, ui_));
            else
                row.start(*drive_, ui_);
            // Opening a page may read the drive; nothing is written.
            for (const Request& r : monitor_->sdoRequests(kNode))
                EXPECT_FALSE(r.write) << BusMonitor::text(r);
            EXPECT_TRUE(doc_->IsBusy());
        }
        EXPECT_FALSE(doc_->IsBusy());
        EXPECT_TRUE(TakeMessages().empty());
    }

    // The stops are never refused, and end with the command around them.
    {
        const ovro::CQVTDoc::BusyScope download(*doc_);
        monitor_->clear();
        ovro::CDriveCommands::QuickStop(*drive_);
        ovro::CDriveCommands::Halt(*drive_);
        EXPECT_EQ(monitor_->controlwords(kNode), (std::vector<std::uint16_t>{2, 271}));
        EXPECT_TRUE(doc_->IsBusy());
    }
    EXPECT_FALSE(doc_->IsBusy());

    // Idle again, a start runs as before.
    monitor_->clear();
    EXPECT_TRUE(Starts()[0].start(*drive_, ui_));
    EXPECT_FALSE(monitor_->controlwords(kNode).empty());
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(CommandGuardTest, WhileAStartShowsItsMessageTheDocumentKeepsItsNode)
{
    Connect();
    Control("abort 0x6081 0 0x08000020");  // the profile velocity refused
    struct Inside {
        int messages = 0;
        bool busy = false;
        bool disconnected = true;
        bool mayClose = true;
    } inside;
    ui_.onMessage = [&] {
        ++inside.messages;
        inside.busy = doc_->IsBusy();
        inside.disconnected = doc_->OnDisconnect();
        inside.mayClose = doc_->CanCloseFrame();
    };
    ovro::CPositionMode page(*drive_, ui_);
    page.Open();
    EXPECT_FALSE(page.Start());
    ui_.onMessage = nullptr;

    EXPECT_EQ(inside.messages, 1);
    EXPECT_TRUE(inside.busy);
    EXPECT_FALSE(inside.disconnected);
    EXPECT_FALSE(inside.mayClose);
    EXPECT_TRUE(ui_.questions.empty());
    ASSERT_EQ(master_.GetNode(kNode), doc_->Node());
    EXPECT_TRUE(doc_->IsOnline());

    // The command over, Disconnect works again.
    EXPECT_FALSE(doc_->IsBusy());
    EXPECT_TRUE(doc_->OnDisconnect());
    EXPECT_FALSE(doc_->IsOnline());
}

} // namespace

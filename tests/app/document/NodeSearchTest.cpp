// The node search sweep against simulated drives.
#include "DocTestSupport.h"

#include "document/ConnectDeviceModel.h"
#include "ui/MessageTexts.h"

using namespace doctest;
using ovro::CNodeSearch;

namespace {

class NodeSearchTest : public SimBusTest {
protected:
    CNodeSearch::Outcome Search(unsigned first, unsigned last, std::uint8_t baud = 7)
    {
        CNodeSearch search(master_, commissioning_, ui_, view_);
        CNodeSearch::Range range;
        range.first = first;
        range.last = last;
        range.baudRate = baud;
        const CNodeSearch::Outcome outcome = search.Search(range, chosenId_, chosenBaud_);
        results_ = search.Results();
        return outcome;
    }

    ScriptedSearchView view_;
    std::uint8_t chosenId_ = 127;
    std::uint8_t chosenBaud_ = 7;
    std::vector<ovro::SearchNodeResult> results_;
};

TEST_F(NodeSearchTest, TheSweepListsEveryDriveThatAnswers)
{
    AddK315AndH315();
    view_.pick = 1;
    EXPECT_EQ(Search(8, 1), CNodeSearch::Outcome::Chosen);

    ASSERT_EQ(results_.size(), 2u);
    // Downwards from 8: node 6 first.
    EXPECT_EQ(results_[0].nodeId, 6);
    EXPECT_EQ(results_[0].deviceName, "Ovro H315");
    EXPECT_EQ(results_[1].nodeId, 3);
    EXPECT_EQ(results_[1].deviceName, "Ovro K315");
    EXPECT_FALSE(results_[1].softwareVersion.empty());
    EXPECT_EQ(chosenId_, 3);
    EXPECT_EQ(chosenBaud_, 7);
    const auto row = results_[0].RowTexts(7);
    EXPECT_EQ(row[0], "#6");
    EXPECT_EQ(row[1], "20kBit/sec");
    EXPECT_EQ(row[2], "Ovro H315");

    EXPECT_EQ(view_.progress.range, 8);
    EXPECT_EQ(view_.progress.position, 8);
    EXPECT_EQ(view_.progress.texts.front(), "Search with 20kBit/sec, Node-ID=8");
    EXPECT_EQ(view_.progress.texts.back(), "Search with 20kBit/sec, Node-ID=1");
    for (unsigned id = 1; id <= 127; ++id)
        EXPECT_EQ(master_.GetNode(static_cast<std::uint8_t>(id)), nullptr) << id;
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(NodeSearchTest, AFailedBaudRateSwitchEndsTheSearchWithItsMessage)
{
    // The interface has gone: the switch to 125 kBit/s cannot be made.
    master_.Terminate();
    EXPECT_EQ(Search(1, 127, 4), CNodeSearch::Outcome::Closed);
    ASSERT_EQ(ui_.messages.size(), 1u);
    const std::string error = commissioning_.GetErrorText(master_.LastError());
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ui_.messages[0].text, FormatMessage(63609, error.c_str()));
    EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Error);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Stop);
    // The progress window was opened for the switch and closed before the
    // message; no node id was tried and no list or retry was offered.
    EXPECT_EQ(view_.progress.windows, 1);
    ASSERT_EQ(view_.progress.texts.size(), 1u);
    EXPECT_EQ(view_.progress.texts[0], "Setting baud rate to 125kBit/sec");
    EXPECT_TRUE(view_.lists.empty());
    EXPECT_TRUE(view_.retryTexts.empty());
}

TEST_F(NodeSearchTest, NoDriveFoundAsksToRetryOrCancel)
{
    AddDrive({});  // node 5
    view_.retries = {true};
    EXPECT_EQ(Search(0, 2), CNodeSearch::Outcome::Closed);
    ASSERT_EQ(view_.retryTexts.size(), 2u);
    EXPECT_EQ(view_.retryTexts[0], MessageText(63608));
    EXPECT_EQ(view_.progress.windows, 2);
    // Ids 0, 1 and 2 each visited once per sweep; 0 is skipped by the master.
    EXPECT_EQ(view_.progress.texts.size(), 6u);
    EXPECT_EQ(view_.progress.texts[0], "Search with 20kBit/sec, Node-ID=0");
    EXPECT_TRUE(view_.lists.empty());
}

TEST_F(NodeSearchTest, ASweepAtAnotherBaudRateFindsNothingAndKeepsTheRate)
{
    AddDrive({});  // node 5 at 20 kBit/s
    EXPECT_EQ(Search(5, 5, 4), CNodeSearch::Outcome::Closed);
    EXPECT_EQ(view_.progress.texts.front(), "Setting baud rate to 125kBit/sec");
    EXPECT_EQ(view_.progress.range, 1);
    EXPECT_EQ(master_.BaudRate(), 4);
    EXPECT_EQ(view_.retryTexts.size(), 1u);
}

TEST_F(NodeSearchTest, CancelHalfWayEndsQuietly)
{
    DriveOptions late;
    late.nodeId = "20";
    AddDrive(late);
    view_.progress.cancelAfterSteps = 4;
    EXPECT_EQ(Search(1, 30), CNodeSearch::Outcome::Cancelled);
    EXPECT_EQ(view_.progress.texts.size(), 4u);
    EXPECT_TRUE(view_.retryTexts.empty());
    EXPECT_TRUE(view_.lists.empty());
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_TRUE(results_.empty());
}

TEST(ConnectDeviceModelTest, TheNodeIdMustLieIn1To127)
{
    ovro::ConnectDeviceRequest request;
    request.configurationAllowed = false;
    ovro::CConnectDeviceModel model(request);
    ovro::ConnectDeviceChoice choice;
    std::string prompt;
    EXPECT_FALSE(model.Connect("0", 7, false, false, choice, prompt));
    EXPECT_EQ(prompt, "Please enter an integer between 1 and 127.");
    EXPECT_FALSE(model.Connect("128", 7, false, false, choice, prompt));
    EXPECT_FALSE(model.Connect("12a", 7, false, false, choice, prompt));
    EXPECT_FALSE(model.Connect(" ", 7, false, false, choice, prompt));
    ASSERT_TRUE(model.Connect(" 12 ", 3, true, true, choice, prompt));
    EXPECT_EQ(choice.result, ovro::ConnectDeviceChoice::Connect);
    EXPECT_EQ(choice.nodeId, 12);
    EXPECT_EQ(choice.baudRate, 3);
    EXPECT_FALSE(choice.download);  // configuration not allowed

    // A cancelled search still leaves its values in the dialog.
    EXPECT_FALSE(model.TakeSearch(CNodeSearch::Outcome::Closed, 44, 2, choice));
    EXPECT_EQ(model.Values().nodeId, 44);
    EXPECT_EQ(model.Values().baudRate, 2);
    EXPECT_TRUE(model.TakeSearch(CNodeSearch::Outcome::Chosen, 45, 2, choice));
    EXPECT_EQ(choice.nodeId, 45);
    EXPECT_EQ(ovro::CConnectDeviceModel::BaudRateTexts()[8], std::string("10"));
}

}  // namespace

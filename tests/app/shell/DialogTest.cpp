// The connection dialogs and the recent-file list on their own, without a
// drive: the node-id check of "C&onnect", the buttons the caller allows, the
// result list's choice, the progress window and the four recent files.
#include "ScriptedUserInterface.h"
#include "shell/DlgConnectDevice.h"
#include "shell/DlgSearchNode.h"
#include "shell/DlgSearchNodeProgress.h"
#include "shell/DlgSearchNodeResults.h"
#include "shell/RecentFileList.h"

#include "canopen/CANopenMaster.h"
#include "description/Commissioning.h"
#include "settings/MemorySettingsStore.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

namespace {

class ConnectDialogTest : public ::testing::Test {
protected:
    CCANopenMaster master_;
    ovro::CCommissioning description_;
    ScriptedUserInterface ui_;
};

TEST_F(ConnectDialogTest, ConnectInsistsOnANodeIdFrom1To127)
{
    ovro::ConnectDeviceRequest request;
    request.nodeId = 12;
    request.baudRate = 3;
    CDlgConnectDevice dialog(request, master_, description_, ui_);
    EXPECT_EQ(dialog.NodeIdField()->value(), 12);
    EXPECT_EQ(dialog.BaudRateList()->count(), 9);
    EXPECT_EQ(dialog.BaudRateList()->currentText(), QStringLiteral("250"));
    // Neither offline nor the configuration were allowed.
    EXPECT_FALSE(dialog.OfflineButton()->isEnabled());
    EXPECT_FALSE(dialog.ConfigurationGroup()->isEnabled());

    for (int bad : {0, 128}) {
        dialog.NodeIdField()->setValue(bad);
        dialog.ConnectButton()->click();
        EXPECT_EQ(dialog.result(), 0) << bad;
    }
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[0].text, "Please enter an integer between 1 and 127.");

    dialog.NodeIdField()->setValue(127);
    dialog.BaudRateList()->setCurrentIndex(0);
    dialog.ConnectButton()->click();
    EXPECT_EQ(dialog.result(), 1);
    const ovro::ConnectDeviceChoice choice = dialog.Choice();
    EXPECT_EQ(choice.result, ovro::ConnectDeviceChoice::Connect);
    EXPECT_EQ(choice.nodeId, 127);
    EXPECT_EQ(choice.baudRate, 0);
    EXPECT_FALSE(choice.download);
}

TEST_F(ConnectDialogTest, TheNodeIdArrowsRunFrom1To127WhileTypingMayGoBeyond)
{
    ovro::ConnectDeviceRequest request;
    request.nodeId = 126;
    CDlgConnectDevice connect(request, master_, description_, ui_);
    CDlgSearchNode search(master_, description_, ui_, 5, 7);
    const struct {
        const char* name;
        QSpinBox* field;
        int typedMaximum;
    } rows[] = {
        {"Connect Device node-id", connect.NodeIdField(), 999},
        {"Search Node first id", search.FirstField(), 255},
        {"Search Node last id", search.LastField(), 255},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QSpinBox* field = row.field;
        field->setValue(126);
        field->stepBy(5);
        EXPECT_EQ(field->value(), 127);
        field->stepBy(1);
        EXPECT_EQ(field->value(), 127);
        field->setValue(2);
        field->stepBy(-5);
        EXPECT_EQ(field->value(), 1);
        // Typed numbers outside the node-ids stay until an arrow is used.
        field->setValue(0);
        EXPECT_EQ(field->value(), 0);
        field->setValue(200);
        EXPECT_EQ(field->value(), 200);
        EXPECT_EQ(field->maximum(), row.typedMaximum);
        field->stepBy(-1);
        EXPECT_EQ(field->value(), 127);
    }
}

TEST_F(ConnectDialogTest, TheFlagsAndOfflineWhereTheCallerAllowsThem)
{
    ovro::ConnectDeviceRequest request;
    request.offlineAllowed = true;
    request.configurationAllowed = true;
    {
        CDlgConnectDevice dialog(request, master_, description_, ui_);
        EXPECT_TRUE(dialog.ConfigurationGroup()->isEnabled());
        dialog.DownloadBox()->setChecked(true);
        dialog.StoreBox()->setChecked(true);
        dialog.ConnectButton()->click();
        EXPECT_TRUE(dialog.Choice().download);
        EXPECT_TRUE(dialog.Choice().store);
    }
    {
        CDlgConnectDevice dialog(request, master_, description_, ui_);
        ASSERT_TRUE(dialog.OfflineButton()->isEnabled());
        dialog.OfflineButton()->click();
        EXPECT_EQ(dialog.result(), 5);
        EXPECT_EQ(dialog.Choice().result, ovro::ConnectDeviceChoice::Offline);
    }
    {
        CDlgConnectDevice dialog(request, master_, description_, ui_);
        dialog.reject();
        EXPECT_EQ(dialog.result(), 2);
        EXPECT_EQ(dialog.Choice().result, ovro::ConnectDeviceChoice::Cancel);
    }
}

TEST(SearchResultsTest, TheGridListsTheDrivesAndOkTakesTheSelectedOne)
{
    std::vector<ovro::SearchNodeResult> found(2);
    found[0].nodeId = 3;
    found[0].deviceName = "Ovro H315";
    found[0].identNumber = "(unkwown)";
    found[0].softwareVersion = "v1.000";
    found[1].nodeId = 9;
    found[1].deviceName = "Ovro K315";
    CDlgSearchNodeResults dialog(found, 4);
    QTableWidget* grid = dialog.Grid();
    ASSERT_EQ(grid->rowCount(), 2);
    ASSERT_EQ(grid->columnCount(), 5);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Node-ID"));
    EXPECT_EQ(grid->item(0, 0)->text(), QStringLiteral("#3"));
    EXPECT_EQ(grid->item(0, 1)->text(), QStringLiteral("125kBit/sec"));
    EXPECT_EQ(grid->item(0, 3)->text(), QStringLiteral("(unkwown)"));
    EXPECT_GT(grid->columnWidth(1), grid->columnWidth(0));
    EXPECT_GT(grid->columnWidth(2), grid->columnWidth(1));
    // The first row is selected on opening.
    ASSERT_EQ(grid->selectedRanges().size(), 1);
    EXPECT_EQ(grid->selectedRanges().front().topRow(), 0);

    // Without a selection OK leaves the dialog open.
    grid->clearSelection();
    dialog.OkButton()->click();
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_FALSE(dialog.Chosen());

    grid->selectRow(1);
    dialog.OkButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(dialog.Chosen());
    EXPECT_EQ(*dialog.Chosen(), 1u);
}

TEST(SearchProgressTest, StepsTextAndCancelWhileTheOwnerIsDisabled)
{
    QWidget owner;
    owner.show();
    {
        CDlgSearchNodeProgress progress(3, &owner);
        EXPECT_FALSE(owner.isEnabled());
        EXPECT_TRUE(progress.isEnabled());
        EXPECT_EQ(progress.windowTitle(), QStringLiteral("Search Node Progress"));
        EXPECT_EQ(progress.TextLine()->text(), QStringLiteral("Search node..."));
        progress.AddText("Search with 20kBit/sec, Node-ID=1", 1);
        EXPECT_EQ(progress.Bar()->value(), 1);
        EXPECT_EQ(progress.TextLine()->text(), QStringLiteral("Search with 20kBit/sec, Node-ID=1"));
        progress.AddText("", 1);
        EXPECT_EQ(progress.TextLine()->text(), QStringLiteral("Search node..."));
        EXPECT_FALSE(progress.Cancelled());
        progress.CancelButton()->click();
        EXPECT_TRUE(progress.Cancelled());
        EXPECT_FALSE(progress.Cancelled());  // read and cleared
    }
    EXPECT_TRUE(owner.isEnabled());
}

TEST(RecentFileListTest, KeepsFourNewestFirstInTheSettings)
{
    MemorySettingsStore store;
    CRecentFileList list(store);
    list.Load();
    EXPECT_TRUE(list.Files().empty());
    for (const char* path : {"/a.31x", "/b.31x", "/c.31x", "/d.31x", "/e.31x"})
        ASSERT_TRUE(list.Add(path));
    ASSERT_EQ(list.Files(), (std::vector<std::string>{"/e.31x", "/d.31x", "/c.31x", "/b.31x"}));
    // Opening one again moves it to the front, once.
    list.Add("/c.31x");
    EXPECT_EQ(list.Files(), (std::vector<std::string>{"/c.31x", "/e.31x", "/d.31x", "/b.31x"}));
    EXPECT_EQ(store.ReadString("Recent File List", "File1", ""), "/c.31x");
    EXPECT_EQ(store.ReadString("Recent File List", "File4", ""), "/b.31x");

    CRecentFileList again(store);
    again.Load();
    EXPECT_EQ(again.Files(), list.Files());
    again.Remove("/e.31x");
    EXPECT_EQ(again.Files(), (std::vector<std::string>{"/c.31x", "/d.31x", "/b.31x"}));
    EXPECT_EQ(store.ReadString("Recent File List", "File4", "x"), "");
}

}  // namespace

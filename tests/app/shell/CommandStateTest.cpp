// Which commands the menus offer, with and without a document.
#include "shell/CommandState.h"
#include "ui/CommandIds.h"

#include <gtest/gtest.h>

using namespace CommandId;

namespace {

TEST(CommandState, WithoutDocumentFeatureOnlyTheShellCommandsWork)
{
    CCommandState s;
    for (unsigned c : {kInterfaceInitialize, kInterfaceInitializeTool, kInterfaceProperties, kOptions, kUserManual,
                       kAbout, kExit, kViewToolbar, kViewStatusBar})
        EXPECT_TRUE(s.IsEnabled(c)) << c;
    for (unsigned c : {kConnect, kOpen, kDisconnect, kClose, kPrintSetup, kViewSplit, kUpload, kMotionControl,
                       kOscilloscope, kFirmwareUpdate, kRecentFile1, kDeviceManual, 12345u})
        EXPECT_FALSE(s.IsEnabled(c)) << c;
}

TEST(CommandState, ConnectionDecidesConnectDisconnectCloseAndExit)
{
    CCommandState::Features f;
    f.document = true;
    CCommandState s(f);
    EXPECT_TRUE(s.IsEnabled(kConnect));
    EXPECT_TRUE(s.IsEnabled(kOpen));
    EXPECT_FALSE(s.IsEnabled(kDisconnect));
    EXPECT_FALSE(s.IsEnabled(kClose));

    s.SetDocument(true);
    EXPECT_FALSE(s.IsEnabled(kConnect));
    EXPECT_FALSE(s.IsEnabled(kClose));
    EXPECT_FALSE(s.IsEnabled(kExit));
    EXPECT_TRUE(s.IsEnabled(kDisconnect));
    EXPECT_TRUE(s.IsEnabled(kUpload));
    EXPECT_TRUE(s.IsEnabled(kWindowCascade));

    s.SetDocument(false);
    EXPECT_TRUE(s.IsEnabled(kConnect));
    EXPECT_TRUE(s.IsEnabled(kClose));
    EXPECT_TRUE(s.IsEnabled(kExit));
    EXPECT_FALSE(s.IsEnabled(kDisconnect));

    s.SetNoDocument();
    EXPECT_FALSE(s.IsEnabled(kUpload));
    EXPECT_FALSE(s.IsEnabled(kWindowCascade));
}

TEST(CommandState, DriveWindowsNeedTheirFeature)
{
    CCommandState::Features f;
    f.document = true;
    f.motion = true;
    CCommandState s(f);
    s.SetDocument(true);
    EXPECT_TRUE(s.IsEnabled(kMotionControl));
    EXPECT_FALSE(s.IsEnabled(kDeviceStatus));
    EXPECT_FALSE(s.IsEnabled(kOscilloscope));
    EXPECT_FALSE(s.IsEnabled(kExport));
    EXPECT_FALSE(s.IsEnabled(kFirmwareUpdate));
    EXPECT_FALSE(s.IsEnabled(kPrint));
}

TEST(CommandState, PrintSetupWorksWithAndWithoutADocumentWherePrintingIs)
{
    CCommandState::Features f;
    f.document = true;
    f.printing = true;
    CCommandState s(f);
    EXPECT_TRUE(s.IsEnabled(kPrintSetup));
    EXPECT_FALSE(s.IsEnabled(kPrint));
    s.SetDocument(true);
    EXPECT_TRUE(s.IsEnabled(kPrintSetup));
    EXPECT_TRUE(s.IsEnabled(kPrint));
    s.SetDocument(false);
    EXPECT_TRUE(s.IsEnabled(kPrintSetup));
}

} // namespace

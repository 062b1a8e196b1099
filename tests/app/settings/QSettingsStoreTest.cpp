#include "settings/AppSettings.h"
#include "settings/QSettingsStore.h"
#include "settings/SettingsKeys.h"
#include "settings/WindowPlacement.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace SettingsKeys;

// Every store of these tests lives in a temporary folder; the user's own
// settings are never touched.
class QSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        const QByteArray path = dir_.path().toLocal8Bit();
        setenv("XDG_CONFIG_HOME", path.constData(), 1);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    }

    QTemporaryDir dir_;
};

TEST_F(QSettingsStoreTest, UsesTheProgramsOrganisationAndName)
{
    QSettingsStore store;
    EXPECT_TRUE(store.FileName().startsWith(dir_.path())) << store.FileName().toStdString();
    EXPECT_TRUE(store.FileName().contains("Kelvane"));
    EXPECT_TRUE(store.FileName().contains("Ovro-QVT"));
}

TEST_F(QSettingsStoreTest, ValuesSurviveANewStore)
{
    {
        QSettingsStore store;
        EXPECT_EQ(store.ReadString(kInterface, kVendor, kVendorDefault), "(unknown)");
        EXPECT_EQ(store.ReadInt(kSettings, kNodeId, kNodeIdDefault), 127);
        EXPECT_TRUE(store.WriteString(kInterface, kVendor, "PEAK-System Technik"));
        EXPECT_TRUE(store.WriteString(kInterface, kBoard, "PEAK PCAN-PCI (2nd channel)"));
        EXPECT_TRUE(store.WriteInt(kSettings, kNodeId, 42));
        EXPECT_TRUE(store.WriteInt(kInterface, kAddress, -1));
        EXPECT_TRUE(store.WriteString(kDownload, kAppFileName, "/a b/c,d;e=f.h86"));
        EXPECT_TRUE(store.WriteString(kRecording, kMask, "0x0"));
    }
    QSettingsStore store;
    EXPECT_EQ(store.ReadString(kInterface, kVendor, ""), "PEAK-System Technik");
    EXPECT_EQ(store.ReadInt(kSettings, kNodeId, 0), 42);
    EXPECT_EQ(store.ReadInt(kInterface, kAddress, 0), -1);
    EXPECT_EQ(store.ReadString(kDownload, kAppFileName, ""), "/a b/c,d;e=f.h86");
    EXPECT_EQ(store.ReadString(kRecording, kMask, ""), "0x0");

    CAppSettings s;
    s.Read(store);
    EXPECT_EQ(s.library, 200);
    EXPECT_EQ(s.boardType, 0x0002000Au);
    EXPECT_EQ(s.nodeId, 42);
    EXPECT_EQ(s.hw.ioPort, 0xFFFFFFFFu);
}

TEST_F(QSettingsStoreTest, SectionsAndKeysAsText)
{
    const QString file = dir_.filePath("plain.ini");
    {
        QSettingsStore store(file);
        ASSERT_TRUE(store.WriteString(kInterface, kBaudrate, "125"));
        ASSERT_TRUE(store.WriteInt(kSettings, kNodeId, 9));
        WindowPlacement p;
        p.right = 640;
        ASSERT_TRUE(WriteWindowPlacement(store, kMainFrame, p));
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains("[Interface]"));
    EXPECT_TRUE(text.contains("Baudrate=125"));
    EXPECT_TRUE(text.contains("[Settings]"));
    EXPECT_TRUE(text.contains("NodeId=9"));
    EXPECT_TRUE(text.contains("[Windows]"));
    EXPECT_TRUE(text.contains("0,0,0,0,0,0,0,0,640,0"));
}

TEST_F(QSettingsStoreTest, NonNumericIntegerGivesTheDefault)
{
    QSettingsStore store(dir_.filePath("junk.ini"));
    store.WriteString(kSettings, kNodeId, "twelve");
    EXPECT_EQ(store.ReadInt(kSettings, kNodeId, 127), 127);
    store.WriteString(kSettings, kNodeId, " 12 ");
    EXPECT_EQ(store.ReadInt(kSettings, kNodeId, 127), 12);
}

TEST_F(QSettingsStoreTest, UnwritableStoreReportsFailure)
{
    // A store whose file lies in a folder that does not exist and cannot
    // be made (below a regular file).
    const QString blocker = dir_.filePath("blocker");
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    QSettingsStore store(blocker + "/sub/x.ini");
    EXPECT_FALSE(store.WriteString(kSettings, kNodeId, "1"));
}

}  // namespace

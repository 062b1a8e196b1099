// Saving and opening commissioning documents, with and without a drive.
#include "DocTestSupport.h"

#include <filesystem>
#include <fstream>

#include "description/QVTDevice.h"
#include "document/CommissioningFile.h"
#include "document/ParameterValue.h"
#include "ui/MessageTexts.h"

using namespace doctest;
using ovro::ConnectDeviceChoice;

namespace {

// "MaxMotorSpeed": an application parameter, kept over a node-id change.
constexpr std::uint16_t kSpeed = 0x6410;
constexpr std::uint8_t kSpeedSub = 2;

class DocFileTest : public SimBusTest {
protected:
    // Connects the K315 at node 5, edits the motor speed, optionally asks for
    // node-id 9 and saves the document; then closes it.
    std::string SavedDocument(int newNodeId = 0)
    {
        AddDrive({});
        ovro::CQVTDoc& doc = MakeDocument();
        chooser_.Push(ConnectDeviceChoice::Connect, 5, 7);
        EXPECT_TRUE(doc.OnNewDocument());
        ovro::CQVTParameter* p = doc.Device()->FindParameter(kSpeed, kSpeedSub);
        EXPECT_TRUE(ovro::CParameterValue::SetValueText(*p, "2500"));
        if (newNodeId != 0)
            doc.Device()->nodeId = newNodeId;
        const std::string path = bus_.dir() + "/drive.31x";
        EXPECT_TRUE(doc.OnSaveDocument(path));
        EXPECT_EQ(views_.recentFiles.back(), path);
        EXPECT_EQ(doc.PathName(), path);
        doc.OnCloseDocument();
        EXPECT_EQ(commissioning_.GetCurrentDevice(), nullptr);
        return path;
    }

    std::string SpeedText(ovro::CQVTDoc& doc)
    {
        return ovro::CParameterValue::GetValueText(*doc.Device()->FindParameter(kSpeed, kSpeedSub), false);
    }
};

TEST_F(DocFileTest, ADocumentOpenedOfflineKeepsItsNodeSettingsForALaterDownload)
{
    const std::string path = SavedDocument();
    ovro::CQVTDoc& doc = MakeDocument();
    chooser_.Push(ConnectDeviceChoice::Offline);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    ASSERT_EQ(chooser_.requests.size(), 2u);
    EXPECT_TRUE(chooser_.requests[1].offlineAllowed);
    EXPECT_TRUE(chooser_.requests[1].configurationAllowed);
    EXPECT_FALSE(chooser_.requests[1].download);

    EXPECT_TRUE(doc.IsOffline());
    EXPECT_FALSE(doc.IsOnline());
    EXPECT_EQ(doc.NodeId(), 5);
    EXPECT_EQ(doc.Model(), 2);
    EXPECT_TRUE(doc.Device()->nodeIdChanged);
    EXPECT_TRUE(doc.Device()->baudRateChanged);
    EXPECT_EQ(SpeedText(doc), "2500");
    EXPECT_TRUE(doc.Device()->FindParameter(kSpeed, kSpeedSub)->changed);
    EXPECT_EQ(views_.status.rfind("Offline: CAN,#5,20kBit/s,Ovro K315,", 0), 0u) << views_.status;
    EXPECT_EQ(views_.scopeOpened, 0);
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;

    // Connect again, then download what the file holds.
    chooser_.Push(ConnectDeviceChoice::Connect, 5, 7, true, false);
    doc.OnConnect();
    EXPECT_TRUE(doc.IsOnline());
    EXPECT_FALSE(chooser_.requests[2].offlineAllowed);
    EXPECT_TRUE(chooser_.requests[2].configurationAllowed);
    EXPECT_EQ(doc.NodeId(), 5);
    EXPECT_FALSE(doc.Device()->FindParameter(kSpeed, kSpeedSub)->changed);
    std::uint16_t speed = 0;
    ASSERT_TRUE(doc.Node()->ReadU16(kSpeed, kSpeedSub, speed));
    EXPECT_EQ(speed, 2500);
    EXPECT_EQ(doc.PathName(), path);
}

TEST_F(DocFileTest, ADocumentOpenedWithADriveAndTheDownloadFlagConfiguresTheDrive)
{
    const std::string path = SavedDocument(9);
    ovro::CQVTDoc& doc = MakeDocument();
    chooser_.Push(ConnectDeviceChoice::Connect, 5, 7, true, false);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_TRUE(doc.IsOnline());
    EXPECT_EQ(doc.NodeId(), 9);
    EXPECT_FALSE(doc.Device()->nodeIdChanged);
    EXPECT_EQ(doc.Device()->CountParameters(true, true), 0);
    std::uint16_t speed = 0;
    ASSERT_TRUE(doc.Node()->ReadU16(kSpeed, kSpeedSub, speed));
    EXPECT_EQ(speed, 2500);
    EXPECT_EQ(drives_[0]->state("node-id"), "9");
    EXPECT_TRUE(Contains(ui_.progress.Joined(), "Changing Node-Id. and/or Baudrate...|OK!\r\n|"));
    EXPECT_EQ(doc.PathName(), path);
    EXPECT_EQ(views_.recentFiles.back(), path);
    EXPECT_EQ(views_.status.rfind("Connected: CAN,#9,", 0), 0u) << views_.status;
}

TEST_F(DocFileTest, ACancelledOpenLeavesTheDeviceAsACloseWould)
{
    const std::string path = SavedDocument(9);
    ovro::CQVTDoc& doc = MakeDocument();
    chooser_.Push(ConnectDeviceChoice::Cancel);
    EXPECT_FALSE(doc.OnOpenDocument(path));
    EXPECT_EQ(commissioning_.GetCurrentDevice(), nullptr);
    ovro::CQVTDevice& k315 = commissioning_.deviceK315;
    const ovro::CQVTParameter& speed = *k315.FindParameter(kSpeed, kSpeedSub);
    EXPECT_FALSE(speed.changed);
    EXPECT_EQ(ovro::CParameterValue::GetValueText(speed, false), "0");
    EXPECT_EQ(k315.CountParameters(true, true), 0);
    EXPECT_FALSE(k315.nodeIdChanged);
    EXPECT_FALSE(k315.baudRateChanged);
    EXPECT_EQ(k315.nodeId, 127);

    // The next file of the model names only its type: nothing of the first
    // one comes back with it, so a Download would write nothing.
    const std::string bare = bus_.dir() + "/bare.31x";
    std::ofstream(bare) << "[Commissioning]\r\nType=Ovro K315\r\n\r\n";
    ovro::CQVTDoc second(Environment());
    chooser_.Push(ConnectDeviceChoice::Offline);
    ASSERT_TRUE(second.OnOpenDocument(bare));
    EXPECT_EQ(SpeedText(second), "0");
    EXPECT_EQ(second.Device()->CountParameters(true, true), 0);
    EXPECT_FALSE(second.Device()->nodeIdChanged);
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
}

TEST_F(DocFileTest, FilesOfTheOtherModelOrNoneAreRefused)
{
    const std::string k315 = SavedDocument();
    ovro::CCommissioning other;
    ASSERT_TRUE(other.LoadDescription(OVRO_DESCRIPTION_FILE));
    ASSERT_NE(other.SelectDevice(1), nullptr);
    const std::string h315 = bus_.dir() + "/h315.31x";
    ASSERT_TRUE(ovro::CCommissioningFile::Write(other, h315, true));

    ovro::CQVTDoc& doc = MakeDocument();
    chooser_.Push(ConnectDeviceChoice::Offline);
    ASSERT_TRUE(doc.OnOpenDocument(k315));

    // Through the file dialog.
    ui_.files = {h315};
    EXPECT_FALSE(doc.OnOpenInto());
    ASSERT_EQ(ui_.fileRequests.size(), 1u);
    EXPECT_EQ(ui_.fileRequests[0].filter, "Ovro-QVT Files (*.31x);;All Files (*.*)");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, FormatMessage(63518, h315.c_str()));
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(doc.Device()->model, 2);

    EXPECT_FALSE(doc.OnOpenInto(bus_.dir() + "/missing.31x"));
    EXPECT_EQ(ui_.messages.size(), 2u);
    EXPECT_TRUE(doc.OnOpenInto(k315));
    EXPECT_EQ(views_.recentFiles.back(), k315);

    // A missing file is not opened as a document either.
    ovro::CQVTDoc second(Environment());
    EXPECT_FALSE(second.OnOpenDocument(bus_.dir() + "/missing.31x"));
    EXPECT_EQ(ui_.messages.size(), 3u);
}

TEST_F(DocFileTest, AnH315IsRefusedByAK315Document)
{
    const std::string path = SavedDocument();
    drives_[0]->stop();
    DriveOptions h315;
    h315.model = "H315";
    AddDrive(h315);

    ovro::CQVTDoc& doc = MakeDocument();
    chooser_.Push(ConnectDeviceChoice::Offline);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    chooser_.Push(ConnectDeviceChoice::Connect, 5, 7);
    doc.OnConnect();
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, FormatMessage(63516, 5, path.c_str()));
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(doc.IsOnline());
    EXPECT_TRUE(doc.IsOffline());
    EXPECT_EQ(master_.GetNode(5), nullptr);

    // Opened with the H315 connected, the document stays offline.
    ovro::CQVTDoc second(Environment());
    chooser_.Push(ConnectDeviceChoice::Connect, 5, 7, true, false);
    ASSERT_TRUE(second.OnOpenDocument(path));
    EXPECT_EQ(ui_.messages.back().text, FormatMessage(63534, path.c_str(), 5));
    EXPECT_TRUE(second.IsOffline());
    EXPECT_EQ(master_.GetNode(5), nullptr);
}

TEST_F(DocFileTest, SavingNeedsADescriptionAndAWritableFile)
{
    ovro::CQVTDoc& doc = MakeDocument();
    EXPECT_FALSE(doc.OnSaveDocument(bus_.dir() + "/x.31x"));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::FatalError);
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Stop);

    const std::string path = SavedDocument();
    ovro::CQVTDoc& again = MakeDocument();
    chooser_.Push(ConnectDeviceChoice::Offline);
    ASSERT_TRUE(again.OnOpenDocument(path));
    const std::string bad = bus_.dir() + "/no/such/folder/x.31x";
    EXPECT_FALSE(again.OnSaveDocument(bad));
    EXPECT_EQ(ui_.messages.back().text, FormatMessage(63520, bad.c_str()));
    EXPECT_EQ(ui_.messages.back().icon, MessageIcon::Exclamation);
}

TEST(DocHelpIndexTest, TheIndexFileNamesTheManualOfTheModel)
{
    char pattern[] = "/tmp/ovro-help-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    std::filesystem::create_directories(dir + "/Help");
    std::ofstream(dir + "/Help/K315_MAN.ini") << "[Filename]\r\nName=K315_Manual.pdf\r\n";
    std::ofstream(dir + "/Help/H315_CAN.ini") << "[Other]\r\nName=x.pdf\r\n";

    const auto manual = ovro::CHelpIndex::Lookup(dir, 2, ovro::CHelpIndex::Manual::Device);
    ASSERT_TRUE(manual.has_value());
    EXPECT_EQ(manual->indexFile, dir + "/Help/K315_MAN.ini");
    EXPECT_EQ(manual->file, dir + "/Help/K315_Manual.pdf");
    EXPECT_FALSE(ovro::CHelpIndex::Lookup(dir, 1, ovro::CHelpIndex::Manual::CANopen).has_value());
    EXPECT_FALSE(ovro::CHelpIndex::Lookup(dir, 2, ovro::CHelpIndex::Manual::CANopen).has_value());
    EXPECT_EQ(ovro::CHelpIndex::IndexFile(dir, 1, ovro::CHelpIndex::Manual::Device), dir + "/Help/H315_MAN.ini");
    std::filesystem::remove_all(dir);
}

}  // namespace

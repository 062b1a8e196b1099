// "Firmware &Update" as the program runs it: the document's command around
// CDownload, against the simulated K315 (and an H315) on a private bus -
// the model check, pre-operational, the SDO time-out of 3000 ms put back in
// every case, the document kept while the download runs, the upload of the
// new firmware's values afterwards.
#include "DownloadTestSupport.h"

#include "canopen/CANopenNode.h"
#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "description/QVTParameter.h"
#include "document/ConnectDeviceChooser.h"
#include "document/ParameterValue.h"
#include "document/QVTDoc.h"
#include "document/StatusTextSink.h"
#include "download/Download.h"
#include "ui/MessageTexts.h"

#include <chrono>
#include <map>
#include <thread>

namespace dltest {
namespace {

class Chooser : public ovro::IConnectDeviceChooser {
public:
    explicit Chooser(std::uint8_t nodeId) : nodeId_(nodeId) {}
    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest&) override
    {
        ovro::ConnectDeviceChoice c;
        c.result = ovro::ConnectDeviceChoice::Connect;
        c.nodeId = nodeId_;
        c.baudRate = 0;  // 1000 kBit/s
        return c;
    }

private:
    std::uint8_t nodeId_;
};

class StatusLine : public ovro::IStatusTextSink {
public:
    void SetStatusText(const std::string& t) override { text = t; }
    void SetDefaultStatusText() override { text.clear(); }
    std::string text;
};

class FirmwareUpdate : public DownloadSimTest {
protected:
    void SetUp() override
    {
        DownloadSimTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(commissioning_.LoadDescription(OVRO_DESCRIPTION_FILE));
        // The document connects its node itself.
        ASSERT_TRUE(master_.DisconnectNode(node_));
        node_ = nullptr;
    }

    ovro::CQVTDoc& Document(std::uint8_t nodeId = kNode)
    {
        chooser_ = std::make_unique<Chooser>(nodeId);
        ovro::DocumentEnvironment env;
        env.master = &master_;
        env.commissioning = &commissioning_;
        env.ui = &ui_;
        env.chooser = chooser_.get();
        env.status = &status_;
        // The pauses are kept short: the simulated drive starts within them.
        env.sleep = [this](std::chrono::milliseconds ms) {
            sleeps_.push_back(ms);
            std::this_thread::sleep_for(std::min(ms, std::chrono::milliseconds(300)));
        };
        doc_ = std::make_unique<ovro::CQVTDoc>(env);
        EXPECT_TRUE(doc_->OnNewDocument());
        ui_.messages.clear();
        return *doc_;
    }

    // The document's command with the program's download.
    bool Update(ovro::CQVTDoc& doc, std::string& appFile)
    {
        ui_.files = {app_.path};
        const auto download = [&](const std::string& loader, const std::string& file, CCANopenNode& node) {
            timeoutDuring_ = master_.SdoTimeout();
            CDownload firmware(ui_, view_, StandingClock);
            return firmware.Download(loader, file, 128, &node);
        };
        return doc.OnFirmwareUpdate(download, loader_.path, appFile);
    }

    std::string VersionValue(ovro::CQVTDoc& doc) const
    {
        const ovro::CQVTParameter* p = doc.Device()->FindParameterByName("Identification", "SoftwareVersion");
        return p ? ovro::CParameterValue::GetValueText(*p, false) : std::string();
    }

    ovro::CCommissioning commissioning_;
    StatusLine status_;
    std::unique_ptr<Chooser> chooser_;
    std::unique_ptr<ovro::CQVTDoc> doc_;
    std::vector<std::chrono::milliseconds> sleeps_;
    std::uint16_t timeoutDuring_ = 0;
};

TEST_F(FirmwareUpdate, TheNewFirmwareRunsAndItsVersionIsUploaded)
{
    ovro::CQVTDoc& doc = Document();
    ASSERT_EQ(VersionValue(doc), "v2.140");
    std::string appFile = "OvroNeu.H86";
    ASSERT_TRUE(Update(doc, appFile));
    ASSERT_EQ(ui_.fileRequests.size(), 1u);
    EXPECT_EQ(ui_.fileRequests[0].defaultName, "OvroNeu.H86");
    EXPECT_EQ(appFile, app_.path) << "remembered by the caller as AppFileName";
    EXPECT_EQ(timeoutDuring_, 3000);
    EXPECT_EQ(master_.SdoTimeout(), 1000) << "the old time-out is back";
    EXPECT_EQ(sleeps_, (std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(3000)}));
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Success);
    EXPECT_EQ(ReadFile(Path("fw/K315.log")), ExpectedLog::Success(kDate, Path("fw/K315.log"), loader_, app_, kNode).text);
    // The upload after the download reads the new version; the status line shows it.
    EXPECT_EQ(VersionValue(doc), "v2.300");
    EXPECT_NE(status_.text.find("v2.300"), std::string::npos) << status_.text;
    EXPECT_TRUE(doc.IsOnline());
}

TEST_F(FirmwareUpdate, AFailedDownloadPutsTheTimeOutBackToo)
{
    ovro::CQVTDoc& doc = Document();
    ASSERT_EQ(drive_.control("loader refuse-start"), "ok\n");
    std::string appFile = "OvroNeu.H86";
    EXPECT_FALSE(Update(doc, appFile));
    EXPECT_EQ(appFile, "OvroNeu.H86");
    EXPECT_EQ(timeoutDuring_, 3000);
    EXPECT_EQ(master_.SdoTimeout(), 1000);
    EXPECT_EQ(sleeps_.size(), 1u);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text.substr(0, 50), FormatMessage(63556, int(kNode), "").substr(0, 50));
    EXPECT_EQ(VersionValue(doc), "v2.140") << "uploaded again all the same";
}

TEST_F(FirmwareUpdate, TheDocumentKeepsItsDriveWhileTheDownloadRuns)
{
    ovro::CQVTDoc& doc = Document();
    std::map<std::string, bool> during;
    view_.box.onTake = [&](int take) {
        if (take != 2)
            return;
        doc.OnDisconnect();  // a menu command let through by the box
        during["online"] = doc.IsOnline();
        during["busy"] = doc.IsBusy();
        during["can close"] = doc.CanCloseFrame();
    };
    std::string appFile;
    ASSERT_TRUE(Update(doc, appFile)) << (ui_.messages.empty() ? "" : ui_.messages[0].text);
    EXPECT_TRUE(during["online"]);
    EXPECT_TRUE(during["busy"]);
    EXPECT_FALSE(during["can close"]);
    EXPECT_FALSE(doc.IsBusy());
    EXPECT_TRUE(FlashBytes().size() > app_.image.size() &&
                std::equal(app_.image.begin(), app_.image.end(), FlashBytes().begin()));
}

TEST_F(FirmwareUpdate, AnH315IsRefusedBeforeAnythingIsSent)
{
    ovro::test::SimProcess h315;
    ASSERT_TRUE(h315.start(bus_.dir(), {"--model", "H315", "--node-id", "6", "--bitrate", "1000", "--bus", "fw"}))
        << h315.log();
    ovro::CQVTDoc& doc = Document(6);
    ASSERT_EQ(doc.Model(), ovro::CCommissioning::ModelH315);
    const std::string received = h315.state("frames-received");
    std::string appFile;
    bool called = false;
    EXPECT_FALSE(doc.OnFirmwareUpdate(
        [&](const std::string&, const std::string&, CCANopenNode&) { return called = true; }, loader_.path, appFile));
    EXPECT_FALSE(called);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "SORRY:\tthis function is only possible with the 'Ovro K315' drive!\n\n\t"
                                    "The device type of node #6 is not compatible with this.");
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(ui_.fileRequests.empty());
    EXPECT_EQ(h315.state("frames-received"), received);
    doc.OnCloseDocument();
}

}  // namespace
}  // namespace dltest

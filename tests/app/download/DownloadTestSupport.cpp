#include "DownloadTestSupport.h"

#include "FirmwareImage.h"
#include "HexWriter.h"
#include "canopen/CANopenNode.h"

#include <cop/cop.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace dltest {

std::vector<std::string> BoxRecord::Values(const std::string& name) const
{
    std::vector<std::string> values;
    for (const std::string& e : events) {
        if (e.rfind(name + "=", 0) == 0)
            values.push_back(e.substr(name.size() + 1));
    }
    return values;
}

bool RecordingBox::TakeCancel()
{
    const int take = ++r_.takes;
    if (r_.onTake)
        r_.onTake(take);
    return r_.cancelAtTake.count(take) != 0;
}

void RecordingBox::Set(const char* name, std::string& field, const std::string& text)
{
    field = text;
    r_.events.push_back(std::string(name) + "=" + text);
}

namespace {
Firmware Write(FirmwareImage::Kind kind, const std::string& version, std::size_t size, const std::string& path)
{
    Firmware f;
    f.image = FirmwareImage::make(kind, version, size);
    f.base = FirmwareImage::baseOf(kind);
    f.path = path;
    std::string error;
    EXPECT_TRUE(HexWriter::WriteFiles(f.image, f.base, 32, path, error)) << error;
    return f;
}
}  // namespace

Firmware MakeLoader(const std::string& dir, std::size_t size)
{
    return Write(FirmwareImage::Kind::Loader, "SLL V1.02", size, dir + "/sll/sll.H86");
}

Firmware MakeApplication(const std::string& dir, const std::string& version, std::size_t size)
{
    return Write(FirmwareImage::Kind::Application, version, size, dir + "/fw/K315.h86");
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ExpectedLog& ExpectedLog::Line(const std::string& line)
{
    for (char c : line) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    return *this;
}

ExpectedLog& ExpectedLog::Header(const std::string& date, const std::string& logPath, const Firmware& loader,
                                 const Firmware& app, unsigned nodeId)
{
    Line("*** Ovro-QVT Program Download (.log-File) ***\n");
    Line("Version: 1.1\n");
    Line("Date: " + date + "\n");
    Line("Log-File: " + logPath + "\n");
    Line("SLL-File: " + loader.path + "\n");
    Line("Hex-File: " + app.path + "\n");
    Line("PageSize: 128\n");
    return Line("Node-Id.: " + std::to_string(nodeId) + "\n\n");
}

std::size_t ExpectedLog::PageCount(const Firmware& f)
{
    return (f.image.size() + 127) / 128;
}

ExpectedLog& ExpectedLog::Pages(const Firmware& f, std::size_t first, std::size_t last)
{
    for (std::size_t page = first; page < PageCount(f) && page < last; ++page) {
        char head[64];
        std::snprintf(head, sizeof head, "   Addr=%08X, Size=128, Data=", unsigned(f.base + page * 128));
        std::string line = head;
        unsigned sum = 0;
        for (std::size_t i = 0; i < 128; ++i) {
            const std::size_t at = page * 128 + i;
            const unsigned b = at < f.image.size() ? f.image[at] : 0xFF;
            sum += (b + 1) & 0xFF;
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", b);
            line += hex;
        }
        char tail[32];
        std::snprintf(tail, sizeof tail, ", CSum=%04X\n", sum & 0xFFFF);
        Line(line + tail);
    }
    return *this;
}

ExpectedLog ExpectedLog::Success(const std::string& date, const std::string& logPath, const Firmware& loader,
                                 const Firmware& app, unsigned nodeId)
{
    ExpectedLog log;
    log.Header(date, logPath, loader, app, nodeId)
        .Line("1. Start First-Level-Loader...OK!\n")
        .Line("2. Load Second-Level-Loader into RAM:\n")
        .Pages(loader)
        .Line("   File=" + loader.path + ", " + std::to_string(loader.image.size()) + " byte(s) loaded\n")
        .Line("3. Start Second-Level-Loader...OK!\n")
        .Line("4. Load Intel-Hex-File into FLASH:\n")
        .Pages(app)
        .Line("   File=" + app.path + ", " + std::to_string(app.image.size()) + " byte(s) loaded\n")
        .Line("5. Start Application/Reset Microcontroller...OK!\n");
    return log;
}

// ---------------------------------------------------------------- fixture

void DownloadSimTest::SetUp()
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    ASSERT_TRUE(bus_.create("ovro-download"));
    ::setenv("OVRO_CAN_CHANNEL", "virtual:fw", 1);
    if (::access(ovro::test::SimProcess::executable().c_str(), X_OK) != 0)
        GTEST_SKIP() << "ovro-drive-sim is not built";
    std::filesystem::create_directories(Path("sll"));
    std::filesystem::create_directories(Path("fw"));
    loader_ = MakeLoader(bus_.dir());
    app_ = MakeApplication(bus_.dir());
    RestartDrive();
    ASSERT_TRUE(master_.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_1000, 0))
        << "error " << master_.LastError();
    master_.SetSDOTimeout(1000);
    ASSERT_TRUE(master_.ConnectNode(kNode, &node_)) << "error " << master_.LastError();
    ASSERT_TRUE(node_->EnterPreOperational());
    std::uint32_t deviceType = 0;
    ASSERT_TRUE(node_->ReadU32(0x1000, 0, deviceType)) << node_->ErrorText();  // the NMT command has arrived
}

void DownloadSimTest::TearDown()
{
    master_.Terminate();
    drive_.stop();
    bus_.remove();
}

void DownloadSimTest::RestartDrive()
{
    ASSERT_TRUE(drive_.start(bus_.dir(), {"--model", "K315", "--node-id", "5", "--bitrate", "1000", "--bus", "fw",
                                          "--eeprom", Path("k315.eeprom"), "--flash", FlashFile()}))
        << "ovro-drive-sim did not start: " << drive_.log();
}

std::vector<std::uint8_t> DownloadSimTest::FlashBytes() const
{
    const std::string bytes = ReadFile(FlashFile());
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::string DownloadSimTest::DriveVersion()
{
    std::uint8_t text[32] = {};
    std::uint32_t length = 0;
    EXPECT_TRUE(node_->ReadSDO(0x100A, 0, text, &length, sizeof text)) << node_->ErrorText();
    return std::string(reinterpret_cast<char*>(text), std::min<std::size_t>(length, sizeof text));
}

}  // namespace dltest

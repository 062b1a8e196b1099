// firmware_download - the whole firmware download and what it makes of the
// wire: the program's CDownload, the node, libmastergate, libsoftmaster,
// libpcan_usb and the virtual bus to a simulated K315 (ovro-drive-sim), at
// 1000 and 125 kBit/s. Prints for each bit rate the KB/s of the download
// (record bytes per second of wall-clock time, 1 KB = 1024 bytes, the
// whole download from "FPRG" to "FEND") and its share of the wire limit.
//
// The wire limit: every 128-byte page goes as one segmented SDO download of
// 137 bytes - initiate, 20 segments, each answered - 42 standard frames with
// 8 data bytes, each 135 bits on the wire with worst-case bit stuffing and
// the interframe space. So a page needs at least 42 * 135 bit times.
//
// Usage: firmware_download [--kbytes N]   (application size, default 32)
// The drive runs with --realtime, which asks the bus for wire time (see
// libs/canbus/README.md); a bus that paces only the drive's own frames
// gives a figure above what the wire allows, one without pacing what the
// software alone allows.
#include "FirmwareImage.h"
#include "HexWriter.h"
#include "SimProcess.h"
#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "download/Download.h"
#include "download/NullDownloadView.h"
#include "ui/UserInterface.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr std::uint8_t kNode = 5;
constexpr double kFramesPerPage = 42;
constexpr double kBitsPerFrame = 135;
constexpr std::size_t kLoaderBytes = 2048;

// The download's user: it reports failures and answers no questions.
class BenchUser : public IUserInterface {
public:
    void ShowMessage(MessageSeverity severity, MessageIcon, const std::string& text) override
    {
        if (severity != MessageSeverity::Success) {
            std::fprintf(stderr, "firmware_download: %s\n", text.c_str());
            failed = true;
        }
    }
    bool AskYesNo(MessageIcon, const std::string&, bool) override { return false; }
    std::unique_ptr<IProgress> BeginProgress(std::int32_t) override { return nullptr; }
    std::optional<std::string> ChooseFile(const FileRequest&) override { return std::nullopt; }
    bool failed = false;
};

// A box nobody looks at; it closes by itself.
struct Figures {
    bool ok = false;
    double seconds = 0;
    double kbPerSecond = 0;
};

Figures Run(const std::string& dir, unsigned kbit, std::uint8_t baudCode, const std::string& loader,
            const std::string& app, double bytes)
{
    Figures f;
    ovro::test::SimProcess drive;
    if (!drive.start(dir, {"--model", "K315", "--node-id", "5", "--bitrate", std::to_string(kbit), "--bus", "bench",
                           "--flash", dir + "/k315-" + std::to_string(kbit) + ".flash", "--realtime"})) {
        std::fprintf(stderr, "firmware_download: ovro-drive-sim did not start\n%s", drive.log().c_str());
        return f;
    }
    CCANopenMaster master;
    CCANopenNode* node = nullptr;
    if (!master.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, baudCode, 0) ||
        !master.ConnectNode(kNode, &node) || !node->EnterPreOperational()) {
        std::fprintf(stderr, "firmware_download: no connection at %u kBit/s, error %d\n", kbit, master.LastError());
        return f;
    }
    master.SetSDOTimeout(3000);  // as the document sets it
    BenchUser user;
    CNullDownloadView view(true);
    CDownload download(user, view);
    const auto start = std::chrono::steady_clock::now();
    f.ok = download.Download(loader, app, CDownload::kPageSize, node) && !user.failed;
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    f.kbPerSecond = bytes / f.seconds / 1024.0;
    master.Terminate();
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    unsigned kbytes = 32;
    if (argc == 3 && std::string(argv[1]) == "--kbytes")
        kbytes = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
    if (kbytes < 1 || kbytes > 255 || (argc != 1 && argc != 3)) {
        std::fprintf(stderr, "Usage: firmware_download [--kbytes 1..255]\n");
        return 2;
    }
    char pattern[] = "/tmp/ovro-bench-firmware-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return 1;
    const std::string dir = pattern;
    ::setenv("OVRO_CANBUS_DIR", dir.c_str(), 1);
    ::setenv("OVRO_CAN_CHANNEL", "virtual:bench", 1);

    using FirmwareImage::Kind;
    const std::vector<std::uint8_t> loaderImage = FirmwareImage::make(Kind::Loader, "SLL V1.02", kLoaderBytes);
    const std::vector<std::uint8_t> appImage = FirmwareImage::make(Kind::Application, "v9.999", kbytes * 1024u);
    const std::string loader = dir + "/sll.H86";
    const std::string app = dir + "/app.h86";
    std::string error;
    if (!HexWriter::WriteFiles(loaderImage, FirmwareImage::baseOf(Kind::Loader), 32, loader, error) ||
        !HexWriter::WriteFiles(appImage, FirmwareImage::baseOf(Kind::Application), 32, app, error)) {
        std::fprintf(stderr, "firmware_download: %s\n", error.c_str());
        return 1;
    }
    const double bytes = double(loaderImage.size() + appImage.size());
    std::printf("firmware_download: %zu + %zu bytes (%zu pages of 128) into a simulated K315\n", loaderImage.size(),
                appImage.size(), (loaderImage.size() + appImage.size()) / 128);
    int status = 0;
    const struct {
        unsigned kbit;
        std::uint8_t code;
    } rates[] = {{1000, COP_BAUD_1000}, {125, COP_BAUD_125}};
    for (const auto& rate : rates) {
        const Figures f = Run(dir, rate.kbit, rate.code, loader, app, bytes);
        const double pageSeconds = kFramesPerPage * kBitsPerFrame / (rate.kbit * 1000.0);
        const double limit = 128.0 / pageSeconds / 1024.0;
        if (!f.ok) {
            std::printf("  %4u kBit/s: the download failed\n", rate.kbit);
            status = 1;
            continue;
        }
        std::printf("  %4u kBit/s: %7.2f KB/s in %6.2f s; wire limit %6.2f KB/s; %6.1f %% of the wire limit\n",
                    rate.kbit, f.kbPerSecond, f.seconds, limit, 100.0 * f.kbPerSecond / limit);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return status;
}

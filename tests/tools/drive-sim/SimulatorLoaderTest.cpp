// The K315's loaders as a master meets them on the bus: a whole download
// with the boot-up of the new application and the FLASH file, the drive
// that only its loader answers for, a drive switched off half way, and the
// failures the control socket injects.
#include "FirmwareImage.h"
#include "LoaderBlocks.h"
#include "SimFixture.h"

#include <fstream>
#include <iterator>

namespace {
using loaderblocks::kFend;
using loaderblocks::kFprg;
using loaderblocks::kStartSll;
constexpr uint32_t kFlash = FirmwareImage::kFlashBase;
constexpr int64_t kNoObject = 0x06020000;
constexpr int64_t kCannotStore = 0x08000020;
const std::vector<uint8_t> kLoader = FirmwareImage::make(FirmwareImage::Kind::Loader, "SLL V1.02", 500);
const std::vector<uint8_t> kApp = FirmwareImage::make(FirmwareImage::Kind::Application, "V2.100", 2000);

class SimulatorLoader : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        m_bus = &client();
        m_sim = &startSim({"--node-id", "5", "--bitrate", "500", "--eeprom", path("eeprom.txt"), "--flash", flash()});
    }

    std::string flash() const { return path("k315.flash"); }

    std::vector<uint8_t> flashBytes() const
    {
        std::ifstream in(flash(), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string text(uint16_t index)
    {
        std::vector<uint8_t> bytes;
        EXPECT_EQ(m_bus->upload(kNode, index, 0, bytes), 0) << std::hex << index;
        return std::string(bytes.begin(), bytes.end());
    }

    // Pages of an image from its first page on, count of them (all: -1);
    // 0 or the first failure.
    int64_t sendPages(const std::vector<uint8_t>& image, uint32_t base, int count = -1)
    {
        for (uint32_t a = base; a < base + image.size() && count != 0; a += 128, --count) {
            if (int64_t r = m_bus->download(kNode, 0x2F50, 3, loaderblocks::ImagePage(image, base, a)))
                return r;
        }
        return 0;
    }

    // The five steps; 0 or the first failure.
    int64_t download()
    {
        if (int64_t r = m_bus->downloadU32(kNode, 0x2F50, 1, kFprg))
            return r;
        if (int64_t r = sendPages(kLoader, 0))
            return r;
        if (int64_t r = m_bus->download(kNode, 0x2F50, 3, kStartSll))
            return r;
        if (int64_t r = sendPages(kApp, kFlash))
            return r;
        return m_bus->downloadU32(kNode, 0x2F50, 1, kFend);
    }

    BusClient* m_bus = nullptr;
    SimProcess* m_sim = nullptr;
};

TEST_F(SimulatorLoader, ACompleteDownloadStartsTheNewApplication)
{
    EXPECT_EQ(text(0x100A), "v2.140");
    m_bus->flush();
    ASSERT_EQ(download(), 0);
    const auto bootUp = m_bus->waitFor(0x700 + kNode, 1000);
    ASSERT_TRUE(bootUp) << "the new application announces itself";
    EXPECT_EQ(bootUp->len, 1);
    EXPECT_EQ(bootUp->data[0], 0);
    EXPECT_EQ(text(0x100A), "V2.100");
    EXPECT_EQ(m_sim->state("loader"), "0");
    EXPECT_EQ(m_sim->state("firmware.pages"), "16");
    const std::vector<uint8_t> bytes = flashBytes();
    ASSERT_EQ(bytes.size(), FirmwareImage::kFlashSize);
    EXPECT_TRUE(std::equal(kApp.begin(), kApp.end(), bytes.begin()));
    uint32_t statusword = 0;
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x6041, 0, statusword), 0) << "the application's objects are back";
}

TEST_F(SimulatorLoader, ALoaderAnswersOnlyForItsOwnObjects)
{
    ASSERT_EQ(m_bus->downloadU32(kNode, 0x1017, 0, 20, 2), 0);  // heartbeat every 20 ms
    ASSERT_FALSE(m_bus->collect(0x700 + kNode, 100).empty());
    ASSERT_EQ(m_bus->downloadU32(kNode, 0x2F50, 1, kFprg), 0);
    EXPECT_EQ(m_sim->state("loader"), "1");
    m_bus->flush();
    EXPECT_TRUE(m_bus->collect(0x700 + kNode, 100).empty()) << "no heartbeat from a loader";
    uint32_t v = 0;
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x6041, 0, v), kNoObject);
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1017, 0, v), kNoObject);
    EXPECT_EQ(m_bus->downloadU32(kNode, 0x6040, 0, 6, 2), kNoObject);
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x2100, 0, v), 0) << "the model probe";
    EXPECT_EQ(v & 0xFF, 2u);
    EXPECT_EQ(text(0x100A), "FLL V1.00");
    m_bus->nmt(0x01, kNode);  // start: a loader stays pre-operational
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);  // the start has arrived before this
    EXPECT_EQ(m_sim->state("nmt"), "pre-operational");
    ASSERT_EQ(m_bus->downloadU32(kNode, 0x2F50, 1, kFend), 0) << "a reset";
    EXPECT_TRUE(m_bus->waitFor(0x700 + kNode, 1000));
    EXPECT_EQ(m_sim->state("loader"), "0") << "the FLASH was not touched";
}

TEST_F(SimulatorLoader, SwitchedOffHalfWayTheDriveComesBackInItsLoader)
{
    ASSERT_EQ(m_bus->downloadU32(kNode, 0x2F50, 1, kFprg), 0);
    ASSERT_EQ(sendPages(kLoader, 0), 0);
    ASSERT_EQ(m_bus->download(kNode, 0x2F50, 3, kStartSll), 0);
    ASSERT_EQ(sendPages(kApp, kFlash, 5), 0);
    m_bus->flush();
    ASSERT_EQ(m_sim->control("powercycle"), "ok\n");
    EXPECT_TRUE(m_bus->waitFor(0x700 + kNode, 1000)) << "the loader's boot-up";
    EXPECT_EQ(m_sim->state("loader"), "1");
    EXPECT_EQ(m_sim->state("firmware.stage"), "1");
    EXPECT_EQ(m_sim->state("firmware.application"), "0");
    EXPECT_EQ(text(0x100A), "FLL V1.00");
    uint32_t v = 0;
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x6041, 0, v), kNoObject);
    EXPECT_EQ(m_bus->download(kNode, 0x2F50, 3, kStartSll), 0x08000022) << "the RAM is lost";

    m_sim->stop();  // and the whole simulator too: the FLASH file keeps the half image
    m_sim = &startSim({"--node-id", "5", "--bitrate", "500", "--eeprom", path("eeprom.txt"), "--flash", flash()});
    EXPECT_EQ(m_sim->state("loader"), "1");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x6041, 0, v), kNoObject);

    m_bus->flush();
    ASSERT_EQ(download(), 0);
    EXPECT_TRUE(m_bus->waitFor(0x700 + kNode, 1000));
    EXPECT_EQ(m_sim->state("loader"), "0");
    EXPECT_EQ(text(0x100A), "V2.100");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x6041, 0, v), 0);
}

TEST_F(SimulatorLoader, ControlLinesInjectTheFailuresOfADownload)
{
    ASSERT_EQ(m_sim->control("loader refuse-start"), "ok\n");
    EXPECT_EQ(m_bus->downloadU32(kNode, 0x2F50, 1, kFprg), kCannotStore);
    EXPECT_EQ(m_sim->state("loader"), "0") << "the application still runs";
    ASSERT_EQ(m_bus->downloadU32(kNode, 0x2F50, 1, kFprg), 0);

    ASSERT_EQ(m_sim->control("loader refuse-page 2"), "ok\n");
    const std::vector<uint8_t> second = loaderblocks::ImagePage(kLoader, 0, 0x80);
    ASSERT_EQ(m_bus->download(kNode, 0x2F50, 3, loaderblocks::ImagePage(kLoader, 0, 0)), 0);
    EXPECT_EQ(m_bus->download(kNode, 0x2F50, 3, second), kCannotStore);
    EXPECT_EQ(m_bus->download(kNode, 0x2F50, 3, second), 0) << "refused once";

    ASSERT_EQ(m_sim->control("loader refuse-page 1 2"), "ok\n");
    const std::vector<uint8_t> third = loaderblocks::ImagePage(kLoader, 0, 0x100);
    EXPECT_EQ(m_bus->download(kNode, 0x2F50, 3, third), kCannotStore);
    EXPECT_EQ(m_bus->download(kNode, 0x2F50, 3, third), kCannotStore);
    EXPECT_EQ(m_bus->download(kNode, 0x2F50, 3, third), 0) << "refused twice";

    ASSERT_EQ(m_sim->control("loader silent-at 1"), "ok\n");
    EXPECT_EQ(m_bus->download(kNode, 0x2F50, 3, loaderblocks::ImagePage(kLoader, 0, 0x180)), BusClient::kTimeout);
    uint32_t v = 0;
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), BusClient::kTimeout) << "silent";
    ASSERT_EQ(m_sim->control("resume"), "ok\n");
    EXPECT_EQ(m_bus->uploadU32(kNode, 0x1000, 0, v), 0);

    EXPECT_EQ(m_sim->control("loader refuse-page 0").rfind("error", 0), 0u);
    EXPECT_EQ(m_sim->control("loader silent-at").rfind("error", 0), 0u);
    EXPECT_EQ(m_sim->control("loader refuse-page 1 0").rfind("error", 0), 0u);
}

TEST_F(SimulatorLoader, AFlashFileOfAnotherSizeStopsTheSimulator)
{
    m_sim->stop();
    {
        std::ofstream out(path("bad.flash"), std::ios::binary);
        out << "too short";
    }
    SimProcess sim;
    EXPECT_FALSE(sim.start(dir(), {"--node-id", "5", "--bus", kBus, "--flash", path("bad.flash")}));
    EXPECT_NE(sim.log().find("FLASH file unusable"), std::string::npos) << sim.log();
}
}  // namespace

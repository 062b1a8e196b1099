// The K315's loaders on their own: what a master's writes to 0x2F50 do to
// the loader stage, RAM, FLASH and the FLASH file.
#include "FirmwareImage.h"
#include "FirmwareLoader.h"

#include "SdoAbortCode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
using Stage = FirmwareLoader::Stage;
using Action = FirmwareLoader::Action;
using FirmwareImage::Kind;
constexpr uint32_t kFlash = FirmwareImage::kFlashBase;

// The wire block of the page at address, taken from an image lying at base
// (bytes beyond the image are 0xFF); checksumError spoils the checksum.
std::vector<uint8_t> page(const std::vector<uint8_t>& image, uint32_t base, uint32_t address, int checksumError = 0)
{
    std::vector<uint8_t> b(FirmwareLoader::kBlockSize, 0);
    for (int i = 0; i < 4; ++i)
        b[i] = uint8_t(address >> (8 * i));
    for (size_t i = 0; i < FirmwareLoader::kPageSize; ++i) {
        const size_t at = address - base + i;
        b[7 + i] = at < image.size() ? image[at] : 0xFF;
    }
    const uint16_t sum = uint16_t(FirmwareLoader::checksum(b.data() + 7, FirmwareLoader::kPageSize) + checksumError);
    b[135] = uint8_t(sum);
    b[136] = uint8_t(sum >> 8);
    return b;
}

const std::vector<uint8_t> kStartSll(7, 0);

uint32_t send(FirmwareLoader& l, const std::vector<uint8_t>& b) { return l.block(b.data(), b.size()); }

uint32_t command(FirmwareLoader& l, uint32_t value, Action* action = nullptr)
{
    Action a;
    const uint32_t r = l.command(value, a);
    if (action)
        *action = a;
    return r;
}

// Sends every page of an image lying at base; 0 or the first abort.
uint32_t sendImage(FirmwareLoader& l, const std::vector<uint8_t>& image, uint32_t base)
{
    for (uint32_t a = base; a < base + image.size(); a += 128) {
        if (uint32_t r = send(l, page(image, base, a)))
            return r;
    }
    return 0;
}

const std::vector<uint8_t> kLoader = FirmwareImage::make(Kind::Loader, "SLL V1.02", 300);
const std::vector<uint8_t> kApp = FirmwareImage::make(Kind::Application, "V2.100", 1000);

// Starts a loader on a FLASH in memory with the factory application.
void powerOn(FirmwareLoader& l)
{
    std::string error;
    EXPECT_TRUE(l.loadFlash("v2.140", error)) << error;
    l.boot();
}

// First-level loader running with the second-level loader in RAM, started.
void startSecondLevel(FirmwareLoader& l)
{
    ASSERT_EQ(command(l, FirmwareLoader::kStartLoader), 0u);
    ASSERT_EQ(sendImage(l, kLoader, 0), 0u);
    ASSERT_EQ(send(l, kStartSll), 0u);
    ASSERT_EQ(l.stage(), Stage::SecondLevel);
}

TEST(FirmwareImage, ChecksOnlyCompleteImagesOfItsKind)
{
    EXPECT_EQ(FirmwareImage::check(Kind::Application, kApp.data(), kApp.size()), "V2.100");
    EXPECT_EQ(FirmwareImage::check(Kind::Loader, kApp.data(), kApp.size()), std::nullopt) << "another kind";
    EXPECT_EQ(FirmwareImage::check(Kind::Application, kApp.data(), kApp.size() - 1), std::nullopt) << "cut short";
    std::vector<uint8_t> damaged = kApp;
    damaged[500] ^= 1;
    EXPECT_EQ(FirmwareImage::check(Kind::Application, damaged.data(), damaged.size()), std::nullopt);
    EXPECT_EQ(FirmwareImage::make(Kind::Application, "V2.100", 1000), kApp) << "the same arguments, the same image";
    EXPECT_NE(FirmwareImage::make(Kind::Application, "V2.101", 1000), kApp);
    const uint8_t text[] = "123456789";
    EXPECT_EQ(FirmwareImage::crc32(text, 9), 0xCBF43926u) << "the CRC-32 check value";
}

TEST(FirmwareLoader, ChecksumSumsBytesPlusOne)
{
    std::vector<uint8_t> ff(128, 0xFF);
    EXPECT_EQ(FirmwareLoader::checksum(ff.data(), ff.size()), 0);
    std::vector<uint8_t> zero(128, 0x00);
    EXPECT_EQ(FirmwareLoader::checksum(zero.data(), zero.size()), 128);
    const uint8_t some[] = {0x00, 0x10, 0xFE};
    EXPECT_EQ(FirmwareLoader::checksum(some, 3), 1 + 0x11 + 0xFF);
}

TEST(FirmwareLoader, FullSequenceLoadsLoaderThenApplication)
{
    FirmwareLoader l;
    powerOn(l);
    EXPECT_EQ(l.stage(), Stage::Application);
    EXPECT_EQ(l.runningVersion(), "v2.140") << "the factory application";
    Action a;
    ASSERT_EQ(command(l, FirmwareLoader::kStartLoader, &a), 0u);
    EXPECT_EQ(a, Action::StopApplication);
    EXPECT_EQ(l.stage(), Stage::FirstLevel);
    EXPECT_EQ(l.runningVersion(), "FLL V1.00");
    ASSERT_EQ(send(l, page(kLoader, 0, 0x0000)), 0u);
    ASSERT_EQ(send(l, page(kLoader, 0, 0x0080)), 0u);
    ASSERT_EQ(send(l, page(kLoader, 0, 0x0080)), 0u) << "a repeated page is taken";
    ASSERT_EQ(send(l, page(kLoader, 0, 0x0100)), 0u);
    EXPECT_EQ(l.ram()[0x80], kLoader[0x80]);
    EXPECT_EQ(l.pagesTaken(), 3u);
    EXPECT_TRUE(l.applicationValid()) << "the FLASH is untouched so far";

    ASSERT_EQ(send(l, kStartSll), 0u);
    EXPECT_EQ(l.stage(), Stage::SecondLevel);
    EXPECT_EQ(l.runningVersion(), "SLL V1.02");
    EXPECT_FALSE(l.applicationValid()) << "the second-level loader erases the FLASH";
    ASSERT_EQ(sendImage(l, kApp, kFlash), 0u);
    ASSERT_EQ(send(l, page(kApp, kFlash, kFlash + 0x380)), 0u) << "the last page again";
    ASSERT_EQ(command(l, FirmwareLoader::kStartApplication, &a), 0u);
    EXPECT_EQ(a, Action::Restart);
    EXPECT_EQ(l.flashedPages(), 8u);
    l.boot();
    EXPECT_EQ(l.stage(), Stage::Application);
    EXPECT_EQ(l.runningVersion(), "V2.100");
    EXPECT_TRUE(std::equal(kApp.begin(), kApp.end(), l.flash().begin()));
    EXPECT_EQ(l.flash()[kApp.size()], 0xFF) << "the rest of the last page";
}

TEST(FirmwareLoader, BadPagesAreRefusedAndNotStored)
{
    struct Row {
        const char* name;
        std::vector<uint8_t> block;
        uint32_t abort;
    };
    const std::vector<uint8_t> good = page(kLoader, 0, 0x0100);
    std::vector<uint8_t> reserved = good;
    reserved[5] = 1;
    const std::vector<uint8_t> shortBlock(good.begin(), good.end() - 1);
    std::vector<uint8_t> longBlock = good;
    longBlock.push_back(0);
    std::vector<uint8_t> notZero(7, 0);
    notZero[0] = 0x80;
    const Row rows[] = {
        {"wrong checksum", page(kLoader, 0, 0x0100, 1), SdoAbortCode::CannotStore},
        {"not on a page boundary", page(kLoader, 0, 0x0140), SdoAbortCode::ValueRange},
        {"beyond the RAM", page(kLoader, 0, FirmwareImage::kRamSize), SdoAbortCode::ValueRange},
        {"a FLASH page to the first-level loader", page(kApp, kFlash, kFlash), SdoAbortCode::ValueRange},
        {"reserved byte set", reserved, SdoAbortCode::ValueRange},
        {"136 bytes", shortBlock, SdoAbortCode::LengthTooLow},
        {"138 bytes", longBlock, SdoAbortCode::LengthTooHigh},
        {"start block not zero", notZero, SdoAbortCode::ValueRange},
    };
    for (const Row& row : rows) {
        FirmwareLoader l;
        powerOn(l);
        command(l, FirmwareLoader::kStartLoader);
        EXPECT_EQ(send(l, row.block), row.abort) << row.name;
        EXPECT_EQ(l.pagesTaken(), 0u) << row.name;
        EXPECT_EQ(l.ram()[0x100], 0) << row.name;
        EXPECT_EQ(l.stage(), Stage::FirstLevel) << row.name;
    }
    FirmwareLoader l;
    powerOn(l);
    command(l, FirmwareLoader::kStartLoader);
    ASSERT_EQ(send(l, page(kLoader, 0, 0x0100)), 0u);
    EXPECT_EQ(send(l, page(kLoader, 0, 0x0080)), SdoAbortCode::ValueRange) << "out of sequence";
    EXPECT_EQ(l.pagesTaken(), 1u);
}

TEST(FirmwareLoader, FlashPagesAreCheckedTheSameWay)
{
    FirmwareLoader l;
    powerOn(l);
    startSecondLevel(l);
    EXPECT_EQ(send(l, page(kApp, kFlash, kFlash, -1)), SdoAbortCode::CannotStore);
    EXPECT_EQ(send(l, page(kApp, kFlash, kFlash + 64)), SdoAbortCode::ValueRange);
    EXPECT_EQ(send(l, page(kLoader, 0, 0x0000)), SdoAbortCode::ValueRange) << "a RAM address";
    EXPECT_EQ(send(l, page(kApp, kFlash, kFlash + FirmwareImage::kFlashSize)), SdoAbortCode::ValueRange);
    ASSERT_EQ(send(l, page(kApp, kFlash, kFlash + 0x100)), 0u);
    EXPECT_EQ(send(l, page(kApp, kFlash, kFlash)), SdoAbortCode::ValueRange) << "out of sequence";
    EXPECT_EQ(l.flash()[0], 0xFF);
    EXPECT_EQ(l.flash()[0x100], kApp[0x100]);
}

TEST(FirmwareLoader, TheSecondLevelLoaderStartsOnlyWhenComplete)
{
    struct Row {
        const char* name;
        std::vector<uint32_t> pages;  // RAM pages sent
        bool damage;                  // one byte of the image spoiled
    };
    const Row rows[] = {
        {"nothing loaded", {}, false},
        {"last page missing", {0x000, 0x080}, false},
        {"first page missing", {0x080, 0x100}, false},
        {"a byte damaged", {0x000, 0x080, 0x100}, true},
    };
    for (const Row& row : rows) {
        FirmwareLoader l;
        powerOn(l);
        command(l, FirmwareLoader::kStartLoader);
        std::vector<uint8_t> image = kLoader;
        if (row.damage)
            image[200] ^= 0x40;
        for (uint32_t a : row.pages)
            ASSERT_EQ(send(l, page(image, 0, a)), 0u) << row.name;
        EXPECT_EQ(send(l, kStartSll), SdoAbortCode::CannotStoreState) << row.name;
        EXPECT_EQ(l.stage(), Stage::FirstLevel) << row.name;
        EXPECT_TRUE(l.applicationValid()) << row.name << ": the FLASH stays as it was";
    }
}

TEST(FirmwareLoader, StepsOutOfOrderAreRefused)
{
    FirmwareLoader l;
    powerOn(l);
    EXPECT_EQ(send(l, page(kLoader, 0, 0)), SdoAbortCode::CannotStoreState) << "no loader running";
    EXPECT_EQ(send(l, kStartSll), SdoAbortCode::CannotStoreState) << "no loader running";
    EXPECT_EQ(command(l, 0x12345678), SdoAbortCode::ValueRange);
    startSecondLevel(l);
    EXPECT_EQ(send(l, kStartSll), SdoAbortCode::CannotStoreState) << "already started";
    EXPECT_EQ(command(l, FirmwareLoader::kStartApplication), SdoAbortCode::CannotStoreState)
        << "no complete application in the FLASH";
    ASSERT_EQ(sendImage(l, std::vector<uint8_t>(kApp.begin(), kApp.begin() + 512), kFlash), 0u);
    EXPECT_EQ(command(l, FirmwareLoader::kStartApplication), SdoAbortCode::CannotStoreState) << "half of it";
    EXPECT_EQ(l.stage(), Stage::SecondLevel);
    // FPRG starts over
    Action a;
    EXPECT_EQ(command(l, FirmwareLoader::kStartLoader, &a), 0u);
    EXPECT_EQ(a, Action::None) << "no application to stop";
    EXPECT_EQ(l.stage(), Stage::FirstLevel);
    EXPECT_EQ(l.ram()[0], 0) << "RAM cleared";
}

TEST(FirmwareLoader, WithoutACompleteApplicationTheLoaderKeepsTheController)
{
    FirmwareLoader l;
    powerOn(l);
    startSecondLevel(l);
    ASSERT_EQ(sendImage(l, std::vector<uint8_t>(kApp.begin(), kApp.begin() + 512), kFlash), 0u);
    l.boot();  // switched off and on half way
    EXPECT_EQ(l.stage(), Stage::FirstLevel);
    EXPECT_EQ(l.runningVersion(), "FLL V1.00");
    EXPECT_EQ(send(l, kStartSll), SdoAbortCode::CannotStoreState) << "the RAM is lost";
    Action a;
    ASSERT_EQ(command(l, FirmwareLoader::kStartApplication, &a), 0u) << "a reset";
    l.boot();
    EXPECT_EQ(l.stage(), Stage::FirstLevel) << "still nothing to start";
    // a complete download brings the application back
    startSecondLevel(l);
    ASSERT_EQ(sendImage(l, kApp, kFlash), 0u);
    ASSERT_EQ(command(l, FirmwareLoader::kStartApplication), 0u);
    l.boot();
    EXPECT_EQ(l.stage(), Stage::Application);
    EXPECT_EQ(l.runningVersion(), "V2.100");
}

TEST(FirmwareLoader, RefuseNextRefusesExactlyOnce)
{
    FirmwareLoader l;
    powerOn(l);
    l.refuseNext();
    EXPECT_EQ(command(l, FirmwareLoader::kStartLoader), SdoAbortCode::CannotStore);
    EXPECT_EQ(l.stage(), Stage::Application);
    EXPECT_EQ(command(l, FirmwareLoader::kStartLoader), 0u);
    l.refuseNext();
    EXPECT_EQ(send(l, page(kLoader, 0, 0)), SdoAbortCode::CannotStore);
    EXPECT_EQ(send(l, page(kLoader, 0, 0)), 0u) << "the repeat of a refused page goes through";
}

class FlashFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/ovro-flash-test-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        m_dir = dir;
        m_path = m_dir + "/k315.flash";
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::vector<uint8_t> fileBytes() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string m_dir;
    std::string m_path;
};

TEST_F(FlashFile, KeepsTheImageAcrossProcesses)
{
    {
        FirmwareLoader l(m_path);
        std::string error;
        ASSERT_TRUE(l.loadFlash("v2.140", error)) << error;
        l.boot();
        EXPECT_EQ(l.runningVersion(), "v2.140") << "a missing file holds the factory application";
        EXPECT_FALSE(std::filesystem::exists(m_path));
        startSecondLevel(l);
        ASSERT_EQ(sendImage(l, kApp, kFlash), 0u);
        ASSERT_EQ(command(l, FirmwareLoader::kStartApplication), 0u);
    }
    const std::vector<uint8_t> bytes = fileBytes();
    ASSERT_EQ(bytes.size(), FirmwareImage::kFlashSize);
    EXPECT_TRUE(std::equal(kApp.begin(), kApp.end(), bytes.begin()));
    EXPECT_EQ(bytes[kApp.size()], 0xFF);
    EXPECT_EQ(bytes.back(), 0xFF);

    FirmwareLoader again(m_path);
    std::string error;
    ASSERT_TRUE(again.loadFlash("v2.140", error)) << error;
    again.boot();
    EXPECT_EQ(again.stage(), Stage::Application);
    EXPECT_EQ(again.runningVersion(), "V2.100");
}

TEST_F(FlashFile, HalfProgrammedFlashStartsTheLoader)
{
    {
        FirmwareLoader l(m_path);
        std::string error;
        ASSERT_TRUE(l.loadFlash("v2.140", error)) << error;
        l.boot();
        startSecondLevel(l);
        ASSERT_EQ(sendImage(l, std::vector<uint8_t>(kApp.begin(), kApp.begin() + 512), kFlash), 0u);
    }
    FirmwareLoader again(m_path);
    std::string error;
    ASSERT_TRUE(again.loadFlash("v2.140", error)) << error;
    again.boot();
    EXPECT_EQ(again.stage(), Stage::FirstLevel);
}

TEST_F(FlashFile, AFileOfAnotherSizeIsRefusedAndKept)
{
    {
        std::ofstream out(m_path, std::ios::binary);
        out << "not a flash image";
    }
    FirmwareLoader l(m_path);
    std::string error;
    EXPECT_FALSE(l.loadFlash("v2.140", error));
    EXPECT_NE(error.find(m_path), std::string::npos) << error;
    const std::vector<uint8_t> bytes = fileBytes();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "not a flash image");
}
}  // namespace

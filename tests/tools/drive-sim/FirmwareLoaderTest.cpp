#include "FirmwareLoader.h"

#include "SdoAbortCode.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Stage = FirmwareLoader::Stage;
using Action = FirmwareLoader::Action;

std::vector<uint8_t> page(uint32_t address, uint8_t fill, int checksumError = 0)
{
    std::vector<uint8_t> b(FirmwareLoader::kBlockSize, 0);
    for (int i = 0; i < 4; ++i)
        b[i] = uint8_t(address >> (8 * i));
    for (size_t i = 0; i < FirmwareLoader::kPageSize; ++i)
        b[7 + i] = uint8_t(fill + i);
    const uint16_t sum = uint16_t(FirmwareLoader::checksum(b.data() + 7, FirmwareLoader::kPageSize) + checksumError);
    b[135] = uint8_t(sum);
    b[136] = uint8_t(sum >> 8);
    return b;
}

uint32_t send(FirmwareLoader& l, const std::vector<uint8_t>& b) { return l.block(b.data(), b.size()); }

uint32_t command(FirmwareLoader& l, uint32_t value)
{
    Action a;
    return l.command(value, a);
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
    Action a;
    ASSERT_EQ(l.command(FirmwareLoader::kStartLoader, a), 0u);
    EXPECT_EQ(a, Action::StopDrive);
    EXPECT_EQ(l.stage(), Stage::FirstLevel);
    EXPECT_EQ(send(l, page(0x0000, 1)), 0u);
    EXPECT_EQ(send(l, page(0x0080, 2)), 0u);
    EXPECT_EQ(l.ram().size(), 2u);
    EXPECT_EQ(l.ram().at(0x80)[0], 2);

    EXPECT_EQ(send(l, std::vector<uint8_t>(7, 0)), 0u);
    EXPECT_EQ(l.stage(), Stage::SecondLevel);
    EXPECT_EQ(send(l, page(0x10000, 7)), 0u);
    EXPECT_EQ(send(l, page(0x10000, 7)), 0u) << "a repeated page is taken";
    EXPECT_EQ(send(l, page(0x10400, 9)), 0u) << "gaps between pages are fine";
    EXPECT_EQ(l.flash().size(), 2u);
    ASSERT_EQ(l.command(FirmwareLoader::kStartApplication, a), 0u);
    EXPECT_EQ(a, Action::Restart);
    EXPECT_EQ(l.stage(), Stage::Application);
    EXPECT_EQ(l.flashedPages(), 2u);
}

TEST(FirmwareLoader, BadPagesAreRefusedAndNotStored)
{
    FirmwareLoader l;
    command(l, FirmwareLoader::kStartLoader);
    EXPECT_EQ(send(l, page(0x0100, 1, 1)), SdoAbortCode::CannotStore) << "wrong checksum";
    EXPECT_TRUE(l.ram().empty());
    EXPECT_EQ(send(l, page(0x0100, 1)), 0u);
    EXPECT_EQ(send(l, page(0x0080, 1)), SdoAbortCode::ValueRange) << "out of sequence";
    EXPECT_EQ(send(l, page(0x0140, 1)), SdoAbortCode::ValueRange) << "not on a page boundary";
    std::vector<uint8_t> reserved = page(0x0180, 1);
    reserved[5] = 1;
    EXPECT_EQ(send(l, reserved), SdoAbortCode::ValueRange);
    std::vector<uint8_t> shortBlock = page(0x0180, 1);
    shortBlock.pop_back();
    EXPECT_EQ(send(l, shortBlock), SdoAbortCode::LengthTooLow);
    std::vector<uint8_t> notZero(7, 0);
    notZero[0] = 0x80;
    EXPECT_EQ(send(l, notZero), SdoAbortCode::ValueRange);
    EXPECT_EQ(l.ram().size(), 1u);
    EXPECT_EQ(l.stage(), Stage::FirstLevel);
}

TEST(FirmwareLoader, StepsOutOfOrderAreRefused)
{
    FirmwareLoader l;
    EXPECT_EQ(send(l, page(0, 1)), SdoAbortCode::CannotStoreState) << "no loader running";
    EXPECT_EQ(command(l, 0x12345678), SdoAbortCode::ValueRange);
    command(l, FirmwareLoader::kStartLoader);
    EXPECT_EQ(send(l, std::vector<uint8_t>(7, 0)), SdoAbortCode::CannotStoreState) << "nothing in RAM to start";
    send(l, page(0, 1));
    send(l, std::vector<uint8_t>(7, 0));
    EXPECT_EQ(send(l, std::vector<uint8_t>(7, 0)), SdoAbortCode::CannotStoreState) << "already started";
    // FPRG starts over
    EXPECT_EQ(command(l, FirmwareLoader::kStartLoader), 0u);
    EXPECT_EQ(l.stage(), Stage::FirstLevel);
    EXPECT_TRUE(l.ram().empty());
}

TEST(FirmwareLoader, RefuseNextRefusesExactlyOnce)
{
    FirmwareLoader l;
    l.refuseNext();
    EXPECT_EQ(command(l, FirmwareLoader::kStartLoader), SdoAbortCode::CannotStore);
    EXPECT_EQ(l.stage(), Stage::Application);
    EXPECT_EQ(command(l, FirmwareLoader::kStartLoader), 0u);
    l.refuseNext();
    EXPECT_EQ(send(l, page(0, 1)), SdoAbortCode::CannotStore);
    EXPECT_EQ(send(l, page(0, 1)), 0u) << "the repeat of a refused page goes through";
}
}  // namespace

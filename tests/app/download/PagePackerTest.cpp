#include "download/HexFile.h"
#include "download/PageBlock.h"
#include "download/PagePacker.h"
#include "download/TextLine.h"
#include "HexTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct SentPage {
    std::uint32_t address;
    std::size_t fill;
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> wire;
    std::uint16_t checksum;
};

class PagePackerTest : public ::testing::Test {
protected:
    PagePackerTest()
        : packer([this](PageBlock& block) {
              if (failSend)
                  return false;
              const std::uint16_t sum = block.Seal();
              sent.push_back({block.PageAddress(), block.FillPosition(),
                              {block.Data(), block.Data() + PageBlock::kPageSize},
                              {block.Wire(), block.Wire() + PageBlock::kWireLength},
                              sum});
              return true;
          })
    {
    }

    CPagePacker::Status Add(std::uint32_t address, const std::vector<std::uint8_t>& bytes,
                            std::uint32_t base = 0)
    {
        HexRecord r;
        r.base = base;
        r.offset = address;
        r.length = static_cast<std::uint8_t>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), r.data.begin());
        return packer.Add(r);
    }

    static void ExpectErased(const SentPage& page, std::size_t from, std::size_t to)
    {
        for (std::size_t i = from; i < to; ++i)
            EXPECT_EQ(page.data[i], 0xFF) << "byte " << i << " of page " << page.address;
    }

    std::vector<SentPage> sent;
    bool failSend = false;
    CPagePacker packer;
};

TEST(PageBlock, ChecksumAddsEveryByteIncremented)
{
    PageBlock b;
    EXPECT_EQ(b.Checksum(), 0);          // a page of 0xFF
    b.Put(0x10);
    EXPECT_EQ(b.Checksum(), 0x11);
    const std::vector<std::uint8_t> zeros(128, 0x00);
    EXPECT_EQ(PageBlock::ChecksumOf(zeros.data(), zeros.size()), 128);
    const std::vector<std::uint8_t> fe(128, 0xFE);
    EXPECT_EQ(PageBlock::ChecksumOf(fe.data(), fe.size()), 128 * 0xFF);
    const std::vector<std::uint8_t> mixed = {0x00, 0x7F, 0xFF, 0x80};
    EXPECT_EQ(PageBlock::ChecksumOf(mixed.data(), mixed.size()), 1 + 0x80 + 0 + 0x81);
}

TEST(PageBlock, WireForm)
{
    PageBlock b;
    b.Open(0x12345680u, 3);
    b.Put(0xAB);
    const std::uint16_t sum = b.Seal();
    EXPECT_EQ(sum, 0xAC);
    const std::uint8_t* w = b.Wire();
    EXPECT_EQ(PageBlock::kWireLength, 137u);
    EXPECT_EQ(w[0], 0x80);
    EXPECT_EQ(w[1], 0x56);
    EXPECT_EQ(w[2], 0x34);
    EXPECT_EQ(w[3], 0x12);
    EXPECT_EQ(w[4], 0);
    EXPECT_EQ(w[5], 0);
    EXPECT_EQ(w[6], 0);
    EXPECT_EQ(w[7 + 2], 0xFF);
    EXPECT_EQ(w[7 + 3], 0xAB);
    EXPECT_EQ(w[7 + 4], 0xFF);
    EXPECT_EQ(w[135], 0xAC);
    EXPECT_EQ(w[136], 0x00);
    EXPECT_EQ(b.FillPosition(), 4u);
}

TEST(PageBlock, FullPageRefusesMore)
{
    PageBlock b;
    b.Open(0, 127);
    EXPECT_TRUE(b.Put(1));
    EXPECT_TRUE(b.Full());
    EXPECT_FALSE(b.Put(2));
    EXPECT_FALSE(b.SkipTo(129));
}

TEST_F(PagePackerTest, ConsecutiveRecordsShareAPage)
{
    ASSERT_EQ(Add(0x0000, Bytes(16)), CPagePacker::Status::Ok);
    ASSERT_EQ(Add(0x0010, Bytes(16, 16)), CPagePacker::Status::Ok);
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(Add(0x0080, Bytes(1, 0x55)), CPagePacker::Status::Ok);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].address, 0u);
    for (unsigned i = 0; i < 32; ++i)
        EXPECT_EQ(sent[0].data[i], i);
    ExpectErased(sent[0], 32, 128);
    ASSERT_EQ(packer.Finish(), CPagePacker::Status::Ok);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].address, 0x80u);
    EXPECT_EQ(sent[1].data[0], 0x55);
    EXPECT_EQ(packer.BytesLoaded(), 33u);
}

TEST_F(PagePackerTest, RecordAcrossAPageBorder)
{
    ASSERT_EQ(Add(0x0070, Bytes(32, 0x40)), CPagePacker::Status::Ok);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].address, 0u);
    ExpectErased(sent[0], 0, 0x70);
    for (unsigned i = 0; i < 16; ++i)
        EXPECT_EQ(sent[0].data[0x70 + i], 0x40 + i);
    ASSERT_EQ(packer.Finish(), CPagePacker::Status::Ok);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].address, 0x80u);
    for (unsigned i = 0; i < 16; ++i)
        EXPECT_EQ(sent[1].data[i], 0x50 + i);
    ExpectErased(sent[1], 16, 128);
}

TEST_F(PagePackerTest, OneByteIsSentAsAWholePage)
{
    ASSERT_EQ(Add(0x0100, {0x00}), CPagePacker::Status::Ok);
    ASSERT_EQ(packer.Finish(), CPagePacker::Status::Ok);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].address, 0x100u);
    EXPECT_EQ(sent[0].data[0], 0x00);
    ExpectErased(sent[0], 1, 128);
    EXPECT_EQ(sent[0].checksum, 1);
    EXPECT_EQ(sent[0].wire[135], 1);
    EXPECT_EQ(sent[0].wire[136], 0);
}

TEST_F(PagePackerTest, ExactlyFullPageIsSentOnce)
{
    for (unsigned a = 0; a < 128; a += 32)
        ASSERT_EQ(Add(a, Bytes(32, a)), CPagePacker::Status::Ok);
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(Add(0x80, Bytes(4)), CPagePacker::Status::Ok);
    ASSERT_EQ(packer.Finish(), CPagePacker::Status::Ok);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].fill, 128u);
    EXPECT_EQ(sent[0].data[127], 127);
    EXPECT_EQ(sent[1].address, 0x80u);
}

TEST_F(PagePackerTest, GapsBetweenPagesAndInsideAPage)
{
    ASSERT_EQ(Add(0x0000, Bytes(4)), CPagePacker::Status::Ok);
    ASSERT_EQ(Add(0x0040, Bytes(4, 0xA0)), CPagePacker::Status::Ok);   // gap inside the page
    ASSERT_EQ(Add(0x1000, Bytes(2, 0xB0)), CPagePacker::Status::Ok);   // pages left out
    ASSERT_EQ(packer.Finish(), CPagePacker::Status::Ok);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].data[3], 3);
    ExpectErased(sent[0], 4, 0x40);          // every byte keeps its address
    EXPECT_EQ(sent[0].data[0x40], 0xA0);
    EXPECT_EQ(sent[0].data[0x43], 0xA3);
    ExpectErased(sent[0], 0x44, 128);
    EXPECT_EQ(sent[1].address, 0x1000u);
    EXPECT_EQ(sent[1].data[1], 0xB1);
}

TEST_F(PagePackerTest, BackwardRecordsAreRefused)
{
    ASSERT_EQ(Add(0x0100, Bytes(8)), CPagePacker::Status::Ok);
    EXPECT_EQ(Add(0x0104, Bytes(2)), CPagePacker::Status::BadAddress);   // overlaps
    EXPECT_EQ(Add(0x0080, Bytes(2)), CPagePacker::Status::BadAddress);   // earlier page
    ASSERT_EQ(Add(0x0108, Bytes(2, 8)), CPagePacker::Status::Ok);
    ASSERT_EQ(packer.Finish(), CPagePacker::Status::Ok);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].data[9], 9);
}

TEST_F(PagePackerTest, AddressSpaceEnd)
{
    ASSERT_EQ(Add(0xFFF0, Bytes(16), 0xFFFF0000u), CPagePacker::Status::Ok);
    EXPECT_EQ(Add(0xFFFF, Bytes(2), 0xFFFF0000u), CPagePacker::Status::BadAddress);
    ASSERT_EQ(packer.Finish(), CPagePacker::Status::Ok);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].address, 0xFFFFFF80u);
    EXPECT_EQ(sent[0].data[127], 15);
}

TEST_F(PagePackerTest, SenderFailureStops)
{
    ASSERT_EQ(Add(0x0000, Bytes(16)), CPagePacker::Status::Ok);
    failSend = true;
    EXPECT_EQ(Add(0x0200, Bytes(16)), CPagePacker::Status::SendFailed);
    EXPECT_EQ(packer.Finish(), CPagePacker::Status::SendFailed);
    EXPECT_TRUE(sent.empty());
}

TEST_F(PagePackerTest, EachFileOpensItsOwnFirstBlock)
{
    ASSERT_EQ(Add(0x0000, Bytes(4)), CPagePacker::Status::Ok);
    ASSERT_EQ(packer.Finish(), CPagePacker::Status::Ok);
    packer.BeginFile();
    ASSERT_EQ(packer.Finish(), CPagePacker::Status::Ok);     // nothing open, nothing sent
    ASSERT_EQ(Add(0x0002, Bytes(2, 0x77)), CPagePacker::Status::Ok);
    ASSERT_EQ(packer.Finish(), CPagePacker::Status::Ok);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].address, 0u);
    EXPECT_EQ(sent[1].data[0], 0xFF);
    EXPECT_EQ(sent[1].data[2], 0x77);
    EXPECT_EQ(packer.BytesLoaded(), 6u);
}

TEST_F(PagePackerTest, FileReadAndPacked)
{
    TempFolder dir;
    const std::string path = dir.Write(
        "app.h86", Join({HexLine(4, 0, {0x00, 0x02}), HexLine(0, 0x0078, Bytes(16, 1)),
                         HexLine(0, 0x0088, Bytes(8, 0x11)), ":00000001FF"},
                        "\r\n"));
    FilePtr f = OpenForReading(path);
    ASSERT_TRUE(f);
    HexRecord rec;
    int n;
    while ((n = ReadHexRecord(f.get(), rec)) > 0)
        ASSERT_EQ(packer.Add(rec), CPagePacker::Status::Ok);
    ASSERT_EQ(n, 0);
    ASSERT_EQ(packer.Finish(), CPagePacker::Status::Ok);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].address, 0x20000u);
    EXPECT_EQ(sent[0].data[0x78], 1);
    EXPECT_EQ(sent[1].address, 0x20080u);
    EXPECT_EQ(sent[1].data[7], 16);
    EXPECT_EQ(sent[1].data[8], 0x11);
    EXPECT_EQ(sent[1].data[15], 0x18);
    EXPECT_EQ(packer.BytesLoaded(), 24u);
}

}  // namespace

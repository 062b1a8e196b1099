// The SDO server and the object dictionary checks, without a bus.
#include "ObjectDictionary.h"
#include "SdoServer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

class SdoServerTest : public ::testing::Test {
protected:
    ObjectDictionary od;
    SdoServer server{od};

    void SetUp() override
    {
        od.add(0x2000, 0, DataType::Unsigned8, Access::ReadWrite, 7);
        ObjectEntry& ranged = od.add(0x2001, 0, DataType::Integer16, Access::ReadWrite, 0);
        ranged.hasRange = true;
        ranged.minimum = -100;
        ranged.maximum = 100;
        od.addString(0x2002, 0, Access::ReadOnly, "0123456789");
        ObjectEntry& text = od.addString(0x2003, 0, Access::ReadWrite, "");
        text.maxSize = 16;
        od.add(0x2004, 0, DataType::Unsigned32, Access::WriteOnly, 0);
        od.addString(0x2005, 0, Access::ReadOnly, "");
    }

    // One request, the answer's bytes (empty when none is sent).
    Bytes request(Bytes req)
    {
        req.resize(8, 0);
        SdoServer::Answer a;
        if (!server.handle(req.data(), 8, a))
            return {};
        return Bytes(a.data, a.data + a.length);
    }

    static uint32_t abortOf(const Bytes& a)
    {
        if (a.size() != 8 || a[0] != 0x80)
            return 0;
        return uint32_t(a[4]) | uint32_t(a[5]) << 8 | uint32_t(a[6]) << 16 | uint32_t(a[7]) << 24;
    }
};

TEST_F(SdoServerTest, ExpeditedUploadIndicatesTheSize)
{
    EXPECT_EQ(request({0x40, 0x00, 0x20, 0x00}), (Bytes{0x4F, 0x00, 0x20, 0x00, 7, 0, 0, 0}));
    EXPECT_EQ(request({0x40, 0x01, 0x20, 0x00}), (Bytes{0x4B, 0x01, 0x20, 0x00, 0, 0, 0, 0}));
}

TEST_F(SdoServerTest, SegmentedUploadAlternatesTheToggleBit)
{
    EXPECT_EQ(request({0x40, 0x02, 0x20, 0x00}), (Bytes{0x41, 0x02, 0x20, 0x00, 10, 0, 0, 0}));
    EXPECT_EQ(request({0x60}), (Bytes{0x00, '0', '1', '2', '3', '4', '5', '6'}));
    EXPECT_EQ(request({0x70}), (Bytes{0x19, '7', '8', '9', 0, 0, 0, 0}));  // 4 unused, last
    EXPECT_FALSE(server.busy());
    EXPECT_EQ(abortOf(request({0x60})), SdoAbortCode::InvalidCommand) << "no transfer any more";
}

TEST_F(SdoServerTest, EmptyValueIsOneEmptySegment)
{
    EXPECT_EQ(request({0x40, 0x05, 0x20, 0x00}), (Bytes{0x41, 0x05, 0x20, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(request({0x60}), (Bytes{0x0F, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(SdoServerTest, WrongToggleFromTheClientAborts)
{
    request({0x40, 0x02, 0x20, 0x00});
    EXPECT_EQ(abortOf(request({0x70})), SdoAbortCode::ToggleNotAlternated);
    EXPECT_FALSE(server.busy());
}

TEST_F(SdoServerTest, ClientAbortEndsTheTransferSilently)
{
    request({0x40, 0x02, 0x20, 0x00});
    EXPECT_TRUE(server.busy());
    EXPECT_TRUE(request({0x80, 0x02, 0x20, 0x00, 0, 0, 4, 5}).empty());
    EXPECT_FALSE(server.busy());
}

TEST_F(SdoServerTest, SegmentedDownloadStoresAtTheLastSegment)
{
    EXPECT_EQ(request({0x21, 0x03, 0x20, 0x00, 9, 0, 0, 0}), (Bytes{0x60, 0x03, 0x20, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(request({0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g'}), (Bytes{0x20, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(od.getString(0x2003, 0), "");
    EXPECT_EQ(request({0x1B, 'h', 'i'}), (Bytes{0x30, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(od.getString(0x2003, 0), "abcdefghi");
}

TEST_F(SdoServerTest, SegmentedDownloadChecksSizes)
{
    EXPECT_EQ(abortOf(request({0x21, 0x03, 0x20, 0x00, 17, 0, 0, 0})), SdoAbortCode::LengthTooHigh);
    request({0x21, 0x03, 0x20, 0x00, 9, 0, 0, 0});
    EXPECT_EQ(abortOf(request({0x03, 'a', 'b'})), SdoAbortCode::LengthTooLow) << "ended before the size";
    request({0x21, 0x03, 0x20, 0x00, 2, 0, 0, 0});
    EXPECT_EQ(abortOf(request({0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g'})), SdoAbortCode::LengthTooHigh);
    EXPECT_EQ(abortOf(request({0x21, 0x00, 0x20, 0x00, 0, 0, 0x20, 0})), SdoAbortCode::OutOfMemory);
}

TEST_F(SdoServerTest, ExpeditedDownloadWithAndWithoutSize)
{
    EXPECT_EQ(request({0x2F, 0x00, 0x20, 0x00, 42}), (Bytes{0x60, 0x00, 0x20, 0x00, 0, 0, 0, 0}));
    EXPECT_EQ(od.getUnsigned(0x2000, 0), 42u);
    EXPECT_EQ(request({0x22, 0x00, 0x20, 0x00, 43, 0xEE, 0xEE, 0xEE}), (Bytes{0x60, 0x00, 0x20, 0x00, 0, 0, 0, 0}))
        << "size not indicated: the object's own size";
    EXPECT_EQ(od.getUnsigned(0x2000, 0), 43u);
    EXPECT_EQ(abortOf(request({0x2B, 0x00, 0x20, 0x00, 1, 0})), SdoAbortCode::LengthTooHigh);
    EXPECT_EQ(abortOf(request({0x2F, 0x01, 0x20, 0x00, 1})), SdoAbortCode::LengthTooLow);
}

TEST_F(SdoServerTest, AccessAndRangeChecks)
{
    EXPECT_EQ(abortOf(request({0x40, 0x04, 0x20, 0x00})), SdoAbortCode::WriteOnly);
    EXPECT_EQ(abortOf(request({0x23, 0x02, 0x20, 0x00, 1, 2, 3, 4})), SdoAbortCode::ReadOnly);
    EXPECT_EQ(abortOf(request({0x40, 0x99, 0x20, 0x00})), SdoAbortCode::NoObject);
    EXPECT_EQ(abortOf(request({0x40, 0x00, 0x20, 0x01})), SdoAbortCode::NoSubIndex);
    EXPECT_EQ(abortOf(request({0x2B, 0x01, 0x20, 0x00, 101, 0})), SdoAbortCode::ValueTooHigh);
    EXPECT_EQ(abortOf(request({0x2B, 0x01, 0x20, 0x00, 0x9B, 0xFF})), SdoAbortCode::ValueTooLow);  // -101
    EXPECT_EQ(request({0x2B, 0x01, 0x20, 0x00, 0x9C, 0xFF})[0], 0x60);                              // -100
    EXPECT_EQ(od.getSigned(0x2001, 0), -100);
    EXPECT_EQ(abortOf(request({0xC0, 0x00, 0x20, 0x00})), SdoAbortCode::InvalidCommand) << "block upload";
    // An abort answer names the object.
    const Bytes a = request({0x40, 0x99, 0x20, 0x07});
    EXPECT_EQ(Bytes(a.begin() + 1, a.begin() + 4), (Bytes{0x99, 0x20, 0x07}));
}

TEST_F(SdoServerTest, WriteHookMayRefuseOrKeepTheValue)
{
    od.setWriteHook(0x2000, 0, [](ObjectEntry&, const Bytes& v) {
        return v[0] == 13 ? SdoAbortCode::CannotStoreState : SdoAbortCode::None;
    });
    EXPECT_EQ(abortOf(request({0x2F, 0x00, 0x20, 0x00, 13})), SdoAbortCode::CannotStoreState);
    EXPECT_EQ(od.getUnsigned(0x2000, 0), 7u);
    od.find(0x2000, 0)->storeWrites = false;
    EXPECT_EQ(request({0x2F, 0x00, 0x20, 0x00, 14})[0], 0x60);
    EXPECT_EQ(od.getUnsigned(0x2000, 0), 7u);
    int reads = 0;
    od.setReadHook(0x2001, 0, [&reads](ObjectEntry& e) {
        e.value = {uint8_t(++reads), 0};
        return SdoAbortCode::None;
    });
    EXPECT_EQ(request({0x40, 0x01, 0x20, 0x00})[4], 1);
    EXPECT_EQ(request({0x40, 0x01, 0x20, 0x00})[4], 2);
}

TEST_F(SdoServerTest, InjectedFaults)
{
    server.faults().dropAnswers = 1;
    EXPECT_TRUE(request({0x40, 0x00, 0x20, 0x00}).empty());
    EXPECT_EQ(request({0x40, 0x00, 0x20, 0x00}).size(), 8u);
    server.faults().wrongLength = true;
    EXPECT_NE(request({0x40, 0x00, 0x20, 0x00}).size(), 8u);
    server.faults().wrongToggle = true;
    request({0x40, 0x02, 0x20, 0x00});
    EXPECT_EQ(request({0x60})[0] & 0x10, 0x10);
    server.addForcedAbort(0x2000, -1, 0x06060000);
    EXPECT_EQ(abortOf(request({0x40, 0x00, 0x20, 0x00})), 0x06060000u);
    EXPECT_EQ(abortOf(request({0x2F, 0x00, 0x20, 0x00, 1})), 0x06060000u);
    server.clearForcedAborts();
    EXPECT_EQ(request({0x40, 0x00, 0x20, 0x00})[0], 0x4F);
    Bytes shortFrame = {0x40, 0x00, 0x20};
    SdoServer::Answer a;
    EXPECT_FALSE(server.handle(shortFrame.data(), 3, a));
}
}  // namespace

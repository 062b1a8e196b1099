// The firmware's SDO service seen from the host side of the queues: the
// request and answer pieces, the busy notes while the bus is slow, a
// cancelled transfer, and a download whose pieces stop coming.
#include "DriverFixture.h"

#include <numeric>
#include <thread>

using namespace std::chrono_literals;
using ovro::test::ScriptedPeer;

namespace {

class FirmwareSdo : public DriverFixture {
protected:
    void SetUp() override
    {
        DriverFixture::SetUp();
        openBoard();
        ASSERT_EQ(result(command(ORX_CMD_INIT_INTERFACE, {0, COP_BAUD_500, 0, 0, 0, 0, 0, 0})), 0);
        ASSERT_EQ(result(command(ORX_CMD_ADD_NODE, {kNode, 0, 0, 0, 0, 0})), 0);
    }

    // Sends the request (a download's data in pieces of 241 bytes).
    void request(std::uint16_t transfer, bool download, std::uint16_t index, std::uint8_t sub, std::uint16_t length,
                 const std::vector<std::uint8_t>& data = {}, std::size_t pieces = SIZE_MAX)
    {
        std::size_t offset = 0;
        std::uint8_t piece = 0;
        do {
            std::size_t n = std::min<std::size_t>(data.size() - offset, ORX_SDO_PIECE_DATA);
            std::uint8_t b[ORX_SDO_BLOCK_MAX] = {};
            orx_block_begin(b, piece ? ORX_SDO_DATA : ORX_SDO_REQUEST,
                            static_cast<std::uint16_t>(ORX_SDO_PIECE_HEADER - ORX_HEADER + n));
            orx_put_u16(b + ORX_SDOQ_TRANSFER, transfer);
            b[ORX_SDOQ_PIECE] = piece++;
            b[ORX_SDOQ_NODE] = kNode;
            b[ORX_SDOQ_SDO] = 1;
            b[ORX_SDOQ_FLAGS] = download ? ORX_SDOF_DOWNLOAD : 0;
            orx_put_u16(b + ORX_SDOQ_INDEX, index);
            b[ORX_SDOQ_SUB] = sub;
            orx_put_u16(b + ORX_SDOQ_LENGTH, length);
            if (n)
                std::memcpy(b + ORX_SDO_PIECE_HEADER, data.data() + offset, n);
            while (kdi->Send(kdi, ORX_TXQ_SDO, b, static_cast<std::uint32_t>(ORX_SDO_PIECE_HEADER + n)) == KDI_ERR_FULL)
                std::this_thread::sleep_for(1ms);
            offset += n;
        } while (offset < data.size() && piece < pieces);
    }

    struct Answer {
        std::int8_t result = -128;
        std::uint32_t abort = 0;
        std::uint16_t length = 0;
        std::vector<std::uint8_t> data;
        int pieces = 0;
        int busyNotes = 0;
    };

    // Collects the answer to `transfer`, skipping others; result -128 when
    // nothing came within `ms` of the last sign of life.
    Answer answer(std::uint16_t transfer, int ms = 2000)
    {
        Answer a;
        for (;;) {
            std::vector<std::uint8_t> b = next(ORX_RXQ_SDO, ms);
            if (b.empty())
                return a;
            if (orx_block_code(b.data()) == ORX_SDO_BUSY) {
                ++a.busyNotes;
                continue;
            }
            if (orx_block_code(b.data()) != ORX_SDO_ANSWER || orx_get_u16(b.data() + ORX_SDOA_TRANSFER) != transfer)
                continue;
            EXPECT_EQ(b[ORX_SDOA_PIECE], a.pieces);
            ++a.pieces;
            a.data.insert(a.data.end(), b.begin() + ORX_SDO_PIECE_HEADER, b.end());
            if (b[ORX_SDOA_FLAGS] & ORX_SDOA_LAST) {
                a.result = static_cast<std::int8_t>(b[ORX_SDOA_RESULT]);
                a.abort = orx_get_u32(b.data() + ORX_SDOA_ABORT);
                a.length = orx_get_u16(b.data() + ORX_SDOA_LENGTH);
                return a;
            }
        }
    }
};

TEST_F(FirmwareSdo, AnswersInPiecesOf241Bytes)
{
    std::vector<std::uint8_t> big(700);
    std::iota(big.begin(), big.end(), 0);
    peer->setObject(0x2F50, 1, big);
    request(1, false, 0x2F50, 1, 600);
    Answer a = answer(1);
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(a.pieces, 3) << "241 + 241 + 118: as much as the host takes";
    EXPECT_EQ(a.length, 700) << "what the node sent";
    EXPECT_EQ(a.data, std::vector<std::uint8_t>(big.begin(), big.begin() + 600));
    EXPECT_GE(a.busyNotes, 1) << "the request is acknowledged at once";

    std::vector<std::uint8_t> data(483);
    std::iota(data.begin(), data.end(), 7);
    peer->setObject(0x2F50, 2, {});
    request(2, true, 0x2F50, 2, 483, data);
    a = answer(2);
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(a.pieces, 1);
    EXPECT_TRUE(a.data.empty());
    EXPECT_EQ(peer->object(0x2F50, 2), data);

    request(3, false, 0x3000, 0, 8);
    a = answer(3);
    EXPECT_EQ(a.result, 4);
    EXPECT_EQ(a.abort, 0x06020000u);
}

TEST_F(FirmwareSdo, TellsTheHostItIsBusyWhileTheNodeIsSlow)
{
    ASSERT_EQ(result(command(ORX_CMD_SET_SDO_TIMEOUT, {0x90, 0x01})), 0);  // 400 ms
    peer->injectSdoFault({ScriptedPeer::Fault::NoAnswer, 0});
    request(7, false, 0x1000, 0, 4);
    // The host would give up after 400 ms without a note; the notes keep coming.
    Answer a = answer(7, 400);
    EXPECT_EQ(a.result, 10) << "the firmware's own time-out";
    EXPECT_GE(a.busyNotes, 3);
}

TEST_F(FirmwareSdo, DropsACancelledTransferAndServesTheNext)
{
    ASSERT_EQ(result(command(ORX_CMD_SET_SDO_TIMEOUT, {0x2C, 0x01})), 0);  // 300 ms
    peer->injectSdoFault({ScriptedPeer::Fault::NoAnswer, 0});
    request(8, false, 0x1000, 0, 4);
    std::this_thread::sleep_for(50ms);
    ASSERT_EQ(result(command(ORX_CMD_CANCEL_SDO, {kNode, 8, 0, 0, 0})), 0);
    request(9, false, 0x1000, 0, 4);
    Answer a = answer(9);
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(a.data, (std::vector<std::uint8_t>{0x92, 0x01, 0x02, 0x00}));
}

TEST_F(FirmwareSdo, ADownloadWhosePiecesStopIsReplacedByTheNextRequest)
{
    std::vector<std::uint8_t> data(600, 0x11);
    peer->setObject(0x2F50, 2, {});
    request(10, true, 0x2F50, 2, 600, data, 1);  // the first piece only
    request(11, false, 0x1000, 0, 4);
    Answer a = answer(11);
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(peer->object(0x2F50, 2), std::vector<std::uint8_t>{}) << "nothing written";
    EXPECT_EQ(answer(10, 100).result, -128) << "no answer to the one given up";
}

TEST_F(FirmwareSdo, RequestsTheMasterCannotServe)
{
    std::uint8_t b[ORX_SDO_BLOCK_MAX] = {};
    orx_block_begin(b, ORX_SDO_REQUEST, ORX_SDO_PIECE_HEADER - ORX_HEADER);
    orx_put_u16(b + ORX_SDOQ_TRANSFER, 12);
    b[ORX_SDOQ_NODE] = kNode;
    b[ORX_SDOQ_SDO] = 1;
    b[ORX_SDOQ_FLAGS] = ORX_SDOF_BLOCK;
    orx_put_u16(b + ORX_SDOQ_INDEX, 0x1000);
    orx_put_u16(b + ORX_SDOQ_LENGTH, 4);
    ASSERT_EQ(kdi->Send(kdi, ORX_TXQ_SDO, b, ORX_SDO_PIECE_HEADER), KDI_OK);
    EXPECT_EQ(answer(12).result, 3) << "no block transfer";
    b[ORX_SDOQ_FLAGS] = 0;
    b[ORX_SDOQ_NODE] = kNode + 1;
    orx_put_u16(b + ORX_SDOQ_TRANSFER, 13);
    ASSERT_EQ(kdi->Send(kdi, ORX_TXQ_SDO, b, ORX_SDO_PIECE_HEADER), KDI_OK);
    EXPECT_EQ(answer(13).result, 5) << "a node that was not added";
}

}  // namespace

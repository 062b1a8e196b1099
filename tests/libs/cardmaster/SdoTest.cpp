// The SDO handler: one request at a time, its states, cancelling, the
// time-outs of the board and of the firmware, and transfers of every size
// in pieces of 241 bytes.
#include "BoardFixture.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <numeric>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using ovro::test::ScriptedPeer;
using Clock = std::chrono::steady_clock;

namespace {

class Sdo : public BoardFixture {
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        h = openStick();
        ASSERT_NE(h, 0);
        ASSERT_EQ(COP_AddNode(h, kNode, 0, 0, 0), CM_OK);
    }

    COP_CM_RESULT read(std::uint16_t index, std::uint8_t sub, std::vector<std::uint8_t>& out, std::uint16_t capacity = 256)
    {
        out.assign(capacity ? capacity : 1, 0xEE);
        std::uint16_t n = capacity;
        std::uint32_t abort = 0xFFFFFFFF;
        COP_CM_RESULT r = COP_ReadSDO(h, kNode, 1, 0, index, sub, &n, out.data(), &abort);
        received = n;
        lastAbort = abort;
        if (r == CM_OK)
            out.resize(std::min<std::size_t>(n, capacity));
        return r;
    }

    // Waits for the request's event and resets it.
    static bool waitFor(int event, std::chrono::milliseconds limit)
    {
        pollfd p{event, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(limit.count())) != 1)
            return false;
        std::uint64_t count = 0;
        return ::read(event, &count, sizeof count) == sizeof count && count == 1;
    }

    std::uint16_t h = 0;
    std::uint16_t received = 0;
    std::uint32_t lastAbort = 0;
};

TEST_F(Sdo, UploadsAndDownloadsOfEverySizeInPieces)
{
    for (int size : {1, 2, 3, 4, 5, 7, 8, 240, 241, 242, 482, 483, 1000, 4096, 32767}) {
        SCOPED_TRACE(size);
        std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<std::uint8_t>(i * 13 + size);
        std::uint32_t abort = 1;
        peer->setObject(0x2F50, 2, {});
        ASSERT_EQ(COP_WriteSDO(h, kNode, 1, 0, 0x2F50, 2, static_cast<std::uint16_t>(size), data.data(), &abort), CM_OK);
        EXPECT_EQ(peer->object(0x2F50, 2), data);
        std::vector<std::uint8_t> back;
        ASSERT_EQ(read(0x2F50, 2, back, static_cast<std::uint16_t>(size)), CM_OK);
        EXPECT_EQ(received, size);
        EXPECT_EQ(back, data);
    }
}

TEST_F(Sdo, ReportsTheReceivedLengthAndCopiesWhatFits)
{
    std::vector<std::uint8_t> big(1000);
    std::iota(big.begin(), big.end(), 0);
    peer->setObject(0x2F50, 1, big);
    std::vector<std::uint8_t> out;
    ASSERT_EQ(read(0x2F50, 1, out, 256), CM_OK);
    EXPECT_EQ(received, 1000) << "the bytes the node sent";
    EXPECT_EQ(out, std::vector<std::uint8_t>(big.begin(), big.begin() + 256));
    ASSERT_EQ(read(0x1000, 0, out, 2), CM_OK);
    EXPECT_EQ(received, 4);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x92, 0x01}));
}

TEST_F(Sdo, AbortsCarryTheirCode)
{
    std::vector<std::uint8_t> out;
    EXPECT_EQ(read(0x3000, 0, out), CM_ERR_ABORTED);
    EXPECT_EQ(lastAbort, 0x06020000u);
    peer->injectSdoFault({ScriptedPeer::Fault::Abort, 0, 0xFFFFFFFFu});
    EXPECT_EQ(read(0x1000, 0, out), CM_ERR_ABORTED);
    EXPECT_EQ(lastAbort, 0xFFFFFFFFu);
    const std::uint8_t value[4] = {1, 2, 3, 4};
    std::uint32_t abort = 0;
    EXPECT_EQ(COP_WriteSDO(h, kNode, 1, 0, 0x1000, 0, 4, value, &abort), CM_ERR_ABORTED);
    EXPECT_EQ(abort, 0x06010002u);
}

TEST_F(Sdo, ASecondRequestWhileOneRunsIsRefused)
{
    ASSERT_EQ(COP_SetSDOTimeOut(h, 300), CM_OK);
    peer->injectSdoFault({ScriptedPeer::Fault::NoAnswer, 0});
    int event = ::eventfd(0, EFD_CLOEXEC);
    ASSERT_EQ(COP_PutSDO(h, kNode, 1, CM_SDO_UPLOAD, CM_SDO_NORMAL, 0x1000, 0, 4, nullptr, event), CM_OK);
    EXPECT_EQ(COP_PutSDO(h, kNode, 1, CM_SDO_UPLOAD, CM_SDO_NORMAL, 0x1000, 0, 4, nullptr, -1), CM_ERR_SDO_RUNNING);
    std::uint8_t data[4];
    std::uint16_t n = 4;
    std::uint32_t abort = 0;
    EXPECT_EQ(COP_GetSDO(h, data, &n, &abort), CM_ERR_EMPTY) << "still running";
    ASSERT_TRUE(waitFor(event, 3s));
    EXPECT_EQ(COP_GetSDO(h, data, &n, &abort), CM_ERR_CAN_TIMEOUT) << "the firmware's own time-out";
    EXPECT_EQ(COP_GetSDO(h, data, &n, &abort), CM_ERR_GENERAL) << "fetched: idle";
    // Free again.
    ASSERT_EQ(COP_PutSDO(h, kNode, 1, CM_SDO_UPLOAD, CM_SDO_NORMAL, 0x1000, 0, 4, nullptr, event), CM_OK);
    ASSERT_TRUE(waitFor(event, 3s));
    n = 4;
    EXPECT_EQ(COP_GetSDO(h, data, &n, &abort), CM_OK);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(data[0], 0x92);
    ::close(event);
}

TEST_F(Sdo, ACancelledTransferEndsAtOnceAndTheNextOneRuns)
{
    ASSERT_EQ(COP_SetSDOTimeOut(h, 2000), CM_OK);
    peer->injectSdoFault({ScriptedPeer::Fault::NoAnswer, 0});
    auto start = Clock::now();
    auto reading = std::async(std::launch::async, [&] {
        std::uint8_t data[8];
        std::uint16_t n = 8;
        std::uint32_t abort = 0;
        return COP_ReadSDO(h, kNode, 1, 0, 0x1000, 0, &n, data, &abort);
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(COP_CancelSDO(h), CM_OK);
    EXPECT_EQ(reading.get(), CM_ERR_SDO_CANCELLED);
    EXPECT_LT(Clock::now() - start, 1500ms) << "not after the 2 s time-out";
    // The board still waits for the silent node; the next transfer follows it.
    std::vector<std::uint8_t> out;
    EXPECT_EQ(read(0x1000, 0, out), CM_OK);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x92, 0x01, 0x02, 0x00}));
    EXPECT_EQ(COP_CancelSDO(h), CM_OK) << "nothing to cancel";
}

TEST_F(Sdo, TimeOutLimits)
{
    EXPECT_EQ(COP_SetSDOTimeOut(h, 0), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_SetSDOTimeOut(h, 0x8000), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_SetSDOTimeOut(h, 0xFFFF), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_SetSDOTimeOut(h, 0x7FFF), CM_OK);
    // Below 5 is 5: a silent node is given up after 5 ms, by the firmware
    // (or, on a machine too busy to keep a 5 ms beat, by the board's side).
    EXPECT_EQ(COP_SetSDOTimeOut(h, 1), CM_OK);
    peer->injectSdoFault({ScriptedPeer::Fault::NoAnswer, 0});
    std::vector<std::uint8_t> out;
    auto start = Clock::now();
    COP_CM_RESULT r = read(0x1000, 0, out);
    EXPECT_TRUE(r == CM_ERR_CAN_TIMEOUT || r == CM_ERR_TIMEOUT) << r;
    auto took = Clock::now() - start;
    EXPECT_GE(took, 5ms);
    EXPECT_LT(took, 1s);
}

TEST_F(Sdo, AFirmwareThatDoesNotAnswerTimesOutOnTheBoardsSide)
{
    releaseAll();
    setVariable(kStick, "FAULT", "silent-sdo");
    h = openStick();
    ASSERT_EQ(COP_AddNode(h, kNode, 0, 0, 0), CM_OK);
    ASSERT_EQ(COP_SetSDOTimeOut(h, 100), CM_OK);
    std::vector<std::uint8_t> out;
    auto start = Clock::now();
    EXPECT_EQ(read(0x1000, 0, out), CM_ERR_TIMEOUT);
    EXPECT_GE(Clock::now() - start, 100ms);
    EXPECT_LT(Clock::now() - start, 2s);
}

TEST_F(Sdo, ASlowTransferOutlastsTheTimeOutWhileTheFirmwareWorksOnIt)
{
    // 32767 bytes are several thousand frames: far longer than one time-out.
    ASSERT_EQ(COP_SetSDOTimeOut(h, 100), CM_OK);
    std::vector<std::uint8_t> data(32767, 0x5A);
    std::uint32_t abort = 0;
    peer->setObject(0x2F50, 3, {});
    EXPECT_EQ(COP_WriteSDO(h, kNode, 1, 0, 0x2F50, 3, 32767, data.data(), &abort), CM_OK);
    EXPECT_EQ(peer->object(0x2F50, 3), data);
}

TEST_F(Sdo, NullPointersAndRequestsTheBoardCannotServe)
{
    std::uint8_t data[4] = {};
    std::uint16_t n = 4;
    std::uint32_t abort = 0;
    EXPECT_EQ(COP_ReadSDO(h, kNode, 1, 0, 0x1000, 0, nullptr, data, &abort), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_ReadSDO(h, kNode, 1, 0, 0x1000, 0, &n, nullptr, &abort), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_ReadSDO(h, kNode, 1, 0, 0x1000, 0, &n, data, nullptr), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_WriteSDO(h, kNode, 1, 0, 0x1000, 0, 4, nullptr, &abort), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_PutSDO(h, kNode, 1, 2, 0, 0x1000, 0, 4, nullptr, -1), CM_ERR_PARAMETER) << "direction";
    EXPECT_EQ(COP_PutSDO(h, kNode, 1, CM_SDO_DOWNLOAD, 0, 0x1000, 0, 4, nullptr, -1), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_ReadSDO(h, kNode, 2, 0, 0x1000, 0, &n, data, &abort), CM_ERR_PARAMETER) << "one client SDO";
    EXPECT_EQ(COP_ReadSDO(h, kNode, 1, CM_SDO_BLOCK, 0x1000, 0, &n, data, &abort), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_ReadSDO(h, kNode + 1, 1, 0, 0x1000, 0, &n, data, &abort), CM_ERR_NO_NODE) << "not added";
    EXPECT_EQ(COP_WriteSDO(h, kNode, 1, 0, 0x2000, 0, 0, data, &abort), CM_ERR_PARAMETER) << "nothing to write";
    EXPECT_EQ(COP_CreateSDO(h, kNode, 1, 0x600 + kNode, 0x580 + kNode), CM_OK);
    EXPECT_EQ(COP_CreateSDO(h, kNode, 1, 0, 0), CM_OK);
    EXPECT_EQ(COP_CreateSDO(h, kNode, 2, 0, 0), CM_ERR_PARAMETER);
    EXPECT_EQ(COP_CreateSDO(h, kNode, 1, 0x640, 0x5C0), CM_ERR_PARAMETER);
}

}  // namespace

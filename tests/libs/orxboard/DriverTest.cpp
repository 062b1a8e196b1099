// The driver interface of libkdi_usb.so: the boards it runs, the firmware
// check, the order of the calls, the queues, and the board that keeps its
// firmware.
#include "DriverFixture.h"

#include <orxboard/orx_firmware.h>

#include <fstream>
#include <functional>

namespace {

class Driver : public DriverFixture {};

TEST_F(Driver, RunsItsOwnBoardsOnly)
{
    KdiBoardParameter p{};
    ASSERT_EQ(parameter(kStick | 0x33, &p), KDI_OK);
    EXPECT_EQ(p.boardType, kStick);
    EXPECT_EQ(p.txQueues, ORX_TX_QUEUES);
    EXPECT_EQ(p.rxQueues, ORX_RX_QUEUES);
    EXPECT_EQ(p.maxBlock, KDI_MAX_BLOCK);
    EXPECT_EQ(parameter(0x01051300u, &p), KDI_OK) << "the other stick";
    EXPECT_EQ(parameter(0x01010000u, &p), KDI_ERR_NOT_FOUND) << "a dual-ported memory board";
    EXPECT_EQ(parameter(kStick, nullptr), KDI_ERR_PARAMETER);
    EXPECT_EQ(createBsp(0x01010000u, 1), nullptr);
    EXPECT_EQ(createKdi(nullptr), nullptr);
}

struct BadImage {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> spoil;
};

TEST_F(Driver, BootsOnlyFromAnImageThatPassesTheCheck)
{
    const BadImage bad[] = {
        {"another family's", [](std::vector<std::uint8_t>& i) { i = orx::buildFirmwareImage(102); }},
        {"one program byte changed", [](std::vector<std::uint8_t>& i) { i[ORX_IMAGE_HEADER_SIZE + 100] ^= 1; }},
        {"cut short", [](std::vector<std::uint8_t>& i) { i.resize(i.size() - 1); }},
        {"one byte too many", [](std::vector<std::uint8_t>& i) { i.push_back(0); }},
        {"no magic", [](std::vector<std::uint8_t>& i) { i[0] = 'X'; }},
        {"another format", [](std::vector<std::uint8_t>& i) { i[4] = 2; }},
        {"header only", [](std::vector<std::uint8_t>& i) { i.resize(ORX_IMAGE_HEADER_SIZE - 1); }},
    };
    bsp = createBsp(kStick, kEntry);
    ASSERT_NE(bsp, nullptr);
    std::vector<std::uint8_t> image = orx::buildFirmwareImage(103);
    EXPECT_EQ(bsp->Download(bsp, image.data(), static_cast<std::uint32_t>(image.size()), 0), KDI_ERR_STATE)
        << "not open";
    ASSERT_EQ(bsp->Open(bsp), KDI_OK);
    for (const BadImage& b : bad) {
        SCOPED_TRACE(b.name);
        std::vector<std::uint8_t> i = image;
        b.spoil(i);
        EXPECT_EQ(bsp->Download(bsp, i.data(), static_cast<std::uint32_t>(i.size()), KDI_DOWNLOAD_VERIFY),
                  KDI_ERR_IMAGE);
    }
    EXPECT_EQ(bsp->Download(bsp, nullptr, 100, 0), KDI_ERR_IMAGE);
    EXPECT_EQ(bsp->Download(bsp, image.data(), static_cast<std::uint32_t>(image.size()), 1), KDI_ERR_PARAMETER);
    EXPECT_EQ(bsp->Download(bsp, image.data(), static_cast<std::uint32_t>(image.size()), KDI_DOWNLOAD_LOAD), KDI_OK);
}

TEST_F(Driver, TheBoardAnswersOverItsQueues)
{
    openBoard();
    std::vector<std::uint8_t> booted = next(ORX_RXQ_EVENT);
    ASSERT_EQ(booted.size(), ORX_HEADER + 6u);
    EXPECT_EQ(orx_block_code(booted.data()), ORX_MSG_EVENT);
    EXPECT_EQ(orx_get_u16(booted.data() + ORX_PARAM), ORX_EVENT_BOOTED);

    std::vector<std::uint8_t> version = command(ORX_CMD_VERSION);
    ASSERT_EQ(version.size(), ORX_HEADER + 3u);
    EXPECT_EQ(result(version), 0);
    EXPECT_EQ(orx_get_u16(version.data() + ORX_ANSWER_DATA), ORX_FIRMWARE_VERSION);
    EXPECT_EQ(result(command(0x7777)), 32) << "unknown command";
    EXPECT_EQ(result(command(ORX_CMD_ADD_NODE, {5, 0})), 3) << "too few parameter bytes";
    EXPECT_EQ(result(command(ORX_CMD_ADD_NODE, {5, 0, 0, 0, 0, 0})), 6) << "no interface yet";
    EXPECT_EQ(result(command(ORX_CMD_INIT_INTERFACE, {0, COP_BAUD_500, 0, 0, 0, 0, 0, 0})), 0);
    EXPECT_EQ(result(command(ORX_CMD_ADD_NODE, {5, 0, 0, 0, 0, 0})), 0);

    // An answer does not go into a buffer that is too small for it.
    std::uint8_t probe[ORX_HEADER + 2];
    orx_block_begin(probe, ORX_CMD_VERSION, 0);
    ASSERT_EQ(kdi->Send(kdi, ORX_TXQ_COMMAND, probe, ORX_HEADER), KDI_OK);
    ASSERT_EQ(kdi->WaitEvent(kdi, ORX_RXQ_ANSWER, 2000), KDI_OK);
    std::uint32_t size = 0, level = 0;
    EXPECT_EQ(kdi->Receive(kdi, ORX_RXQ_ANSWER, probe, 2, &size), KDI_ERR_SIZE);
    EXPECT_EQ(size, ORX_HEADER + 3u);
    ASSERT_EQ(kdi->RxLevel(kdi, ORX_RXQ_ANSWER, &level), KDI_OK);
    EXPECT_EQ(level, 1u) << "still there";

    // The queue's event: set by a block, taken by the wait that sees it.
    EXPECT_EQ(kdi->WaitEvent(kdi, ORX_RXQ_SYNC, 20), KDI_ERR_TIMEOUT);
    ASSERT_EQ(kdi->SetEvent(kdi, ORX_RXQ_SYNC), KDI_OK);
    EXPECT_EQ(kdi->WaitEvent(kdi, ORX_RXQ_SYNC, 20), KDI_OK);
    EXPECT_EQ(kdi->WaitEvent(kdi, ORX_RXQ_SYNC, 20), KDI_ERR_TIMEOUT);
    EXPECT_EQ(kdi->Send(kdi, 3, probe, ORX_HEADER), KDI_ERR_STATE) << "no queue 3";
    EXPECT_EQ(kdi->Send(kdi, 0, probe, KDI_MAX_BLOCK + 1), KDI_ERR_SIZE);
    std::uint32_t free = 0;
    ASSERT_EQ(kdi->TxFree(kdi, ORX_TXQ_COMMAND, &free), KDI_OK);
    EXPECT_GT(free, 0u);
    ASSERT_EQ(kdi->CloseQueues(kdi), KDI_OK);
    EXPECT_EQ(kdi->Send(kdi, ORX_TXQ_COMMAND, probe, ORX_HEADER), KDI_ERR_STATE) << "queues closed";
    EXPECT_EQ(kdi->CloseQueues(kdi), KDI_ERR_STATE);
}

TEST_F(Driver, OneBoardAtATimeInAProcess)
{
    openBoard();
    KdiBsp* second = createBsp(0x01051300u, 12);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Open(second), KDI_ERR_BUSY);
    second->Release(second);
    closeBoard();
    second = createBsp(0x01051300u, 12);
    EXPECT_EQ(second->Open(second), KDI_OK);
    EXPECT_EQ(second->Close(second), KDI_OK);
    EXPECT_EQ(second->Close(second), KDI_ERR_STATE);
    second->Release(second);
}

TEST_F(Driver, TheBoardKeepsItsFirmwareAndRefusesADamagedCopy)
{
    openBoard();
    closeBoard();
    openBoard(false);  // no download: the board boots from what it kept
    EXPECT_EQ(result(command(ORX_CMD_VERSION)), 0);
    closeBoard();

    std::string flash = m_dir.path("config/Orvax/Board11.flash");
    {
        std::fstream f(flash, std::ios::in | std::ios::out | std::ios::binary);
        ASSERT_TRUE(f.good());
        f.seekp(ORX_IMAGE_HEADER_SIZE + 10);
        f.put('\x5A');
    }
    openBoard(false);
    EXPECT_TRUE(command(ORX_CMD_VERSION, {}, 100).empty()) << "nothing runs on the board";
    EXPECT_NE(journal().find("firmware.none"), std::string::npos);
}

TEST_F(Driver, AFullReceiveQueueDropsAndSaysSo)
{
    openBoard();
    next(ORX_RXQ_EVENT);  // booted
    ASSERT_EQ(result(command(ORX_CMD_INIT_INTERFACE, {0, COP_BAUD_500, 0, 0, 0, 0, 0, 0})), 0);
    ASSERT_EQ(result(command(ORX_CMD_ADD_NODE, {kNode, 0, 0, 0, 0, 0})), 0);
    ASSERT_EQ(result(command(ORX_CMD_CREATE_PDO, {kNode, 8, 0, 1, 0x85, 0x03, 0, 0, 8})), 0);
    for (int i = 0; i < 1400; ++i) {  // more than the 1024 the queue holds, also when the bus loses a few
        ASSERT_TRUE(peer->sendFrame(0x385, {std::uint8_t(i)}));
        if (i % 8 == 7)
            std::this_thread::sleep_for(std::chrono::microseconds(300));  // a bus, not a flood
    }
    std::vector<std::uint8_t> lost = next(ORX_RXQ_EVENT, 3000);
    ASSERT_EQ(lost.size(), ORX_HEADER + 6u);
    EXPECT_EQ(orx_get_u16(lost.data() + ORX_PARAM), ORX_EVENT_LOST);
    EXPECT_EQ(orx_get_u32(lost.data() + ORX_PARAM + 2), static_cast<std::uint32_t>(ORX_RXQ_PDO));
    std::uint32_t level = 0;
    ASSERT_EQ(kdi->RxLevel(kdi, ORX_RXQ_PDO, &level), KDI_OK);
    EXPECT_EQ(level, 1024u);
    std::vector<std::uint8_t> first = next(ORX_RXQ_PDO);
    ASSERT_EQ(first.size(), ORX_HEADER + 11u);
    EXPECT_EQ(first[ORX_PARAM], kNode);
    EXPECT_EQ(first[ORX_PARAM + 1], 8);
    EXPECT_LT(first[ORX_PARAM + 3], 16) << "the oldest are kept";
}

}  // namespace

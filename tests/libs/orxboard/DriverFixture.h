// DriverFixture - a board of libkdi_usb.so driven through the driver
// interface alone, as the master library drives it, with the registry and
// the bus in a private folder and a ScriptedPeer as node 5 at 500 kbit/s.
#pragma once

#include "FirmwareImageBuilder.h"
#include "PrivateBus.h"
#include "ScriptedPeer.h"

#include <cop/cop.h>
#include <orxboard/kdi3.h>
#include <orxboard/orx_protocol.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class DriverFixture : public ::testing::Test {
protected:
    static constexpr std::uint32_t kStick = 0x01050F00u;
    static constexpr std::uint32_t kEntry = 11;
    static constexpr std::uint8_t kNode = 5;

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.create("ovro-orxboard-test"));
        ::setenv("XDG_CONFIG_HOME", m_dir.path("config").c_str(), 1);
        ::setenv("OVRO_CAN_CHANNEL", "virtual:drv", 1);
        lib = dlopen(OVRO_BIN_DIR "/libkdi_usb.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(lib, nullptr) << dlerror();
        parameter = reinterpret_cast<KDI3_GetBoardParameter_t>(dlsym(lib, "KDI3_GetBoardParameter"));
        createBsp = reinterpret_cast<KDI3_CreateBspInstance_t>(dlsym(lib, "KDI3_CreateBspInstance"));
        createKdi = reinterpret_cast<KDI3_CreateKdiInstance_t>(dlsym(lib, "KDI3_CreateKdiInstance"));
        journalOf = reinterpret_cast<KDIX_Journal_t>(dlsym(lib, "KDIX_Journal"));
        ASSERT_TRUE(parameter && createBsp && createKdi && journalOf);
        peer = std::make_unique<ovro::test::ScriptedPeer>("drv", kNode, 500000);
        ASSERT_TRUE(peer->isOpen());
    }

    void TearDown() override
    {
        closeBoard();
        peer.reset();
        if (lib)
            dlclose(lib);
        m_dir.remove();
        ::unsetenv("XDG_CONFIG_HOME");
    }

    // Opens, loads and configures the stick and opens its queues.
    void openBoard(bool download = true)
    {
        bsp = createBsp(kStick, kEntry);
        ASSERT_NE(bsp, nullptr);
        ASSERT_EQ(bsp->Open(bsp), KDI_OK);
        if (download) {
            std::vector<std::uint8_t> image = orx::buildFirmwareImage(103);
            ASSERT_EQ(bsp->Download(bsp, image.data(), static_cast<std::uint32_t>(image.size()), KDI_DOWNLOAD_VERIFY),
                      KDI_OK);
        }
        KdiBoardParameter p;
        ASSERT_EQ(parameter(kStick, &p), KDI_OK);
        ASSERT_EQ(bsp->Configure(bsp, &p), KDI_OK);
        kdi = createKdi(bsp);
        ASSERT_NE(kdi, nullptr);
        ASSERT_EQ(kdi->OpenQueues(kdi, ORX_TX_QUEUES, ORX_RX_QUEUES), KDI_OK);
    }

    void closeBoard()
    {
        if (kdi) {
            kdi->CloseQueues(kdi);
            kdi->Release(kdi);
            kdi = nullptr;
        }
        if (bsp) {
            bsp->Close(bsp);
            bsp->Release(bsp);
            bsp = nullptr;
        }
    }

    // Sends a command block and returns the answer block (empty on time-out).
    std::vector<std::uint8_t> command(std::uint16_t code, std::vector<std::uint8_t> params = {}, int ms = 2000)
    {
        std::vector<std::uint8_t> block(ORX_HEADER + params.size());
        orx_block_begin(block.data(), code, static_cast<std::uint16_t>(params.size()));
        std::copy(params.begin(), params.end(), block.begin() + ORX_HEADER);
        if (kdi->Send(kdi, ORX_TXQ_COMMAND, block.data(), static_cast<std::uint32_t>(block.size())) != KDI_OK)
            return {};
        return next(ORX_RXQ_ANSWER, ms);
    }

    // The next block of a receive queue, waiting up to `ms`.
    std::vector<std::uint8_t> next(std::uint16_t queue, int ms = 2000)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            std::uint8_t block[KDI_MAX_BLOCK];
            std::uint32_t size = 0;
            if (kdi->Receive(kdi, queue, block, sizeof block, &size) == KDI_OK)
                return std::vector<std::uint8_t>(block, block + size);
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return {};
            kdi->WaitEvent(kdi, queue, static_cast<std::uint32_t>(left.count()) + 1);
        }
    }

    static std::int8_t result(const std::vector<std::uint8_t>& answer)
    {
        return answer.size() > ORX_RESULT_BYTE ? static_cast<std::int8_t>(answer[ORX_RESULT_BYTE]) : -128;
    }

    std::string journal()
    {
        std::string text(journalOf(nullptr, 0) + 1, '\0');
        journalOf(text.data(), static_cast<std::uint32_t>(text.size()));
        text.resize(text.size() - 1);
        return text;
    }

    ovro::test::PrivateBus m_dir;
    std::unique_ptr<ovro::test::ScriptedPeer> peer;
    void* lib = nullptr;
    KDI3_GetBoardParameter_t parameter = nullptr;
    KDI3_CreateBspInstance_t createBsp = nullptr;
    KDI3_CreateKdiInstance_t createKdi = nullptr;
    KDIX_Journal_t journalOf = nullptr;
    KdiBsp* bsp = nullptr;
    KdiMsgIf* kdi = nullptr;
};

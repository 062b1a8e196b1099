// The fixture of the end-to-end COP tests (EndToEndTest.cpp, EndToEndSdoTest.cpp):
// see EndToEndTest.cpp for what the suite runs and how the two masters differ.
#ifndef OVRO_TESTS_SOFTMASTER_ENDTOEND_H
#define OVRO_TESTS_SOFTMASTER_ENDTOEND_H

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "CopLibrary.h"
#include "ScriptedPeer.h"

using ovro::test::ScriptedPeer;
using namespace std::chrono_literals;

namespace e2e {

inline constexpr uint8_t kNode = 5;
inline constexpr uint16_t kTimeout = 500; // generous: the bus shares a loaded machine
// How long a test waits for what must come (it goes on as soon as it does).
inline constexpr auto kArrival = 5s;
inline const char* const kBus = "softmaster-e2e";
inline constexpr uint32_t kStick = 0x01050F00u; // "Orvax Stick-U1 compact"

struct Master {
    const char* name;
    int16_t library;
    bool board() const { return library == COP_LIBRARY_CARDMASTER; }
};

inline void PrintTo(const Master& m, std::ostream* os)
{
    *os << m.name;
}

class EndToEnd : public ::testing::TestWithParam<Master> {
protected:
    static void SetUpTestSuite()
    {
        char dir[] = "/tmp/ovro-softmaster-e2e.XXXXXX";  // a fresh one per run of the suite
        ASSERT_NE(mkdtemp(dir), nullptr);
        busRoot = dir;
        setenv("OVRO_CANBUS_DIR", dir, 1);
        setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBus).c_str(), 1);
        // The board's hardware registry and board table are this run's own.
        setenv("XDG_CONFIG_HOME", (busRoot + "/config").c_str(), 1);
    }

    static void TearDownTestSuite()
    {
        if (!busRoot.empty())
            std::filesystem::remove_all(busRoot);
    }

    static inline std::string busRoot;

    bool board() const { return GetParam().board(); }
    // The expected code of the software master, or of the board.
    int32_t code(int32_t soft, int32_t boardCode) const { return board() ? boardCode : soft; }
    // The interface: PCAN-USB, or the stick.
    uint32_t interfaceType() const { return board() ? kStick : COP_BOARD_PCAN_USB; }

    void SetUp() override
    {
        if (board() && !OVRO_E2E_MASTERGATE)
            GTEST_SKIP() << "the board-based master needs libmastergate.so";
        cop = std::make_unique<CopLibrary>(OVRO_E2E_FOLDER, OVRO_E2E_MASTERGATE != 0, GetParam().library);
        ASSERT_TRUE(cop->loaded()) << cop->error();
        peer = std::make_unique<ScriptedPeer>(kBus, kNode, 500000);
        ASSERT_TRUE(peer->isOpen());
        ASSERT_TRUE(cop->Initialize(interfaceType(), nullptr, COP_BAUD_500)) << cop->GetLastError();
        ASSERT_TRUE(cop->AddNode(kNode));
        ASSERT_TRUE(cop->SetSDOTimeout(kTimeout));
    }

    void TearDown() override
    {
        if (cop && cop->loaded())
            cop->Terminate();
        peer.reset();
        cop.reset();
    }

    // Sets a known non-zero last abort, to see which calls reset it.
    void presetAbort()
    {
        peer->injectSdoFault({ScriptedPeer::Fault::Abort, 0, 0x0BADC0DE});
        int16_t len = 0;
        uint8_t buf[4];
        ASSERT_FALSE(cop->ReadSDO(kNode, 0x1000, 0, &len, buf, 4));
        ASSERT_EQ(cop->GetLastAbort(), 0x0BADC0DEu);
    }

    // The bytes copied; lastLength is what the master reported.
    std::vector<uint8_t> read(uint16_t index, uint8_t sub, int16_t size = 256)
    {
        std::vector<uint8_t> buf(256, 0xEE);
        int16_t len = 256;
        if (!cop->ReadSDO(kNode, index, sub, &len, buf.data(), size))
            return {};
        EXPECT_EQ(cop->GetLastError(), 0);
        lastLength = len;
        buf.resize(size_t(std::min(len, size)));
        return buf;
    }

    bool readPdo(uint8_t& node, uint8_t& pdo, uint8_t* data, uint8_t& len)
    {
        for (auto end = std::chrono::steady_clock::now() + kArrival; std::chrono::steady_clock::now() < end;) {
            if (cop->ReadPDO(&node, &pdo, data, &len))
                return true;
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }

    // Sets a variable of the stick's entry in the hardware registry.
    void setBoardVariable(const char* name, const char* value)
    {
        void* reg = dlopen((std::string(OVRO_E2E_FOLDER) + "/liborx11reg.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(reg, nullptr) << dlerror();
        using Set = int32_t (*)(uint32_t, const char*, const char*);
        auto set = reinterpret_cast<Set>(dlsym(reg, "ORX_SetHwEntryVarString"));
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(set(11, name, value), 0);
        dlclose(reg);
    }

    std::unique_ptr<CopLibrary> cop;
    std::unique_ptr<ScriptedPeer> peer;
    int16_t lastLength = 0;
};

inline bool hasClientAbort(const ScriptedPeer& peer, uint32_t code)
{
    for (const auto& f : peer.receivedWithId(0x600 + kNode))
        if (f.len == 8 && f.data[0] == 0x80 && (f.data[4] | f.data[5] << 8 | f.data[6] << 16 | uint32_t(f.data[7]) << 24) == code)
            return true;
    return false;
}

}  // namespace e2e

#endif

// BoardFixture - libcardmaster.so against the emulated boards, for the
// tests: a private folder that holds the virtual bus and the user's
// configuration (so the hardware registry and the shared board table are
// the test's own), a ScriptedPeer as node 5 at 500 kbit/s, and helpers to
// change the registry and read the driver's journal.
#pragma once

#include "PrivateBus.h"
#include "ScriptedPeer.h"

#include <cardmaster/cardmaster.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

class BoardFixture : public ::testing::Test {
protected:
    static constexpr std::uint8_t kNode = 5;
    static constexpr const char* kBus = "board";
    static constexpr std::uint32_t kStick = 0x01050F00u;  // "Orvax Stick-U1 compact", libkdi_usb.so

    void SetUp() override;
    void TearDown() override;

    // Opens the USB stick and starts its interface at 500 kbit/s; the
    // handle stays open until the test ends.
    std::uint16_t openStick();
    // Releases every handle opened through the fixture that is still open.
    void releaseAll();
    std::uint16_t open(std::uint32_t type, COP_CM_RESULT* result = nullptr);

    // The registry entry of a board type, 0 when there is none.
    std::uint32_t entryOf(std::uint32_t type);
    void setVariable(std::uint32_t type, const char* name, const std::string& value);
    void setRegistryValue(const char* name, const std::string& value);  // of [Registry]
    void deleteEntry(std::uint32_t type);

    // The journal of a driver library ("libkdi_usb.so"), kept loaded by
    // the fixture so that it outlives the master's use of it.
    std::string journal(const char* driver = "libkdi_usb.so");
    void clearJournal(const char* driver = "libkdi_usb.so");

    std::string configDir() const { return m_bus.path("config"); }

    ovro::test::PrivateBus m_bus;
    std::unique_ptr<ovro::test::ScriptedPeer> peer;
    std::uint16_t handles[8] = {};
    int handleCount = 0;
    void* drivers[4] = {};
};

// Lines of `journal` after the last line that starts with `from`.
std::string journalAfter(const std::string& journal, const std::string& from);

// CopSimFixture.h - SimFixture for the tests that meet the simulator through
// the COP API on the private bus, with either master: the software master
// (mastergate -> softmaster -> pcan_usb) or the board-based master
// (mastergate -> cardmaster -> the emulated stick "Orvax Stick-U1 compact",
// whose firmware drives pcan_usb). Where they differ, the tests say so.
#pragma once

#include "SimFixture.h"

#include <cop/cop.h>

#include <cstdint>
#include <cstdlib>
#include <string>

struct CopMaster {
    const char* name;
    std::int16_t library;
    bool board() const { return library == COP_LIBRARY_CARDMASTER; }
};

inline void PrintTo(const CopMaster& m, std::ostream* os)
{
    *os << m.name;
}

inline constexpr CopMaster kCopMasters[] = {
    {"Software", COP_LIBRARY_SOFTMASTER},
    {"Board", COP_LIBRARY_CARDMASTER},
};

inline std::string copMasterName(const ::testing::TestParamInfo<CopMaster>& info)
{
    return info.param.name;
}

class CopSimFixture : public SimFixture, public ::testing::WithParamInterface<CopMaster> {
protected:
    static constexpr std::uint8_t kNode = 5;
    static constexpr std::uint32_t kStick = 0x01050F00u;

    void SetUp() override
    {
        SimFixture::SetUp();
        ::setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBus).c_str(), 1);
        // The board's hardware registry and board table are the test's own.
        ::setenv("XDG_CONFIG_HOME", path("config").c_str(), 1);
    }

    void TearDown() override
    {
        COP_Terminate();
        SimFixture::TearDown();
    }

    bool board() const { return GetParam().board(); }
    // The expected code of the software master, or of the board.
    std::int32_t code(std::int32_t soft, std::int32_t boardCode) const { return board() ? boardCode : soft; }

    // The master on the bus's channel at 500 kbit/s: PCAN-USB, or the stick.
    bool initializeCop() const
    {
        return board() ? COP_Initialize(COP_LIBRARY_CARDMASTER, kStick, nullptr, COP_BAUD_500)
                       : COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500);
    }
};

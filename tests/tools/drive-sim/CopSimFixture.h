// CopSimFixture.h - SimFixture for the tests that meet the simulator through
// the COP API (mastergate -> softmaster -> pcan_usb) on the private bus.
#pragma once

#include "SimFixture.h"

#include <cop/cop.h>

#include <cstdint>
#include <cstdlib>
#include <string>

class CopSimFixture : public SimFixture {
protected:
    static constexpr std::uint8_t kNode = 5;

    void SetUp() override
    {
        SimFixture::SetUp();
        ::setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBus).c_str(), 1);
    }

    void TearDown() override
    {
        COP_Terminate();
        SimFixture::TearDown();
    }

    // The software master on the PCAN-USB channel of the bus, at 500 kbit/s.
    static bool initializeCop()
    {
        return COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500);
    }
};

// The exported calls of one driver library. Compiled once per library with
// PCAN_PREFIX (CAN_ or CAN2_), PCAN_PNP (1: two-argument initialisation),
// PCAN_BOARD, PCAN_CHANNEL_ENV and PCAN_DEFAULT_CHANNEL defined.
#include "Driver.h"

#include <pcanlight/pcan_light.h>

#define PCAN_CAT2(a, b) a##b
#define PCAN_CAT(a, b) PCAN_CAT2(a, b)
#define PCAN_NAME(call) PCAN_CAT(PCAN_PREFIX, call)
#define PCAN_EXPORT __attribute__((visibility("default")))

namespace {

ovro::pcanlight::Driver& driver()
{
    static ovro::pcanlight::Driver instance(
        {PCAN_BOARD, PCAN_CHANNEL_ENV, PCAN_DEFAULT_CHANNEL});
    return instance;
}

}  // namespace

extern "C" {

#if PCAN_PNP
PCAN_EXPORT uint32_t PCAN_NAME(Init)(uint16_t btr0btr1, int msgType)
{
    return driver().init(btr0btr1, msgType);
}
#else
// Hardware type, I/O port and interrupt select an ISA board or a dongle;
// the channel comes from the environment instead.
PCAN_EXPORT uint32_t PCAN_NAME(Init)(uint16_t btr0btr1, int msgType, int hwType, uint32_t ioPort,
                                     uint16_t interrupt)
{
    (void)hwType;
    (void)ioPort;
    (void)interrupt;
    return driver().init(btr0btr1, msgType);
}
#endif

PCAN_EXPORT uint32_t PCAN_NAME(Close)(void) { return driver().close(); }
PCAN_EXPORT uint32_t PCAN_NAME(Status)(void) { return driver().status(); }
PCAN_EXPORT uint32_t PCAN_NAME(Write)(TPCANMsg* msg) { return driver().write(msg); }
PCAN_EXPORT uint32_t PCAN_NAME(Read)(TPCANMsg* msg) { return driver().read(msg); }
PCAN_EXPORT uint32_t PCAN_NAME(VersionInfo)(char* text) { return driver().versionInfo(text); }
PCAN_EXPORT uint32_t PCAN_NAME(ResetClient)(void) { return driver().resetClient(); }
PCAN_EXPORT uint32_t PCAN_NAME(WaitRead)(uint32_t timeoutMicroseconds)
{
    return driver().waitRead(timeoutMicroseconds);
}

PCAN_EXPORT uint32_t PCAN_NAME(SetChannel)(const char* text)
{
    return driver().setChannel(text);
}

}  // extern "C"

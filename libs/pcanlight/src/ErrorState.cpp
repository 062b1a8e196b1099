#include "ErrorState.h"

#include <canbus/canbus.h>

#include <cstring>

namespace ovro::pcanlight {

bool ErrorState::apply(std::uint32_t canId, std::uint8_t len, const std::uint8_t* data,
                       TPCANMsg& status)
{
    if (!(canId & CANBUS_ERR_FLAG))
        return false;
    std::uint8_t state = state_.load();
    std::uint8_t events = 0;
    bool report = false;

    if (canId & CANBUS_ERR_RESTARTED) {
        state = 0;
        report = true;
    }
    if ((canId & CANBUS_ERR_CRTL) && len >= 2 && data) {
        const std::uint8_t ctrl = data[1];
        if (ctrl & (CANBUS_ERR_CRTL_RX_OVERFLOW | CANBUS_ERR_CRTL_TX_OVERFLOW)) {
            events |= PCAN_ERR_OVERRUN;
            report = true;
        }
        if (ctrl & (CANBUS_ERR_CRTL_RX_PASSIVE | CANBUS_ERR_CRTL_TX_PASSIVE)) {
            state = PCAN_ERR_BUSHEAVY;
            report = true;
        } else if (ctrl & (CANBUS_ERR_CRTL_RX_WARNING | CANBUS_ERR_CRTL_TX_WARNING)) {
            state = PCAN_ERR_BUSLIGHT;
            report = true;
        } else if (ctrl & CANBUS_ERR_CRTL_ACTIVE) {
            state = 0;
            report = true;
        }
    }
    if (canId & CANBUS_ERR_BUSOFF) {
        state = PCAN_ERR_BUSOFF;
        report = true;
    }
    if (!report)
        return false;
    state_.store(state);
    status = statusMessage(static_cast<std::uint8_t>(state | events));
    return true;
}

TPCANMsg ErrorState::queueOverrun() const
{
    return statusMessage(static_cast<std::uint8_t>(state_.load() | PCAN_ERR_OVERRUN | PCAN_ERR_QOVERRUN));
}

TPCANMsg ErrorState::statusMessage(std::uint8_t bits)
{
    TPCANMsg msg;
    std::memset(&msg, 0, sizeof msg);
    msg.MSGTYPE = PCAN_MSGTYPE_STATUS;
    msg.LEN = 4;
    msg.DATA[3] = bits;
    return msg;
}

}  // namespace ovro::pcanlight

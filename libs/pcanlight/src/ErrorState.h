// ErrorState - the controller state that error frames report, turned into
// PCAN-Light status messages. Error frames carry the SocketCAN error
// classes on both back ends (a real interface and the virtual bus), so this
// one conversion serves both.
#ifndef PCANLIGHT_ERRORSTATE_H
#define PCANLIGHT_ERRORSTATE_H

#include <pcanlight/pcan_light.h>

#include <atomic>
#include <cstdint>

namespace ovro::pcanlight {

class ErrorState {
public:
    // Applies an error frame. True with `status` filled when the frame
    // reports a change of the controller state or an overflow; frames of
    // other classes (protocol errors, missing acknowledge, ...) give none.
    // A status message carries the whole current state (bus off 0x10,
    // error passive 0x08, error warning 0x04) plus 0x02 for an overflow.
    bool apply(std::uint32_t canId, std::uint8_t len, const std::uint8_t* data, TPCANMsg& status);

    // The status message for frames the receive queue had to drop.
    TPCANMsg queueOverrun() const;

    // The current state bits, for CAN_Status.
    std::uint32_t bits() const { return state_.load(); }

    void reset() { state_.store(0); }

    static TPCANMsg statusMessage(std::uint8_t bits);

private:
    std::atomic<std::uint8_t> state_{0};
};

}  // namespace ovro::pcanlight

#endif

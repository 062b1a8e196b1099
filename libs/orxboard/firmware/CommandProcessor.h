// CommandProcessor - the firmware's command service: takes the host's
// commands from transmit queue 0 and answers each on receive queue 0, and
// sends the PDOs the host puts into transmit queue 2. Runs on a thread of
// its own until the firmware stops.
#ifndef ORXBOARD_COMMANDPROCESSOR_H
#define ORXBOARD_COMMANDPROCESSOR_H

#include "FirmwareState.h"

namespace orx {

class CommandProcessor {
public:
    explicit CommandProcessor(FirmwareState& state) : m_state(state) {}
    void run();

    // Answers one command block (in: the whole block); returns the answer's
    // size, 0 for none. Public for the tests of the firmware.
    std::uint32_t handle(const std::uint8_t* in, std::uint32_t size, std::uint8_t* out);

private:
    void writePdo(const Block& block);
    std::int8_t execute(std::uint16_t code, const std::uint8_t* p, std::uint16_t length, std::uint8_t* out,
                        std::uint16_t& extra);
    std::int8_t initInterface(const std::uint8_t* p);
    std::int8_t nodeCommand(std::uint16_t code, std::uint8_t node);
    std::int8_t identify(const std::uint8_t* p, std::uint8_t* out, std::uint16_t& extra);
    std::int8_t sync(std::uint16_t code, const std::uint8_t* p, std::uint16_t length);
    std::int8_t timeStamp(std::uint16_t code, const std::uint8_t* p);
    std::int8_t lmt(std::uint16_t code, const std::uint8_t* p, std::uint8_t* out, std::uint16_t& extra);
    void clearProducers();

    FirmwareState& m_state;
};

}  // namespace orx

#endif

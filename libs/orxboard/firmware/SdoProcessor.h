// SdoProcessor - the firmware's SDO service: takes the host's SDO requests
// from transmit queue 1 (a download's data in pieces of up to 241 bytes),
// runs each on the bus through the master engine and answers in pieces on
// receive queue 1. A transfer the host cancelled is finished on the bus and
// then dropped without an answer. Runs on a thread of its own.
#ifndef ORXBOARD_SDOPROCESSOR_H
#define ORXBOARD_SDOPROCESSOR_H

#include "FirmwareState.h"

#include <vector>

namespace orx {

class SdoProcessor {
public:
    explicit SdoProcessor(FirmwareState& state);
    void run();

private:
    struct Request {
        std::uint16_t transfer = 0;
        std::uint8_t node = 0;
        std::uint8_t sdo = 0;
        std::uint8_t flags = 0;
        std::uint16_t index = 0;
        std::uint8_t sub = 0;
        std::uint16_t length = 0;  // download: data bytes; upload: the host's capacity
        std::vector<std::uint8_t> data;
    };

    // Reads the request that starts with `first`, with its further pieces;
    // false when it never got whole. A new request that comes in meanwhile
    // replaces it (the host gave the old one up).
    bool collect(Block first, Request& request);
    // Tells the host at once that a request has come (its wait starts anew).
    void acknowledge(std::uint16_t transfer);
    void execute(const Request& request);
    void answer(const Request& request, std::int8_t result, std::uint32_t abortCode, std::uint16_t received,
                const std::uint8_t* data, std::uint16_t count);

    FirmwareState& m_state;
    std::vector<std::uint8_t> m_upload;  // the largest SDO a transfer can carry
};

}  // namespace orx

#endif

// SdoServer.h - the drive's default SDO server (expedited and segmented
// upload and download, aborts), with the faults a test can ask for.
#pragma once

#include "ObjectDictionary.h"

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class SdoServer {
public:
    // Faults injected through the control socket.
    struct Faults {
        unsigned dropAnswers = 0;   // the next n answers are not sent
        bool wrongToggle = false;   // the next segment answer carries the wrong toggle bit
        bool wrongLength = false;   // the next answer is sent with a wrong frame length
        // Object (key index << 8 | sub, or index << 8 | 0xFFFF0000 marker for
        // every sub-index) -> abort code sent for every access.
        std::map<uint32_t, uint32_t> aborts;
    };

    // An answer to send: data bytes and frame length (8 unless a fault says otherwise).
    struct Answer {
        uint8_t data[8] = {};
        uint8_t length = 8;
    };

    static constexpr size_t kMaxTransfer = 1 << 20;
    static constexpr uint32_t kAllSubIndexes = 0x1000000;

    explicit SdoServer(ObjectDictionary& dictionary) : m_dictionary(dictionary) {}

    // Handles one request (data of a frame on 0x600 + node-id). Returns true
    // and fills answer when an answer is to be sent.
    bool handle(const uint8_t* data, uint8_t length, Answer& answer);
    // Drops a transfer in progress (reset communication, silence).
    void reset();
    bool busy() const { return m_state != State::Idle; }

    Faults& faults() { return m_faults; }

    void addForcedAbort(uint16_t index, int subIndex, uint32_t code);
    void clearForcedAborts() { m_faults.aborts.clear(); }

    // Only the objects for which served is true exist (a loader runs); an
    // empty function serves the whole dictionary.
    void setObjectFilter(std::function<bool(uint16_t index)> served) { m_served = std::move(served); }

private:
    enum class State { Idle, Download, Upload };

    bool process(const uint8_t* req, Answer& answer);
    void initiateDownload(const uint8_t* req, Answer& answer);
    void downloadSegment(const uint8_t* req, Answer& answer);
    void initiateUpload(const uint8_t* req, Answer& answer);
    void uploadSegment(const uint8_t* req, Answer& answer);
    void abort(Answer& answer, uint16_t index, uint8_t subIndex, uint32_t code);
    uint32_t forcedAbort(uint16_t index, uint8_t subIndex) const;
    bool hidden(uint16_t index) const { return m_served && !m_served(index); }

    ObjectDictionary& m_dictionary;
    Faults m_faults;
    std::function<bool(uint16_t index)> m_served;
    State m_state = State::Idle;
    uint16_t m_index = 0;
    uint8_t m_subIndex = 0;
    uint8_t m_toggle = 0;
    size_t m_size = 0;       // announced size of a download, 0 = not indicated
    size_t m_offset = 0;     // bytes sent of an upload
    std::vector<uint8_t> m_data;
};

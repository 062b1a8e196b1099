// FaultTriggers.h - faults that a test places at one point of a command:
// they wait until the master addresses a given object (an SDO initiate
// request for index and sub-index) or a given LMT service (its command
// specifier), and strike there: answers lost from then on, a wrong toggle
// bit or frame length in the answers of that transfer, silence, or the
// power switched off before the request is answered.
//
//   triggers.armSdo(key, {3, false, false, 0});   // "drop 3 at 0x6081 0"
//   SdoServer::Faults& f = sdo.faults();
//   if (triggers.onSdoRequest(request, f).powerCycle) ...   // in handleSdo
#pragma once

#include "SdoServer.h"

#include <cstdint>
#include <map>

class FaultTriggers {
public:
    struct Fault {
        unsigned dropAnswers = 0;  // answers lost from the trigger on
        bool wrongToggle = false;  // the transfer's next segment answer
        bool wrongLength = false;  // the next answer
        bool powerCycle = false;   // switched off instead of answering
        uint32_t offMs = 0;        // how long the power stays off
        uint32_t silentMs = 0;     // falls silent instead of answering (kForGood: until resumed)
        bool strikesNow() const { return powerCycle || silentMs != 0; }
    };
    static constexpr uint32_t kForGood = 0xFFFFFFFF;

    static uint32_t sdoKey(uint16_t index, uint8_t subIndex) { return uint32_t(index) << 8 | subIndex; }

    // Waits for the object; a second fault for the same point joins the first.
    void armSdo(uint32_t key, const Fault& fault) { join(m_sdo[key], fault); }
    void armLmt(uint8_t command, const Fault& fault) { join(m_lmt[command], fault); }
    void clear();

    // A frame on the node's SDO request identifier: an initiate request for
    // an armed object hands its answer faults to the SDO server and returns
    // the fault (strikesNow(): do not answer; switch off or fall silent).
    Fault onSdoRequest(const uint8_t* data, uint8_t length, SdoServer::Faults& sdo);
    // A frame on the LMT request identifier: the armed fault of its service,
    // to be applied to its answer by the caller.
    Fault onLmtRequest(const uint8_t* data, uint8_t length);

    // LMT answer faults in force (from an earlier trigger).
    Fault& lmtFaults() { return m_lmtActive; }

private:
    static void join(Fault& into, const Fault& fault);

    std::map<uint32_t, Fault> m_sdo;
    std::map<uint8_t, Fault> m_lmt;
    Fault m_lmtActive;
};

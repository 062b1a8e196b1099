#include "document/StatusPoll.h"

#include <cstring>

#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"

namespace ovro {

namespace {

// The objects of the cycle.
enum Item : char {
    Pos = 'P',  // actual position 0x6064:00, signed 32
    Vel = 'V',  // actual velocity 0x606C:00, signed 32
    Cur = 'C',  // actual current 0x6078:00, signed 16
    Tmp = 'T',  // temperature 0x200D:00, 8 bit
    Vlt = 'U',  // voltage 0x6079:00, 32
    Inp = 'I',  // digital inputs 0x60FD:00, 32
    Reg = 'R',  // status register 0x1002:00, 32
    Err = 'E',  // error code 0x603F:00, 16
    Stw = 'S',  // statusword 0x6041:00, 16
    Mod = 'M',  // mode of operation display 0x6061:00, 8
    H1 = '1', H2 = '2', H3 = '3', H4 = '4', H5 = '5',  // error history 0x1003:n
    Pon = 'p',  // power-on time 0x200E:01
    Ton = 't',  // turn-on time 0x200E:02
    Cnt = 'n',  // number of positionings 0x200E:03
};

// Six rows of twelve steps.
constexpr char kCycle[CStatusPoll::kCycleLength + 1] =
    "PTVUCIPRVECS"
    "PTVUCIPMV5C4"
    "PTVUCIPRVECS"
    "PTVUCIP3V2C1"
    "PTVUCIPRVECS"
    "PTVUCIPpVtCn";

constexpr std::uint16_t kPositionActual = 0x6064;
constexpr std::uint16_t kVelocityActual = 0x606C;
constexpr std::uint16_t kCurrentActual = 0x6078;
constexpr std::uint16_t kTemperature = 0x200D;
constexpr std::uint16_t kVoltage = 0x6079;
constexpr std::uint16_t kDigitalInputs = 0x60FD;
constexpr std::uint16_t kErrorCode = 0x603F;
constexpr std::uint16_t kLogbook = 0x200E;

template <typename T>
bool Read(CCANopenNode& node, std::uint16_t index, std::uint8_t sub, T& field)
{
    // Typed reads leave the bytes the drive did not send as they were.
    static_assert(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4);
    if constexpr (sizeof(T) == 1) {
        std::uint8_t v;
        std::memcpy(&v, &field, 1);
        const bool ok = node.ReadU8(index, sub, v);
        std::memcpy(&field, &v, 1);
        return ok;
    } else if constexpr (sizeof(T) == 2) {
        std::uint16_t v;
        std::memcpy(&v, &field, 2);
        const bool ok = node.ReadU16(index, sub, v);
        std::memcpy(&field, &v, 2);
        return ok;
    } else {
        std::uint32_t v;
        std::memcpy(&v, &field, 4);
        const bool ok = node.ReadU32(index, sub, v);
        std::memcpy(&field, &v, 4);
        return ok;
    }
}

}  // namespace

int CStatusPoll::BatchSize(std::uint8_t baudRate, int present)
{
    switch (baudRate) {
    case 0:
    case 1: return 36;
    case 2: return 24;
    case 3: return 12;
    case 4:
    case 5:
    case 6: return present;
    case 7: return 2;
    case 8: return 1;
    default: return 2;
    }
}

void CStatusPoll::Tick(State& state, CCANopenNode* node, CQVTDevice* device, std::uint8_t baudRate)
{
    if (!state.transferIdle || node == nullptr || device == nullptr || state.pollPause != 0) {
        if (state.pollPause > 0)
            --state.pollPause;
        return;
    }
    if (rest_ > 0) {
        state.pollFailed = true;
        --rest_;
        return;
    }
    batch_ = BatchSize(baudRate, batch_);
    for (;;) {
        const bool ok = ReadStep(step_, *node, *device, state);
        step_ = step_ + 1 == kCycleLength ? 0 : step_ + 1;
        if (!ok) {
            rest_ = kRestTicks;
            break;
        }
        if (step_ == 0 || step_ % batch_ == 0)
            break;
    }
    state.pollFailed = rest_ != 0;
}

bool CStatusPoll::ReadStep(int step, CCANopenNode& node, CQVTDevice& device, State& state)
{
    ActualValues& a = device.actual;
    const char item = kCycle[step];
    switch (item) {
    case Pos: return Read(node, kPositionActual, 0, a.actualPosition);
    case Vel: return Read(node, kVelocityActual, 0, a.actualVelocity);
    case Cur: return Read(node, kCurrentActual, 0, a.actualCurrent);
    case Tmp: return Read(node, kTemperature, 0, a.actualTemperature);
    case Vlt: return Read(node, kVoltage, 0, a.actualVoltage);
    case Inp: return Read(node, kDigitalInputs, 0, a.digitalInputs);
    case Reg: return Read(node, CANopen::Object::ManufacturerStatus, 0, a.statusRegister);
    case Err: return Read(node, kErrorCode, 0, a.errorCode);
    case Stw: return Read(node, CANopen::Object::Statusword, 0, a.statusword);
    case Mod: return Read(node, CANopen::Object::ModesOfOperationDisplay, 0, a.actualMode);
    case Pon: return Read(node, kLogbook, 1, a.powerOnTime);
    case Ton: return Read(node, kLogbook, 2, a.turnOnTime);
    case Cnt: return Read(node, kLogbook, 3, a.positionings);
    default: break;
    }
    // Error history entry n (H1...H5): a transfer of up to 8 bytes. The
    // history counts as read completely once H1, the last of the cycle, is.
    const int n = item - '0';
    state.errorHistoryValid = n == 1;
    auto& entry = a.errorList[static_cast<std::size_t>(n - 1)].raw;
    std::uint8_t buffer[8];
    std::memcpy(buffer, entry.data(), sizeof buffer);
    std::uint32_t length = 0;
    const bool ok = node.ReadSDO(CANopen::Object::ErrorHistory, static_cast<std::uint8_t>(n), buffer, &length,
                                 sizeof buffer);
    if (ok)
        std::memcpy(entry.data(), buffer, sizeof buffer);
    return ok;
}

}  // namespace ovro

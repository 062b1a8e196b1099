// The fault matrix cells of the Motion Control window. The drive is the
// K315 at node-id 5, connected; each page starts with the values the
// fixture gives it:
//   PositionStart  statusword 0x6041, enable, 0x6061, 0x6060 = 1, 0x6081,
//                  0x6083, 0x6084, 0x6073, target 0x607A, 0x1003, 31, 15
//   VelocityStart  enable, 0x6061, 0x6060 = 3, 0x6083, 0x6084, 0x6073, 0x60FF, 15
//   HomingStart    enable, 0x6061, 0x6060 = 6, method 0x6098, 0x1003, 31
//   JogStart       enable, 0x6061, 0x6060 = -3, 0x1003, 31 (the ">>" button)
//   ResetFault     (the drive in 'Fault') 128 to 0x6040, 0x6041, 0x1002, 0x1003
//   ...Stop        one controlword to 0x6040, its result not looked at; the
//                  page's Start ran before
// Every Start failure shows the page's message for the step that failed;
// the Stops and Reset Fault show nothing.
#include "FaultMatrix.h"

#include <deque>

namespace faults {

namespace {

using C = Command;
using F = Fault;

struct Step {
    Fault fault;
    const char* suffix;
    std::vector<std::string> control;
    unsigned message;
    const char* subject;
    TextOf text;
    std::int64_t code;
    Timeouts timeouts;
};

// The messages of a page: read statusword, read mode, write parameter.
struct PageMessages {
    unsigned readStatusword;
    unsigned readMode;
    unsigned writeParameter;
};

void AddSteps(std::vector<Cell>& cells, Command command, const char* prefix, const std::vector<Step>& steps,
              bool quiet)
{
    for (const Step& step : steps) {
        static std::deque<std::string> names;
        names.push_back(std::string(prefix) + "_" + step.suffix);
        Cell cell{names.back().c_str(), command, step.fault, step.control, nullptr, step.message, step.text,
                  step.code, step.timeouts};
        cell.subject = step.subject;
        cell.failsQuietly = quiet;
        cells.push_back(cell);
    }
    for (Fault f : {F::BusOff, F::ErrorPassive}) {
        static std::deque<std::string> names;
        names.push_back(std::string(prefix) + (f == F::BusOff ? "_BusOff" : "_ErrorPassive"));
        Cell cell{names.back().c_str(), command, f, {}, f == F::BusOff ? "busoff" : "error-passive", 0,
                  TextOf::None, 0, {}};
        cells.push_back(cell);
    }
}

// A Start: the fault strikes the statusword read, the mode read or a
// parameter the page writes.
std::vector<Step> StartSteps(const PageMessages& m, const char* severalLostAt, const char* severalLostName,
                             const char* lengthAt, const char* lengthName, const char* abortAt,
                             const char* abortName, const char* powerCycleAt, const char* powerCycleName)
{
    auto at = [](const char* what, const char* object) { return std::string(what) + " at " + object + " 0"; };
    return {
        {F::LostAnswer, "LostAnswer", {at("drop 1", "0x6041")}, m.readStatusword, nullptr, E, kTimeout, {1}},
        {F::SeveralLost, "SeveralLost", {at("drop 3", severalLostAt)}, m.writeParameter, severalLostName, E,
         kTimeout, {1}},
        {F::WrongLength, "WrongLength", {at("length", lengthAt)}, m.writeParameter, lengthName, E, kBadLength, {}},
        {F::Abort, "Abort", {std::string("abort ") + abortAt + " 0 0x06090030"}, m.writeParameter, abortName, A,
         kRange, {}},
        {F::SilentWhile, "SilentWhile", {"silent 600 at 0x6061 0"}, m.readMode, nullptr, E, kTimeout, {1}},
        {F::SilentForGood, "SilentForGood", {"silent"}, m.readStatusword, nullptr, E, kTimeout, {1}},
        {F::PowerCycle, "PowerCycle", {at("powercycle", powerCycleAt)}, m.writeParameter, powerCycleName, E,
         kTimeout, {1}},
    };
}

// A Stop: one controlword, whatever becomes of it.
std::vector<Step> StopSteps()
{
    return {
        {F::LostAnswer, "LostAnswer", {"drop 1 at 0x6040 0"}, 0, nullptr, TextOf::None, 0, {1}},
        {F::SeveralLost, "SeveralLost", {"drop 3 at 0x6040 0"}, 0, nullptr, TextOf::None, 0, {1}},
        {F::WrongLength, "WrongLength", {"length at 0x6040 0"}, 0, nullptr, TextOf::None, 0, {}},
        {F::Abort, "Abort", {"abort 0x6040 0 0x06010000"}, 0, nullptr, TextOf::None, 0, {}},
        {F::SilentWhile, "SilentWhile", {"silent 600 at 0x6040 0"}, 0, nullptr, TextOf::None, 0, {1}},
        {F::SilentForGood, "SilentForGood", {"silent"}, 0, nullptr, TextOf::None, 0, {1}},
        {F::PowerCycle, "PowerCycle", {"powercycle at 0x6040 0"}, 0, nullptr, TextOf::None, 0, {1}},
    };
}

}  // namespace

std::vector<Cell> MotionCells()
{
    std::vector<Cell> cells;
    AddSteps(cells, C::PositionStart, "PositionStart",
             StartSteps({63578, 63581, 63583}, "0x607A", "Target Position", "0x6081", "Profile Velocity", "0x6084",
                        "Profile Deceleration", "0x607A", "Target Position"),
             false);
    AddSteps(cells, C::VelocityStart, "VelocityStart",
             StartSteps({63585, 63588, 63590}, "0x60FF", "Target Velocity", "0x6083", "Profile Acceleration",
                        "0x6073", "Max Current", "0x60FF", "Target Velocity"),
             false);
    AddSteps(cells, C::HomingStart, "HomingStart",
             StartSteps({63592, 63595, 63597}, "0x6098", "Homing method", "0x6098", "Homing method", "0x6098",
                        "Homing method", "0x6098", "Homing method"),
             false);
    // The manual page writes no parameter: its faults strike the mode read.
    {
        std::vector<Step> steps = {
            {F::LostAnswer, "LostAnswer", {"drop 1 at 0x6041 0"}, 63600, nullptr, E, kTimeout, {1}},
            {F::SeveralLost, "SeveralLost", {"drop 3 at 0x6061 0"}, 63603, nullptr, E, kTimeout, {1}},
            {F::WrongLength, "WrongLength", {"length at 0x6061 0"}, 63603, nullptr, E, kBadLength, {}},
            {F::Abort, "Abort", {"abort 0x6061 0 0x06010000"}, 63603, nullptr, A, kNoAccess, {}},
            {F::SilentWhile, "SilentWhile", {"silent 600 at 0x6061 0"}, 63603, nullptr, E, kTimeout, {1}},
            {F::SilentForGood, "SilentForGood", {"silent"}, 63600, nullptr, E, kTimeout, {1}},
            {F::PowerCycle, "PowerCycle", {"powercycle at 0x6061 0"}, 63603, nullptr, E, kTimeout, {1}},
        };
        AddSteps(cells, C::JogStart, "JogStart", steps, false);
    }
    // Reset Fault on a drive in 'Fault': it fails without a word.
    {
        std::vector<Step> steps = {
            {F::LostAnswer, "LostAnswer", {"drop 1 at 0x6040 0"}, 0, nullptr, TextOf::None, 0, {1}},
            {F::SeveralLost, "SeveralLost", {"drop 3 at 0x6041 0"}, 0, nullptr, TextOf::None, 0, {1}},
            {F::WrongLength, "WrongLength", {"length at 0x1002 0"}, 0, nullptr, TextOf::None, 0, {}},
            {F::Abort, "Abort", {"abort 0x1003 0 0x06010000"}, 0, nullptr, TextOf::None, 0, {}},
            {F::SilentWhile, "SilentWhile", {"silent 600 at 0x6040 0"}, 0, nullptr, TextOf::None, 0, {1}},
            {F::SilentForGood, "SilentForGood", {"silent"}, 0, nullptr, TextOf::None, 0, {1}},
            {F::PowerCycle, "PowerCycle", {"powercycle at 0x6040 0"}, 0, nullptr, TextOf::None, 0, {1}},
        };
        AddSteps(cells, C::ResetFault, "ResetFault", steps, true);
        // The bus errors do not keep the reset from working.
        for (Cell& cell : cells)
            if (cell.command == C::ResetFault && (cell.fault == F::BusOff || cell.fault == F::ErrorPassive))
                cell.failsQuietly = false;
    }
    AddSteps(cells, C::PositionStop, "PositionStop", StopSteps(), false);
    AddSteps(cells, C::VelocityStop, "VelocityStop", StopSteps(), false);
    AddSteps(cells, C::HomingStop, "HomingStop", StopSteps(), false);
    AddSteps(cells, C::JogStop, "JogStop", StopSteps(), false);
    return cells;
}

// The oscilloscope on the position signal: its Start writes the PDO set-up,
// the first write the communication parameter of PDO2 (0x1801:01); each
// failure there shows "Error, can't configure PDO2!" and starts no node.
// Its Stop sends one NMT command.
std::vector<Cell> ScopeCells()
{
    constexpr unsigned kCantConfigurePdo2 = 63741;
    const TextOf none = TextOf::None;
    std::vector<Cell> cells;
    AddSteps(cells, C::ScopeStart, "ScopeStart",
             {
                 {F::LostAnswer, "LostAnswer", {"drop 1 at 0x1801 1"}, kCantConfigurePdo2, nullptr, none, 0, {1}},
                 {F::SeveralLost, "SeveralLost", {"drop 3 at 0x1801 1"}, kCantConfigurePdo2, nullptr, none, 0, {1}},
                 {F::WrongLength, "WrongLength", {"length at 0x1801 1"}, kCantConfigurePdo2, nullptr, none, 0, {}},
                 {F::Abort, "Abort", {"abort 0x1801 1 0x06090030"}, kCantConfigurePdo2, nullptr, none, 0, {}},
                 {F::SilentWhile, "SilentWhile", {"silent 600 at 0x1801 1"}, kCantConfigurePdo2, nullptr, none, 0,
                  {1}},
                 {F::SilentForGood, "SilentForGood", {"silent"}, kCantConfigurePdo2, nullptr, none, 0, {1}},
                 {F::PowerCycle, "PowerCycle", {"powercycle at 0x1801 1"}, kCantConfigurePdo2, nullptr, none, 0,
                  {1}},
             },
             false);
    AddSteps(cells, C::ScopeStop, "ScopeStop",
             {{F::SilentForGood, "SilentForGood", {"silent"}, 0, nullptr, none, 0, {}}}, false);
    return cells;
}

}  // namespace faults

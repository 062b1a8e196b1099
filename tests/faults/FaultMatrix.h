// FaultMatrix.h - the fault matrix: every command that talks to the drive
// against every fault the simulated drive can be made to show. Each cell
// names the command, the fault, the control lines (or bus frames) that
// bring the fault about, the end the command must come to (success, or
// its message with the error or abort text), and the time-outs that the
// end may take. Cells that make no sense (a wrong toggle bit where no
// segmented transfer takes place) are listed as not applicable with the
// reason.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace faults {

enum class Command {
    Connect,
    Upload,
    Download,
    Store,
    Reset,
    Restore,
    NodeSearch,
    NodeSettings,
    // The Motion Control window's Start and Stop of each page (the manual
    // page's jog button pressed and released) and Reset Fault.
    PositionStart,
    PositionStop,
    VelocityStart,
    VelocityStop,
    HomingStart,
    HomingStop,
    JogStart,
    JogStop,
    ResetFault,
    // The oscilloscope's Start (the PDO set-up, NMT start) and Stop.
    ScopeStart,
    ScopeStop,
};
enum class Fault {
    LostAnswer,
    SeveralLost,
    WrongToggle,
    WrongLength,
    Abort,
    SilentWhile,
    SilentForGood,
    RefusedStore,
    RefusedFirmware,
    PowerCycle,
    BusOff,
    ErrorPassive,
    StoreFileFails,
};

const char* CommandName(Command command);
// A command of the Motion Control window, and one of its Stops.
bool IsMotion(Command command);
bool IsScope(Command command);
bool IsStop(Command command);
const char* FaultName(Fault fault);
const char* FaultColumn(Fault fault);  // at most 6 characters, for the report
const std::vector<Command>& AllCommands();
const std::vector<Fault>& AllFaults();

// What fills the %s of the expected message.
enum class TextOf {
    None,   // the message has no error text
    Error,  // the error text of a COP or node error code
    Abort,  // the text of an SDO abort code
};

// The error codes the cells expect: the master's own, and SDO abort codes.
constexpr std::int64_t kTimeout = -50;     // no answer before the deadline
constexpr std::int64_t kBadLength = -60;   // an answer frame not 8 bytes long
constexpr std::int64_t kRange = 0x06090030;     // value range exceeded
constexpr std::int64_t kNoAccess = 0x06010000;  // unsupported access

// Short names of the texts in the cell tables.
constexpr TextOf E = TextOf::Error;
constexpr TextOf A = TextOf::Abort;

// The time-outs a cell may spend, by kind.
struct Timeouts {
    int sdo = 0;    // the master's SDO time-out of the test set-up
    int store = 0;  // the 2500 ms of Store and Restore
    int lmt = 0;    // the 500 ms of an LMT service
};

struct Cell {
    const char* name;
    Command command;
    Fault fault;
    std::vector<std::string> control;  // lines for the simulator's control socket, before the command
    const char* busFrame = nullptr;     // a frame for `canbus send` while the command runs
    unsigned message = 0;               // 0: the command succeeds
    TextOf text = TextOf::None;
    std::int64_t code = 0;              // the error or abort code of the text
    Timeouts timeouts;
    // The node search: sweeps that find nothing (each answered Retry, or
    // the last Cancel when found is false) and the field that reads
    // "(unkwown)" in the drive's record ("name", "ident", or none).
    int emptySweeps = 0;
    bool found = true;
    const char* unknownField = nullptr;
    // The parameter the fault strikes keeps its value (an abort during an upload).
    bool keepsValue = false;
    // A motion message's first %s: the state, mode or parameter it names.
    const char* subject = nullptr;
    // The command fails without a message (Reset Fault reports nothing).
    bool failsQuietly = false;
};

// The cells of the Motion Control window's commands and of the oscilloscope's.
std::vector<Cell> MotionCells();
std::vector<Cell> ScopeCells();

struct NotApplicable {
    Command command;
    Fault fault;
    const char* reason;
};

const std::vector<Cell>& Cells();
// gtest prints a cell by its name.
void PrintTo(const Cell& cell, std::ostream* out);
const std::vector<NotApplicable>& NotApplicableCells();

}  // namespace faults

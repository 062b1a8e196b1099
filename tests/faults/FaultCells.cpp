// The cells of the fault matrix. The drive is a K315 at node-id 5; the
// object each command uses is named where the fault is placed:
//   Connect       0x2100 (model probe), 0x1000 (device type), then the upload
//   Upload        0x6081:00 "ProfileVelocity", half way through the parameters;
//                 0x1008:00, the device name, a segmented upload
//   Download      0x6081:00, the edited parameter
//   Store         0x1010:03 ("save")
//   Reset         the NMT reset, then the upload (0x6081:00, 0x1008:00)
//   Restore       0x6060:00, 0x1011:01 ("load"), the NMT reset, then the upload
//   NodeSearch    0x1000 of node 5 in the sweep over 4...6, then 0x1008/9/A
//   NodeSettings  node-id 5 -> 9 by LMT: inquiries 0x24...0x26, configure
//                 node-id 0x11, bit timing 0x13, store 0x17
#include "FaultMatrix.h"

namespace faults {

namespace {

constexpr std::int64_t kBadCommand = -70;  // wrong command specifier or toggle bit
constexpr std::int64_t kAborted = 4;       // the node refused (LMT error code in the abort)

constexpr std::int64_t kCannotStore = 0x08000020;    // data cannot be stored
constexpr std::int64_t kHardwareError = 0x06060000;  // access failed: hardware error
constexpr std::int64_t kNoObject = 0x06020000;       // object does not exist

// Messages of the document and the node search.
constexpr unsigned kCantReadDeviceType = 63517;
constexpr unsigned kCantUpload = 63522;
constexpr unsigned kCantUploadIncompatible = 63535;
constexpr unsigned kCantDownload = 63525;
constexpr unsigned kNotAllWritten = 63527;
constexpr unsigned kCantStore = 63529;
constexpr unsigned kCantReset = 63531;
constexpr unsigned kCantRestore = 63533;
constexpr unsigned kNodeLost = 63526;
constexpr unsigned kNoNodeFound = 63608;

Cell Fails(const char* name, Command command, Fault fault, std::vector<std::string> control, unsigned message,
           TextOf text, std::int64_t code, Timeouts timeouts)
{
    Cell cell{name, command, fault, std::move(control), nullptr, 0, TextOf::None, 0, {}};
    cell.message = message;
    cell.text = text;
    cell.code = code;
    cell.timeouts = timeouts;
    return cell;
}

Cell Works(const char* name, Command command, Fault fault, std::vector<std::string> control,
           Timeouts timeouts = {})
{
    Cell cell{name, command, fault, std::move(control), nullptr, 0, TextOf::None, 0, {}};
    cell.timeouts = timeouts;
    return cell;
}

Cell OnTheBus(const char* name, Command command, Fault fault, const char* frame)
{
    Cell cell{name, command, fault, {}, nullptr, 0, TextOf::None, 0, {}};
    cell.busFrame = frame;
    return cell;
}

// A search whose first sweeps find nothing.
Cell Search(const char* name, Fault fault, std::vector<std::string> control, int emptySweeps, bool found,
            const char* unknownField = nullptr)
{
    Cell cell{name, Command::NodeSearch, fault, std::move(control), nullptr, 0, TextOf::None, 0, {}};
    cell.message = emptySweeps > 0 ? kNoNodeFound : 0;
    cell.emptySweeps = emptySweeps;
    cell.found = found;
    cell.unknownField = unknownField;
    return cell;
}

using C = Command;
using F = Fault;

std::vector<Cell> MakeCells()
{
    std::vector<Cell> cells = {
        // ---- Connect: the model probe, the device type, the upload
        Fails("Connect_LostAnswer", C::Connect, F::LostAnswer, {"drop 1 at 0x1000 0"}, kCantReadDeviceType, E,
              kTimeout, {1}),
        Fails("Connect_LostModelProbeAnswer", C::Connect, F::LostAnswer, {"drop 1 at 0x2100 0"},
              kCantUploadIncompatible, TextOf::None, 0, {1}),
        Fails("Connect_SeveralLost", C::Connect, F::SeveralLost, {"drop 3 at 0x1000 0"}, kCantReadDeviceType, E,
              kTimeout, {1}),
        Fails("Connect_WrongToggle", C::Connect, F::WrongToggle, {"toggle at 0x1008 0"}, kCantUpload, E,
              kBadCommand, {}),
        Fails("Connect_WrongLength", C::Connect, F::WrongLength, {"length at 0x1000 0"}, kCantReadDeviceType, E,
              kBadLength, {}),
        Fails("Connect_Abort", C::Connect, F::Abort, {"abort 0x1000 0 0x06020000"}, kCantReadDeviceType, A,
              kNoObject, {}),
        Fails("Connect_SilentWhile", C::Connect, F::SilentWhile, {"silent 800"}, kCantReadDeviceType, E,
              kTimeout, {2}),
        Fails("Connect_SilentForGood", C::Connect, F::SilentForGood, {"silent"}, kCantReadDeviceType, E, kTimeout,
              {2}),
        Fails("Connect_PowerCycle", C::Connect, F::PowerCycle, {"powercycle at 0x6081 0"}, kCantUpload, E, kTimeout,
              {1}),
        OnTheBus("Connect_BusOff", C::Connect, F::BusOff, "busoff"),
        OnTheBus("Connect_ErrorPassive", C::Connect, F::ErrorPassive, "error-passive"),

        // ---- Upload
        Fails("Upload_LostAnswer", C::Upload, F::LostAnswer, {"drop 1 at 0x6081 0"}, kCantUpload, E, kTimeout, {1}),
        Fails("Upload_SeveralLost", C::Upload, F::SeveralLost, {"drop 3 at 0x6081 0"}, kCantUpload, E, kTimeout,
              {1}),
        Fails("Upload_WrongToggle", C::Upload, F::WrongToggle, {"toggle at 0x1008 0"}, kCantUpload, E, kBadCommand,
              {}),
        Fails("Upload_WrongLength", C::Upload, F::WrongLength, {"length at 0x6081 0"}, kCantUpload, E, kBadLength,
              {}),
        Fails("Upload_AbortOnDeviceType", C::Upload, F::Abort, {"abort 0x1000 0 0x06020000"}, kCantUpload, E,
              kAborted, {}),
        Fails("Upload_SilentWhile", C::Upload, F::SilentWhile, {"silent 600 at 0x6081 0"}, kCantUpload, E,
              kTimeout, {1}),
        Fails("Upload_SilentForGood", C::Upload, F::SilentForGood, {"silent"}, kCantUpload, E, kTimeout, {2}),
        Fails("Upload_PowerCycle", C::Upload, F::PowerCycle, {"powercycle at 0x6081 0"}, kCantUpload, E, kTimeout,
              {1}),
        OnTheBus("Upload_BusOff", C::Upload, F::BusOff, "busoff"),
        OnTheBus("Upload_ErrorPassive", C::Upload, F::ErrorPassive, "error-passive"),

        // ---- Download of the edited 0x6081
        Fails("Download_LostAnswer", C::Download, F::LostAnswer, {"drop 1 at 0x6081 0"}, kCantDownload, E,
              kTimeout, {1}),
        Fails("Download_SeveralLost", C::Download, F::SeveralLost, {"drop 3 at 0x6081 0"}, kCantDownload, E,
              kTimeout, {1}),
        Fails("Download_WrongLength", C::Download, F::WrongLength, {"length at 0x6081 0"}, kCantDownload, E,
              kBadLength, {}),
        Fails("Download_Abort", C::Download, F::Abort, {"abort 0x6081 0 0x06090030"}, kNotAllWritten,
              TextOf::None, 0, {}),
        Fails("Download_SilentWhile", C::Download, F::SilentWhile, {"silent 600 at 0x6081 0"}, kCantDownload, E,
              kTimeout, {1}),
        Fails("Download_SilentForGood", C::Download, F::SilentForGood, {"silent"}, kCantDownload, E, kTimeout, {2}),
        Fails("Download_PowerCycle", C::Download, F::PowerCycle, {"powercycle at 0x6081 0"}, kCantDownload, E,
              kTimeout, {1}),
        OnTheBus("Download_BusOff", C::Download, F::BusOff, "busoff"),
        OnTheBus("Download_ErrorPassive", C::Download, F::ErrorPassive, "error-passive"),

        // ---- Store: 0x1010:03 under the 2500 ms time-out
        Fails("Store_LostAnswer", C::Store, F::LostAnswer, {"drop 1 at 0x1010 3"}, kCantStore, E, kTimeout,
              {0, 1}),
        Fails("Store_SeveralLost", C::Store, F::SeveralLost, {"drop 3 at 0x1010 3"}, kCantStore, E, kTimeout,
              {0, 1}),
        Fails("Store_WrongLength", C::Store, F::WrongLength, {"length at 0x1010 3"}, kCantStore, E, kBadLength, {}),
        Fails("Store_Abort", C::Store, F::Abort, {"abort 0x1010 3 0x06010000"}, kCantStore, A, kNoAccess, {}),
        Fails("Store_SilentWhile", C::Store, F::SilentWhile, {"silent 800"}, kCantStore, E, kTimeout, {2}),
        Fails("Store_SilentForGood", C::Store, F::SilentForGood, {"silent at 0x1010 3"}, kCantStore, E, kTimeout,
              {0, 1}),
        Fails("Store_Refused", C::Store, F::RefusedStore, {"refuse store"}, kCantStore, A, kCannotStore, {}),
        Fails("Store_PowerCycle", C::Store, F::PowerCycle, {"powercycle at 0x1010 3"}, kCantStore, E, kTimeout,
              {0, 1}),
        Fails("Store_FileFails", C::Store, F::StoreFileFails, {"fail-write fsync"}, kCantStore, A, kHardwareError,
              {}),
        OnTheBus("Store_BusOff", C::Store, F::BusOff, "busoff"),
        OnTheBus("Store_ErrorPassive", C::Store, F::ErrorPassive, "error-passive"),

        // ---- Reset: NMT reset (unconfirmed), the pause, the upload
        Fails("Reset_LostAnswer", C::Reset, F::LostAnswer, {"drop 1 at 0x6081 0"}, kCantUpload, E, kTimeout, {1}),
        Fails("Reset_SeveralLost", C::Reset, F::SeveralLost, {"drop 3 at 0x6081 0"}, kCantUpload, E, kTimeout, {1}),
        Fails("Reset_WrongToggle", C::Reset, F::WrongToggle, {"toggle at 0x1008 0"}, kCantUpload, E, kBadCommand,
              {}),
        Fails("Reset_WrongLength", C::Reset, F::WrongLength, {"length at 0x6081 0"}, kCantUpload, E, kBadLength, {}),
        Works("Reset_Abort", C::Reset, F::Abort, {"abort 0x6081 0 0x06010000"}),
        Fails("Reset_SilentWhile", C::Reset, F::SilentWhile, {"silent 800"}, kCantReset, E, kTimeout, {2}),
        Fails("Reset_SilentForGood", C::Reset, F::SilentForGood, {"silent"}, kCantReset, E, kTimeout, {2}),
        Fails("Reset_PowerCycle", C::Reset, F::PowerCycle, {"powercycle at 0x6081 0"}, kCantUpload, E, kTimeout,
              {1}),
        OnTheBus("Reset_BusOff", C::Reset, F::BusOff, "busoff"),
        OnTheBus("Reset_ErrorPassive", C::Reset, F::ErrorPassive, "error-passive"),

        // ---- Restore: 0x6060, 0x1011:01 under 2500 ms, the NMT reset, the upload
        Fails("Restore_LostAnswer", C::Restore, F::LostAnswer, {"drop 1 at 0x1011 1"}, kCantRestore, E, kTimeout,
              {0, 1}),
        Fails("Restore_SeveralLost", C::Restore, F::SeveralLost, {"drop 3 at 0x6060 0"}, kCantRestore, E, kTimeout,
              {0, 1}),
        Fails("Restore_WrongToggle", C::Restore, F::WrongToggle, {"toggle at 0x1008 0"}, kCantUpload, E,
              kBadCommand, {}),
        Fails("Restore_WrongLength", C::Restore, F::WrongLength, {"length at 0x1011 1"}, kCantRestore, E,
              kBadLength, {}),
        Fails("Restore_Abort", C::Restore, F::Abort, {"abort 0x1011 1 0x08000020"}, kCantRestore, A, kCannotStore,
              {}),
        Fails("Restore_SilentWhile", C::Restore, F::SilentWhile, {"silent 3000 at 0x1011 1"}, kCantRestore, E,
              kTimeout, {0, 1}),
        Fails("Restore_SilentForGood", C::Restore, F::SilentForGood, {"silent"}, kCantRestore, E, kTimeout, {2}),
        Fails("Restore_PowerCycle", C::Restore, F::PowerCycle, {"powercycle at 0x1011 1"}, kCantRestore, E,
              kTimeout, {0, 1}),
        OnTheBus("Restore_BusOff", C::Restore, F::BusOff, "busoff"),
        OnTheBus("Restore_ErrorPassive", C::Restore, F::ErrorPassive, "error-passive"),

        // ---- Node search over 4...6 (4 and 6 absent: one time-out each per sweep)
        Search("NodeSearch_LostAnswer", F::LostAnswer, {"drop 1 at 0x1000 0"}, 1, true),
        Search("NodeSearch_LostIdentAnswer", F::LostAnswer, {"drop 1 at 0x1009 0"}, 0, true, "ident"),
        Search("NodeSearch_SeveralLost", F::SeveralLost, {"drop 3 at 0x1000 0"}, 3, true),
        Search("NodeSearch_WrongToggle", F::WrongToggle, {"toggle at 0x1008 0"}, 0, true, "name"),
        Search("NodeSearch_WrongLength", F::WrongLength, {"length at 0x1000 0"}, 1, true),
        Search("NodeSearch_Abort", F::Abort, {"abort 0x1000 0 0x06020000"}, 1, false),
        Search("NodeSearch_SilentWhile", F::SilentWhile, {"silent 600 at 0x1000 0"}, 1, true),
        Search("NodeSearch_SilentForGood", F::SilentForGood, {"silent"}, 1, false),
        Search("NodeSearch_PowerCycle", F::PowerCycle, {"powercycle at 0x1008 0"}, 0, true, "name"),
        Search("NodeSearch_BusOff", F::BusOff, {}, 0, true),
        Search("NodeSearch_ErrorPassive", F::ErrorPassive, {}, 0, true),

        // ---- Node settings 5 -> 9 (the download's LMT part)
        Fails("NodeSettings_LostAnswer", C::NodeSettings, F::LostAnswer, {"drop 1 at lmt 0x11"}, kNodeLost, E,
              kTimeout, {0, 0, 1}),
        Fails("NodeSettings_LostInquiryAnswer", C::NodeSettings, F::LostAnswer, {"drop 1 at lmt 0x26"}, kNodeLost,
              E, kTimeout, {0, 0, 1}),
        Fails("NodeSettings_SeveralLost", C::NodeSettings, F::SeveralLost, {"drop 3 at lmt 0x13"}, kNodeLost, E,
              kTimeout, {0, 0, 1}),
        Fails("NodeSettings_WrongLength", C::NodeSettings, F::WrongLength, {"length at lmt 0x13"}, kNodeLost, E,
              kBadLength, {}),
        Fails("NodeSettings_SilentWhile", C::NodeSettings, F::SilentWhile, {"silent 900 at lmt 0x24"}, kNodeLost,
              E, kTimeout, {0, 0, 1}),
        Fails("NodeSettings_SilentForGood", C::NodeSettings, F::SilentForGood, {"silent at lmt 0x24"}, kNodeLost, E,
              kTimeout, {0, 0, 1}),
        Fails("NodeSettings_RefusedStore", C::NodeSettings, F::RefusedStore, {"refuse store"}, kNodeLost, E,
              kAborted, {}),
        Fails("NodeSettings_PowerCycle", C::NodeSettings, F::PowerCycle, {"powercycle at lmt 0x13"}, kNodeLost, E,
              kTimeout, {0, 0, 1}),
        Fails("NodeSettings_StoreFileFails", C::NodeSettings, F::StoreFileFails, {"fail-write rename"}, kNodeLost,
              E, kAborted, {}),
        OnTheBus("NodeSettings_BusOff", C::NodeSettings, F::BusOff, "busoff"),
        OnTheBus("NodeSettings_ErrorPassive", C::NodeSettings, F::ErrorPassive, "error-passive"),
    };
    // An abort during the upload leaves that parameter and goes on.
    Cell abortInUpload = Works("Upload_Abort", C::Upload, F::Abort, {"abort 0x6081 0 0x06010000"});
    abortInUpload.keepsValue = true;
    cells.push_back(abortInUpload);
    for (Cell& cell : cells)
        if (cell.command == C::NodeSearch && (cell.fault == F::BusOff || cell.fault == F::ErrorPassive))
            cell.busFrame = cell.fault == F::BusOff ? "busoff" : "error-passive";
    for (Cell& cell : MotionCells())
        cells.push_back(cell);
    for (Cell& cell : ScopeCells())
        cells.push_back(cell);
    return cells;
}

}  // namespace

const char* CommandName(Command command)
{
    switch (command) {
    case Command::Connect: return "Connect";
    case Command::Upload: return "Upload";
    case Command::Download: return "Download";
    case Command::Store: return "Store";
    case Command::Reset: return "Reset";
    case Command::Restore: return "Restore";
    case Command::NodeSearch: return "NodeSearch";
    case Command::NodeSettings: return "NodeSettings";
    case Command::PositionStart: return "PositionStart";
    case Command::PositionStop: return "PositionStop";
    case Command::VelocityStart: return "VelocityStart";
    case Command::VelocityStop: return "VelocityStop";
    case Command::HomingStart: return "HomingStart";
    case Command::HomingStop: return "HomingStop";
    case Command::JogStart: return "JogStart";
    case Command::JogStop: return "JogStop";
    case Command::ResetFault: return "ResetFault";
    case Command::ScopeStart: return "ScopeStart";
    case Command::ScopeStop: return "ScopeStop";
    }
    return "?";
}

bool IsMotion(Command command)
{
    return command >= Command::PositionStart && command <= Command::ResetFault;
}

bool IsScope(Command command)
{
    return command == Command::ScopeStart || command == Command::ScopeStop;
}

bool IsStop(Command command)
{
    return command == Command::PositionStop || command == Command::VelocityStop || command == Command::HomingStop ||
           command == Command::JogStop;
}

const char* FaultName(Fault fault)
{
    switch (fault) {
    case Fault::LostAnswer: return "LostAnswer";
    case Fault::SeveralLost: return "SeveralLost";
    case Fault::WrongToggle: return "WrongToggle";
    case Fault::WrongLength: return "WrongLength";
    case Fault::Abort: return "Abort";
    case Fault::SilentWhile: return "SilentWhile";
    case Fault::SilentForGood: return "SilentForGood";
    case Fault::RefusedStore: return "RefusedStore";
    case Fault::RefusedFirmware: return "RefusedFirmware";
    case Fault::PowerCycle: return "PowerCycle";
    case Fault::BusOff: return "BusOff";
    case Fault::ErrorPassive: return "ErrorPassive";
    case Fault::StoreFileFails: return "StoreFileFails";
    }
    return "?";
}

const char* FaultColumn(Fault fault)
{
    switch (fault) {
    case Fault::LostAnswer: return "Lost";
    case Fault::SeveralLost: return "Lost3";
    case Fault::WrongToggle: return "Toggle";
    case Fault::WrongLength: return "Length";
    case Fault::Abort: return "Abort";
    case Fault::SilentWhile: return "Quiet";
    case Fault::SilentForGood: return "Mute";
    case Fault::RefusedStore: return "NoStor";
    case Fault::RefusedFirmware: return "NoFw";
    case Fault::PowerCycle: return "PwrCyc";
    case Fault::BusOff: return "BusOff";
    case Fault::ErrorPassive: return "ErrPas";
    case Fault::StoreFileFails: return "File";
    }
    return "?";
}

const std::vector<Command>& AllCommands()
{
    static const std::vector<Command> all = {
        C::Connect,       C::Upload,       C::Download,      C::Store,        C::Reset,
        C::Restore,       C::NodeSearch,   C::NodeSettings,  C::PositionStart, C::PositionStop,
        C::VelocityStart, C::VelocityStop, C::HomingStart,   C::HomingStop,    C::JogStart,
        C::JogStop,       C::ResetFault,   C::ScopeStart,    C::ScopeStop,
    };
    return all;
}

const std::vector<Fault>& AllFaults()
{
    static const std::vector<Fault> all = {
        F::LostAnswer,    F::SeveralLost,  F::WrongToggle,     F::WrongLength, F::Abort,
        F::SilentWhile,   F::SilentForGood, F::RefusedStore,   F::RefusedFirmware,
        F::PowerCycle,    F::BusOff,       F::ErrorPassive,    F::StoreFileFails,
    };
    return all;
}

const std::vector<Cell>& Cells()
{
    static const std::vector<Cell> cells = MakeCells();
    return cells;
}

void PrintTo(const Cell& cell, std::ostream* out)
{
    *out << cell.name;
}

const std::vector<NotApplicable>& NotApplicableCells()
{
    static const char* const kNoSegments = "no segmented transfer: every object it writes fits an expedited one";
    static const char* const kNoStore = "the command stores nothing in the drive";
    static const char* const kNoFirmware = "no firmware command";
    static const char* const kNoAbort = "LMT has no aborts; its refusal is the refused store";
    static const std::vector<NotApplicable> list = [] {
        std::vector<NotApplicable> l = {
            {C::Download, F::WrongToggle, kNoSegments},
            {C::Store, F::WrongToggle, kNoSegments},
            {C::NodeSettings, F::WrongToggle, "LMT has no segments"},
            {C::NodeSettings, F::Abort, kNoAbort},
        };
        for (Command c : {C::Connect, C::Upload, C::Download, C::Reset, C::Restore, C::NodeSearch}) {
            l.push_back({c, F::RefusedStore, kNoStore});
            l.push_back({c, F::StoreFileFails, kNoStore});
        }
        for (Command c : AllCommands()) {
            l.push_back({c, F::RefusedFirmware, kNoFirmware});
            if (IsMotion(c) || IsScope(c)) {
                l.push_back({c, F::WrongToggle, "no segmented transfer: every object it uses is expedited"});
                l.push_back({c, F::RefusedStore, kNoStore});
                l.push_back({c, F::StoreFileFails, kNoStore});
            }
        }
        // The oscilloscope's Stop is one NMT command, which no node answers.
        for (Fault f : {F::LostAnswer, F::SeveralLost, F::WrongLength, F::Abort, F::SilentWhile, F::PowerCycle})
            l.push_back({C::ScopeStop, f, "NMT is unconfirmed: there is no answer to lose, shorten or abort"});
        return l;
    }();
    return list;
}

}  // namespace faults

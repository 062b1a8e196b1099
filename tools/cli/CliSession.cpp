#include "CliSession.h"

#include <map>
#include <vector>

#include "CliTexts.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

CCliSession::CCliSession(const CliOptions& options, const ISettingsStore& store, CTerminalUserInterface& ui,
                         std::ostream& out, std::ostream& err, const std::string& programDirectory)
    : options_(options), store_(store), ui_(ui), out_(out), err_(err)
{
    settings_.SetProgramDirectory(programDirectory);
    descriptionPath_ = options.description ? *options.description : settings_.DescriptionPath();
}

CCliSession::~CCliSession()
{
    master_.Terminate();
}

bool CCliSession::LoadDescription()
{
    settings_.Read(store_);
    if (!description_.LoadDescription(descriptionPath_) &&
        !ui_.AskYesNo(MessageIcon::Stop, FormatMessage(kMsgDescriptionFileCorrupted, descriptionPath_.c_str()),
                      false))
        return false;
    // A broken description serves with what it held up to its fault.
    std::vector<InterfaceBoard> boards;
    for (const ovro::CQVTBoard& b : description_.boards)
        boards.push_back({b.name, static_cast<std::int16_t>(b.vendor), b.type});
    settings_.ApplyBoardList(boards);
    master_.SetErrorList(description_.ErrorList());
    return true;
}

int CCliSession::OpenInterface()
{
    std::int16_t library = settings_.library;
    std::uint32_t boardType = settings_.boardType;
    CopHwParam hw = settings_.hw;
    if (options_.board) {
        const ovro::CQVTBoard* board = nullptr;
        for (const ovro::CQVTBoard& b : description_.boards)
            if (b.name == *options_.board) {
                board = &b;
                break;
            }
        if (board == nullptr) {
            std::string text = StringPrintf(CliTexts::kUnknownBoard, options_.board->c_str());
            text += description_.boards.empty() ? std::string() : "; choose one of:";
            for (const ovro::CQVTBoard& b : description_.boards)
                text += "\n  " + b.name;
            return UsageError(text);
        }
        library = static_cast<std::int16_t>(board->vendor);
        boardType = board->type;
        if (board->plugAndPlay)
            hw = CopHwParam{0, 0};
    } else if (library == COP_LIBRARY_NONE) {
        return UsageError(CliTexts::kNoInterface);
    }
    if (master_.Initialize(library, boardType, &hw, BaudRate(), 0)) {
        if (options_.sdoTimeout)
            master_.SetSDOTimeout(*options_.sdoTimeout);
        return kSuccess;
    }
    ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                    FormatMessage(kMsgCheckHardware, description_.GetErrorText(master_.LastError()).c_str()));
    return kFailure;
}

ovro::DocumentEnvironment CCliSession::Environment(ovro::IConnectDeviceChooser* chooser)
{
    ovro::DocumentEnvironment env;
    env.master = &master_;
    env.commissioning = &description_;
    env.ui = &ui_;
    env.chooser = chooser;
    env.defaultNodeId = NodeId();
    env.timing = 0;
    env.privateBuild = settings_.privateBuild;
    env.programDirectory = settings_.ProgramDirectory();
    env.descriptionPath = descriptionPath_;
    return env;
}

int CCliSession::Result(bool ok) const
{
    return ok && !ui_.FailureShown() ? kSuccess : kFailure;
}

int CCliSession::UsageError(const std::string& text) const
{
    err_ << CCliOptions::kProgram << ": " << text << '\n';
    return kUsage;
}

std::uint8_t CCliSession::NodeId() const
{
    return options_.nodeId ? *options_.nodeId : settings_.nodeId;
}

std::uint8_t CCliSession::BaudRate() const
{
    return options_.baudRate ? *options_.baudRate : settings_.baudCode;
}

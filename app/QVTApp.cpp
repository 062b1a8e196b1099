// QVTApp.cpp - start-up, exit and the interface commands of the program.
#include "QVTApp.h"

#include "description/Commissioning.h"
#include "settings/SettingsKeys.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"


CQVTApp::CQVTApp(ISettingsStore& store, IUserInterface& ui, ovro::CCommissioning& description)
    : store_(store), ui_(ui), description_(description)
{
}

CQVTApp::~CQVTApp()
{
    ExitInstance();
}

bool CQVTApp::InitInstance(const std::string& programDirectory)
{
    if (!StartUp(programDirectory))
        return false;
    OpenInterface();
    return true;
}

bool CQVTApp::StartUp(const std::string& programDirectory)
{
    settings_.Read(store_);
    oscilloscope_.settings.Read(store_);
    started_ = true;
    settings_.SetProgramDirectory(programDirectory);
    sllFileName_ = settings_.LoaderPath();

    const std::string path = settings_.DescriptionPath();
    descriptionLoaded_ = description_.LoadDescription(path);
    if (!descriptionLoaded_
        && !ui_.AskYesNo(MessageIcon::Stop, FormatMessage(kMsgDescriptionFileCorrupted, path.c_str()), false))
        return false;
    // What a broken description held up to its fault stays in the model and
    // serves as a whole one does: the board names, and one error list for
    // the program's lookups and the master's.
    settings_.ApplyBoardList(InterfaceBoards());
    master_.SetErrorList(description_.ErrorList());
    return true;
}

const std::string& CQVTApp::StoredChannel(std::uint32_t boardType) const
{
    return CLinuxChannel::SecondChannel(boardType) ? settings_.channel2 : settings_.channel;
}

void CQVTApp::OpenInterface()
{
    if (settings_.library == COP_LIBRARY_NONE)
        return;
    if (CLinuxChannel::UsesChannel(settings_.library))
        channel_.Apply(settings_.boardType, StoredChannel(settings_.boardType));
    const CopHwParam hw = HardwareParameters();
    if (master_.Initialize(settings_.library, settings_.boardType, &hw, settings_.baudCode, settings_.timing))
        return;
    if (master_.LastError() != kSelectionCancelled)
        ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Stop,
                        FormatMessage(kMsgInterfaceFailed, ErrorText(master_.LastError()).c_str()));
}

void CQVTApp::ExitInstance()
{
    master_.Terminate();
    if (started_)
        oscilloscope_.settings.Write(store_);
    started_ = false;
}

std::string CQVTApp::ErrorText(std::int32_t code) const
{
    return description_.GetErrorText(code);
}

std::vector<BoardEntry> CQVTApp::Boards() const
{
    std::vector<BoardEntry> boards;
    for (const ovro::CQVTBoard& b : description_.boards)
        boards.push_back({b.name, static_cast<std::int16_t>(b.vendor), b.type, b.plugAndPlay});
    return boards;
}

std::vector<InterfaceBoard> CQVTApp::InterfaceBoards() const
{
    std::vector<InterfaceBoard> boards;
    for (const ovro::CQVTBoard& b : description_.boards)
        boards.push_back({b.name, static_cast<std::int16_t>(b.vendor), b.type});
    return boards;
}

CopHwParam CQVTApp::HardwareParameters() const
{
    return settings_.hw;
}

InterfaceChoice CQVTApp::PresentInterface() const
{
    InterfaceChoice c;
    c.library = settings_.library;
    c.boardType = settings_.boardType;
    c.plugAndPlay = settings_.plugAndPlay != 0;
    c.address = settings_.hw.ioPort;
    c.irq = settings_.hw.interrupt;
    return c;
}

bool CQVTApp::InitializeInterface(const InterfaceChoice& choice)
{
    CopHwParam hw{};
    hw.ioPort = choice.address;
    hw.interrupt = static_cast<std::uint16_t>(choice.irq <= CInterfaceSelection::kMaxIrq ? choice.irq : 0);
    const bool pcanLight = CLinuxChannel::UsesChannel(choice.library);
    const std::string channel = !choice.channel.empty() ? choice.channel : StoredChannel(choice.boardType);
    if (pcanLight)
        channel_.Apply(choice.boardType, channel);
    if (!master_.Initialize(choice.library, choice.boardType, &hw, settings_.baudCode, settings_.timing)) {
        if (master_.LastError() != kSelectionCancelled) {
            ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                            FormatMessage(kMsgCheckHardware, ErrorText(master_.LastError()).c_str()));
            // A SocketCAN interface that is down or at another rate: what to run.
            const std::string advice =
                pcanLight ? channel_.Check(channel_.InEffect(choice.boardType, channel).channel,
                                       CLinuxChannel::BitrateOfCode(settings_.baudCode))
                      : std::string();
            if (!advice.empty())
                ui_.ShowMessage(MessageSeverity::Info, MessageIcon::Information, "INFO:\t" + advice);
        }
        return false;
    }
    if (pcanLight && CLinuxChannel::Valid(choice.channel))
        (CLinuxChannel::SecondChannel(choice.boardType) ? settings_.channel2 : settings_.channel) = choice.channel;
    settings_.library = choice.library;
    settings_.vendor = CAppSettings::VendorOfLibrary(choice.library);
    settings_.boardType = choice.boardType;
    settings_.plugAndPlay = choice.plugAndPlay ? 1 : 0;
    settings_.hw = hw;
    const std::vector<InterfaceBoard> boards = InterfaceBoards();
    settings_.board = SettingsKeys::kBoardDefault;
    for (const InterfaceBoard& b : boards)
        if (b.library == choice.library && b.boardType == choice.boardType) {
            settings_.board = b.name;
            break;
        }
    return settings_.WriteInterface(store_, boards);
}

void CQVTApp::ShowInterfaceProperties()
{
    std::string board;
    std::string library;
    if (master_.GetBoardInfo(board) && master_.GetLastErrorText(library)) {
        std::string text = StringPrintf("%s\n\n%s", board.c_str(), library.c_str());
        // A PCAN-Light type also names its Linux channel and bit rate state.
        if (CLinuxChannel::UsesChannel(settings_.library))
            text += "\n\n" + channel_.Describe(settings_.boardType, StoredChannel(settings_.boardType),
                                               CLinuxChannel::BitrateOfCode(master_.BaudRate()));
        ui_.ShowMessage(MessageSeverity::Info, MessageIcon::Information, text);
        return;
    }
    ui_.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                    FormatMessage(kMsgNoBoardPresent, ErrorText(master_.LastError()).c_str()));
}

ProgramOptions CQVTApp::Options() const
{
    ProgramOptions o;
    o.xmlPath = settings_.ProgramDirectory();
    o.sllFileName = sllFileName_;
    o.sllPageSize = sllPageSize_;
    o.nodeId = settings_.nodeId;
    o.baudIndex = settings_.baudCode;
    return o;
}

bool CQVTApp::ApplyOptions(const ProgramOptions& o)
{
    if (o.sllPageSize < ProgramOptions::kMinPageSize || o.nodeId < ProgramOptions::kMinNodeId
        || o.nodeId > ProgramOptions::kMaxNodeId || o.baudIndex >= COP_BAUD_COUNT)
        return false;
    sllFileName_ = o.sllFileName;
    sllPageSize_ = o.sllPageSize;
    bool ok = store_.WriteString(SettingsKeys::kDownload, SettingsKeys::kSllFileName, sllFileName_);
    ok = store_.WriteInt(SettingsKeys::kDownload, SettingsKeys::kSllFileSize, sllPageSize_) && ok;
    settings_.nodeId = o.nodeId;
    settings_.baudCode = o.baudIndex;
    settings_.timing = 0;
    return settings_.WriteNodeOptions(store_) && ok;
}

bool CQVTApp::RememberFirmwareFile(const std::string& path)
{
    settings_.appFileName = path;
    return settings_.WriteAppFileName(store_);
}

bool CQVTApp::SetXmlFolder(const std::string& folder)
{
    settings_.ReplaceProgramDirectory(folder);
    return store_.WriteString(SettingsKeys::kSettings, SettingsKeys::kPathName, settings_.ProgramDirectory());
}

#include "settings/AppSettings.h"

#include "settings/BaudRate.h"
#include "settings/PlainText.h"

#include <filesystem>

using namespace SettingsKeys;

std::int16_t CAppSettings::LibraryOfVendor(const std::string& vendor)
{
    if (vendor == kVendorPeak)
        return COP_LIBRARY_SOFTMASTER;
    if (vendor == kVendorOrvax)
        return COP_LIBRARY_CARDMASTER;
    return COP_LIBRARY_NONE;
}

const char* CAppSettings::VendorOfLibrary(std::int16_t library)
{
    return library == COP_LIBRARY_SOFTMASTER ? kVendorPeak : kVendorOrvax;
}

std::uint8_t CAppSettings::BaudCodeOfText(const std::string& text)
{
    const int code = ovro::BaudRateCodeOfKbitText(text);
    return code >= 0 ? static_cast<std::uint8_t>(code) : kDefaultBaudCode;
}

const char* CAppSettings::BaudTextOfCode(std::uint8_t code)
{
    const char* text = ovro::BaudRateKbitText(code);
    return text != nullptr ? text : "???";
}

std::uint32_t CAppSettings::BoardTypeOfName(const std::string& name)
{
    std::size_t count = 0;
    const CopInterface* table = COP_Interfaces(&count);
    for (std::size_t i = 0; i < count; ++i) {
        if (table[i].boardType == COP_BOARD_ORVAX_APPLET)
            break;   // the board-based master's own selection ends the search
        if (name == table[i].name)
            return table[i].boardType;
    }
    return kUnknownBoardType;
}

const InterfaceBoard* CAppSettings::FindBoard(const std::vector<InterfaceBoard>& boards,
                                              std::int16_t library, const std::string& name)
{
    for (const InterfaceBoard& b : boards)
        if (b.library == library && b.name == name)
            return &b;
    return nullptr;
}

bool CAppSettings::IsPrivateBuildText(const std::string& text)
{
    return ovro::EqualsNoCase(text, kPrivateBuildYes);
}

void CAppSettings::Read(const ISettingsStore& store)
{
    board = store.ReadString(kInterface, kBoard, kBoardDefault);
    boardType = BoardTypeOfName(board);
    baudCode = BaudCodeOfText(store.ReadString(kInterface, kBaudrate, kBaudrateDefault));
    timingText = store.ReadString(kInterface, kTiming, kTimingDefault);
    timing = 0;   // the program always starts with the CiA bit timing

    // A node-id outside 1..127 would address another node or all of them.
    const int id = store.ReadInt(kSettings, kNodeId, kNodeIdDefault);
    nodeId = (id >= 1 && id <= 127) ? static_cast<std::uint8_t>(id) : kDefaultNodeId;

    appFileName = store.ReadString(kDownload, kAppFileName, kAppFileNameDefault);
    privateBuild = IsPrivateBuildText(store.ReadString(kSettings, kPrivateBuild,
                                                       kPrivateBuildDefault));

    vendor = store.ReadString(kInterface, kVendor, kVendorDefault);
    library = LibraryOfVendor(vendor);
    plugAndPlay = store.ReadInt(kInterface, kPlugAndPlay, kPlugAndPlayDefault);
    // The address is a 32-bit pattern, kept as a signed integer in the store.
    channel = store.ReadString(kInterface, kChannel, "");
    channel2 = store.ReadString(kInterface, kChannel2, "");
    hw.ioPort = static_cast<std::uint32_t>(store.ReadInt(kInterface, kAddress, kAddressDefault));
    const int irq = store.ReadInt(kInterface, kInterrupt, kInterruptDefault);
    hw.interrupt = (irq >= 0 && irq <= 0xFFFF) ? static_cast<std::uint16_t>(irq)
                                                : static_cast<std::uint16_t>(kInterruptDefault);
}

void CAppSettings::ApplyBoardList(const std::vector<InterfaceBoard>& boards)
{
    if (const InterfaceBoard* b = FindBoard(boards, library, board))
        boardType = b->boardType;
}

bool CAppSettings::WriteInterface(ISettingsStore& store,
                                  const std::vector<InterfaceBoard>& boards) const
{
    std::string name = kBoardDefault;
    for (const InterfaceBoard& b : boards) {
        if (b.library == library && b.boardType == boardType) {
            name = b.name;
            break;
        }
    }
    bool ok = store.WriteString(kInterface, kBoard, name);
    ok = store.WriteString(kInterface, kVendor, VendorOfLibrary(library)) && ok;
    ok = store.WriteInt(kInterface, kPlugAndPlay, plugAndPlay) && ok;
    ok = store.WriteInt(kInterface, kAddress, static_cast<int>(hw.ioPort)) && ok;
    ok = store.WriteInt(kInterface, kInterrupt, hw.interrupt) && ok;
    if (!channel.empty())
        ok = store.WriteString(kInterface, kChannel, channel) && ok;
    if (!channel2.empty())
        ok = store.WriteString(kInterface, kChannel2, channel2) && ok;
    return ok;
}

bool CAppSettings::WriteNodeOptions(ISettingsStore& store) const
{
    bool ok = store.WriteString(kInterface, kBaudrate, BaudTextOfCode(baudCode));
    ok = store.WriteString(kInterface, kTiming, timing == 1 ? kTimingOrvax : kTimingCiA) && ok;
    ok = store.WriteInt(kSettings, kNodeId, nodeId) && ok;
    return ok;
}

bool CAppSettings::WriteAppFileName(ISettingsStore& store) const
{
    return store.WriteString(kDownload, kAppFileName, appFileName);
}

namespace {

std::string WithoutTrailingSeparator(std::string dir)
{
    while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\'))
        dir.pop_back();
    return dir;
}

std::string Join(const std::string& dir, const char* name)
{
    if (dir.empty())
        return name;
    if (dir == "/")
        return dir + name;
    return dir + '/' + name;
}

}  // namespace

std::string CAppSettings::DataDirectory(const std::string& folder)
{
    namespace fs = std::filesystem;
    const std::string own = WithoutTrailingSeparator(folder);
    std::error_code ec;
    if (own.empty() || fs::exists(Join(own, kDescriptionFileName), ec))
        return own;
    const std::string shared = (fs::path(own) / ".." / "share" / "ovro-qvt").lexically_normal().string();
    if (fs::exists(Join(shared, kDescriptionFileName), ec))
        return WithoutTrailingSeparator(shared);
    return own;
}

void CAppSettings::SetProgramDirectory(const std::string& directory)
{
    programDirectory_ = DataDirectory(directory);
    loaderPath_ = Join(programDirectory_, kLoaderFileName);
}

void CAppSettings::ReplaceProgramDirectory(const std::string& directory)
{
    programDirectory_ = WithoutTrailingSeparator(directory);
}

std::string CAppSettings::DescriptionPath() const
{
    return Join(programDirectory_, kDescriptionFileName);
}

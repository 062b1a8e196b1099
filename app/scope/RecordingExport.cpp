// RecordingExport.cpp - CSV and text files of a recording.
#include "scope/RecordingExport.h"

#include "document/SafeFile.h"
#include "scope/RecordingTable.h"
#include "settings/ISettingsStore.h"
#include "settings/SettingsKeys.h"
#include "ui/FileFilter.h"
#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"
#include "ui/UserInterface.h"

#include <cctype>

std::string CRecordingExport::ExtensionOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    return path.substr(dot);
}

bool CRecordingExport::IsCsvName(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".csv";
}

std::string CRecordingExport::Text(const CRecordingTable& table, bool csv)
{
    const auto field = [csv](std::string& line, const std::string& text, bool first) {
        if (csv)
            line += (first ? "\"" : ";\"") + text + "\"";
        else
            line += (first ? "" : "\t") + text;
    };
    std::string text;
    const std::vector<std::string> header = table.Header();
    for (std::size_t c = 0; c < header.size(); ++c)
        field(text, header[c], c == 0);
    text += ovro::kLineEnd;
    for (std::int32_t i = 0; i < table.RowCount(); ++i) {
        field(text, StringPrintf("%+li", table.Time(i)), true);
        for (int c = 0; c < table.ChannelCount(); ++c)
            field(text, StringPrintf("%li", table.ChannelValue(i, c)), false);
        if (table.HasExtraColumn())
            field(text, table.ExtraDecimal(i), false);
        text += ovro::kLineEnd;
    }
    return text;
}

bool CRecordingExport::Write(const std::string& path, const CRecordingTable& table)
{
    return ovro::CSafeFile::Replace(path, Text(table, IsCsvName(path)));
}

bool CRecordingExport::Run(IUserInterface& ui, ISettingsStore& store, const CRecordingTable& table)
{
    using namespace SettingsKeys;
    const std::string last = store.ReadString(kOscilloscope, kLastFileExt, kLastFileExtDefault);
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.filter = DialogFilter(MessageText(kMsgExportFilter));
    request.defaultName = StringPrintf(kProposedName, last.c_str());
    std::optional<std::string> path = ui.ChooseFile(request);
    if (!path || path->empty())
        return false;
    // A name typed without an extension gets the default one.
    if (ExtensionOf(*path).empty())
        *path += std::string(".") + kDefaultExtension;
    if (!Write(*path, table)) {
        ui.ShowMessage(MessageSeverity::Error, MessageIcon::Stop,
                       FormatMessage(kMsgCantWriteExport, path->c_str()));
        return false;
    }
    store.WriteString(kOscilloscope, kLastFileExt, ExtensionOf(*path));
    return true;
}

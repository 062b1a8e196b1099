// CRecordingExport: the recording as a file - CSV (every field in double
// quotes, ";" between fields) when the name ends in ".csv" in any letter
// case, else tab-separated text - and the "Export" command (32799) with
// its save dialog, which proposes "untitled" with the extension used last
// (profile "Oscilloscope"/"LastFileExt").
//
//   CRecordingExport::Run(ui, store, table);    // the command
//   CRecordingExport::Write(path, table);       // a named file
#pragma once

#include <string>

class CRecordingTable;
class ISettingsStore;
class IUserInterface;

class CRecordingExport {
public:
    static constexpr const char* kDefaultExtension = "csv";
    static constexpr const char* kProposedName = "untitled%s";

    static bool IsCsvName(const std::string& path);
    // The text of the file: the header line and one line per sample, each
    // ended by CR LF.
    static std::string Text(const CRecordingTable& table, bool csv);
    // Creates (or replaces) the file; an old file stays untouched when the
    // new one cannot be written. False without a message.
    static bool Write(const std::string& path, const CRecordingTable& table);

    // The command: asks for the name, writes the file, stores its
    // extension; a file that cannot be written shows 63614. False when
    // nothing was written.
    static bool Run(IUserInterface& ui, ISettingsStore& store, const CRecordingTable& table);
    // ".csv" of "a/b.csv", "" without an extension.
    static std::string ExtensionOf(const std::string& path);
};

// CStatusReport: the actual values and drive status of the Motion Control
// and Device Status windows as "Label: value" lines for ovro-qvt-cli, with
// the windows' labels and text forms. The three fields without a label in
// the windows are printed as "Statusword:", "Device state:" and
// "Error code:"; each lamp page gives one line of its lit lamps.
#pragma once

#include <string>

namespace ovro {
class IDriveDocument;
}

class CStatusReport {
public:
    // The block (UTF-8, one line per field); empty while the document has
    // no record.
    static std::string Status(const ovro::IDriveDocument& doc);
    // Both limits windows.
    static std::string Limits(const ovro::IDriveDocument& doc);
};

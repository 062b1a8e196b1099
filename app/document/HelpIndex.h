// CHelpIndex: the manuals of a drive model. The program directory's "Help"
// folder holds one index file per model and manual ("K315_MAN.ini",
// "H315_CAN.ini", ...), whose entry "Name" in section "Filename" names the
// manual's file in the same folder.
#pragma once

#include <optional>
#include <string>

namespace ovro {

class CHelpIndex {
public:
    enum class Manual { Device, CANopen };

    struct Document {
        std::string indexFile;  // the index file read
        std::string file;       // the manual to open with the document viewer
    };

    // The index file of a manual of a model (1 H315, anything else K315).
    static std::string IndexFile(const std::string& programDirectory, int model, Manual manual);
    // The manual named by the index file; nothing when the index names none
    // (missing file, section or entry).
    static std::optional<Document> Lookup(const std::string& programDirectory, int model, Manual manual);
};

}  // namespace ovro

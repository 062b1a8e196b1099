// CContextHelp: where a help key leads in the CANopen manual of a model.
// The model's help index ("Help/K315_CAN.ini" or "Help/H315_CAN.ini" under
// the program directory) holds entries "file#destination"; the file is in
// the same "Help" folder.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace ovro {

class CContextHelp {
public:
    struct Target {
        std::string file;         // the manual, with its path
        std::string destination;  // the named destination in it
    };

    // Shows a manual at a destination; false when it cannot.
    using Opener = std::function<bool(const Target&)>;

    // The entry key of section of the model's index, split at its "#";
    // nothing when the entry is missing or has no "#".
    static std::optional<Target> Lookup(const std::string& programDirectory, int model,
                                        const std::string& section, const std::string& key);
    // A line of the parameter table: the key in section "Bookmark".
    static std::optional<Target> ForTableRow(const std::string& programDirectory, int model,
                                             const std::string& helpKey);
    // A node of the section tree: the entry "Bookmark" of the section named
    // as the tree node ("Type" for the root).
    static std::optional<Target> ForTreeNode(const std::string& programDirectory, int model,
                                             const std::string& nodeName);
};

}  // namespace ovro

#include "document/ContextHelp.h"

#include <filesystem>

#include "document/HelpIndex.h"
#include "document/ProfileReader.h"

namespace ovro {

std::optional<CContextHelp::Target> CContextHelp::Lookup(const std::string& programDirectory, int model,
                                                         const std::string& section, const std::string& key)
{
    if (section.empty() || key.empty())
        return std::nullopt;
    const std::string indexFile = CHelpIndex::IndexFile(programDirectory, model, CHelpIndex::Manual::CANopen);
    const CProfileReader index(indexFile);
    const std::string entry = index.GetString(section, key, "");
    const std::size_t hash = entry.find('#');
    if (hash == std::string::npos || hash == 0)
        return std::nullopt;
    Target target;
    std::string file = entry.substr(0, hash);
    // Index files written on Windows name sub-folders with "\\".
    for (char& c : file) {
        if (c == '\\')
            c = '/';
    }
    // The manuals sit beside their index.
    target.file = (std::filesystem::path(indexFile).parent_path() / file).string();
    target.destination = entry.substr(hash + 1);
    return target;
}

std::optional<CContextHelp::Target> CContextHelp::ForTableRow(const std::string& programDirectory, int model,
                                                              const std::string& helpKey)
{
    return Lookup(programDirectory, model, "Bookmark", helpKey);
}

std::optional<CContextHelp::Target> CContextHelp::ForTreeNode(const std::string& programDirectory, int model,
                                                              const std::string& nodeName)
{
    return Lookup(programDirectory, model, nodeName, "Bookmark");
}

}  // namespace ovro

#include "PdfViewer.h"

#include <algorithm>
#include <cctype>

namespace ovro {

std::optional<CPdfViewer::Command> CPdfViewer::JumpCommand(const std::string& desktopId, const std::string& file,
                                                           const std::string& destination)
{
    if (destination.empty() || file.empty())
        return std::nullopt;
    std::string id = desktopId;
    std::transform(id.begin(), id.end(), id.begin(), [](unsigned char c) { return std::tolower(c); });
    if (id.find("evince") != std::string::npos)
        return Command{"evince", {"--named-dest=" + destination, file}};
    if (id.find("okular") != std::string::npos)
        return Command{"okular", {file + "#" + destination}};
    return std::nullopt;
}

}  // namespace ovro

// CPdfViewer: how the desktop's PDF viewer is sent to a named destination
// of a manual. Viewers that take one on their command line (evince
// --named-dest, okular's FILE#DEST) are started with it; any other viewer
// is handed the file and opens it at its start.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ovro {

class CPdfViewer {
public:
    struct Command {
        std::string program;
        std::vector<std::string> arguments;
    };

    // desktopId: the desktop's viewer for application/pdf, as
    // "xdg-mime query default application/pdf" names it
    // ("org.gnome.Evince.desktop", "okularApplication_pdf.desktop", ...).
    // Nothing when the viewer cannot jump, or without a destination.
    static std::optional<Command> JumpCommand(const std::string& desktopId, const std::string& file,
                                              const std::string& destination);
};

}  // namespace ovro

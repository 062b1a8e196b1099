// DocumentEnvironment: what a document works with - the master object, the
// description object, the user's side (messages, dialogs, views, status
// bar, further windows), the program settings it reads and the wait of its
// pauses. The pointers are not owned; all but master, commissioning and ui
// may be null.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

class CCANopenMaster;
class IUserInterface;

namespace ovro {

class CCommissioning;
class IConnectDeviceChooser;
class IDocumentObserver;
class IDocumentWindows;
class IStatusTextSink;

struct DocumentEnvironment {
    CCANopenMaster* master = nullptr;
    CCommissioning* commissioning = nullptr;
    IUserInterface* ui = nullptr;
    IConnectDeviceChooser* chooser = nullptr;  // null: every dialog is cancelled
    IDocumentObserver* observer = nullptr;
    IStatusTextSink* status = nullptr;
    IDocumentWindows* windows = nullptr;
    // The pauses after a reset (2000 ms); null: a real sleep.
    std::function<void(std::chrono::milliseconds)> sleep;

    // A pause of a command: sleep, or a real sleep without it.
    void Pause(std::chrono::milliseconds time) const
    {
        if (sleep)
            sleep(time);
        else
            std::this_thread::sleep_for(time);
    }

    std::uint8_t defaultNodeId = 127;  // "Settings"/"NodeId"
    std::uint8_t timing = 0;           // bit-timing selection for master restarts
    bool privateBuild = false;         // "Settings"/"PrivateBuild"
    std::string programDirectory;      // help files are in its "Help" folder
    std::string descriptionPath;       // for the messages about the description
};

}  // namespace ovro

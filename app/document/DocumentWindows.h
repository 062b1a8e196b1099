// IDocumentWindows: the windows that belong to a document besides its
// parameter view (oscilloscope, motion control, device status). The
// defaults do nothing, for a program or test without them.
#pragma once

#include <string>

namespace ovro {

class IDocumentWindows {
public:
    virtual ~IDocumentWindows() = default;
    // Closes the oscilloscope window if it is open.
    virtual void CloseOscilloscope() {}
    // Closes motion control, device status and oscilloscope.
    virtual void CloseDriveWindows() {}
    // Opens (or activates) the oscilloscope window of the document.
    virtual void OpenOscilloscope() {}
    // Appends the oscilloscope's recording to the text of a document being
    // saved; false when it cannot.
    virtual bool AppendRecording(std::string& /*text*/) { return true; }
    // Takes the recording of a document file that holds one, so that the
    // document keeps it when it is saved again; false when it cannot.
    virtual bool LoadRecording(const std::string& /*path*/) { return true; }
    // One beep at the end of a download without errors.
    virtual void Beep() {}
};

}  // namespace ovro

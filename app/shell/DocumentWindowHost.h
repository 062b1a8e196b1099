// CDocumentWindowHost: the windows of the document besides its parameter
// window, as the document asks for them (IDocumentWindows) - the
// oscilloscope (CScopeWindowHost), Motion Control, Device Status and the
// limits windows (CDriveWindows) - and the main frame's check mark of
// "&Oscilloscope...". CDocumentHost owns one.
#pragma once

#include "document/DocumentWindows.h"
#include "scope/views/ScopeWindowHost.h"

class CDriveWindows;

#include <functional>

class CMainFrame;

namespace ovro {
class CQVTDoc;
}

class CDocumentWindowHost : public ovro::IDocumentWindows {
public:
    // document: the session's present document, asked each time.
    CDocumentWindowHost(CMainFrame& frame, CScopeWindowHost& scope, std::function<ovro::CQVTDoc*()> document);

    // The drive windows closed with the oscilloscope, once there are any.
    void SetDriveWindows(CDriveWindows* drive) { drive_ = drive; }

    void CloseOscilloscope() override;
    void CloseDriveWindows() override;
    void OpenOscilloscope() override;
    bool AppendRecording(std::string& text) override;
    bool LoadRecording(const std::string& path) override;
    void Beep() override;

private:
    CMainFrame& frame_;
    CScopeWindowHost& scope_;
    CDriveWindows* drive_ = nullptr;
    std::function<ovro::CQVTDoc*()> document_;
};

// CommandState.cpp - the enabling rules of the commands.
#include "shell/CommandState.h"

#include "ui/CommandIds.h"

void CCommandState::SetNoDocument()
{
    hasDocument_ = false;
    online_ = false;
}

void CCommandState::SetDocument(bool online)
{
    hasDocument_ = true;
    online_ = online;
}

bool CCommandState::IsEnabled(unsigned command) const
{
    using namespace CommandId;
    const bool offline = !hasDocument_ || !online_;
    const bool withDocument = hasDocument_ && features_.document;

    if (command >= kRecentFile1 && command < kRecentFile1 + kRecentFileCount)
        return features_.document;

    switch (command) {
    // always there
    case kViewToolbar:
    case kViewStatusBar:
    case kInterfaceInitialize:
    case kInterfaceInitializeTool:
    case kInterfaceProperties:
    case kOptions:
    case kUserManual:
    case kAbout:
        return true;

    // a connected drive must be disconnected first
    case kExit:
        return offline;
    case kConnect:
        return features_.document && offline;
    case kDisconnect:
        return withDocument && online_;
    case kClose:
        return withDocument && !online_;
    case kOpen:
        return features_.document;

    case kSaveAs:
    case kViewSplit:
    case kParameterWindow:
    case kUpload:
    case kDownload:
    case kStore:
    case kReset:
    case kRestore:
    case kDeviceManual:
    case kCanopenManual:
    case kEditUndo:
    case kEditCut:
    case kEditCopy:
    case kEditPaste:
        return withDocument;

    case kPrintSetup:
        return features_.printing;
    case kPrint:
    case kPrintPreview:
        return withDocument && features_.printing;

    case kMotionControl:
        return withDocument && features_.motion;
    case kDeviceStatus:
        return withDocument && features_.status;
    case kOscilloscope:
    case kExport:
        return withDocument && features_.oscilloscope;
    case kFirmwareUpdate:
        return withDocument && features_.firmware;

    case kWindowArrange:
    case kWindowCascade:
    case kWindowTile:
        return hasDocument_;
    }
    return false;
}

// CDocumentWindowsLink: the document's way to its windows besides the
// parameter window (IDocumentWindows): closing the drive windows when it
// disconnects or updates the firmware.
#pragma once

#include "document/DocumentWindows.h"
#include "operation/views/DriveWindows.h"

class CDocumentWindowsLink : public ovro::IDocumentWindows {
public:
    explicit CDocumentWindowsLink(CDriveWindows& drive) : drive_(drive) {}

    void CloseDriveWindows() override { drive_.CloseAll(); }

private:
    CDriveWindows& drive_;
};

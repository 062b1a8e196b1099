// CProgressBoxState: the state behind the firmware download's progress box
// - the auto-close choice kept in "Download"/"ProgressBox" ("Auto" when the
// box is checked, "User" when not; "User" by default) and the cancel flag
// that its Cancel button sets and the download takes.
#pragma once

#include "settings/ISettingsStore.h"

class CProgressBoxState {
public:
    // Reads "Download"/"ProgressBox": auto-close when it is "Auto" in any
    // letter case.
    explicit CProgressBoxState(ISettingsStore& store);

    bool AutoClose() const { return autoClose_; }
    // The check box: stores "Auto" or "User" at once.
    bool SetAutoClose(bool on);

    void PressCancel() { cancelled_ = true; }
    // The flag, cleared.
    bool TakeCancel();

private:
    ISettingsStore& store_;
    bool autoClose_ = false;
    bool cancelled_ = false;
};

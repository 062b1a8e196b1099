// ProgressState.h - the state behind a progress window of a long document
// operation: the auto-close choice kept in the settings, and the finished
// and cancel flags that its buttons set and the operation takes.
#pragma once

#include "settings/ISettingsStore.h"

class CProgressState {
public:
    // Reads "Settings"/"ProgressBox": auto-close when it is "Auto" in any
    // letter case.
    explicit CProgressState(ISettingsStore& store);

    bool AutoClose() const { return autoClose_; }
    // The check box: stores "Auto" or "User" at once.
    bool SetAutoClose(bool on);

    // The operation has ended; with success it is finished when auto-close
    // is set. The "&Finish" button becomes usable.
    void Finish(bool success);
    bool CanFinish() const { return canFinish_; }

    // "&Finish" sets the finished and the cancel flag, "&Cancel" the latter.
    void PressFinish();
    void PressCancel();

    // Each returns its flag and clears it.
    bool TakeFinished();
    bool TakeCancelled();

private:
    ISettingsStore& store_;
    bool autoClose_ = true;
    bool canFinish_ = false;
    bool finished_ = false;
    bool cancelled_ = false;
};

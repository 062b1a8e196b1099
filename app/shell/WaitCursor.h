// WaitCursor.h - the wait cursor over the program's commands: shown while
// an object lives, and taken off for the time a dialog asks the user.
#pragma once

class CWaitCursor {
public:
    CWaitCursor() { Show(); }
    ~CWaitCursor() { Hide(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    static void Show();
    static void Hide();
    // Takes off every wait cursor shown; returns how many Restore puts back.
    static int Lift();
    static void Restore(int count);
};

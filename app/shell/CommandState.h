// CommandState.h - which menu and toolbar commands are enabled, from the
// state of the active document and the features this build offers. A
// command whose feature is missing stays disabled.
#pragma once

class CCommandState {
public:
    // The parts of the program a command needs.
    struct Features {
        bool document = false;     // documents, their commands, manuals
        bool printing = false;     // print, preview, print set-up
        bool motion = false;       // motion-control window
        bool status = false;       // device-status window
        bool oscilloscope = false; // oscilloscope window and export
        bool firmware = false;     // firmware download
    };

    CCommandState() = default;
    explicit CCommandState(const Features& features) : features_(features) {}

    // No document, or the active one and whether it holds a drive.
    void SetNoDocument();
    void SetDocument(bool online);

    bool HasDocument() const { return hasDocument_; }
    bool IsOnline() const { return online_; }
    const Features& GetFeatures() const { return features_; }

    // False for commands this class does not know.
    bool IsEnabled(unsigned command) const;

private:
    Features features_;
    bool hasDocument_ = false;
    bool online_ = false;
};

// CTriggerTab: the "Trigger" tab of the oscilloscope window without its
// widgets - the trigger signals on offer, the trigger kinds, which value
// fields a kind shows with which unit, and the checks of those fields when
// the tab is left.
#pragma once

#include "scope/RecordingSettings.h"

#include <string>
#include <vector>

class IUserInterface;

class CTriggerTab {
public:
    struct Entry {
        std::string text;
        int value;  // signal or kind; -1 for "No trigger" and "(none)"
    };
    // The value fields a kind shows ("Time =" and "Filter =" always show).
    enum class Fields { None, Level, Window, Binary };

    explicit CTriggerTab(RecordingSettings& settings) : settings_(settings) {}

    // "No trigger", each channel's signal, "Digital Inputs", "Statusword".
    std::vector<Entry> Triggers() const;
    // "(none)" and the seven kinds.
    static std::vector<Entry> Kinds();
    int TriggerPosition() const;
    int KindPosition() const { return settings_.slope + 1; }

    // "No trigger" also takes the kind to "(none)".
    void ChooseTrigger(int signal);
    void ChooseKind(int kind);

    static Fields FieldsOf(int kind);
    Fields ShownFields() const { return FieldsOf(settings_.slope); }
    // The unit beside "Level =", "Min. =" and "Max. =": the trigger signal's.
    std::string Unit() const;

    // Leaving the tab: each shown field that does not convert for the
    // trigger signal's type shows its message; the user is not kept on the
    // tab. A Delay is checked once a kind is chosen or a text typed, a
    // Filter (which takes no part in recording) once a text is typed. The
    // number of messages shown.
    int Leave(IUserInterface& ui) const;

private:
    RecordingSettings& settings_;
};

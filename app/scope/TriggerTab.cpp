// TriggerTab.cpp - the lists and checks of the "Trigger" tab.
#include "scope/TriggerTab.h"

#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"
#include "ui/UserInterface.h"

std::vector<CTriggerTab::Entry> CTriggerTab::Triggers() const
{
    std::vector<Entry> entries{{MessageText(kMsgNoTrigger), RecordingSettings::kNoTrigger}};
    for (int signal : settings_.Channels())
        entries.push_back({RecordingSettings::SignalName(signal), signal});
    entries.push_back({RecordingSettings::SignalName(RecordingSettings::kDigitalInputs),
                       RecordingSettings::kDigitalInputs});
    entries.push_back({RecordingSettings::SignalName(RecordingSettings::kStatusword), RecordingSettings::kStatusword});
    return entries;
}

std::vector<CTriggerTab::Entry> CTriggerTab::Kinds()
{
    // "(none)" for -1, then the kinds 0 ... 6.
    static constexpr unsigned kNames[RecordingSettings::kKindCount + 1] = {
        kMsgKindNone,     kMsgKindRising,    kMsgKindFalling,   kMsgKindAny,
        kMsgKindInWindow, kMsgKindOutWindow, kMsgKindBinaryAnd, kMsgKindBinaryOr};
    std::vector<Entry> entries;
    for (int kind = RecordingSettings::kNoTrigger; kind < RecordingSettings::kKindCount; ++kind)
        entries.push_back({MessageText(kNames[kind + 1]), kind});
    return entries;
}

int CTriggerTab::TriggerPosition() const
{
    const std::vector<Entry> entries = Triggers();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].value == settings_.trigger)
            return static_cast<int>(i);
    return 0;
}

void CTriggerTab::ChooseTrigger(int signal)
{
    settings_.trigger = signal;
    if (signal == RecordingSettings::kNoTrigger)
        settings_.slope = RecordingSettings::kNoTrigger;
}

void CTriggerTab::ChooseKind(int kind)
{
    if (kind >= RecordingSettings::kNoTrigger && kind < RecordingSettings::kKindCount)
        settings_.slope = kind;
}

CTriggerTab::Fields CTriggerTab::FieldsOf(int kind)
{
    switch (kind) {
    case RecordingSettings::kRisingEdge:
    case RecordingSettings::kFallingEdge:
    case RecordingSettings::kAnyEdge:
        return Fields::Level;
    case RecordingSettings::kInWindow:
    case RecordingSettings::kOutWindow:
        return Fields::Window;
    case RecordingSettings::kBinaryAnd:
    case RecordingSettings::kBinaryOr:
        return Fields::Binary;
    default:
        return Fields::None;
    }
}

std::string CTriggerTab::Unit() const
{
    if (settings_.trigger < 0 || settings_.trigger >= RecordingSettings::kSignalCount)
        return std::string();
    return settings_.signalDefs[static_cast<std::size_t>(settings_.trigger)].unit;
}

int CTriggerTab::Leave(IUserInterface& ui) const
{
    int shown = 0;
    const auto check = [&](bool parses, unsigned message) {
        if (parses)
            return;
        ui.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation, MessageText(message));
        ++shown;
    };
    const int signal = settings_.trigger;
    const auto forSignal = [signal](const std::string& text) {
        return RecordingSettings::ParsesForSignal(signal, text);
    };
    switch (ShownFields()) {
    case Fields::Level:
        check(forSignal(settings_.level), kMsgIllegalLevel);
        break;
    case Fields::Window:
        check(forSignal(settings_.minimum), kMsgIllegalMinimum);
        check(forSignal(settings_.maximum), kMsgIllegalMaximum);
        break;
    case Fields::Binary:
        check(forSignal(settings_.mask), kMsgIllegalMask);
        check(forSignal(settings_.value), kMsgIllegalValue);
        break;
    case Fields::None:
        break;
    }
    if (ShownFields() != Fields::None || !settings_.delay.empty())
        check(RecordingSettings::ParsesAsNumber(settings_.delay), kMsgIllegalDelay);
    if (!settings_.filter.empty())
        check(RecordingSettings::ParsesAsNumber(settings_.filter), kMsgIllegalFilter);
    return shown;
}

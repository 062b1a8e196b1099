// ProgressState.cpp - auto-close choice and button flags of a progress window.
#include "shell/ProgressState.h"

#include "settings/PlainText.h"
#include "settings/SettingsKeys.h"

#include <string>

CProgressState::CProgressState(ISettingsStore& store) : store_(store)
{
    using namespace SettingsKeys;
    autoClose_ = ovro::EqualsNoCase(store_.ReadString(kSettings, kProgressBox, kProgressBoxSettingsDefault),
                                    kProgressBoxAuto);
}

bool CProgressState::SetAutoClose(bool on)
{
    using namespace SettingsKeys;
    autoClose_ = on;
    return store_.WriteString(kSettings, kProgressBox, on ? kProgressBoxAuto : kProgressBoxUser);
}

void CProgressState::Finish(bool success)
{
    canFinish_ = true;
    if (success)
        finished_ = autoClose_;
}

void CProgressState::PressFinish()
{
    finished_ = true;
    cancelled_ = true;
}

void CProgressState::PressCancel()
{
    cancelled_ = true;
}

bool CProgressState::TakeFinished()
{
    const bool f = finished_;
    finished_ = false;
    return f;
}

bool CProgressState::TakeCancelled()
{
    const bool c = cancelled_;
    cancelled_ = false;
    return c;
}

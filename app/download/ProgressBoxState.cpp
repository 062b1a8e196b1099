#include "download/ProgressBoxState.h"

#include "settings/SettingsKeys.h"

#include <cctype>
#include <string>

namespace {

bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

CProgressBoxState::CProgressBoxState(ISettingsStore& store) : store_(store)
{
    using namespace SettingsKeys;
    autoClose_ = EqualsIgnoringCase(store_.ReadString(kDownload, kProgressBox, kProgressBoxDownloadDefault),
                                    kProgressBoxAuto);
}

bool CProgressBoxState::SetAutoClose(bool on)
{
    using namespace SettingsKeys;
    autoClose_ = on;
    return store_.WriteString(kDownload, kProgressBox, on ? kProgressBoxAuto : kProgressBoxUser);
}

bool CProgressBoxState::TakeCancel()
{
    const bool c = cancelled_;
    cancelled_ = false;
    return c;
}

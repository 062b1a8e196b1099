// RecentFileList.cpp - the recent-file list in the settings.
#include "shell/RecentFileList.h"

#include "settings/ISettingsStore.h"

#include <algorithm>

namespace {

std::string KeyOf(std::size_t i)
{
    return "File" + std::to_string(i + 1);
}

} // namespace

void CRecentFileList::Load()
{
    files_.clear();
    for (std::size_t i = 0; i < kSize; ++i) {
        const std::string path = store_.ReadString(kSection, KeyOf(i), "");
        if (!path.empty() && std::find(files_.begin(), files_.end(), path) == files_.end())
            files_.push_back(path);
    }
}

bool CRecentFileList::Add(const std::string& path)
{
    if (path.empty())
        return true;
    files_.erase(std::remove(files_.begin(), files_.end(), path), files_.end());
    files_.insert(files_.begin(), path);
    if (files_.size() > kSize)
        files_.resize(kSize);
    return Save();
}

bool CRecentFileList::Remove(const std::string& path)
{
    files_.erase(std::remove(files_.begin(), files_.end(), path), files_.end());
    return Save();
}

bool CRecentFileList::Save()
{
    bool ok = true;
    for (std::size_t i = 0; i < kSize; ++i)
        ok = store_.WriteString(kSection, KeyOf(i), i < files_.size() ? files_[i] : std::string()) && ok;
    return ok;
}

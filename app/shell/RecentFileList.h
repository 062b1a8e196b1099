// RecentFileList.h - the four most recently used documents, newest first,
// kept in the settings section "Recent File List" as "File1" ... "File4".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class ISettingsStore;

class CRecentFileList {
public:
    static constexpr std::size_t kSize = 4;
    static constexpr const char* kSection = "Recent File List";

    explicit CRecentFileList(ISettingsStore& store) : store_(store) {}

    // Reads the list (empty and unreadable entries are skipped).
    void Load();
    // Puts path in front (once) and writes the list; false when the
    // settings could not be written.
    bool Add(const std::string& path);
    // Drops an entry (a file that could not be opened) and writes the list.
    bool Remove(const std::string& path);

    const std::vector<std::string>& Files() const { return files_; }

private:
    bool Save();

    ISettingsStore& store_;
    std::vector<std::string> files_;
};

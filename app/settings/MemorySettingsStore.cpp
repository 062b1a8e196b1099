#include "settings/MemorySettingsStore.h"

#include <charconv>

std::string MemorySettingsStore::ReadString(const std::string& section, const std::string& key,
                                            const std::string& def) const
{
    const auto it = values_.find({section, key});
    return it == values_.end() ? def : it->second;
}

int MemorySettingsStore::ReadInt(const std::string& section, const std::string& key,
                                 int def) const
{
    const auto it = values_.find({section, key});
    if (it == values_.end())
        return def;
    const std::string& text = it->second;
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        return def;
    return value;
}

bool MemorySettingsStore::WriteString(const std::string& section, const std::string& key,
                                      const std::string& value)
{
    values_[{section, key}] = value;
    return true;
}

bool MemorySettingsStore::WriteInt(const std::string& section, const std::string& key, int value)
{
    return WriteString(section, key, std::to_string(value));
}

bool MemorySettingsStore::Contains(const std::string& section, const std::string& key) const
{
    return values_.count({section, key}) != 0;
}

void MemorySettingsStore::Remove(const std::string& section, const std::string& key)
{
    values_.erase({section, key});
}

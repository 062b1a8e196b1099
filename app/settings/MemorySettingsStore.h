// A settings store held in memory, for tests and for runs without a
// persistent store.
#pragma once

#include "settings/ISettingsStore.h"

#include <map>
#include <string>
#include <utility>

class MemorySettingsStore : public ISettingsStore {
public:
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const override;
    int ReadInt(const std::string& section, const std::string& key, int def) const override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool WriteInt(const std::string& section, const std::string& key, int value) override;

    bool Contains(const std::string& section, const std::string& key) const;
    void Remove(const std::string& section, const std::string& key);

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

// The per-user settings store: values grouped in sections, read and written
// by section and key. Integers are kept as their decimal text.
#pragma once

#include <string>

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;

    // The stored text, or def when the key is missing.
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& def) const = 0;
    // The stored integer, or def when the key is missing or holds no integer.
    virtual int ReadInt(const std::string& section, const std::string& key, int def) const = 0;

    // False when the value could not be stored.
    virtual bool WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    virtual bool WriteInt(const std::string& section, const std::string& key, int value) = 0;
};

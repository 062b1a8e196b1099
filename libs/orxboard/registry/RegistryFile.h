// RegistryFile - the contents of the hardware registry file: the default
// entry, the answer of the emulated selection dialog, and the numbered
// entries with their board type and variables. Parses and writes the text
// form; knows nothing of where the file lives.
//
//   [Registry]
//   Version=01,01,0,0
//   Default=11
//   Selection=
//
//   [Board11]
//   Type=0x01050F00
//   Name=Stick-U1 compact
//   DOWNLOAD=1
#ifndef ORXBOARD_REGISTRYFILE_H
#define ORXBOARD_REGISTRYFILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace orx {

struct RegistryVariable {
    std::string name;
    std::string value;
};

struct RegistryEntry {
    std::uint32_t number = 0;
    std::uint32_t type = 0;
    std::vector<RegistryVariable> variables;  // in file order, without Type
};

class RegistryFile {
public:
    // One entry per board type the master library supports, the USB stick
    // as the default.
    static RegistryFile defaults();

    // False with a reason (line number and what is wrong) for a text that
    // is no registry; the object is then unchanged.
    bool parse(const std::string& text, std::string* error);
    std::string format() const;

    const std::vector<RegistryEntry>& entries() const { return m_entries; }
    RegistryEntry* entry(std::uint32_t number);
    const RegistryEntry* entry(std::uint32_t number) const;
    // The first entry of a type (low byte ignored), or null.
    const RegistryEntry* findType(std::uint32_t type) const;

    // A new entry with the next free number and the default variables of
    // its type; returns its number.
    std::uint32_t addEntry(std::uint32_t type);
    bool removeEntry(std::uint32_t number);

    // Names compare without regard to case, as in the system registry.
    const std::string* variable(std::uint32_t number, const std::string& name) const;
    bool setVariable(std::uint32_t number, const std::string& name, const std::string& value);

    std::uint32_t defaultEntry() const { return m_default; }
    void setDefaultEntry(std::uint32_t number) { m_default = number; }
    const std::string& selection() const { return m_selection; }

    // A value that is a whole number (decimal, or hexadecimal after "0x")
    // of at most 32 bits reads as a DWORD.
    static bool asDword(const std::string& value, std::uint32_t& out);

private:
    std::vector<RegistryEntry> m_entries;
    std::uint32_t m_default = 0;
    std::string m_selection;
};

}  // namespace orx

#endif

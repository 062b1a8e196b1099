// RegistryAccess - the driver's view of the hardware registry: it loads
// liborx11reg.so (from the search path, else from its own folder) while an
// object lives, and reads the variables of the board's entry.
#ifndef ORXBOARD_REGISTRYACCESS_H
#define ORXBOARD_REGISTRYACCESS_H

#include <orxboard/orx11reg.h>

#include <cstdint>
#include <optional>
#include <string>

namespace orx {

class RegistryAccess {
public:
    RegistryAccess();
    ~RegistryAccess();
    RegistryAccess(const RegistryAccess&) = delete;
    RegistryAccess& operator=(const RegistryAccess&) = delete;

    bool loaded() const { return m_getVar != nullptr; }
    // The board type of an entry, or nothing.
    std::optional<std::uint32_t> boardType(std::uint32_t entry) const;
    // A variable as text (a DWORD in decimal), or nothing when it is missing.
    std::optional<std::string> text(std::uint32_t entry, const char* name) const;
    // The folder the registry file lives in, or "" when unknown.
    std::string folder() const;

private:
    void* m_library = nullptr;
    ORX_GetHwEntryVar_t m_getVar = nullptr;
    ORX_GetConfig_t m_getConfig = nullptr;
    ORX_GetOrxRegKey_t m_getKey = nullptr;
};

// Loads a library by file name, else from the folder of the library that
// holds `anchor`; null when neither works.
void* loadBeside(const char* file, const void* anchor);

}  // namespace orx

#endif

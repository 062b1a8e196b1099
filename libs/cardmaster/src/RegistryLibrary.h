// RegistryLibrary - the hardware registry liborx11reg.so, loaded on first
// use and kept while anyone holds a reference (every open board holds one),
// with the version check against "01,01,0,0" and the functions the master
// uses bound by name.
#ifndef CARDMASTER_REGISTRYLIBRARY_H
#define CARDMASTER_REGISTRYLIBRARY_H

#include <orxboard/orx11reg.h>

#include <cstdint>
#include <string>

namespace cardmaster {

class RegistryLibrary {
public:
    // A reference to the loaded registry, or null when it cannot be loaded,
    // lacks a function or serves another version.
    static RegistryLibrary* acquire();
    static void release();

    ORX_SelectHardware_t SelectHardware = nullptr;
    ORX_GetConfig_t GetConfig = nullptr;
    ORX_FindHwEntry_t FindHwEntry = nullptr;
    ORX_GetDefaultHwEntry_t GetDefaultHwEntry = nullptr;
    ORX_GetHwEntryVar_t GetHwEntryVar = nullptr;
    ORX_GetOrxRegKey_t GetOrxRegKey = nullptr;

    // The registry's location, the name of the boards this process shares.
    std::string key() const;
    // A DWORD variable: 1 found, 0 missing, -1 unreadable or no number.
    int dword(std::uint32_t entry, const char* name, std::uint32_t& value) const;

private:
    bool bind(void* library);

    void* m_library = nullptr;
};

}  // namespace cardmaster

#endif

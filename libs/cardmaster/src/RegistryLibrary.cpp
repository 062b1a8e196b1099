#include "RegistryLibrary.h"

#include "LibraryLoader.h"

#include <dlfcn.h>

#include <cstring>
#include <mutex>

namespace cardmaster {

namespace {

const char* const kFile = "liborx11reg.so";
const char* const kVersion = "01,01,0,0";

std::mutex g_registryMutex;
RegistryLibrary g_registry;
int g_references = 0;

template <class T>
bool symbol(void* library, const char* name, T& out)
{
    out = reinterpret_cast<T>(dlsym(library, name));
    return out != nullptr;
}

}  // namespace

bool RegistryLibrary::bind(void* library)
{
    ORX_GetProductVersion_t productVersion = nullptr;
    ORX_CheckProductVersion_t checkVersion = nullptr;
    if (!symbol(library, "ORX_GetProductVersion", productVersion) ||
        !symbol(library, "ORX_CheckProductVersion", checkVersion))
        return false;
    char version[32] = {};
    if (productVersion(version, sizeof version) != ORX_OK || checkVersion(kVersion) != ORX_OK)
        return false;
    return symbol(library, "ORX_SelectHardware", SelectHardware) && symbol(library, "ORX_GetConfig", GetConfig) &&
           symbol(library, "ORX_FindHwEntry", FindHwEntry) &&
           symbol(library, "ORX_GetDefaultHwEntry", GetDefaultHwEntry) &&
           symbol(library, "ORX_GetHwEntryVar", GetHwEntryVar) && symbol(library, "ORX_GetOrxRegKey", GetOrxRegKey);
}

RegistryLibrary* RegistryLibrary::acquire()
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (g_references == 0) {
        void* library = loadLibrary(kFile);
        if (!library)
            return nullptr;
        if (!g_registry.bind(library)) {
            dlclose(library);
            g_registry = RegistryLibrary();
            return nullptr;
        }
        g_registry.m_library = library;
    }
    ++g_references;
    return &g_registry;
}

void RegistryLibrary::release()
{
    std::lock_guard<std::mutex> lock(g_registryMutex);
    if (g_references == 0 || --g_references > 0)
        return;
    dlclose(g_registry.m_library);
    g_registry = RegistryLibrary();
}

std::string RegistryLibrary::key() const
{
    char text[4096];
    if (!GetOrxRegKey || GetOrxRegKey(text, sizeof text) != ORX_OK)
        return "";
    return text;
}

int RegistryLibrary::dword(std::uint32_t entry, const char* name, std::uint32_t& value) const
{
    char buffer[256];
    std::uint32_t kind = 0;
    std::uint32_t size = sizeof buffer;
    ORX_RESULT r = GetHwEntryVar(entry, name, &kind, buffer, &size);
    if (r == ORX_ERR_NOT_FOUND)
        return 0;
    if (r != ORX_OK || kind != ORX_VAR_DWORD)
        return -1;
    std::memcpy(&value, buffer, sizeof value);
    return 1;
}

}  // namespace cardmaster

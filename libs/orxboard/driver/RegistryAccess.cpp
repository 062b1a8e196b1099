#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include "RegistryAccess.h"

#include <dlfcn.h>

#include <string>

namespace orx {

void* loadBeside(const char* file, const void* anchor)
{
    void* h = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (h)
        return h;
    Dl_info info;
    if (!dladdr(anchor, &info) || !info.dli_fname)
        return nullptr;
    std::string path = info.dli_fname;
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return nullptr;
    path = path.substr(0, slash + 1) + file;
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

RegistryAccess::RegistryAccess()
{
    m_library = loadBeside("liborx11reg.so", reinterpret_cast<const void*>(&loadBeside));
    if (!m_library)
        return;
    m_getVar = reinterpret_cast<ORX_GetHwEntryVar_t>(dlsym(m_library, "ORX_GetHwEntryVar"));
    m_getConfig = reinterpret_cast<ORX_GetConfig_t>(dlsym(m_library, "ORX_GetConfig"));
    m_getKey = reinterpret_cast<ORX_GetOrxRegKey_t>(dlsym(m_library, "ORX_GetOrxRegKey"));
    if (!m_getVar || !m_getConfig || !m_getKey)
        m_getVar = nullptr;
}

RegistryAccess::~RegistryAccess()
{
    if (m_library)
        dlclose(m_library);
}

std::optional<std::uint32_t> RegistryAccess::boardType(std::uint32_t entry) const
{
    std::uint32_t type = 0;
    if (!loaded() || m_getConfig(entry, &type) != ORX_OK)
        return std::nullopt;
    return type;
}

std::optional<std::string> RegistryAccess::text(std::uint32_t entry, const char* name) const
{
    if (!loaded())
        return std::nullopt;
    char value[512];
    std::uint32_t kind = 0;
    std::uint32_t size = sizeof value;
    if (m_getVar(entry, name, &kind, value, &size) != ORX_OK)
        return std::nullopt;
    if (kind == ORX_VAR_DWORD) {
        std::uint32_t n = 0;
        __builtin_memcpy(&n, value, sizeof n);
        return std::to_string(n);
    }
    return std::string(value);
}

std::string RegistryAccess::folder() const
{
    if (!loaded())
        return "";
    char path[4096];
    if (m_getKey(path, sizeof path) != ORX_OK)
        return "";
    std::string p = path;
    std::size_t slash = p.rfind('/');
    return slash == std::string::npos ? "" : p.substr(0, slash);
}

}  // namespace orx

#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include "LibraryLoader.h"

#include <dlfcn.h>

#include <string>

namespace cardmaster {

void* loadLibrary(const char* file)
{
    void* h = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (h)
        return h;
    Dl_info info;
    if (!dladdr(reinterpret_cast<const void*>(&loadLibrary), &info) || !info.dli_fname)
        return nullptr;
    std::string path = info.dli_fname;
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return nullptr;
    return dlopen((path.substr(0, slash + 1) + file).c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace cardmaster

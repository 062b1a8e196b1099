#include "DriverLibrary.h"

#include "LibraryLoader.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace cardmaster {

namespace {

std::mutex g_driverMutex;
std::map<std::string, std::weak_ptr<DriverLibrary>> g_loaded;

}  // namespace

std::shared_ptr<DriverLibrary> DriverLibrary::acquire(const std::string& file)
{
    std::lock_guard<std::mutex> lock(g_driverMutex);
    if (auto existing = g_loaded[file].lock())
        return existing;
    void* module = loadLibrary(file.c_str());
    if (!module)
        return nullptr;
    std::shared_ptr<DriverLibrary> d(new DriverLibrary(file, module));
    d->CreateBspInstance = reinterpret_cast<KDI3_CreateBspInstance_t>(dlsym(module, "KDI3_CreateBspInstance"));
    d->GetBoardParameter = reinterpret_cast<KDI3_GetBoardParameter_t>(dlsym(module, "KDI3_GetBoardParameter"));
    d->CreateKdiInstance = reinterpret_cast<KDI3_CreateKdiInstance_t>(dlsym(module, "KDI3_CreateKdiInstance"));
    if (!d->CreateBspInstance || !d->GetBoardParameter || !d->CreateKdiInstance)
        return nullptr;  // the destructor unloads it
    g_loaded[file] = d;
    return d;
}

DriverLibrary::~DriverLibrary()
{
    if (m_module)
        dlclose(m_module);
}

}  // namespace cardmaster

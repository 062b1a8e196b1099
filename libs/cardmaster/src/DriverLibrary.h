// DriverLibrary - a board maker's driver library (libkdi_*.so) with its
// three entry points, loaded once per process and unloaded when the last
// board that uses it is released.
#ifndef CARDMASTER_DRIVERLIBRARY_H
#define CARDMASTER_DRIVERLIBRARY_H

#include <orxboard/kdi3.h>

#include <memory>
#include <string>

namespace cardmaster {

class DriverLibrary {
public:
    // The loaded library of that file, or null when it cannot be loaded or
    // lacks an entry point.
    static std::shared_ptr<DriverLibrary> acquire(const std::string& file);
    ~DriverLibrary();
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    const std::string& file() const { return m_file; }
    void* module() const { return m_module; }

    KDI3_CreateBspInstance_t CreateBspInstance = nullptr;
    KDI3_GetBoardParameter_t GetBoardParameter = nullptr;
    KDI3_CreateKdiInstance_t CreateKdiInstance = nullptr;

private:
    DriverLibrary(std::string file, void* module) : m_file(std::move(file)), m_module(module) {}

    std::string m_file;
    void* m_module;
};

}  // namespace cardmaster

#endif

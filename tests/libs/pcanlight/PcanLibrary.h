// PcanLibrary - a driver library loaded by path and bound by name, the way
// the software master does it.
#ifndef TESTS_PCANLIGHT_PCANLIBRARY_H
#define TESTS_PCANLIGHT_PCANLIBRARY_H

#include <pcanlight/pcan_light.h>

#include <dlfcn.h>

#include <string>

struct PcanLibrary {
    void* handle = nullptr;
    PCAN_InitPnp_t initPnp = nullptr;
    PCAN_InitHw_t initHw = nullptr;
    PCAN_Close_t close = nullptr;
    PCAN_Status_t status = nullptr;
    PCAN_Write_t write = nullptr;
    PCAN_Read_t read = nullptr;
    PCAN_VersionInfo_t versionInfo = nullptr;
    PCAN_ResetClient_t resetClient = nullptr;
    PCAN_WaitRead_t waitRead = nullptr;

    bool load(const char* path, const std::string& prefix, bool pnp)
    {
        handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return false;
        auto sym = [&](const char* name) { return dlsym(handle, (prefix + name).c_str()); };
        if (pnp)
            initPnp = reinterpret_cast<PCAN_InitPnp_t>(sym("Init"));
        else
            initHw = reinterpret_cast<PCAN_InitHw_t>(sym("Init"));
        close = reinterpret_cast<PCAN_Close_t>(sym("Close"));
        status = reinterpret_cast<PCAN_Status_t>(sym("Status"));
        write = reinterpret_cast<PCAN_Write_t>(sym("Write"));
        read = reinterpret_cast<PCAN_Read_t>(sym("Read"));
        versionInfo = reinterpret_cast<PCAN_VersionInfo_t>(sym("VersionInfo"));
        resetClient = reinterpret_cast<PCAN_ResetClient_t>(sym("ResetClient"));
        waitRead = reinterpret_cast<PCAN_WaitRead_t>(sym("WaitRead"));
        return (initPnp || initHw) && close && status && write && read && versionInfo &&
               resetClient && waitRead;
    }

    void unload()
    {
        if (handle) {
            close();
            dlclose(handle);
            handle = nullptr;
        }
    }
};

#endif

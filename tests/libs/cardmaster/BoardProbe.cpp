// cardmaster_probe TYPE [driver] - a second program on the same boards, for
// the tests: opens the board type through libcardmaster.so (or, with
// "driver", claims it through the driver library alone), prints
// "<result> <handle>" and holds the board until its input ends.
#include <cardmaster/cardmaster.h>
#include <orxboard/kdi3.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    std::uint32_t type = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 0));
    if (argc > 2 && std::strcmp(argv[2], "driver") == 0) {
        void* driver = dlopen(OVRO_BIN_DIR "/libkdi_usb.so", RTLD_NOW | RTLD_LOCAL);
        auto create = driver ? reinterpret_cast<KDI3_CreateBspInstance_t>(dlsym(driver, "KDI3_CreateBspInstance"))
                             : nullptr;
        KdiBsp* bsp = create ? create(type, 11) : nullptr;
        int r = bsp ? bsp->Open(bsp) : -1;
        std::printf("%d 0\n", r);
        std::fflush(stdout);
        char c;
        while (::read(0, &c, 1) > 0) {
        }
        if (bsp) {
            bsp->Close(bsp);
            bsp->Release(bsp);
        }
        return 0;
    }
    std::uint16_t handle = 0;
    std::uint32_t entry = 0;
    COP_CM_RESULT r = COP_InitBoard(&handle, &type, &entry);
    std::printf("%d %u\n", r, handle);
    std::fflush(stdout);
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    if (r == CM_OK)
        COP_ReleaseBoard(handle);
    return 0;
}

#include "BoardTypes.h"

namespace cardmaster {

namespace {

const BoardType kTypes[] = {
    {0x01010000u, "libkdi_dpram.so", 106}, {0x01020600u, "libkdi_dpram.so", 106},
    {0x01020800u, "libkdi_dpram.so", 106}, {0x01020900u, "libkdi_dpram.so", 106},
    {0x01021000u, "libkdi_dpram.so", 106}, {0x01010100u, "libkdi_dpram.so", 107},
    {0x01020700u, "libkdi_dpram.so", 107}, {0x01040300u, "libkdi_dpram.so", 107},
    {0x01021500u, "libkdi_pci.so", 105},   {0x01041200u, "libkdi_card.so", 101},
    {0x01050F00u, "libkdi_usb.so", 103},   {0x01051300u, "libkdi_usb.so", 102},
};

}  // namespace

const BoardType* findBoardType(std::uint32_t type)
{
    for (const BoardType& t : kTypes)
        if (t.type == type)
            return &t;
    return nullptr;
}

}  // namespace cardmaster

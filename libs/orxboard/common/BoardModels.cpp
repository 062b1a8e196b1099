#include "BoardModels.h"

namespace orx {

namespace {

const BoardModel kModels[] = {
    {0x01010000u, "Card-B1 (ISA)", Driver::Dpram, 106, 0x0203},
    {0x01020600u, "Card-B1/PCI", Driver::Dpram, 106, 0x0203},
    {0x01020800u, "Card-B2/PCI", Driver::Dpram, 106, 0x0301},
    {0x01020900u, "Card-B2/PCI-104", Driver::Dpram, 106, 0x0301},
    {0x01021000u, "Card-B2/cPCI", Driver::Dpram, 106, 0x0301},
    {0x01010100u, "Card-A1 (ISA)", Driver::Dpram, 107, 0x0110},
    {0x01020700u, "Card-A1/PCI", Driver::Dpram, 107, 0x0110},
    {0x01040300u, "Card-C1 (PCMCIA)", Driver::Dpram, 107, 0x0102},
    {0x01021500u, "Card-P2/PCI", Driver::Pci, 105, 0x0200},
    {0x01041200u, "Card-C2 (PC Card)", Driver::Card, 101, 0x0200},
    {0x01050F00u, "Stick-U1 compact", Driver::Usb, 103, 0x0105},
    {0x01051300u, "Stick-U2", Driver::Usb, 102, 0x0200},
    {0x01050A00u, "Stick-U1", Driver::None, 0, 0x0100},
};

}  // namespace

const BoardModel* BoardModels::all(std::size_t& count)
{
    count = sizeof kModels / sizeof kModels[0];
    return kModels;
}

const BoardModel* BoardModels::find(std::uint32_t type)
{
    for (const BoardModel& m : kModels)
        if (m.type == (type & 0xFFFFFF00u))
            return &m;
    return nullptr;
}

}  // namespace orx

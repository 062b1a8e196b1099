// commissioning_fuzzer: any bytes as a commissioning document, read into
// the description of data/Ovro-QVT.xml (loaded once). The first byte picks
// the wanted model (0, 1, 2) and whether everything is read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "description/Commissioning.h"
#include "document/CommissioningFile.h"
#include "FuzzFiles.h"

using namespace ovro;

namespace {

CCommissioning& Description()
{
    static CCommissioning* description = [] {
        auto* c = new CCommissioning;
        if (!c->LoadDescription(OVRO_DESCRIPTION_FILE)) {
            std::fprintf(stderr, "cannot load %s\n", OVRO_DESCRIPTION_FILE);
            std::abort();
        }
        return c;
    }();
    return *description;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    CCommissioning& c = Description();
    // Both devices back to their defaults, so that one input does not
    // depend on the ones before it.
    c.SelectDevice(CCommissioning::ModelH315);
    c.SelectDevice(CCommissioning::ModelK315);
    c.SelectDevice(CCommissioning::ModelNone);

    const int model = data[0] % 3;
    const bool everything = (data[0] & 0x80) != 0;
    const std::string path = WriteScratchFile("input.31x", data + 1, size - 1);
    if (CCommissioningFile::Read(c, path, model, everything)) {
        if (c.GetCurrentDevice() == nullptr)
            __builtin_trap();  // a document read makes its device current
        (void)CCommissioningFile::Format(*c.GetCurrentDevice(), true);
    }
    return 0;
}

// The ORX_ functions of liborx11reg.so over RegistryStore. Nothing is
// thrown across the boundary: any exception becomes ORX_ERR_IO.
#include "BoardModels.h"
#include "RegistryStore.h"

#include <orxboard/orx11reg.h>

#include <cstring>
#include <strings.h>

#define ORX_EXPORT extern "C" __attribute__((visibility("default")))

using orx::RegistryFile;
using orx::RegistryStore;

namespace {

template <class F>
ORX_RESULT guarded(F f) noexcept
{
    try {
        return f();
    } catch (...) {
        return ORX_ERR_IO;
    }
}

ORX_RESULT copyText(const std::string& text, char* out, uint32_t size)
{
    if (!out)
        return ORX_ERR_PARAMETER;
    if (text.size() + 1 > size)
        return ORX_ERR_SIZE;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return ORX_OK;
}

// Runs `read` on the registry as the file holds it now; a null `out`
// (the caller's result) gives ORX_ERR_PARAMETER.
ORX_RESULT reading(const void* out, const std::function<ORX_RESULT(const RegistryFile&)>& read)
{
    if (!out)
        return ORX_ERR_PARAMETER;
    return guarded([&] {
        RegistryFile file;
        ORX_RESULT r = RegistryStore::load(file);
        return r != ORX_OK ? r : read(file);
    });
}

// Runs `change` on the registry and writes it back when it succeeds.
ORX_RESULT changing(const std::function<ORX_RESULT(RegistryFile&)>& change)
{
    return guarded([&] { return RegistryStore::update(change); });
}

// Copies a variable's value of `need` bytes; *size becomes `need`.
ORX_RESULT copyValue(const void* from, uint32_t need, void* value, uint32_t* size)
{
    uint32_t have = *size;
    *size = need;
    if (have < need)
        return ORX_ERR_SIZE;
    std::memcpy(value, from, need);
    return ORX_OK;
}

}  // namespace

ORX_EXPORT ORX_RESULT ORX_GetProductVersion(char* text, uint32_t size)
{
    return guarded([&] { return copyText(ORX_PRODUCT_VERSION, text, size); });
}

ORX_EXPORT ORX_RESULT ORX_CheckProductVersion(const char* version)
{
    if (!version)
        return ORX_ERR_PARAMETER;
    return std::strcmp(version, ORX_PRODUCT_VERSION) == 0 ? ORX_OK : ORX_ERR_VERSION;
}

ORX_EXPORT ORX_RESULT ORX_SelectHardware(uint32_t* entry)
{
    return reading(entry, [&](const RegistryFile& file) -> ORX_RESULT {
        const std::string& answer = file.selection();
        if (strcasecmp(answer.c_str(), "cancel") == 0)
            return ORX_ERR_CANCELLED;
        uint32_t chosen = 0;
        if (!answer.empty() && !RegistryFile::asDword(answer, chosen))
            return ORX_ERR_FORMAT;
        if (chosen == 0)
            chosen = file.defaultEntry();
        if (chosen == 0 && !file.entries().empty())
            chosen = file.entries().front().number;
        if (chosen == 0 || !file.entry(chosen))
            return ORX_ERR_NOT_FOUND;
        *entry = chosen;
        return ORX_OK;
    });
}

ORX_EXPORT ORX_RESULT ORX_CreateNewHwEntry(uint32_t boardType, uint32_t* entry)
{
    if (!entry || (boardType & 0xFFFFFF00u) == 0)
        return ORX_ERR_PARAMETER;
    return changing([&](RegistryFile& file) {
        *entry = file.addEntry(boardType);
        return ORX_OK;
    });
}

ORX_EXPORT ORX_RESULT ORX_InstallHardware(uint32_t boardType, uint32_t* entry)
{
    if (!orx::BoardModels::find(boardType))
        return ORX_ERR_NOT_FOUND;
    return ORX_CreateNewHwEntry(boardType, entry);
}

ORX_EXPORT ORX_RESULT ORX_DeleteHwEntry(uint32_t entry)
{
    return changing([&](RegistryFile& file) { return file.removeEntry(entry) ? ORX_OK : ORX_ERR_NOT_FOUND; });
}

ORX_EXPORT ORX_RESULT ORX_GetConfig(uint32_t entry, uint32_t* boardType)
{
    return reading(boardType, [&](const RegistryFile& file) {
        const orx::RegistryEntry* e = file.entry(entry);
        if (!e)
        return ORX_ERR_NOT_FOUND;
        *boardType = e->type;
        return ORX_OK;
    });
}

ORX_EXPORT ORX_RESULT ORX_ScanHardware(uint32_t* count)
{
    return reading(count, [&](const RegistryFile& file) {
        *count = static_cast<uint32_t>(file.entries().size());
        return ORX_OK;
    });
}

ORX_EXPORT ORX_RESULT ORX_GetOrxRegKey(char* text, uint32_t size)
{
    return guarded([&] { return copyText(RegistryStore::path(), text, size); });
}

ORX_EXPORT ORX_RESULT ORX_GetRegKeyFromHwEntry(uint32_t entry, char* text, uint32_t size)
{
    return reading(text, [&](const RegistryFile& file) {
        if (!file.entry(entry))
        return ORX_ERR_NOT_FOUND;
        return copyText(RegistryStore::path() + "#Board" + std::to_string(entry), text, size);
    });
}

ORX_EXPORT ORX_RESULT ORX_FindHwEntry(uint32_t boardType, uint32_t* entry)
{
    return reading(entry, [&](const RegistryFile& file) {
        const orx::RegistryEntry* e = file.findType(boardType);
        if (!e)
        return ORX_ERR_NOT_FOUND;
        *entry = e->number;
        return ORX_OK;
    });
}

ORX_EXPORT ORX_RESULT ORX_EnumHwEntry(uint32_t index, uint32_t* entry)
{
    return reading(entry, [&](const RegistryFile& file) {
        if (index >= file.entries().size())
        return ORX_ERR_NO_MORE;
        *entry = file.entries()[index].number;
        return ORX_OK;
    });
}

ORX_EXPORT ORX_RESULT ORX_GetHwEntryVar(uint32_t entry, const char* name, uint32_t* kind, void* value,
                                        uint32_t* size)
{
    if (!name || !kind || !size)
        return ORX_ERR_PARAMETER;
    return reading(value, [&](const RegistryFile& file) {
        const orx::RegistryEntry* e = file.entry(entry);
        if (!e)
            return ORX_ERR_NOT_FOUND;
        std::string text;
        if (strcasecmp(name, "Type") == 0) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", e->type);
            text = hex;
        } else {
            const std::string* v = file.variable(entry, name);
            if (!v)
                return ORX_ERR_NOT_FOUND;
            text = *v;
        }
        uint32_t number = 0;
        if (RegistryFile::asDword(text, number)) {
            *kind = ORX_VAR_DWORD;
            return copyValue(&number, sizeof number, value, size);
        }
        *kind = ORX_VAR_STRING;
        return copyValue(text.c_str(), static_cast<uint32_t>(text.size() + 1), value, size);
    });
}

ORX_EXPORT ORX_RESULT ORX_SetHwEntryVarString(uint32_t entry, const char* name, const char* value)
{
    if (!name || !*name || !value || std::strpbrk(name, "=[]\n") || std::strchr(value, '\n'))
        return ORX_ERR_PARAMETER;
    if (strcasecmp(name, "Type") == 0)
        return ORX_ERR_PARAMETER;
    return changing([&](RegistryFile& file) {
        return file.setVariable(entry, name, value) ? ORX_OK : ORX_ERR_NOT_FOUND;
    });
}

ORX_EXPORT ORX_RESULT ORX_SetHwEntryVarDWORD(uint32_t entry, const char* name, uint32_t value)
{
    return ORX_SetHwEntryVarString(entry, name, std::to_string(value).c_str());
}

ORX_EXPORT ORX_RESULT ORX_SetDefaultHwEntry(uint32_t entry)
{
    return changing([&](RegistryFile& file) {
        if (!file.entry(entry))
            return ORX_ERR_NOT_FOUND;
        file.setDefaultEntry(entry);
        return ORX_OK;
    });
}

ORX_EXPORT ORX_RESULT ORX_GetDefaultHwEntry(uint32_t* entry)
{
    return reading(entry, [&](const RegistryFile& file) {
        if (file.defaultEntry() == 0 || !file.entry(file.defaultEntry()))
        return ORX_ERR_NOT_FOUND;
        *entry = file.defaultEntry();
        return ORX_OK;
    });
}

ORX_EXPORT ORX_RESULT ORX_GetNewCardType(uint32_t boardType, uint32_t* newType)
{
    if (!newType)
        return ORX_ERR_PARAMETER;
    const orx::BoardModel* model = orx::BoardModels::find(boardType);
    if (!model)
        return ORX_ERR_NOT_FOUND;
    *newType = model->type;
    return ORX_OK;
}

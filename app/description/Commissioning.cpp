#include "description/Commissioning.h"

#include "description/QVTReader.h"

#include "canopen/CANopenErrorText.h"

namespace ovro {

CCommissioning::CCommissioning()
{
    deviceH315.typeName = "(unknown)";
    deviceK315.typeName = "(unknown)";
}

CCommissioning& CCommissioning::Instance()
{
    static CCommissioning instance;
    return instance;
}

std::string CCommissioning::ModelName(int model)
{
    switch (model) {
    case ModelH315:
        return "Ovro H315";
    case ModelK315:
        return "Ovro K315";
    default:
        return "(unknown)";
    }
}

int CCommissioning::ModelCode(const std::string& name)
{
    if (name == ModelName(ModelH315))
        return ModelH315;
    if (name == ModelName(ModelK315))
        return ModelK315;
    return ModelNone;
}

bool CCommissioning::LoadDescription(const std::string& fileName)
{
    CQVTReader reader(deviceH315, deviceK315, boards, errors);
    return reader.Read(fileName);
}

CQVTDevice* CCommissioning::GetDevice(int model)
{
    switch (model) {
    case ModelH315:
        return &deviceH315;
    case ModelK315:
        return &deviceK315;
    default:
        return nullptr;
    }
}

CQVTDevice* CCommissioning::SelectDevice(int model)
{
    if (currentDevice != nullptr)
        currentDevice->Reset();
    CQVTDevice* device = MakeCurrent(model);
    if (device != nullptr)
        device->Reset();  // a newly selected device starts from its initial state
    return device;
}

CQVTDevice* CCommissioning::MakeCurrent(int model)
{
    currentDevice = GetDevice(model);
    currentModel = currentDevice != nullptr ? model : ModelNone;
    return currentDevice;
}

void CCommissioning::ResetDevice()
{
    if (currentDevice != nullptr)
        currentDevice->Reset();
    currentDevice = nullptr;
    currentModel = ModelNone;
}

std::string CCommissioning::GetErrorText(std::int32_t code) const
{
    for (const CQVTEnumerator& e : errors)
        if (e.value == code)
            return CCANopenErrorText::Compose(code, &e.text);
    return CCANopenErrorText::Compose(code, nullptr);
}

}  // namespace ovro

namespace ovro {

std::map<std::int32_t, std::string> CCommissioning::ErrorList() const
{
    std::map<std::int32_t, std::string> list;
    for (const CQVTEnumerator& e : errors)
        list.emplace(e.value, e.text);  // emplace keeps the first
    return list;
}

}  // namespace ovro

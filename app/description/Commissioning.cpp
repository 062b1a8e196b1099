#include "Commissioning.h"

#include <cstring>
#include <locale.h>

#include "QVTReader.h"

namespace ovro {

namespace {

constexpr std::int32_t kSystemErrorBase = -10000;
constexpr std::size_t kMaxErrorText = 1023;

std::string SystemErrorText(int error)
{
    // The system's message in US English where the C library has it.
    std::string text;
    locale_t english = newlocale(LC_MESSAGES_MASK, "C", static_cast<locale_t>(nullptr));
    if (english != static_cast<locale_t>(nullptr)) {
        text = strerror_l(error, english);
        freelocale(english);
    } else {
        text = std::strerror(error);
    }
    return text;
}

}  // namespace

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
    std::string text;
    bool found = false;
    // -10000 itself carries no system error number (errno 0 would read
    // "Success"); it takes its text from the error list like other codes.
    if (code < kSystemErrorBase) {
        const std::int64_t error = static_cast<std::int64_t>(kSystemErrorBase) - code;
        text = SystemErrorText(static_cast<int>(error));
        found = true;
    } else {
        for (const CQVTEnumerator& e : errors) {
            if (e.value == code) {
                text = e.text;
                found = true;
                break;
            }
        }
    }
    if (!found)
        text = "Resistance is futile, prepare to assimilate!";
    if (text.size() > kMaxErrorText)
        text.resize(kMaxErrorText);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

}  // namespace ovro

// CCommissioning: the device-description model of the whole run (both drive
// models, the interface boards, the texts of the master library's error
// codes) and the choice of the current device, whose working state the
// commissioning document saves (see CCommissioningFile in app/document).
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "description/QVTBoard.h"
#include "description/QVTDevice.h"
#include "description/QVTEnumerator.h"

namespace ovro {

class CCommissioning {
public:
    enum Model { ModelNone = 0, ModelH315 = 1, ModelK315 = 2 };

    CCommissioning();
    CCommissioning(const CCommissioning&) = delete;
    CCommissioning& operator=(const CCommissioning&) = delete;

    // The program's one description object.
    static CCommissioning& Instance();

    // "Ovro H315" for 1, "Ovro K315" for 2, "(unknown)" otherwise.
    static std::string ModelName(int model);
    // 1 or 2 for the exact model names, 0 otherwise.
    static int ModelCode(const std::string& name);

    bool LoadDescription(const std::string& fileName);
    // Resets the current device, then makes the device of model 1 or 2
    // current, also reset; any other code selects none.
    CQVTDevice* SelectDevice(int model);
    void ResetDevice();
    // Makes the device of model 1 or 2 current without resetting it.
    CQVTDevice* MakeCurrent(int model);

    CQVTDevice* GetDevice(int model);
    CQVTDevice* GetCurrentDevice() const { return currentDevice; }
    int GetCurrentModel() const { return currentModel; }

    // Text of a COP error code: the system's message for codes below -10000
    // (errno = -10000 - code), else the first text of the description's
    // error list, else "Resistance is futile, prepare to assimilate!".
    // At most 1023 characters, one trailing line feed removed.
    std::string GetErrorText(std::int32_t code) const;
    // The error list by code, the first text of a code counting, as the
    // master's own lookup takes it: both lookups then give one text.
    std::map<std::int32_t, std::string> ErrorList() const;

    int currentModel = ModelNone;
    CQVTDevice deviceK315;
    CQVTDevice deviceH315;
    CQVTDevice* currentDevice = nullptr;
    std::deque<CQVTBoard> boards;
    std::deque<CQVTEnumerator> errors;
};

}  // namespace ovro

// CHomingMode: the logic of the homing page (CWndHomingMode) - the list of
// homing methods of the device description, the "Assign Position:" field
// and when each is enabled, and Start: a homing run, or for method -1 the
// position assignment, which needs no enable sequence.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "operation/MotionPage.h"

namespace ovro {

class CHomingMode : public CMotionPage {
public:
    static constexpr std::int8_t kPositionAssignment = -1;

    struct Method {
        std::int8_t method;
        std::string text;  // "%i - %s"
    };

    struct Fields {
        int selection = 0;              // entry of the method list
        std::int32_t assignPosition = 0; // "Assign Position:", inc
        std::int8_t method = -1;        // the method when the page opened
        std::uint8_t homingList = 0;    // 0x6510:0A; 1: the method list applies
        std::int8_t mode = 0;           // the mode last read
    };

    CHomingMode(IDriveDocument& doc, IUserInterface& ui);

    // Page opening: the list filled, values from MotionMemory, the parameter
    // table or the drive, the entry of the current method selected.
    void Open();
    const std::vector<Method>& Methods() const { return methods_; }
    Fields& Values() { return fields_; }
    const Fields& Values() const { return fields_; }

    // The method of the selected entry (-1 when the list is empty).
    std::int8_t SelectedMethod() const;
    bool ListEnabled() const { return fields_.homingList == 1; }
    // The "Assign Position" field: with the method list only for method -1.
    bool AssignEnabled() const;

    bool Start();
    // Quick stop (controlword 2), result ignored.
    void Stop();

private:
    std::vector<Method> methods_;
    Fields fields_;
};

} // namespace ovro

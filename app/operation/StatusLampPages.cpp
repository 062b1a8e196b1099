#include "operation/StatusLampPages.h"

#include "description/ActualValues.h"

namespace ovro {

namespace {

const LampPage kPages[CStatusLampPages::kCount] = {
    {"CWndStatusword",
     "Statusword",
     "",
     {"Bit 15: Manufacturer specific", "Bit 14: Manufacturer specific", "Bit 13: Operation mode specific",
      "Bit 12: Operation mode specific", "Bit 11: Internal limit active", "Bit 10: Target reached",
      "Bit 9: Remote", "Bit 8: Manufacturer specific", "Bit 7: Warning", "Bit 6: Switched on disabled",
      "Bit 5: Quick stop", "Bit 4: Voltage enabled", "Bit 3: Fault", "Bit 2: Operation enabled",
      "Bit 1: Switch on", "Bit 0: Ready to switch on"},
     LampPage::Source::Statusword},
    {"CWndStatusregisterHigh",
     "Statusregister...",
     "High Word  (Bit 31 - 16)",
     {"Bit 31: Malfunction/error", "Bit 30: Warning", "Bit 29: Emergency-stop active",
      "Bit 28: Safe-standstill active", "Bit 27: (don\xB4t care)", "Bit 26: Motor turning",
      "Bit 25: Position approached", "Bit 24: Drive referenced", "Bit 23: External torque (only K315)",
      "Bit 22: Power amplifier excess temperature", "Bit 21: Continuous motor current exceeded",
      "Bit 20: Block movement", "Bit 19: Current limitation", "Bit 18: Speed variation",
      "Bit 17: Motor start-up error", "Bit 16: Unexpected Hall sensor combination"},
     LampPage::Source::StatusRegisterHigh},
    {"CWndStatusregisterLow",
     "...Statusregister",
     "Low Word  (Bit 15 - 0)",
     {"Bit 15: RAM error (only H315)", "Bit 14: ROM error (only H315)", "Bit 13: EEPROM error",
      "Bit 12: Internal system error", "Bit 11: Class A hardware trap", "Bit 10: Class B hardware trap",
      "Bit 9: Watchdog timer reset", "Bit 8: Oscillator watchdog", "Bit 7: Power supply under-voltage",
      "Bit 6: Power supply over-voltage", "Bit 5: DC link circuit under-voltage",
      "Bit 4: DC link circuit over-voltage", "Bit 3: Power amplifier low-voltage",
      "Bit 2: Emergency-stop circuit error", "Bit 1: Configuration data loss",
      "Bit 0: Configuration parameter loss"},
     LampPage::Source::StatusRegisterLow},
    {"CWndDigitalInputsHigh",
     "Digital Inputs...",
     "High Word  (Bit 31 - 16)",
     {"Bit 31: (n/a)", "Bit 30: (n/a)", "Bit 29: Safe-standstill signal GUARD-2",
      "Bit 28: Safe-standstill signal GUARD-1", "Bit 27: Emergency-stop signal ESTOP", "Bit 26: Hall sensor W",
      "Bit 25: Hall sensor V", "Bit 24: Hall sensor U", "Bit 23: Hall sensor ABS-2 (K315, if equiped)",
      "Bit 22: Hall sensor ABS-1 (K315, if equiped)", "Bit 21: Encoder signal B (K315, if equiped)",
      "Bit 20: Encoder signal A (K315, if equiped)", "Bit 19: (n/a)", "Bit 18: (n/a)",
      "Bit 17: Input signal MAN-P (Standard interface)", "Bit 16: Input signal MAN-N (Standard interface)"},
     LampPage::Source::InputsHigh},
    {"CWndDigitalInputsLow",
     "...Digital Inputs",
     "Low Word  (Bit 15 - 0)",
     {"Bit 15: (n/a)", "Bit 14: (n/a)", "Bit 13: (n/a)", "Bit 12: (n/a)", "Bit 11: (n/a)", "Bit 10: (n/a)",
      "Bit 9: (n/a)", "Bit 8: (n/a)", "Bit 7: (n/a)", "Bit 6: (n/a)", "Bit 5: (n/a)", "Bit 4: (n/a)",
      "Bit 3: (n/a)", "Bit 2: Home switch REF (Sensor interface)", "Bit 1: Limit switch LIM-P (Sensor interface)",
      "Bit 0: Limit switch LIM-N (Sensor interface)"},
     LampPage::Source::InputsLow},
};

} // namespace

std::uint16_t LampPage::Bits(const ActualValues& a) const
{
    switch (source) {
    case Source::Statusword: return a.statusword;
    case Source::StatusRegisterHigh: return static_cast<std::uint16_t>(a.statusRegister >> 16);
    case Source::StatusRegisterLow: return static_cast<std::uint16_t>(a.statusRegister & 0xFFFFu);
    case Source::InputsHigh: return static_cast<std::uint16_t>(a.digitalInputs >> 16);
    case Source::InputsLow: return static_cast<std::uint16_t>(a.digitalInputs & 0xFFFFu);
    }
    return 0;
}

const LampPage& CStatusLampPages::Page(int index)
{
    if (index < 0 || index >= kCount)
        index = 0;
    return kPages[index];
}

} // namespace ovro

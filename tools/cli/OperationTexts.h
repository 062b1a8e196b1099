// The messages of ovro-qvt-cli's operation commands that the windows have
// no text for: what a button or a window would not let the user do.
// Latin-1, laid out like the program's message texts.
#pragma once

namespace OperationTexts {

// Time in ms, node-id, statusword.
inline constexpr const char* kTargetNotReached =
    "ERROR:\tthe drive did not reach its target within %lu ms!\n\n\tNode #%u: statusword %04Xh.";
// Node-id, the drive's method.
inline constexpr const char* kHomingListDisabled =
    "ERROR:\tthe homing-method list of node #%u is disabled (6510/0A = 0)!\n\n\tThe drive's method is %i.";
// Node-id, statusword, status register.
inline constexpr const char* kFaultRemains =
    "ERROR:\tthe fault of node #%u was not reset!\n\n\tStatusword %04Xh, status register %08lXh.";

} // namespace OperationTexts

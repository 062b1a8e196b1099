// CFaultReset: "Reset Fault" of the Motion Control and Device Status
// windows - the fault reset controlword, the statusword and status register
// read back into ActualValues, and the error history cleared once the
// fault is gone. Nothing is reported.
#pragma once

namespace ovro {

class IDriveDocument;

class CFaultReset {
public:
    // True when the fault is gone and the error history cleared: the
    // window then disables "Reset Fault".
    static bool Run(IDriveDocument& doc);
};

} // namespace ovro

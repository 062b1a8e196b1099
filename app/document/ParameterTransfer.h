// CParameterTransfer: reads one parameter from the drive or writes it to
// the drive through its node object (SDO), as Upload and Download do.
#pragma once

#include <cstdint>

#include "description/QVTParameter.h"

class CCANopenNode;

namespace ovro {

class CParameterTransfer {
public:
    enum Result {
        Done,       // read, or written; changed is cleared
        Confirmed,  // the write was aborted, but the drive holds the value: changed cleared
        Refused,    // the drive aborted the transfer (COP error 4): the parameter is kept
        Failed,     // any other error (in the node's LastError): the transfer must stop
    };

    // Reads the parameter's object into its value and clears changed.
    static Result Read(CQVTParameter& parameter, CCANopenNode& node);

    // Writes the value with its SDO size. After an abort the object is read
    // back and compared; writeAbort (when given) receives the abort code of
    // the write itself, which the read-back clears in the node. The caller
    // decides which parameters to write (accessible not 0, changed set).
    static Result Write(CQVTParameter& parameter, CCANopenNode& node,
                        std::uint32_t* writeAbort = nullptr);
};

}  // namespace ovro

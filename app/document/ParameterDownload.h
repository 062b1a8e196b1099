// CParameterDownload: writes every changed transferable parameter of a
// device to its drive, in description order, logging each one. Before a
// parameter the drive is switched to the mode of operation the parameter
// needs (its accessible value), once per run of equal modes.
#pragma once

#include <cstdint>

#include "ui/UserInterface.h"

class CCANopenNode;

namespace ovro {

class CQVTDevice;

class CParameterDownload {
public:
    struct Outcome {
        int attempted = 0;     // parameters written or tried
        bool failed = false;   // a parameter was refused and the drive holds another value
        bool stopped = false;  // an error other than an abort ended the download
    };

    // After a stop the node's LastError holds the error.
    static Outcome Run(CQVTDevice& device, CCANopenNode& node, IProgress& progress);
};

}  // namespace ovro

// CCommissioningFile: writes the current device of CCommissioning as a
// commissioning document (".31x": identity, node settings, every parameter
// value, the motion pages, the device status and the oscilloscope profile)
// and reads such a document back, key by key, with the profile-file rules.
#pragma once

#include <functional>
#include <string>

#include "description/Commissioning.h"

namespace ovro {

class CCommissioningFile {
public:
    // Appends further sections (the oscilloscope's recording) to the text of
    // the document before it is written; false cancels the write.
    using ExtraSections = std::function<bool(std::string& text)>;

    // Writes the current device; everything = false leaves out the sections
    // and parameters that are not transferable. The old file is replaced
    // only once the new one is complete. False when there is no current
    // device or the file cannot be written.
    static bool Write(CCommissioning& commissioning, const std::string& path, bool everything,
                      const ExtraSections& extra = ExtraSections());

    // The text that Write puts into the file (without extra sections).
    static std::string Format(const CQVTDevice& device, bool everything);

    // Reads a document into the device of its model, which becomes current
    // (without a reset). model 0 takes the model from the file, 1 or 2
    // demands it. everything = false reads only transferable parameters and
    // leaves the motion, status and oscilloscope records alone. False when
    // the file, its Type entry or the wanted model is missing.
    static bool Read(CCommissioning& commissioning, const std::string& path, int model,
                     bool everything);
};

}  // namespace ovro

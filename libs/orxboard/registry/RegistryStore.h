// RegistryStore - where the registry file lives and how it is read and
// changed: $XDG_CONFIG_HOME/Orvax/Orx11reg.conf, else the same under
// ~/.config. A missing file is created with the defaults; a change takes
// an exclusive lock on "<file>.lock", reads the file again, changes it and
// replaces it whole (write to a temporary file, then rename), so that
// processes that share the registry never see half a file. A malformed
// file is reported and never overwritten.
#ifndef ORXBOARD_REGISTRYSTORE_H
#define ORXBOARD_REGISTRYSTORE_H

#include "RegistryFile.h"

#include <orxboard/orx11reg.h>

#include <functional>
#include <string>

namespace orx {

class RegistryStore {
public:
    // The user's configuration folder, without a trailing slash.
    static std::string configFolder();
    // The registry file.
    static std::string path();

    // The registry as it is now (created with the defaults when missing;
    // where it cannot be written the defaults are used as they are).
    static ORX_RESULT load(RegistryFile& file);
    // Applies `change` under the lock and writes the result, unless change
    // returns anything but ORX_OK.
    static ORX_RESULT update(const std::function<ORX_RESULT(RegistryFile&)>& change);
};

}  // namespace orx

#endif

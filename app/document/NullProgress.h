// CNullProgress: a progress log that shows nothing, for when the window
// cannot be created; the operation runs to its end and is never cancelled.
#pragma once

#include "ui/UserInterface.h"

namespace ovro {

class CNullProgress : public IProgress {
public:
    void AddText(const std::string&, std::int32_t) override {}
    void Finish(bool) override {}
    bool Finished() override { return true; }
    bool Cancelled() override { return false; }
};

}  // namespace ovro

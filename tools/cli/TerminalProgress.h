// CTerminalProgress: a progress window on the terminal. As a log (the
// download) its texts are written as they come, the caller's line breaks
// included; as a status line (the node search) each text is a line of its
// own. Nobody can press Cancel, and a finished operation is over at once.
#pragma once

#include <ostream>
#include <string>

#include "ui/Progress.h"

class CTerminalProgress : public IProgress {
public:
    enum class Kind { Log, StatusLine };

    // idleText: shown by a status line for an empty text.
    CTerminalProgress(std::ostream& out, Kind kind, std::string idleText = std::string());
    ~CTerminalProgress() override;

    void AddText(const std::string& text, std::int32_t step) override;
    void Finish(bool success) override;
    bool Finished() override;
    bool Cancelled() override { return false; }

    std::int32_t Position() const { return position_; }

private:
    void EndLine();

    std::ostream& out_;
    Kind kind_;
    std::string idleText_;
    std::int32_t position_ = 0;
    bool finished_ = false;
    bool lineOpen_ = false;
};

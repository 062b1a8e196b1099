// IStatusTextSink: the main frame's status bar as the document sees it: the
// connection pane and the prompt pane.
#pragma once

#include <string>

namespace ovro {

class IStatusTextSink {
public:
    virtual ~IStatusTextSink() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    // Puts the main frame's default text back.
    virtual void SetDefaultStatusText() = 0;
    // The prompt pane: what a command has done, where no message says it.
    virtual void SetPromptText(const std::string& /*text*/) {}
};

}  // namespace ovro

// Progress.h - the progress log of a long operation, as the program's
// logic sees it.
#pragma once

#include <cstdint>
#include <string>

// A progress log with Cancel for a long operation in the user-interface
// thread. Every call lets pending window messages through.
class IProgress {
public:
    virtual ~IProgress() = default;
    // Advances the position by step and appends text to the log (the caller
    // supplies the line breaks, "\r\n").
    virtual void AddText(const std::string& text, std::int32_t step) = 0;
    // The operation has ended; with success the window may close by itself.
    virtual void Finish(bool success) = 0;
    // Each returns its flag and clears it.
    virtual bool Finished() = 0;
    virtual bool Cancelled() = 0;
};

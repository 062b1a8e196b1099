// IDriveDocument: what the motion and status windows see of a document -
// its node (null while offline), its device record with the parameter
// table, MotionMemory and the ActualValues of the status poll, and its
// flags, and its busy mark. CDocumentDrive serves it for the program's
// document, which the terminal program uses too.
#pragma once

#include <cstdint>
#include <string>

class CCANopenNode;

namespace ovro {

class CQVTDevice;

class IDriveDocument {
public:
    virtual ~IDriveDocument() = default;

    // The connected node, or null.
    virtual CCANopenNode* Node() const = 0;
    // The device record, or null.
    virtual CQVTDevice* Device() const = 0;
    // The document is set up and its record may be shown.
    virtual bool IsReady() const = 0;
    // The document has no connected drive.
    virtual bool IsOffline() const = 0;
    // The status poll's last tick met a failed read.
    virtual bool PollFailed() const = 0;
    // The poll has read the whole error history.
    virtual bool ErrorHistoryValid() const = 0;
    // Model code: 1 Ovro H315, 2 Ovro K315.
    virtual int Model() const = 0;
    // The master's text of a COP error code.
    virtual std::string ErrorText(std::int32_t code) const = 0;

    // A command runs on the document - one of its own or of a drive window.
    // Meanwhile its message boxes let window messages through, but nothing
    // closes the document, disconnects it or opens another interface.
    virtual bool IsBusy() const = 0;
    // The marks of CommandScope; they nest.
    virtual void BeginCommand() = 0;
    virtual void EndCommand() = 0;

    // One command of a drive window for the life of the object. A start
    // (Start, Reset Fault, Clear List, a jog) does not begin while another
    // command runs: Entered() is false and the command does nothing. A stop
    // is never refused; it runs inside whatever else runs.
    class CommandScope {
    public:
        enum class Kind { Start, Stop };
        CommandScope(IDriveDocument& doc, Kind kind) : doc_(doc), entered_(kind == Kind::Stop || !doc.IsBusy())
        {
            if (entered_)
                doc_.BeginCommand();
        }
        ~CommandScope()
        {
            if (entered_)
                doc_.EndCommand();
        }
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;
        bool Entered() const { return entered_; }

    private:
        IDriveDocument& doc_;
        bool entered_;
    };
};

} // namespace ovro

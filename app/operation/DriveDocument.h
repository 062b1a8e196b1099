// IDriveDocument: what the motion and status windows see of a document -
// its node (null while offline), its device record with the parameter
// table, MotionMemory and the ActualValues of the status poll, and its
// flags. CDocumentDrive serves it for the program's document; the terminal
// program has one of its own.
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

    // A command or transfer runs on the document: the windows' own or one
    // of the document's. While it does, a command that starts something is
    // refused, and closing the windows, disconnecting or initialising the
    // interface waits; a stop always runs.
    virtual bool IsBusy() const = 0;
    // Marks the document busy for the life of the object.
    class BusyScope {
    public:
        explicit BusyScope(IDriveDocument& doc) : doc_(doc) { doc_.MarkBusy(true); }
        ~BusyScope() { doc_.MarkBusy(false); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        IDriveDocument& doc_;
    };

protected:
    // One more (true) or one fewer (false) command running.
    virtual void MarkBusy(bool busy) = 0;
};

} // namespace ovro

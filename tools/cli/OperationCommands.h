// COperationCommands: the operation commands of ovro-qvt-cli - motion,
// reset-fault, status and limits - on the logic of the Motion Control and
// Device Status windows (app/operation), with the document connected to
// the drive as the program's first Connect does. Each returns the exit
// status: 0 success, 1 after a failure message, 2 bad usage.
#pragma once

#include <cstdint>

#include "CliSession.h"

namespace ovro {
class CQVTDoc;
class IDriveDocument;
}

class COperationCommands {
public:
    explicit COperationCommands(CCliSession& session) : session_(session) {}

    int Run();

private:
    int Motion(ovro::CQVTDoc& doc, ovro::IDriveDocument& drive);
    int Position(ovro::IDriveDocument& drive);
    int Velocity(ovro::IDriveDocument& drive);
    int Homing(ovro::IDriveDocument& drive);
    int Jog(ovro::IDriveDocument& drive);
    int Manual(ovro::IDriveDocument& drive);
    int ResetFault(ovro::IDriveDocument& drive);
    int Status(ovro::CQVTDoc& doc, ovro::IDriveDocument& drive);

    // Waits for statusword bit 10 up to ms; false after its message.
    bool WaitForTarget(ovro::IDriveDocument& drive, std::uint32_t ms, unsigned readStatuswordMessage);
    // Runs the document's status poll for one whole cycle.
    void PollCycle(ovro::CQVTDoc& doc);
    void Fail(const std::string& text);

    CCliSession& session_;
};

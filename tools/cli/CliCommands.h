// CCliCommands: the commands of ovro-qvt-cli. Each runs the program's
// document logic (CQVTDoc, CNodeSearch, the commissioning file) as its
// menu command would, with the Connect Device dialog answered from the
// command line, and returns the exit status.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "CliSession.h"
#include "description/QVTParameter.h"

namespace ovro {
class CQVTDoc;
}

class CCliCommands {
public:
    explicit CCliCommands(CCliSession& session) : session_(session) {}

    int Run();

    int Scan();
    int Info();
    int Upload();
    int Download();
    // store, reset and restore: the command's question, then the command.
    int Confirmed(bool (ovro::CQVTDoc::*command)());
    int Read();
    int Write();
    int Configure();
    int Show();
    // The drive against a commissioning document (or the factory settings).
    int Diff();
    int Firmware();

    // The document of a commissioning file as text: identity, node
    // settings and one table per section.
    static std::string DocumentText(const ovro::CQVTDevice& device);

private:
    // Description and interface; an exit status other than kSuccess on failure.
    int StartBus();
    // The object named by the read and write arguments, with its data type
    // from --type or from the description; nothing after a usage message.
    std::optional<ovro::CQVTParameter> ObjectOf(int& status);
    // The error text of the node's last failure.
    std::string NodeErrorText(const class CCANopenNode& node) const;
    // The document connected to the drive (the first Connect); false
    // after its message.
    bool NewDocument(ovro::CQVTDoc& doc);

    CCliSession& session_;
};

// CCliRecord: the oscilloscope commands of ovro-qvt-cli. "record" connects
// the drive as the first Connect does, checks the settings as the
// Oscilloscope window's tabs do, records with the program's recording
// logic (CRecording) on the 55 ms tick, optionally starts a movement once
// the recording runs, and writes the recording as CSV or text - with
// --document also a commissioning document that carries it. "export"
// writes the recording of a document, without a bus.
#pragma once

#include "CliSession.h"
#include "RecordMovement.h"

class CCliRecord {
public:
    explicit CCliRecord(CCliSession& session) : session_(session) {}

    int Record();
    int Export();

    // Where "record" gets its movement; the built-in profile-position move
    // of --move-to otherwise.
    void SetMovement(CRecordMovement::Starter starter) { movement_ = std::move(starter); }

private:
    CCliSession& session_;
    CRecordMovement::Starter movement_;
};

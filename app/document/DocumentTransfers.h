// CDocumentTransfers: the document's "&Upload all Parameters" and
// "&Download all Parameters" - every parameter read from the drive, or the
// changed transferable ones written with their mode switches, a progress
// log and the node-settings change - on the state of one CQVTDoc, which
// runs them under its busy guard (CQVTDoc::Upload, CQVTDoc::Download).
#pragma once

namespace ovro {

class CQVTDoc;

class CDocumentTransfers {
public:
    explicit CDocumentTransfers(CQVTDoc& doc) : doc_(doc) {}

    // False after the message of a failure.
    bool Upload();
    bool Download();

private:
    CQVTDoc& doc_;
};

}  // namespace ovro

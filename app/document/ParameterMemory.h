// CParameterMemory: the commands on the drive's parameter memory - "Store"
// the values into its EEPROM, "Reset" them to their power-on values and
// "Restore" the factory settings. Each one asks first, checks that the
// drive is the document's model, runs its SDO and NMT accesses with the
// timeout and pauses the drive needs, and uploads the values afterwards.
// Every failure ends the command with its numbered message.
#pragma once

namespace ovro {

class CQVTDoc;
struct DocumentEnvironment;

class CParameterMemory {
public:
    // doc and environment must outlive the object.
    CParameterMemory(CQVTDoc& doc, const DocumentEnvironment& environment) : doc_(doc), env_(environment) {}

    bool Store();
    bool Reset();
    bool Restore();
    // Stores into the EEPROM without asking (after a download that asked
    // for it) and uploads.
    bool StoreEeprom();

private:
    // Connected, described, confirmed (question) and of the document's
    // model; a failed model check shows failed with the node's error, or
    // incompatible when the drive answered.
    bool MayRun(unsigned question, unsigned failed, unsigned incompatible);
    void ShowFailure(unsigned message);
    // After a reset the drive names itself again in the upload.
    void ClearIdentity();
    // The upload that ends a command; on success the prompt pane says what
    // the command did and how many parameters were read.
    bool UploadAndTell(unsigned prompt);

    CQVTDoc& doc_;
    const DocumentEnvironment& env_;
};

}  // namespace ovro

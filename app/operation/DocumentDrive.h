// CDocumentDrive: the program's document (CQVTDoc) as the motion and status
// windows see it. It holds no state of its own but the busy scopes of the
// windows' running commands; every question goes to the document at the
// moment it is asked.
#pragma once

#include <memory>
#include <vector>

#include "document/QVTDoc.h"
#include "operation/DriveDocument.h"

namespace ovro {

class CCommissioning;

class CDocumentDrive : public IDriveDocument {
public:
    // Both must outlive this object; commissioning gives the error texts.
    CDocumentDrive(CQVTDoc& doc, const CCommissioning& commissioning)
        : doc_(doc), commissioning_(commissioning) {}

    CCANopenNode* Node() const override;
    CQVTDevice* Device() const override;
    bool IsReady() const override;
    bool IsOffline() const override;
    bool PollFailed() const override;
    bool ErrorHistoryValid() const override;
    int Model() const override;
    std::string ErrorText(std::int32_t code) const override;
    bool IsBusy() const override;
    void BeginCommand() override;
    void EndCommand() override;

private:
    CQVTDoc& doc_;
    const CCommissioning& commissioning_;
    std::vector<std::unique_ptr<CQVTDoc::BusyScope>> commands_;  // one per running command
};

} // namespace ovro

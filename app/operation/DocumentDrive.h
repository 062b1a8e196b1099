// CDocumentDrive: the program's document (CQVTDoc) as the motion and status
// windows see it. It holds no state of its own; every question goes to
// the document at the moment it is asked.
#pragma once

#include "operation/DriveDocument.h"

namespace ovro {

class CCommissioning;
class CQVTDoc;

class CDocumentDrive : public IDriveDocument {
public:
    // Both must outlive this object; commissioning gives the error texts.
    CDocumentDrive(const CQVTDoc& doc, const CCommissioning& commissioning)
        : doc_(doc), commissioning_(commissioning) {}

    CCANopenNode* Node() const override;
    CQVTDevice* Device() const override;
    bool IsReady() const override;
    bool IsOffline() const override;
    bool PollFailed() const override;
    bool ErrorHistoryValid() const override;
    int Model() const override;
    std::string ErrorText(std::int32_t code) const override;

private:
    const CQVTDoc& doc_;
    const CCommissioning& commissioning_;
};

} // namespace ovro

#include "operation/DocumentDrive.h"

#include "description/Commissioning.h"
#include "document/QVTDoc.h"

namespace ovro {

CCANopenNode* CDocumentDrive::Node() const
{
    return doc_.Node();
}

CQVTDevice* CDocumentDrive::Device() const
{
    return doc_.Device();
}

bool CDocumentDrive::IsReady() const
{
    return doc_.Device() != nullptr;
}

bool CDocumentDrive::IsOffline() const
{
    return doc_.IsOffline();
}

bool CDocumentDrive::PollFailed() const
{
    return doc_.PollState().pollFailed;
}

bool CDocumentDrive::ErrorHistoryValid() const
{
    return doc_.PollState().errorHistoryValid;
}

int CDocumentDrive::Model() const
{
    return doc_.Model();
}

std::string CDocumentDrive::ErrorText(std::int32_t code) const
{
    return commissioning_.GetErrorText(code);
}

bool CDocumentDrive::IsBusy() const
{
    return doc_.IsBusy();
}

void CDocumentDrive::BeginCommand()
{
    commands_.push_back(std::make_unique<CQVTDoc::BusyScope>(doc_));
}

void CDocumentDrive::EndCommand()
{
    if (!commands_.empty())
        commands_.pop_back();
}

} // namespace ovro

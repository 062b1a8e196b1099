#include "document/DocumentTransfers.h"

#include <cstdint>
#include <memory>

#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "document/DocumentObserver.h"
#include "document/DocumentWindows.h"
#include "document/NodeSettingsChange.h"
#include "document/NullProgress.h"
#include "document/ParameterDownload.h"
#include "document/ParameterTransfer.h"
#include "document/QVTDoc.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

namespace ovro {

bool CDocumentTransfers::Upload()
{
    if (!doc_.IsNodeConnected(true) || !doc_.IsDescriptionAttached(true))
        return false;
    const int id = doc_.nodeId_;
    if (!doc_.CheckModel(doc_.device_->model, false)) {
        if (doc_.node_->LastError() != 0)
            doc_.Show(MessageIcon::Exclamation,
                      FormatMessage(kMsgCantUpload, id, doc_.ErrorText(doc_.node_->LastError()).c_str()));
        else
            doc_.Show(MessageIcon::Exclamation, FormatMessage(kMsgCantUploadIncompatible, id));
        return false;
    }
    CQVTDoc::UploadCount count;
    for (CQVTSection& section : doc_.device_->sections) {
        for (CQVTParameter& parameter : section.parameters) {
            ++count.total;
            const CParameterTransfer::Result result = CParameterTransfer::Read(parameter, *doc_.node_);
            if (result == CParameterTransfer::Done) {
                ++count.read;
                doc_.device_->nodeId = doc_.node_->NodeId();
                doc_.device_->baudRate = doc_.env_.master->BaudRate();
                doc_.device_->nodeIdChanged = false;
                doc_.device_->baudRateChanged = false;
            } else if (result == CParameterTransfer::Failed) {
                doc_.RefreshViews(doc_.currentSection_);
                doc_.Show(MessageIcon::Exclamation,
                          FormatMessage(kMsgCantUpload, id, doc_.ErrorText(doc_.node_->LastError()).c_str()));
                return false;
            }
        }
    }
    doc_.RefreshViews(doc_.currentSection_);
    doc_.SetPathName(doc_.device_->name, false);
    doc_.lastUpload_ = count;
    doc_.ShowPrompt(FormatMessage(kMsgPromptUploaded, count.read, count.total, id));
    return true;
}

bool CDocumentTransfers::Download()
{
    if (!doc_.IsNodeConnected(true) || !doc_.IsDescriptionAttached(true))
        return false;
    doc_.RefreshViews(IDocumentObserver::kCommitEdits);
    const int id = doc_.nodeId_;
    const int count = doc_.device_->CountParameters(true, true);
    if (count == 0 && !doc_.device_->nodeIdChanged && !doc_.device_->baudRateChanged) {
        doc_.Show(MessageIcon::Information, FormatMessage(kMsgNothingToDownload, id));
        return false;
    }
    if (!doc_.CheckModel(doc_.device_->model, false)) {
        if (doc_.node_->LastError() != 0)
            doc_.Show(MessageIcon::Exclamation,
                      FormatMessage(kMsgCantDownload, id, doc_.ErrorText(doc_.node_->LastError()).c_str()));
        else
            doc_.Show(MessageIcon::Exclamation, FormatMessage(kMsgCantDownloadIncompatible, id));
        return false;
    }
    if (doc_.env_.windows != nullptr)
        doc_.env_.windows->CloseOscilloscope();
    doc_.node_->EnterPreOperational();
    doc_.poll_.transferIdle = false;
    std::unique_ptr<IProgress> window = doc_.env_.ui->BeginProgress(count);
    CNullProgress noWindow;
    IProgress& progress = window ? *window : static_cast<IProgress&>(noWindow);

    const CParameterDownload::Outcome outcome =
        CParameterDownload::Run(*doc_.device_, *doc_.node_, progress);
    if (outcome.stopped) {
        doc_.RefreshViews(doc_.currentSection_);
        doc_.Show(MessageIcon::Exclamation,
                  FormatMessage(kMsgCantDownload, id, doc_.ErrorText(doc_.node_->LastError()).c_str()));
        window.reset();
        doc_.poll_.transferIdle = true;
        return false;
    }

    if (doc_.device_->nodeIdChanged || doc_.device_->baudRateChanged) {
        const auto newId = static_cast<std::uint8_t>(doc_.device_->nodeId);
        const auto newBaud = static_cast<std::uint8_t>(doc_.device_->baudRate);
        CCANopenNode* configured = CNodeSettingsChange::Run(*doc_.env_.master, *doc_.env_.ui, progress,
                                                            doc_.node_, newId, newBaud);
        if (configured == nullptr) {
            // The old node object is gone with the drive's old settings.
            doc_.RemoveNode();
            doc_.RefreshViews(doc_.currentSection_);
            doc_.Show(MessageIcon::Stop,
                      CNodeSettingsChange::FailureText(*doc_.env_.master, *doc_.env_.commissioning,
                                                       static_cast<std::uint8_t>(id)));
            window.reset();
            doc_.poll_.transferIdle = true;
            doc_.offline_ = true;
            doc_.UpdateStatus();
            return false;
        }
        doc_.node_ = configured;
        doc_.nodeId_ = newId;
        doc_.device_->nodeId = newId;
        doc_.device_->baudRate = doc_.env_.master->BaudRate();
        doc_.device_->nodeIdChanged = false;
        doc_.device_->baudRateChanged = false;
        doc_.UpdateStatus();
    }

    doc_.RefreshViews(doc_.currentSection_);
    if (outcome.failed) {
        progress.AddText(MessageText(kMsgFinishedWithErrors), 0);
        doc_.Show(MessageIcon::Exclamation, FormatMessage(kMsgNotAllWritten, static_cast<int>(doc_.nodeId_)));
    } else {
        progress.AddText(MessageText(kMsgFinishedNoError), 0);
        if (doc_.env_.windows != nullptr)
            doc_.env_.windows->Beep();
    }
    progress.Finish(!outcome.failed);
    if (outcome.attempted > 0 && !progress.Finished()) {
        while (!progress.Cancelled() && !progress.Finished()) {
        }
    }
    window.reset();
    doc_.poll_.transferIdle = true;
    return !outcome.failed;
}

}  // namespace ovro

// DocumentWindowHost.cpp - the document's further windows.
#include "shell/DocumentWindowHost.h"

#include "operation/views/DriveWindows.h"
#include "shell/MainFrame.h"
#include "ui/CommandIds.h"

#include <QAction>
#include <QApplication>

CDocumentWindowHost::CDocumentWindowHost(CMainFrame& frame, CScopeWindowHost& scope,
                                         std::function<ovro::CQVTDoc*()> document)
    : frame_(frame), scope_(scope), document_(std::move(document))
{
    if (QAction* action = frame_.Action(CommandId::kOscilloscope)) {
        action->setCheckable(true);
        QObject::connect(&scope_, &CScopeWindowHost::openChanged, action, &QAction::setChecked);
    }
}

void CDocumentWindowHost::CloseOscilloscope()
{
    scope_.Close();
}

void CDocumentWindowHost::CloseDriveWindows()
{
    if (drive_ != nullptr)
        drive_->CloseAll();
    scope_.Close();
}

void CDocumentWindowHost::OpenOscilloscope()
{
    scope_.Open(document_());
}

bool CDocumentWindowHost::AppendRecording(std::string& text)
{
    return scope_.AppendRecording(text);
}

bool CDocumentWindowHost::LoadRecording(const std::string& path)
{
    return scope_.LoadRecording(path);
}

void CDocumentWindowHost::Beep()
{
    QApplication::beep();
}

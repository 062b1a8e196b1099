// MessageBoxUserInterface.cpp - message boxes and dialogs of the program.
#include "shell/MessageBoxUserInterface.h"

#include "shell/DlgProgressBox.h"

#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

#include <QFileDialog>

namespace {

QString Title()
{
    return QString::fromLatin1(MessageText(kMsgProgramTitle));
}

} // namespace

CMessageBoxUserInterface::CMessageBoxUserInterface(ISettingsStore& store) : store_(store) {}

QMessageBox::Icon CMessageBoxUserInterface::IconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

void CMessageBoxUserInterface::ShowMessage(MessageSeverity, MessageIcon icon, const std::string& text)
{
    // The severity word is part of the text.
    QMessageBox box(IconOf(icon), Title(), QString::fromLatin1(text.c_str()), QMessageBox::Ok, owner_);
    box.exec();
}

bool CMessageBoxUserInterface::AskYesNo(MessageIcon icon, const std::string& text, bool defaultYes)
{
    QMessageBox box(IconOf(icon), Title(), QString::fromLatin1(text.c_str()),
                    QMessageBox::Yes | QMessageBox::No, owner_);
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::unique_ptr<IProgress> CMessageBoxUserInterface::BeginProgress(std::int32_t range)
{
    return std::make_unique<CDlgProgressBox>(range, store_, owner_);
}

std::optional<std::string> CMessageBoxUserInterface::ChooseFile(const FileRequest& request)
{
    const QString title = QString::fromLatin1(request.title.c_str());
    const QString start = QString::fromLocal8Bit(request.defaultName.c_str());
    const QString filter = QString::fromLatin1(request.filter.c_str());
    QString chosen;
    switch (request.kind) {
    case FileRequest::Kind::Open:
        chosen = QFileDialog::getOpenFileName(owner_, title, start, filter);
        break;
    case FileRequest::Kind::Save:
        chosen = QFileDialog::getSaveFileName(owner_, title, start, filter);
        break;
    case FileRequest::Kind::Folder:
        chosen = QFileDialog::getExistingDirectory(owner_, title, start);
        break;
    }
    if (chosen.isEmpty())
        return std::nullopt;
    return std::string(chosen.toLocal8Bit().constData());
}

// MessageBoxUserInterface.h - the program's user interfaces on Qt Widgets:
// message boxes, Yes/No questions, the progress window and file dialogs.
#pragma once

#include "ui/UserInterface.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

class ISettingsStore;

class CMessageBoxUserInterface : public IUserInterface {
public:
    explicit CMessageBoxUserInterface(ISettingsStore& store);

    // The window the boxes belong to (the main frame once it exists).
    void SetOwner(QWidget* owner) { owner_ = owner; }

    void ShowMessage(MessageSeverity severity, MessageIcon icon, const std::string& text) override;
    bool AskYesNo(MessageIcon icon, const std::string& text, bool defaultYes) override;
    std::unique_ptr<IProgress> BeginProgress(std::int32_t range) override;
    std::optional<std::string> ChooseFile(const FileRequest& request) override;

    static QMessageBox::Icon IconOf(MessageIcon icon);

private:
    ISettingsStore& store_;
    QPointer<QWidget> owner_;
};

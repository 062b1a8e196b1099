// DlgProgressBox.h - the modeless "Please wait..." window of long document
// operations: a progress bar, a growing log, "&Finish", "&Cancel" and the
// auto-close check box. The operation runs in the GUI thread; every call
// lets pending window messages through so that the buttons work.
#pragma once

#include "shell/ProgressState.h"

#include "ui/UserInterface.h"

#include <QDialog>

#include <optional>

#include "download/views/OwnerLock.h"

class QCheckBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class CDlgProgressBox : public QDialog, public IProgress {
    Q_OBJECT
public:
    // Disables the owner while the window exists (when it was enabled).
    CDlgProgressBox(std::int32_t range, ISettingsStore& store, QWidget* owner);

    void AddText(const std::string& text, std::int32_t step) override;
    void Finish(bool success) override;
    bool Finished() override;
    bool Cancelled() override;

    QProgressBar* Bar() const { return bar_; }
    QPlainTextEdit* Log() const { return log_; }
    QPushButton* FinishButton() const { return finish_; }
    QPushButton* CancelButton() const { return cancel_; }
    QCheckBox* AutoCloseBox() const { return autoClose_; }

protected:
    // The close box and Escape cancel, like "&Cancel".
    void reject() override;

private:
    void Pump(bool wait);

    CProgressState state_;
    std::optional<COwnerLock> ownerLock_;
    QProgressBar* bar_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QPushButton* finish_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QCheckBox* autoClose_ = nullptr;
};

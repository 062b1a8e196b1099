// DlgSearchNodeProgress.h - the modeless "Search Node Progress" window of a
// node search: a progress bar, a text line and "&Cancel". The window that
// opened it is disabled while it exists. Asking whether the user cancelled
// lets pending window messages through first, so that the button works
// while the sweep runs in the GUI thread.
#pragma once

#include "ui/Progress.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;

class CDlgSearchNodeProgress : public QDialog, public IProgress {
    Q_OBJECT
public:
    static constexpr const char* kIdleText = "Search node...";

    CDlgSearchNodeProgress(std::int32_t range, QWidget* owner);
    ~CDlgSearchNodeProgress() override;

    // Sets the text line (an empty text shows "Search node...") and
    // advances the bar by step.
    void AddText(const std::string& text, std::int32_t step) override;
    void Finish(bool success) override;
    bool Finished() override;
    // Reads and clears the cancel flag.
    bool Cancelled() override;

    QProgressBar* Bar() const { return bar_; }
    QLabel* TextLine() const { return text_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    // The close box and Escape cancel too.
    void reject() override;

private:
    QPointer<QWidget> owner_;
    bool ownerDisabled_ = false;
    bool cancelled_ = false;
    QProgressBar* bar_ = nullptr;
    QLabel* text_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

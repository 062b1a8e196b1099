// ProgressBox.h - CProgressBox, the modeless box of the firmware download:
// caption, step, file, node, time and rate texts, the bar, an animation
// while the download runs, the check box that closes it without the
// success message, and Cancel. It shows what CDownload tells it and keeps
// its owner disabled while it exists; its window messages are processed
// whenever the download lets them through.
#pragma once

#include "download/DownloadProgress.h"
#include "download/ProgressBoxState.h"

#include <QDialog>

#include <optional>

#include "download/views/OwnerLock.h"

class CPageAnimation;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

class CProgressBox : public QDialog, public IDownloadProgress {
    Q_OBJECT
public:
    static constexpr const char* kAutoCloseText = "Close this dialog box after download.";

    // Shown at once, with the texts a box has before the download starts.
    CProgressBox(ISettingsStore& store, QWidget* owner);

    // ---- IDownloadProgress ----------------------------------------------
    void SetCaption(const std::string& text) override;
    void SetStep(const std::string& text) override;
    void SetFile(const std::string& text) override;
    void SetNode(const std::string& text) override;
    void SetTime(const std::string& text) override;
    void SetRate(const std::string& text) override;
    void SetRange(std::int32_t total) override;
    void SetPosition(std::int32_t position) override;
    void StartAnimation() override;
    void StopAnimation() override;
    void ProcessMessages() override;
    bool TakeCancel() override;
    bool AutoClose() const override { return state_.AutoClose(); }

    QLabel* StepLabel() const { return step_; }
    QLabel* FileLabel() const { return file_; }
    QLabel* NodeLabel() const { return node_; }
    QLabel* TimeLabel() const { return time_; }
    QLabel* RateLabel() const { return rate_; }
    QProgressBar* Bar() const { return bar_; }
    CPageAnimation* Animation() const { return animation_; }
    QCheckBox* AutoCloseBox() const { return autoClose_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    // The close box and Escape press Cancel.
    void reject() override;

private:
    CProgressBoxState state_;
    std::optional<COwnerLock> ownerLock_;
    QLabel* step_ = nullptr;
    QLabel* file_ = nullptr;
    QLabel* node_ = nullptr;
    QLabel* time_ = nullptr;
    QLabel* rate_ = nullptr;
    QProgressBar* bar_ = nullptr;
    CPageAnimation* animation_ = nullptr;
    QCheckBox* autoClose_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

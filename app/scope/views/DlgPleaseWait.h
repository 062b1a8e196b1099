// CDlgPleaseWait: the small "Please wait..." window shown while a loaded
// recording is drawn; its text counts the samples done ("Read %li").
#pragma once

#include <QDialog>

#include <cstdint>

class QLabel;

class CDlgPleaseWait : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Please wait...";
    static constexpr const char* kProgress = "Read %li";

    explicit CDlgPleaseWait(QWidget* parent = nullptr);
    // "Read %li" with the samples done; lets the window paint itself.
    void SetDone(std::int32_t samples);
    QString Text() const;

private:
    QLabel* text_;
};

// DlgProgressBox.cpp - the progress window of long document operations.
#include "shell/DlgProgressBox.h"

#include <QApplication>
#include <algorithm>
#include <QCheckBox>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

CDlgProgressBox::CDlgProgressBox(std::int32_t range, ISettingsStore& store, QWidget* owner)
    : QDialog(owner), state_(store)
{
    setWindowTitle(QStringLiteral("Please wait..."));
    setModal(false);

    bar_ = new QProgressBar(this);
    bar_->setRange(0, range > 0 ? range : 0);
    bar_->setValue(0);
    log_ = new QPlainTextEdit(this);
    log_->setReadOnly(true);
    autoClose_ = new QCheckBox(QStringLiteral("Close this dialog box after download."), this);
    autoClose_->setChecked(state_.AutoClose());
    finish_ = new QPushButton(QStringLiteral("&Finish"), this);
    finish_->setEnabled(false);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(autoClose_);
    buttons->addStretch();
    buttons->addWidget(finish_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addWidget(log_);
    layout->addLayout(buttons);
    resize(480, 320);

    connect(finish_, &QPushButton::clicked, this, [this] { state_.PressFinish(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { state_.PressCancel(); });
    connect(autoClose_, &QCheckBox::toggled, this, [this](bool on) { state_.SetAutoClose(on); });

    ownerLock_.emplace(owner, *this);
    show();
}

void CDlgProgressBox::Pump(bool wait)
{
    QCoreApplication::processEvents();
    if (wait) {
        // Sleep until the next window message, at most a short while, so
        // that a caller polling for the buttons does not spin.
        QTimer::singleShot(20, this, [] {});
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void CDlgProgressBox::AddText(const std::string& text, std::int32_t step)
{
    Pump(false);
    bar_->setValue(std::min(bar_->maximum(), bar_->value() + std::max<std::int32_t>(step, 0)));
    QString t = QString::fromLatin1(text.c_str());
    t.remove(QLatin1Char('\r'));
    log_->moveCursor(QTextCursor::End);
    log_->insertPlainText(t);
    log_->moveCursor(QTextCursor::End);
}

void CDlgProgressBox::Finish(bool success)
{
    Pump(false);
    finish_->setEnabled(true);
    state_.Finish(success);
}

bool CDlgProgressBox::Finished()
{
    Pump(false);
    if (state_.TakeFinished())
        return true;
    Pump(true);
    return state_.TakeFinished();
}

bool CDlgProgressBox::Cancelled()
{
    Pump(false);
    return state_.TakeCancelled();
}

void CDlgProgressBox::reject()
{
    state_.PressCancel();
}

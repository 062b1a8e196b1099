// DlgSearchNodeProgress.cpp - the progress window of the node search.
#include "shell/DlgSearchNodeProgress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CDlgSearchNodeProgress::CDlgSearchNodeProgress(std::int32_t range, QWidget* owner)
    : QDialog(owner), owner_(owner)
{
    setWindowTitle(QStringLiteral("Search Node Progress"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, range > 0 ? range : 1);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    text_ = new QLabel(QString::fromLatin1(kIdleText), this);
    text_->setMinimumWidth(320);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    layout->addWidget(bar_);
    layout->addWidget(text_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });

    // The owner stays disabled, so that no second search can start; the
    // progress window itself is a child and must stay usable.
    if (owner_ != nullptr && owner_->isEnabled()) {
        owner_->setEnabled(false);
        ownerDisabled_ = true;
        setEnabled(true);
    }
    show();
    QApplication::processEvents();
}

CDlgSearchNodeProgress::~CDlgSearchNodeProgress()
{
    hide();
    if (ownerDisabled_ && owner_ != nullptr)
        owner_->setEnabled(true);
}

void CDlgSearchNodeProgress::AddText(const std::string& text, std::int32_t step)
{
    text_->setText(text.empty() ? QString::fromLatin1(kIdleText) : QString::fromLatin1(text.c_str()));
    bar_->setValue(std::min(bar_->maximum(), bar_->value() + step));
    QApplication::processEvents();
}

void CDlgSearchNodeProgress::Finish(bool /*success*/) {}

bool CDlgSearchNodeProgress::Finished()
{
    return true;
}

bool CDlgSearchNodeProgress::Cancelled()
{
    QApplication::processEvents();
    const bool cancelled = cancelled_;
    cancelled_ = false;
    return cancelled;
}

void CDlgSearchNodeProgress::reject()
{
    cancelled_ = true;
}

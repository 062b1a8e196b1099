#include "download/views/ProgressBox.h"

#include "download/views/PageAnimation.h"

#include <QApplication>
#include <algorithm>
#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.c_str());
}
}  // namespace

CProgressBox::CProgressBox(ISettingsStore& store, QWidget* owner) : QDialog(owner), state_(store)
{
    namespace T = DownloadProgressTexts;
    setModal(false);
    animation_ = new CPageAnimation(this);
    step_ = new QLabel(QString::fromLatin1(T::kStep), this);
    QFont bold = step_->font();
    bold.setBold(true);
    step_->setFont(bold);
    file_ = new QLabel(QString::fromLatin1(T::kFile), this);
    file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    file_->setMinimumWidth(360);
    node_ = new QLabel(QString::fromLatin1(T::kNode), this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 0);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    time_ = new QLabel(QString::fromLatin1(T::kTime), this);
    rate_ = new QLabel(QString::fromLatin1(T::kRate), this);
    rate_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    autoClose_ = new QCheckBox(QString::fromLatin1(kAutoCloseText), this);
    autoClose_->setChecked(state_.AutoClose());
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);

    auto* texts = new QGridLayout;
    texts->addWidget(step_, 0, 0, 1, 2);
    texts->addWidget(file_, 1, 0, 1, 2);
    texts->addWidget(node_, 2, 0, 1, 2);
    auto* top = new QHBoxLayout;
    top->addWidget(animation_);
    top->addLayout(texts, 1);
    auto* figures = new QHBoxLayout;
    figures->addWidget(time_, 1);
    figures->addWidget(rate_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(autoClose_);
    buttons->addStretch();
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(bar_);
    layout->addLayout(figures);
    layout->addLayout(buttons);

    connect(cancel_, &QPushButton::clicked, this, [this] { state_.PressCancel(); });
    connect(autoClose_, &QCheckBox::toggled, this, [this](bool on) { state_.SetAutoClose(on); });

    ownerLock_.emplace(owner, *this);
    show();
}

void CProgressBox::SetCaption(const std::string& text)
{
    setWindowTitle(Latin1(text));
}

void CProgressBox::SetStep(const std::string& text)
{
    step_->setText(Latin1(text));
}

void CProgressBox::SetFile(const std::string& text)
{
    file_->setText(QString::fromLocal8Bit(text.c_str()));
}

void CProgressBox::SetNode(const std::string& text)
{
    node_->setText(Latin1(text));
}

void CProgressBox::SetTime(const std::string& text)
{
    time_->setText(Latin1(text));
}

void CProgressBox::SetRate(const std::string& text)
{
    rate_->setText(Latin1(text));
}

void CProgressBox::SetRange(std::int32_t total)
{
    bar_->setRange(0, total > 0 ? total : 0);
}

void CProgressBox::SetPosition(std::int32_t position)
{
    bar_->setValue(std::min(position, bar_->maximum()));
}

void CProgressBox::StartAnimation()
{
    animation_->Start();
}

void CProgressBox::StopAnimation()
{
    animation_->Stop();
}

void CProgressBox::ProcessMessages()
{
    QCoreApplication::processEvents();
}

bool CProgressBox::TakeCancel()
{
    return state_.TakeCancel();
}

void CProgressBox::reject()
{
    state_.PressCancel();
}

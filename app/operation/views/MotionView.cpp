#include "operation/views/MotionView.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "operation/DriveDocument.h"
#include "operation/FaultReset.h"
#include "operation/MotionViewModel.h"
#include "operation/views/OperationWidgets.h"
#include "operation/views/WndMotionControl.h"

namespace {

QLabel* ValueLabel(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(80);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

CMotionView::CMotionView(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent)
    : QWidget(parent), doc_(doc)
{
    setObjectName(QStringLiteral("CMotionView"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* valuesBox = new QGroupBox(QStringLiteral("Actual Values"), this);
    values_ = valuesBox;
    new QGridLayout(valuesBox);
    position_ = AddField(QStringLiteral("Actual Position:"), QStringLiteral("inc"));
    velocity_ = AddField(QStringLiteral("Actual Velocity:"), QStringLiteral("inc/sec"));
    shaftSpeed_ = AddField(QStringLiteral("Output-Shaft Speed:"), QStringLiteral("1/min"));
    referencedBit_ = AddField(QStringLiteral("Drive referenced?"), QString());
    referenced_ = ValueLabel(valuesBox, QStringLiteral("referencedText"));
    referenced_->setText(QStringLiteral("No"));
    static_cast<QGridLayout*>(valuesBox->layout())->addWidget(referenced_, 3, 2);
    temperature_ = AddField(QStringLiteral("Drive Temperature:"), QString::fromUtf8("°C"));
    current_ = AddField(QStringLiteral("Actual Motor Current:"), QStringLiteral("A"));
    torque_ = AddField(QStringLiteral("Output-Shaft Torque:"), QStringLiteral("Nm"));
    voltage_ = AddField(QStringLiteral("DC-Link Voltage:"), QStringLiteral("V"));
    top->addWidget(valuesBox, 1);

    auto* statusBox = new QGroupBox(QStringLiteral("Drive Status"), this);
    auto* status = new QGridLayout(statusBox);
    statusword_ = ValueLabel(statusBox, QStringLiteral("statusword"));
    state_ = ValueLabel(statusBox, QStringLiteral("deviceState"));
    errorCode_ = ValueLabel(statusBox, QStringLiteral("errorCode"));
    errorText_ = ValueLabel(statusBox, QStringLiteral("errorText"));
    state_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    errorText_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    errorText_->setWordWrap(true);
    status->addWidget(statusword_, 0, 0);
    status->addWidget(state_, 0, 1);
    status->addWidget(errorCode_, 1, 0);
    status->addWidget(errorText_, 1, 1);
    resetFault_ = new QPushButton(QStringLiteral("Reset Fault"), statusBox);
    resetFault_->setObjectName(QStringLiteral("resetFault"));
    resetFault_->setEnabled(false);
    auto* info = new QPushButton(QStringLiteral("i"), statusBox);
    info->setObjectName(QStringLiteral("deviceStatus"));
    info->setToolTip(QStringLiteral("Device Status"));
    status->addWidget(resetFault_, 2, 0);
    status->addWidget(info, 2, 1, Qt::AlignRight);
    status->setRowStretch(3, 1);
    top->addWidget(statusBox, 1);

    sheet_ = new CWndMotionControl(doc, ui, this);
    layout->addWidget(sheet_, 1);

    connect(resetFault_, &QPushButton::clicked, this, &CMotionView::OnResetFault);
    connect(info, &QPushButton::clicked, this, &CMotionView::deviceStatusRequested);
    connect(sheet_, &CWndMotionControl::motionProfileLimitsRequested, this,
            &CMotionView::motionProfileLimitsRequested);
    connect(sheet_, &CWndMotionControl::softwarePositionLimitsRequested, this,
            &CMotionView::softwarePositionLimitsRequested);

    // Timer 1: from the view's opening until it closes.
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("refreshTimer"));
    timer_->setInterval(kRefreshMs);
    connect(timer_, &QTimer::timeout, this, &CMotionView::OnRefresh);
    timer_->start();
}

QLabel* CMotionView::AddField(const QString& label, const QString& unit)
{
    auto* grid = static_cast<QGridLayout*>(values_->layout());
    const int row = grid->rowCount() == 1 && grid->itemAtPosition(0, 0) == nullptr ? 0 : grid->rowCount();
    auto* caption = new QLabel(label, values_);
    QLabel* value = ValueLabel(values_, label);
    grid->addWidget(caption, row, 0);
    grid->addWidget(value, row, 1);
    if (!unit.isEmpty())
        grid->addWidget(new QLabel(unit, values_), row, 2);
    return value;
}

QString CMotionView::FieldText(const QString& label) const
{
    const QLabel* value = findChild<QLabel*>(label);
    return value != nullptr ? value->text() : QString();
}

void CMotionView::OnRefresh()
{
    const std::optional<ovro::MotionViewTexts> t = ovro::CMotionViewModel::Refresh(doc_);
    if (!t)
        return;
    using opviews::Latin1;
    position_->setText(Latin1(t->position));
    velocity_->setText(Latin1(t->velocity));
    if (t->shaftSpeed)
        shaftSpeed_->setText(Latin1(*t->shaftSpeed));
    referencedBit_->setText(Latin1(t->referencedBit));
    referenced_->setText(Latin1(t->referenced));
    temperature_->setText(Latin1(t->temperature));
    current_->setText(Latin1(t->current));
    if (t->torque)
        torque_->setText(Latin1(*t->torque));
    voltage_->setText(Latin1(t->voltage));
    statusword_->setText(Latin1(t->status.statusword));
    state_->setText(Latin1(t->status.state));
    errorCode_->setText(Latin1(t->status.errorCode));
    errorText_->setText(Latin1(t->status.errorText));
    resetFault_->setEnabled(t->status.resetFault);
}

void CMotionView::OnResetFault()
{
    opviews::WaitCursor wait;
    if (ovro::CFaultReset::Run(doc_))
        resetFault_->setEnabled(false);
}

void CMotionView::closeEvent(QCloseEvent* event)
{
    timer_->stop();
    QWidget::closeEvent(event);
}

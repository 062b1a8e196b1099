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
#include "operation/MotionViewModel.h"
#include "operation/views/DriveStatusBox.h"
#include "operation/views/OperationWidgets.h"
#include "operation/views/WndMotionControl.h"

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
    referenced_ = opviews::ValueLabel(valuesBox, QStringLiteral("referencedText"), QStringLiteral("No"));
    static_cast<QGridLayout*>(valuesBox->layout())->addWidget(referenced_, 3, 2);
    temperature_ = AddField(QStringLiteral("Drive Temperature:"), QString::fromUtf8("°C"));
    current_ = AddField(QStringLiteral("Actual Motor Current:"), QStringLiteral("A"));
    torque_ = AddField(QStringLiteral("Output-Shaft Torque:"), QStringLiteral("Nm"));
    voltage_ = AddField(QStringLiteral("DC-Link Voltage:"), QStringLiteral("V"));
    top->addWidget(valuesBox, 1);

    status_ = new CDriveStatusBox(doc, {"0", "0", "0", "0", false}, this);
    auto* info = new QPushButton(QStringLiteral("i"), status_);
    info->setObjectName(QStringLiteral("deviceStatus"));
    info->setToolTip(QStringLiteral("Device Status"));
    status_->Grid()->addWidget(info, 2, 1, Qt::AlignRight);
    status_->Grid()->setRowStretch(3, 1);
    top->addWidget(status_, 1);

    sheet_ = new CWndMotionControl(doc, ui, this);
    layout->addWidget(sheet_, 1);

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
    QLabel* value = opviews::ValueLabel(values_, label);
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
    status_->Show(t->status);
}

QPushButton* CMotionView::ResetFaultButton() const
{
    return status_->ResetFaultButton();
}

void CMotionView::OnResetFault()
{
    status_->OnResetFault();
}

void CMotionView::closeEvent(QCloseEvent* event)
{
    timer_->stop();
    QWidget::closeEvent(event);
}

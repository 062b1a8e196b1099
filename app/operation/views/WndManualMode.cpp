#include "operation/views/WndManualMode.h"

#include <QCheckBox>
#include <QGridLayout>

#include "operation/DriveDocument.h"
#include "operation/views/JogButton.h"

CWndManualMode::CWndManualMode(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent)
    : QWidget(parent), doc_(doc), page_(doc, ui)
{
    setObjectName(QStringLiteral("CWndManualMode"));
    auto* grid = new QGridLayout(this);
    simulated_ = new QCheckBox(QStringLiteral("Simulated Manual Mode via CAN &Bus"), this);
    simulated_->setObjectName(QStringLiteral("simulatedManual"));
    grid->addWidget(simulated_, 0, 0, 1, 2);
    negative_ = new CJogButton(this);
    negative_->setObjectName(QStringLiteral("jogNegative"));
    negative_->SetDirection(CJogButton::Direction::Negative);
    positive_ = new CJogButton(this);
    positive_->setObjectName(QStringLiteral("jogPositive"));
    positive_->SetDirection(CJogButton::Direction::Positive);
    grid->addWidget(negative_, 1, 0);
    grid->addWidget(positive_, 1, 1);
    grid->setRowStretch(2, 1);
    const auto connected = [this] { return doc_.Node() != nullptr; };
    positive_->Bind(&page_, connected);
    negative_->Bind(&page_, connected);
    connect(simulated_, &QCheckBox::toggled, this, &CWndManualMode::OnSimulatedToggled);
}

void CWndManualMode::showEvent(QShowEvent* event)
{
    if (!opened_)
        OnInitialUpdate();
    QWidget::showEvent(event);
}

void CWndManualMode::OnInitialUpdate()
{
    opened_ = true;
    page_.Open();
    ShowState();
}

void CWndManualMode::OnSimulatedToggled(bool checked)
{
    page_.SetSimulated(checked);
    ShowState();
}

void CWndManualMode::ShowState()
{
    const QSignalBlocker block(simulated_);
    simulated_->setChecked(page_.Simulated());
    positive_->setEnabled(page_.JogEnabled());
    negative_->setEnabled(page_.JogEnabled());
}

#include "operation/views/DriveStatusBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "operation/FaultReset.h"
#include "operation/views/OperationWidgets.h"

CDriveStatusBox::CDriveStatusBox(ovro::IDriveDocument& doc, const ovro::DriveStatusText& initial, QWidget* parent)
    : QGroupBox(QStringLiteral("Drive Status"), parent), doc_(doc)
{
    setObjectName(QStringLiteral("driveStatus"));
    auto* grid = new QGridLayout(this);
    statusword_ = opviews::ValueLabel(this, QStringLiteral("statusword"));
    state_ = opviews::ValueLabel(this, QStringLiteral("deviceState"));
    errorCode_ = opviews::ValueLabel(this, QStringLiteral("errorCode"));
    errorText_ = opviews::ValueLabel(this, QStringLiteral("errorText"));
    state_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    errorText_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    errorText_->setWordWrap(true);
    grid->addWidget(statusword_, 0, 0);
    grid->addWidget(state_, 0, 1);
    grid->addWidget(errorCode_, 1, 0);
    grid->addWidget(errorText_, 1, 1);
    resetFault_ = new QPushButton(QStringLiteral("Reset Fault"), this);
    resetFault_->setObjectName(QStringLiteral("resetFault"));
    grid->addWidget(resetFault_, 2, 0);
    Show(initial);
    connect(resetFault_, &QPushButton::clicked, this, &CDriveStatusBox::OnResetFault);
}

QGridLayout* CDriveStatusBox::Grid() const
{
    return static_cast<QGridLayout*>(layout());
}

void CDriveStatusBox::Show(const ovro::DriveStatusText& status)
{
    using opviews::Latin1;
    statusword_->setText(Latin1(status.statusword));
    state_->setText(Latin1(status.state));
    errorCode_->setText(Latin1(status.errorCode));
    errorText_->setText(Latin1(status.errorText));
    resetFault_->setEnabled(status.resetFault);
}

void CDriveStatusBox::OnResetFault()
{
    opviews::WaitCursor wait;
    if (ovro::CFaultReset::Run(doc_))
        resetFault_->setEnabled(false);
}

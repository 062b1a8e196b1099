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
    const char* const names[kFields] = {"statusword", "deviceState", "errorCode", "errorText"};
    for (int f = 0; f < kFields; ++f) {
        fields_[f] = opviews::ValueLabel(this, QString::fromLatin1(names[f]));
        if (f % 2 == 1)
            fields_[f]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(fields_[f], f / 2, f % 2);
    }
    fields_[kErrorText]->setWordWrap(true);
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
    fields_[kStatusword]->setText(Latin1(status.statusword));
    fields_[kState]->setText(Latin1(status.state));
    fields_[kErrorCode]->setText(Latin1(status.errorCode));
    fields_[kErrorText]->setText(Latin1(status.errorText));
    resetFault_->setEnabled(status.resetFault);
}

void CDriveStatusBox::OnResetFault()
{
    opviews::WaitCursor wait;
    if (ovro::CFaultReset::Run(doc_))
        resetFault_->setEnabled(false);
}

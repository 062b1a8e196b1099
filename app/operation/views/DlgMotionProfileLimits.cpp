#include "operation/views/DlgMotionProfileLimits.h"

#include <QGridLayout>
#include <QLabel>

#include "operation/LimitsReader.h"
#include "operation/views/OperationWidgets.h"

CDlgMotionProfileLimits::CDlgMotionProfileLimits(QWidget* parent)
    : CDlgLimits("CDlgMotionProfileLimits", QStringLiteral("Motion Profile Limits"), parent)
{
    auto* grid = new QGridLayout(this);
    int row = 0;
    const auto add = [&](const QString& label, const QString& unit) {
        QLabel* value = opviews::ValueLabel(this, label, QString(), 90);
        grid->addWidget(new QLabel(label, this), row, 0);
        grid->addWidget(value, row, 1);
        grid->addWidget(new QLabel(unit, this), row, 2);
        ++row;
        return value;
    };
    velocity_ = add(QStringLiteral("Max. Profile Velocity:"), QStringLiteral("inc/sec"));
    acceleration_ = add(QStringLiteral("Max. Acceleration:"), QString::fromUtf8("inc/sec²"));
    deceleration_ = add(QStringLiteral("Max. Deceleration:"), QString::fromUtf8("inc/sec²"));
    ratedCurrent_ = add(QStringLiteral("Motor Rated Current:"), QStringLiteral("A"));
}

void CDlgMotionProfileLimits::Refresh(CCANopenNode* node)
{
    const ovro::MotionProfileLimitsTexts t = ovro::CLimitsReader::ReadMotionProfileLimits(node);
    velocity_->setText(opviews::Latin1(t.maxVelocity));
    acceleration_->setText(opviews::Latin1(t.maxAcceleration));
    deceleration_->setText(opviews::Latin1(t.maxDeceleration));
    ratedCurrent_->setText(opviews::Latin1(t.ratedCurrent));
}

QString CDlgMotionProfileLimits::FieldText(const QString& label) const
{
    const QLabel* value = findChild<QLabel*>(label);
    return value != nullptr ? value->text() : QString();
}

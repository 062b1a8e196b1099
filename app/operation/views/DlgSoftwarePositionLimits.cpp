#include "operation/views/DlgSoftwarePositionLimits.h"

#include <QGridLayout>
#include <QLabel>

#include "operation/LimitsReader.h"
#include "operation/views/OperationWidgets.h"

CDlgSoftwarePositionLimits::CDlgSoftwarePositionLimits(QWidget* parent)
    : CDlgLimits("CDlgSoftwarePositionLimits", QStringLiteral("Software Position Limits"), parent)
{
    auto* grid = new QGridLayout(this);
    labels_[0] = QStringLiteral("Position Limits:");
    labels_[1] = QStringLiteral("Position Drive Limits:");
    labels_[2] = QStringLiteral("Position Safety Limits:");
    for (int row = 0; row < kRows; ++row) {
        lower_[row] = opviews::ValueLabel(this, QString(), QString(), 100);
        upper_[row] = opviews::ValueLabel(this, QString(), QString(), 100);
        grid->addWidget(new QLabel(labels_[row], this), row, 0);
        grid->addWidget(lower_[row], row, 1);
        grid->addWidget(new QLabel(QStringLiteral("to"), this), row, 2);
        grid->addWidget(upper_[row], row, 3);
        grid->addWidget(new QLabel(QStringLiteral("inc"), this), row, 4);
    }
}

void CDlgSoftwarePositionLimits::Refresh(CCANopenNode* node)
{
    const ovro::SoftwarePositionLimitsTexts t = ovro::CLimitsReader::ReadSoftwarePositionLimits(node);
    const std::string* lower[] = {&t.positionLower, &t.driveLower, &t.safetyLower};
    const std::string* upper[] = {&t.positionUpper, &t.driveUpper, &t.safetyUpper};
    for (int row = 0; row < kRows; ++row) {
        lower_[row]->setText(opviews::Latin1(*lower[row]));
        upper_[row]->setText(opviews::Latin1(*upper[row]));
    }
}

QString CDlgSoftwarePositionLimits::RowText(const QString& label) const
{
    for (int row = 0; row < kRows; ++row)
        if (labels_[row] == label)
            return lower_[row]->text() + QStringLiteral(" to ") + upper_[row]->text();
    return QString();
}

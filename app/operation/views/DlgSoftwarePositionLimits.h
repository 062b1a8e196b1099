// CDlgSoftwarePositionLimits: the "Software Position Limits" window of the
// position page's "?" button - the position limits, the drive limits and
// the safety limits, each lower to upper.
#pragma once

#include "operation/views/DlgLimits.h"

class QLabel;

class CDlgSoftwarePositionLimits : public CDlgLimits {
    Q_OBJECT
public:
    explicit CDlgSoftwarePositionLimits(QWidget* parent = nullptr);

    void Refresh(CCANopenNode* node) override;
    // "lower to upper" of a row by its label ("Position Limits:", ...).
    QString RowText(const QString& label) const;

private:
    static constexpr int kRows = 3;
    QLabel* lower_[kRows] = {};
    QLabel* upper_[kRows] = {};
    QString labels_[kRows];
};

// CDlgMotionProfileLimits: the "Motion Profile Limits" window of the motion
// pages' "?" button - max. profile velocity, max. acceleration and
// deceleration and the motor's rated current.
#pragma once

#include "operation/views/DlgLimits.h"

class QLabel;

class CDlgMotionProfileLimits : public CDlgLimits {
    Q_OBJECT
public:
    explicit CDlgMotionProfileLimits(QWidget* parent = nullptr);

    void Refresh(CCANopenNode* node) override;
    QString FieldText(const QString& label) const;

private:
    QLabel* velocity_ = nullptr;
    QLabel* acceleration_ = nullptr;
    QLabel* deceleration_ = nullptr;
    QLabel* ratedCurrent_ = nullptr;
};

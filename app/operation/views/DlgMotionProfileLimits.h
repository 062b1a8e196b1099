// CDlgMotionProfileLimits: the modeless "Motion Profile Limits" window of
// the motion pages' "?" button - max. profile velocity, max. acceleration
// and deceleration and the motor's rated current, read from the drive when
// it opens and whenever the button is pressed again.
#pragma once

#include <QDialog>

class CCANopenNode;
class QLabel;

class CDlgMotionProfileLimits : public QDialog {
    Q_OBJECT
public:
    explicit CDlgMotionProfileLimits(QWidget* parent = nullptr);

    // Reads the limits (null: none readable) and shows them.
    void Refresh(CCANopenNode* node);
    QString FieldText(const QString& label) const;

private:
    QLabel* velocity_ = nullptr;
    QLabel* acceleration_ = nullptr;
    QLabel* deceleration_ = nullptr;
    QLabel* ratedCurrent_ = nullptr;
};

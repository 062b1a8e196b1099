// CDlgSoftwarePositionLimits: the modeless "Software Position Limits"
// window of the position page's "?" button - the position limits, the
// drive limits and the safety limits, each lower to upper, read from the
// drive when it opens and whenever the button is pressed again.
#pragma once

#include <QDialog>

class CCANopenNode;
class QLabel;

class CDlgSoftwarePositionLimits : public QDialog {
    Q_OBJECT
public:
    explicit CDlgSoftwarePositionLimits(QWidget* parent = nullptr);

    void Refresh(CCANopenNode* node);
    // "lower to upper" of a row by its label ("Position Limits:", ...).
    QString RowText(const QString& label) const;

private:
    QLabel* lower_[3] = {};
    QLabel* upper_[3] = {};
    QString labels_[3];
};

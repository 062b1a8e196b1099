// CDlgLimits: what the two limits windows of the motion pages share - a
// modeless window of values read from the drive when it opens and each time
// its "?" button is pressed again, closed and deleted when the user closes
// it.
#pragma once

#include <QDialog>

class CCANopenNode;

class CDlgLimits : public QDialog {
    Q_OBJECT
public:
    // Reads the limits (null: none readable) and shows them.
    virtual void Refresh(CCANopenNode* node) = 0;

protected:
    CDlgLimits(const char* name, const QString& title, QWidget* parent);
};

// DlgAbout.h - the about box with the program's version.
#pragma once

#include <QDialog>

class CDlgAbout : public QDialog {
    Q_OBJECT
public:
    explicit CDlgAbout(QWidget* parent = nullptr);
};

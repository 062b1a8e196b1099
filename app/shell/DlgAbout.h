// DlgAbout.h - the about box with the program's version.
#pragma once

#include <QDialog>

class QFontMetrics;

class CDlgAbout : public QDialog {
    Q_OBJECT
public:
    explicit CDlgAbout(QWidget* parent = nullptr);

    // The width a window needs to show a title whole in its title bar.
    static int TitleWidth(const QString& title, const QFontMetrics& metrics);
};

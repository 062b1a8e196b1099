// DlgOptionXmlPage.h - "XML-File": the folder of the device description
// and the help files.
#pragma once

#include <QWidget>

class CQVTApp;
class IUserInterface;
class QLineEdit;
class QPushButton;

class CDlgOptionXmlPage : public QWidget {
    Q_OBJECT
public:
    CDlgOptionXmlPage(CQVTApp& app, IUserInterface& ui, QWidget* parent = nullptr);

    QLineEdit* PathField() const { return path_; }
    QPushButton* BrowseButton() const { return browse_; }

public slots:
    // Chooses a folder; it takes effect and is stored at once.
    void OnBrowse();

private:
    CQVTApp& app_;
    IUserInterface& ui_;
    QLineEdit* path_ = nullptr;
    QPushButton* browse_ = nullptr;
};

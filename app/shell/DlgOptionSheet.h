// DlgOptionSheet.h - "Program Options": the XML-File, SLL-File and Node
// Settings pages; it opens on the third page and applies on OK.
#pragma once

#include <QDialog>

class CDlgOptionNodePage;
class CDlgOptionSllPage;
class CDlgOptionXmlPage;
class CQVTApp;
class IUserInterface;
class QTabWidget;

class CDlgOptionSheet : public QDialog {
    Q_OBJECT
public:
    CDlgOptionSheet(CQVTApp& app, IUserInterface& ui, QWidget* parent = nullptr);

    QTabWidget* Pages() const { return pages_; }
    CDlgOptionXmlPage* XmlPage() const { return xml_; }
    CDlgOptionSllPage* SllPage() const { return sll_; }
    CDlgOptionNodePage* NodePage() const { return node_; }

public slots:
    void accept() override;

private:
    CQVTApp& app_;
    QTabWidget* pages_ = nullptr;
    CDlgOptionXmlPage* xml_ = nullptr;
    CDlgOptionSllPage* sll_ = nullptr;
    CDlgOptionNodePage* node_ = nullptr;
};

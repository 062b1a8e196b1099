// DlgOptionSheet.cpp - the program options sheet.
#include "shell/DlgOptionSheet.h"

#include "QVTApp.h"
#include "shell/DlgOptionNodePage.h"
#include "shell/DlgOptionSllPage.h"
#include "shell/DlgOptionXmlPage.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CDlgOptionSheet::CDlgOptionSheet(CQVTApp& app, IUserInterface& ui, QWidget* parent)
    : QDialog(parent), app_(app)
{
    setWindowTitle(QStringLiteral("Program Options"));
    const ProgramOptions options = app_.Options();

    pages_ = new QTabWidget(this);
    xml_ = new CDlgOptionXmlPage(app_, ui, pages_);
    sll_ = new CDlgOptionSllPage(options.sllFileName, options.sllPageSize, ui, pages_);
    node_ = new CDlgOptionNodePage(options.nodeId, options.baudIndex, pages_);
    pages_->addTab(xml_, QStringLiteral("XML-File"));
    pages_->addTab(sll_, QStringLiteral("SLL-File"));
    pages_->addTab(node_, QStringLiteral("Node Settings"));
    pages_->setCurrentIndex(2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgOptionSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
}

void CDlgOptionSheet::accept()
{
    ProgramOptions options = app_.Options();
    const std::optional<std::int16_t> pageSize = sll_->TakePageSize();
    if (!pageSize) {
        pages_->setCurrentWidget(sll_);
        return;
    }
    options.sllFileName = sll_->FileName();
    options.sllPageSize = *pageSize;
    options.nodeId = node_->NodeId();
    options.baudIndex = node_->BaudIndex();
    app_.ApplyOptions(options);
    QDialog::accept();
}

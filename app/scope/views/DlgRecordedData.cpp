// DlgRecordedData.cpp - the "Recorded Data" window.
#include "scope/views/DlgRecordedData.h"

#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"
#include "ui/UserInterface.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

CDlgRecordedData::CDlgRecordedData(const CRecordingTable& table, IUserInterface& ui, QWidget* parent)
    : QDialog(parent), table_(table), ui_(ui), grid_(new QTableWidget(this)), progress_(new QLabel(this))
{
    setWindowTitle(QString::fromLatin1(CRecordingTable::kTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(progress_, 1);
    auto* copy = new QPushButton(tr("Clipboard"), this);
    auto* close = new QPushButton(tr("Close"), this);
    copy->setObjectName(QStringLiteral("clipboard"));
    close->setObjectName(QStringLiteral("close"));
    buttons->addWidget(copy);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(copy, &QPushButton::clicked, this, &CDlgRecordedData::OnClipboard);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    clipboard_ = [](const std::string& text) {
        QClipboard* clipboard = QApplication::clipboard();
        if (clipboard == nullptr)
            return false;
        clipboard->setText(QString::fromLatin1(text.c_str()));
        return clipboard->text() == QString::fromLatin1(text.c_str());
    };
    resize(640, 480);
    Fill();
}

void CDlgRecordedData::Fill()
{
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setVisible(false);
    grid_->horizontalHeader()->setVisible(false);
    // The first row is the header, as in the grid of the original window.
    grid_->setRowCount(table_.RowCount() + 1);
    grid_->setColumnCount(table_.ColumnCount());
    const std::vector<std::string> header = table_.Header();
    for (std::size_t c = 0; c < header.size(); ++c) {
        auto* item = new QTableWidgetItem(QString::fromLatin1(header[c].c_str()));
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
        grid_->setItem(0, static_cast<int>(c), item);
    }
    for (std::int32_t i = 0; i < table_.RowCount(); ++i) {
        const std::vector<std::string> row = table_.Row(i);
        for (std::size_t c = 0; c < row.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromLatin1(row[c].c_str()));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid_->setItem(i + 1, static_cast<int>(c), item);
        }
    }
    grid_->resizeColumnsToContents();
}

void CDlgRecordedData::OnClipboard()
{
    const std::string text = table_.ClipboardText([this](std::int32_t rows) {
        if (rows % 1000 == 0 || rows == table_.RowCount()) {
            progress_->setText(QString::fromLatin1(StringPrintf(CRecordingTable::kCopyProgress, long(rows)).c_str()));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    });
    if (!clipboard_ || !clipboard_(text))
        ui_.ShowMessage(MessageSeverity::Error, MessageIcon::None, MessageText(kMsgClipboardBusy));
}

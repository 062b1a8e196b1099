#include "document/views/QVTView.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <ctime>

#include "description/QVTDevice.h"
#include "document/DocumentObserver.h"
#include "document/PrintLayout.h"
#include "document/QVTDoc.h"
#include "document/views/ViewSupport.h"
#include "document/views/ParameterPrinter.h"
#include "document/views/ValueEditDelegate.h"
#include "ui/MessageTexts.h"

using ovro::CParameterTable;

using ovro::views::Latin1;
using ovro::views::OpenWithDesktop;

namespace {

std::string ToLatin1(const QString& text)
{
    return text.toLatin1().toStdString();
}

}  // namespace

CQVTView::CQVTView(ovro::CQVTDoc* doc, QWidget* parent) : QWidget(parent), doc_(doc), openHelp_(OpenWithDesktop)
{
    grid_ = new QTableWidget(this);
    grid_->setObjectName(QStringLiteral("grid"));
    grid_->setColumnCount(CParameterTable::ColumnCount);
    grid_->verticalHeader()->hide();
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setWordWrap(false);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    delegate_ = new CValueEditDelegate(this);
    grid_->setItemDelegateForColumn(CParameterTable::ColValue, delegate_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);

    programDirectory_ = QCoreApplication::applicationDirPath();
    pollTimer_.setInterval(kPollInterval);
    connect(&pollTimer_, &QTimer::timeout, this, [this] {
        if (doc_ != nullptr)
            doc_->OnPollTimer();
    });
}

CQVTView::~CQVTView()
{
    pollTimer_.stop();
}

QColor CQVTView::ReadOnlyColour() const
{
    return palette().color(QPalette::Active, QPalette::Button);
}

QColor CQVTView::EditableColour() const
{
    return palette().color(QPalette::Active, QPalette::Base);
}

void CQVTView::LayOutGrid()
{
    const int unit = grid_->horizontalHeader()->defaultSectionSize();
    QStringList titles;
    for (int column = 0; column < CParameterTable::ColumnCount; ++column) {
        titles << Latin1(MessageText(CParameterTable::TitleIds()[static_cast<std::size_t>(column)]));
        grid_->setColumnWidth(column, static_cast<int>(unit * CParameterTable::WidthFactor(column)));
    }
    grid_->setHorizontalHeaderLabels(titles);
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CQVTView::OnInitialUpdate()
{
    if (!initialised_) {
        LayOutGrid();
        initialised_ = true;
    }
    OnUpdate(CParameterTable::kHeader);
    pollTimer_.start();
}

void CQVTView::OnUpdate(int hint)
{
    if (hint == ovro::IDocumentObserver::kCommitEdits) {
        CommitPendingEdit();
        return;
    }
    if (doc_ == nullptr || doc_->Device() == nullptr)
        return;
    doc_->SetCurrentSection(hint);
    ShowSection(hint);
}

void CQVTView::ShowSection(int section)
{
    // An edit still open belongs to the lines shown so far.
    CommitPendingEdit();
    section_ = section;
    rows_ = CParameterTable::Rows(*doc_->Device(), section, doc_->IsOnline());
    grid_->clearContents();
    grid_->setRowCount(static_cast<int>(rows_.size()));
    for (int row = 0; row < static_cast<int>(rows_.size()); ++row)
        ShowRow(row);
}

void CQVTView::ShowRow(int gridRow)
{
    const CParameterTable::Row& row = rows_[static_cast<std::size_t>(gridRow)];
    for (int column = 0; column < CParameterTable::ColumnCount; ++column) {
        const QString text = Latin1(row.cells[static_cast<std::size_t>(column)]);
        auto* item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        // A description or a choice text longer than its column shows whole.
        if (!text.isEmpty())
            item->setToolTip(text);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        QColor background = ReadOnlyColour();
        if (column == CParameterTable::ColValue) {
            if (row.editor != CParameterTable::Editor::None)
                flags |= Qt::ItemIsEditable;
            if (row.shade == CParameterTable::Shade::Editable)
                background = EditableColour();
            else if (row.shade == CParameterTable::Shade::Changed)
                background = ChangedColour();
        }
        item->setFlags(flags);
        item->setBackground(background);
        grid_->setItem(gridRow, column, item);
    }
}

const CParameterTable::Row* CQVTView::RowAt(int gridRow) const
{
    if (gridRow < 0 || gridRow >= static_cast<int>(rows_.size()))
        return nullptr;
    return &rows_[static_cast<std::size_t>(gridRow)];
}

// After an edit the line is taken anew from the document (its shade and
// list entry follow the new value), and the cell shows the edit's answer.
void CQVTView::SetValueCell(int gridRow, const std::string& text)
{
    std::vector<CParameterTable::Row> fresh = CParameterTable::Rows(*doc_->Device(), section_, doc_->IsOnline());
    if (fresh.size() != rows_.size())
        return;
    CParameterTable::Row& row = rows_[static_cast<std::size_t>(gridRow)];
    row = fresh[static_cast<std::size_t>(gridRow)];
    row.cells[CParameterTable::ColValue] = text;
    row.shade = CParameterTable::EditedShade(*doc_->Device(), section_, gridRow + 1);
    ShowRow(gridRow);
    emit documentEdited();
}

void CQVTView::CommitText(int gridRow, const QString& text)
{
    if (doc_ == nullptr || doc_->Device() == nullptr || RowAt(gridRow) == nullptr ||
        RowAt(gridRow)->editor == CParameterTable::Editor::None)
        return;
    edits_.Remember(*doc_, section_, gridRow + 1);
    SetValueCell(gridRow, CParameterTable::CommitText(*doc_, section_, gridRow + 1, ToLatin1(text)));
}

void CQVTView::CommitChoice(int gridRow, int choice)
{
    if (doc_ == nullptr || doc_->Device() == nullptr || RowAt(gridRow) == nullptr ||
        RowAt(gridRow)->editor != CParameterTable::Editor::DropDown)
        return;
    edits_.Remember(*doc_, section_, gridRow + 1);
    SetValueCell(gridRow, CParameterTable::CommitChoice(*doc_, section_, gridRow + 1, choice));
}

QString CQVTView::CopySelected() const
{
    if (doc_ == nullptr || doc_->Device() == nullptr || RowAt(grid_->currentRow()) == nullptr)
        return QString();
    return Latin1(ovro::CParameterTableEdits::CopyText(*doc_->Device(), section_, grid_->currentRow() + 1));
}

QString CQVTView::CutSelected()
{
    const int gridRow = grid_->currentRow();
    if (doc_ == nullptr || doc_->Device() == nullptr || RowAt(gridRow) == nullptr)
        return QString();
    std::string shown;
    const std::string text = edits_.Cut(*doc_, section_, gridRow + 1, shown);
    if (RowAt(gridRow)->editor != CParameterTable::Editor::None)
        SetValueCell(gridRow, shown);
    return Latin1(text);
}

bool CQVTView::PasteSelected(const QString& text)
{
    const int gridRow = grid_->currentRow();
    if (doc_ == nullptr || doc_->Device() == nullptr || RowAt(gridRow) == nullptr)
        return false;
    std::string shown;
    if (!edits_.Paste(*doc_, section_, gridRow + 1, ToLatin1(text), shown))
        return false;
    SetValueCell(gridRow, shown);
    return true;
}

bool CQVTView::UndoEdit()
{
    if (doc_ == nullptr || doc_->Device() == nullptr)
        return false;
    CommitPendingEdit();
    int section = section_;
    int row = 0;
    if (!edits_.Undo(*doc_, section, row))
        return false;
    // The line shows its old value again, on the colour its mark gives.
    if (section == section_) {
        const int current = grid_->currentRow();
        ShowSection(section_);
        grid_->setCurrentCell(current, CParameterTable::ColValue);
    }
    emit documentEdited();
    return true;
}

bool CQVTView::CommitPendingEdit()
{
    return delegate_->CommitPending();
}

// ---------------------------------------------------------------- help

std::optional<ovro::CContextHelp::Target> CQVTView::HelpTarget() const
{
    if (doc_ == nullptr || doc_->Device() == nullptr)
        return std::nullopt;
    const std::string key = CParameterTable::HelpKey(*doc_->Device(), section_, grid_->currentRow() + 1);
    if (key.empty())
        return std::nullopt;
    return ovro::CContextHelp::ForTableRow(programDirectory_.toStdString(), doc_->Model(), key);
}

bool CQVTView::OnContextHelp()
{
    const std::optional<ovro::CContextHelp::Target> target = HelpTarget();
    return target && openHelp_ && openHelp_(*target);
}

bool CQVTView::OnHelp()
{
    const bool open = helpFlag_;
    helpFlag_ = !helpFlag_;
    return open && OnContextHelp();
}

// ---------------------------------------------------------------- printing

int CQVTView::PrintBaudRate() const
{
    if (baudRate_)
        return baudRate_();
    return doc_->Device()->baudRate;
}

bool CQVTView::PrintTo(QPrinter& printer) const
{
    if (doc_ == nullptr || doc_->Device() == nullptr)
        return false;
    const ovro::CParameterPrinter print(*doc_->Device(), doc_->NodeId(), PrintBaudRate());
    return print.Print(printer, std::time(nullptr));
}

int CQVTView::OfferedPages(QPrinter& printer) const
{
    const int offered = ovro::CPrintLayout::OfferedPages(doc_->Model());
    if (doc_->Device() == nullptr)
        return offered;
    // The list can run longer than the pages offered of old: offer them all.
    const ovro::CPrintLayout layout(*doc_->Device(), doc_->NodeId(), PrintBaudRate(), printer.height(),
                                    ovro::CParameterPrinter::LineHeight(printer),
                                    ovro::CParameterPrinter::Columns(printer));
    return std::max(offered, layout.PageCount());
}

void CQVTView::OnFilePrint()
{
    if (doc_ == nullptr || doc_->Device() == nullptr)
        return;
    QPrinter local;
    QPrinter& printer = printer_ != nullptr ? *printer_ : local;
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, OfferedPages(printer));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() == QDialog::Accepted)
        PrintTo(printer);
}

void CQVTView::OnFilePrintDirect()
{
    if (doc_ == nullptr || doc_->Device() == nullptr)
        return;
    QPrinter local;
    PrintTo(printer_ != nullptr ? *printer_ : local);
}

void CQVTView::OnFilePrintPreview()
{
    if (doc_ == nullptr || doc_->Device() == nullptr)
        return;
    QPrinter local;
    QPrintPreviewDialog preview(printer_ != nullptr ? printer_ : &local, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) { PrintTo(*printer); });
    preview.exec();
}

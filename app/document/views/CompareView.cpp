#include "CompareView.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "document/views/ViewSupport.h"

using ovro::views::Latin1;

namespace {

using Mark = ovro::CParameterCompare::Mark;

// Yellow as the parameter table marks what waits for a download; the
// drive's own changes in red; read-only rows on grey.
QColor ColourOf(Mark mark)
{
    switch (mark) {
    case Mark::NotDownloaded: return QColor(255, 255, 0);
    case Mark::ChangedInDrive: return QColor(255, 160, 160);
    case Mark::NotRead: return QColor(255, 200, 120);
    case Mark::ReadOnly: return QColor(220, 220, 220);
    case Mark::Same: break;
    }
    return QColor();
}

}  // namespace

CCompareView::CCompareView(QWidget* parent)
    : QWidget(parent), table_(new QTableWidget(this)), summary_(new QLabel(this))
{
    setWindowTitle(tr("Compare"));
    table_->setColumnCount(kColumns);
    table_->setHorizontalHeaderLabels({tr("Parameter"), tr("Object"), tr("Drive"), tr("Document"), tr("Default"), QString()});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* refresh = new QPushButton(tr("&Read drive again"), this);
    connect(refresh, &QPushButton::clicked, this, &CCompareView::refreshRequested);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(summary_);
    layout->addWidget(refresh, 0, Qt::AlignRight);
    resize(900, 600);
}

void CCompareView::Show(const std::vector<ovro::CParameterCompare::Row>& rows)
{
    table_->setRowCount(0);
    table_->setRowCount(static_cast<int>(rows.size()));
    int r = 0;
    for (const ovro::CParameterCompare::Row& row : rows) {
        QString mark = QString::fromLatin1(ovro::CParameterCompare::MarkText(row.mark));
        if (row.changedFromFactory && row.Counts())
            mark = mark.isEmpty() ? tr("changed from factory") : tr("changed from factory, ") + mark;
        const QStringList cells = {
            Latin1(row.section->name + ": " + row.parameter->name),
            QStringLiteral("%1/%2").arg(row.parameter->index, 4, 16, QLatin1Char('0')).arg(row.parameter->subIndex, 2, 16, QLatin1Char('0')).toUpper(),
            row.mark == Mark::NotRead ? QStringLiteral("?") : Latin1(row.drive),
            Latin1(row.document),
            row.factoryKnown ? Latin1(row.factory) : QStringLiteral("-"),
            mark};
        const QColor colour = ColourOf(row.mark);
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (colour.isValid())
                item->setBackground(colour);
            table_->setItem(r, c, item);
        }
        ++r;
    }
    table_->resizeColumnsToContents();
    const ovro::CParameterCompare::Summary s = ovro::CParameterCompare::Summarize(rows);
    const bool inStep = s.notDownloaded + s.changedInDrive + s.notRead == 0;
    summary_->setText(tr("%1 parameters compared: %2 not yet downloaded, %3 changed in drive, %4 not readable; "
                         "%5 changed from factory. %6")
                          .arg(s.compared)
                          .arg(s.notDownloaded)
                          .arg(s.changedInDrive)
                          .arg(s.notRead)
                          .arg(s.changedFromFactory)
                          .arg(inStep ? tr("Drive and document agree.") : tr("Drive and document differ.")));
}

void CCompareView::ShowFailure(const QString& text)
{
    table_->setRowCount(0);
    summary_->setText(text);
}

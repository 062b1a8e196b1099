#include "operation/views/WndLogBook.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "operation/StatusViewModel.h"
#include "operation/views/OperationWidgets.h"

namespace {

constexpr int kRows = 6;
constexpr int kColumns = 3;

QLabel* Value(QWidget* parent, const char* name)
{
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(90);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QTableWidgetItem* Cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

} // namespace

CWndLogBook::CWndLogBook(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CWndLogBook"));
    auto* layout = new QVBoxLayout(this);
    auto* logbook = new QGroupBox(QStringLiteral("Logbook"), this);
    auto* fields = new QGridLayout(logbook);
    const auto row = [&](int at, const char* label, QLabel*& seconds, const char* secondsName, QLabel** time,
                         const char* timeName) {
        fields->addWidget(new QLabel(QString::fromLatin1(label), logbook), at, 0);
        seconds = Value(logbook, secondsName);
        fields->addWidget(seconds, at, 1);
        if (time != nullptr) {
            *time = Value(logbook, timeName);
            fields->addWidget(*time, at, 2);
        }
    };
    row(0, "Power-on time of the drive:", powerOnSeconds_, "powerOnSeconds", &powerOnTime_, "powerOnTime");
    row(1, "Turn-on time of the drive:", turnOnSeconds_, "turnOnSeconds", &turnOnTime_, "turnOnTime");
    row(2, "Number of positioning operations:", positionings_, "positionings", nullptr, nullptr);
    layout->addWidget(logbook);

    auto* errors = new QGroupBox(QStringLiteral("Error List"), this);
    auto* errorLayout = new QVBoxLayout(errors);
    grid_ = new QTableWidget(kRows, kColumns, errors);
    grid_->setObjectName(QStringLiteral("errorGrid"));
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    // Header row: an empty cell, "Emergency", "Meaning"; first column 1...5.
    grid_->setItem(0, 0, Cell(QString()));
    grid_->setItem(0, 1, Cell(QStringLiteral("Emergency")));
    grid_->setItem(0, 2, Cell(QStringLiteral("Meaning")));
    for (int r = 1; r < kRows; ++r) {
        grid_->setItem(r, 0, Cell(QString::number(r)));
        grid_->setItem(r, 1, Cell(QString()));
        grid_->setItem(r, 2, Cell(QString()));
    }
    const int width = grid_->horizontalHeader()->defaultSectionSize();
    grid_->setColumnWidth(0, width / 3);
    grid_->setColumnWidth(1, width);
    grid_->setColumnWidth(2, 5 * width);
    errorLayout->addWidget(grid_);
    auto* clear = new QPushButton(QStringLiteral("Clear List"), errors);
    clear->setObjectName(QStringLiteral("clearList"));
    errorLayout->addWidget(clear, 0, Qt::AlignRight);
    layout->addWidget(errors, 1);
    connect(clear, &QPushButton::clicked, this, &CWndLogBook::clearListRequested);
}

void CWndLogBook::ShowLogbook(const ovro::LogbookTexts& t)
{
    using opviews::Latin1;
    powerOnSeconds_->setText(Latin1(t.powerOnSeconds));
    powerOnTime_->setText(Latin1(t.powerOnTime));
    turnOnSeconds_->setText(Latin1(t.turnOnSeconds));
    turnOnTime_->setText(Latin1(t.turnOnTime));
    positionings_->setText(Latin1(t.positionings));
}

void CWndLogBook::ShowErrorRow(const ovro::ErrorListRow& row)
{
    if (row.row < 1 || row.row >= kRows)
        return;
    grid_->item(row.row, 1)->setText(opviews::Latin1(row.emergency));
    grid_->item(row.row, 2)->setText(opviews::Latin1(row.meaning));
}

QString CWndLogBook::FieldText(const QString& name) const
{
    const QLabel* label = findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QString();
}

// DlgSearchNodeResults.cpp - the result list of the node search.
#include "shell/DlgSearchNodeResults.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

CDlgSearchNodeResults::CDlgSearchNodeResults(const std::vector<ovro::SearchNodeResult>& results,
                                             std::uint8_t baudRate, QWidget* parent)
    : QDialog(parent), count_(results.size())
{
    setWindowTitle(QStringLiteral("Search Node Results"));
    auto* layout = new QVBoxLayout(this);
    grid_ = new QTableWidget(static_cast<int>(results.size()), 5, this);
    grid_->setHorizontalHeaderLabels({QStringLiteral("Node-ID"), QStringLiteral("Baud rate"),
                                      QStringLiteral("Device name"), QStringLiteral("Device ident.-no."),
                                      QStringLiteral("Software version")});
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);

    // The baud rate 10 % wider than a plain column, the texts half as wide again.
    const int base = grid_->horizontalHeader()->defaultSectionSize();
    grid_->setColumnWidth(0, base);
    grid_->setColumnWidth(1, base * 11 / 10);
    for (int c = 2; c < 5; ++c)
        grid_->setColumnWidth(c, base * 3 / 2);

    for (std::size_t r = 0; r < results.size(); ++r) {
        const std::array<std::string, 5> texts = results[r].RowTexts(baudRate);
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(QString::fromLatin1(texts[static_cast<std::size_t>(c)].c_str()));
            item->setTextAlignment(c < 2 ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
            grid_->setItem(static_cast<int>(r), c, item);
        }
    }
    if (!results.empty())
        grid_->selectRow(0);
    layout->addWidget(grid_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton(QStringLiteral("&OK"), this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &CDlgSearchNodeResults::OnOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { OnOk(); });
    resize(base * 7 + 60, 120 + 30 * static_cast<int>(std::min<std::size_t>(results.size(), 10)));
}

void CDlgSearchNodeResults::OnOk()
{
    const QList<QTableWidgetSelectionRange> ranges = grid_->selectedRanges();
    if (ranges.isEmpty())
        return;
    const int row = ranges.front().topRow();
    if (row < 0 || static_cast<std::size_t>(row) >= count_)
        return;
    chosen_ = static_cast<std::size_t>(row);
    done(QDialog::Accepted);
}

#include "operation/views/WndLampPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "operation/StatusLampPages.h"

namespace {

QPixmap MakeLamp(const QColor& color)
{
    QPixmap lamp(CWndLampPage::kLampSize, CWndLampPage::kLampSize);
    lamp.fill(Qt::transparent);
    QPainter painter(&lamp);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color.darker(160), 1));
    painter.setBrush(color);
    painter.drawEllipse(QRectF(1.5, 1.5, CWndLampPage::kLampSize - 3, CWndLampPage::kLampSize - 3));
    return lamp;
}

} // namespace

const QPixmap& CWndLampPage::LampImage(bool lit)
{
    static const QPixmap green = MakeLamp(QColor(0, 200, 0));
    static const QPixmap darkRed = MakeLamp(QColor(128, 0, 0));
    return lit ? green : darkRed;
}

CWndLampPage::CWndLampPage(int index, QWidget* parent)
    : QWidget(parent), page_(ovro::CStatusLampPages::Page(index))
{
    setObjectName(QString::fromLatin1(page_.pageClass));
    auto* layout = new QVBoxLayout(this);
    QWidget* area = this;
    QGridLayout* grid = nullptr;
    if (page_.group[0] != '\0') {
        auto* group = new QGroupBox(QString::fromLatin1(page_.group), this);
        layout->addWidget(group);
        area = group;
        grid = new QGridLayout(group);
    } else {
        grid = new QGridLayout;
        layout->addLayout(grid);
    }
    // Upper half: bits 15...8, lower half: bits 7...0, four to a row.
    for (int i = 0; i < 16; ++i) {
        const int bit = 15 - i;
        const int row = (i / 8) * 3 + (i % 8) / 4;
        const int column = (i % 4) * 2;
        auto* lamp = new QLabel(area);
        lamp->setObjectName(QStringLiteral("lamp%1").arg(bit));
        lamp->setFixedSize(kLampSize, kLampSize);
        lamp->setPixmap(LampImage(false));
        auto* text = new QLabel(QString::fromLatin1(page_.bitTexts[static_cast<std::size_t>(i)]), area);
        grid->addWidget(lamp, row, column);
        grid->addWidget(text, row, column + 1);
        lamps_[static_cast<std::size_t>(bit)] = lamp;
    }
    grid->setRowMinimumHeight(2, 12);
    layout->addStretch(1);
}

void CWndLampPage::SetBits(std::uint16_t bits)
{
    for (int bit = 0; bit < 16; ++bit) {
        const bool lit = (bits & (1u << bit)) != 0;
        QLabel* lamp = lamps_[static_cast<std::size_t>(bit)];
        const QVariant shown = lamp->property("lit");
        if (shown.isValid() && shown.toBool() == lit)
            continue;
        lamp->setPixmap(LampImage(lit));
        lamp->setProperty("lit", lit);
    }
    bits_ = bits;
}

bool CWndLampPage::LampLit(int bit) const
{
    if (bit < 0 || bit > 15)
        return false;
    return lamps_[static_cast<std::size_t>(bit)]->pixmap().cacheKey() == LampImage(true).cacheKey();
}

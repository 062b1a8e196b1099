#include "operation/views/StatusView.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "description/QVTDevice.h"
#include "operation/DriveCommands.h"
#include "operation/DriveDocument.h"
#include "operation/StatusLampPages.h"
#include "operation/views/DriveStatusBox.h"
#include "operation/views/OperationWidgets.h"
#include "operation/views/WndDeviceStatus.h"
#include "operation/views/WndLampPage.h"
#include "operation/views/WndLogBook.h"

namespace {

QIcon RedStopIcon()
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(200, 0, 0));
    painter.setPen(QPen(QColor(120, 0, 0), 1));
    painter.drawEllipse(QRectF(1.5, 1.5, 21, 21));
    painter.fillRect(QRectF(7, 7, 10, 10), Qt::white);
    return QIcon(pixmap);
}

} // namespace

CStatusView::CStatusView(ovro::IDriveDocument& doc, QWidget* parent) : QWidget(parent), doc_(doc)
{
    setObjectName(QStringLiteral("CStatusView"));
    const ovro::StatusViewTexts initial = ovro::CStatusViewModel::Initial();
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    mode_ = new QGroupBox(opviews::Latin1(initial.modeCaption), this);
    mode_->setObjectName(QStringLiteral("modeCaption"));
    auto* values = new QGridLayout(mode_);
    position_ = opviews::ValueLabel(mode_, QStringLiteral("Actual Position:"), opviews::Latin1(initial.position));
    velocity_ = opviews::ValueLabel(mode_, QStringLiteral("Actual Velocity:"), opviews::Latin1(initial.velocity));
    values->addWidget(new QLabel(QStringLiteral("Actual Position:"), mode_), 0, 0);
    values->addWidget(position_, 0, 1);
    values->addWidget(new QLabel(QStringLiteral("inc"), mode_), 0, 2);
    values->addWidget(new QLabel(QStringLiteral("Actual Velocity:"), mode_), 1, 0);
    values->addWidget(velocity_, 1, 1);
    values->addWidget(new QLabel(QStringLiteral("inc/sec"), mode_), 1, 2);
    auto* stop = new QPushButton(RedStopIcon(), QString(), mode_);
    stop->setObjectName(QStringLiteral("quickStop"));
    stop->setToolTip(QStringLiteral("Quick Stop"));
    stop->setIconSize(QSize(24, 24));
    values->addWidget(stop, 0, 3, 2, 1);
    top->addWidget(mode_, 1);

    status_ = new CDriveStatusBox(doc, initial.status, this);
    top->addWidget(status_, 1);

    sheet_ = new CWndDeviceStatus(this);
    layout->addWidget(sheet_, 1);

    connect(stop, &QPushButton::clicked, this, &CStatusView::OnQuickStop);
    connect(sheet_->LogBook(), &CWndLogBook::clearListRequested, this, &CStatusView::OnClearList);

    // Timer 2, every 100 ms while the view is open.
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("refreshTimer"));
    timer_->setInterval(kRefreshMs);
    connect(timer_, &QTimer::timeout, this, &CStatusView::OnRefresh);
    timer_->start();
}

QString CStatusView::ModeCaption() const
{
    return mode_->title();
}

QString CStatusView::FieldText(const QString& name) const
{
    const QLabel* label = findChild<QLabel*>(name);
    return label != nullptr ? label->text() : QString();
}

void CStatusView::OnRefresh()
{
    const std::optional<ovro::StatusViewTexts> t = ovro::CStatusViewModel::Refresh(doc_);
    if (!t)
        return;
    const int page = sheet_->currentIndex();
    if (CWndLampPage* lamps = sheet_->LampPage(page)) {
        lamps->SetBits(lamps->Page().Bits(doc_.Device()->actual));
    } else if (page == CWndDeviceStatus::kLogBookPage) {
        sheet_->LogBook()->ShowLogbook(ovro::CStatusViewModel::Logbook(doc_.Device()->actual));
        for (const ovro::ErrorListRow& row : model_.ErrorRows(doc_))
            sheet_->LogBook()->ShowErrorRow(row);
    }
    using opviews::Latin1;
    mode_->setTitle(Latin1(t->modeCaption));
    position_->setText(Latin1(t->position));
    velocity_->setText(Latin1(t->velocity));
    status_->Show(t->status);
}

QPushButton* CStatusView::ResetFaultButton() const
{
    return status_->ResetFaultButton();
}

void CStatusView::OnResetFault()
{
    status_->OnResetFault();
}

void CStatusView::OnQuickStop()
{
    opviews::WaitCursor wait;
    ovro::CDriveCommands::QuickStop(doc_);
}

void CStatusView::OnClearList()
{
    ovro::CDriveCommands::ClearErrorList(doc_);
}

void CStatusView::closeEvent(QCloseEvent* event)
{
    timer_->stop();
    QWidget::closeEvent(event);
}

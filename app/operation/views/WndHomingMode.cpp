#include "operation/views/WndHomingMode.h"

#include <cstdint>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "operation/views/OperationWidgets.h"
#include "operation/views/PageForm.h"

CWndHomingMode::CWndHomingMode(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent)
    : QWidget(parent), ui_(ui), page_(doc, ui)
{
    setObjectName(QStringLiteral("CWndHomingMode"));
    CPageForm form(*this);
    methods_ = new QComboBox(this);
    methods_->setObjectName(QStringLiteral("homingMethod"));
    form.AddCaptioned(QStringLiteral("Homing &Method"), methods_);
    assign_ = form.AddField(QStringLiteral("Assign Position:"), "assignPosition", QStringLiteral("inc"));
    QPushButton* start = nullptr;
    QPushButton* stop = nullptr;
    form.AddStartStop(start, stop);

    connect(start, &QPushButton::clicked, this, &CWndHomingMode::OnStart);
    connect(stop, &QPushButton::clicked, this, &CWndHomingMode::OnStop);
    connect(methods_, &QComboBox::currentIndexChanged, this, &CWndHomingMode::OnMethodChanged);
}

void CWndHomingMode::showEvent(QShowEvent* event)
{
    if (!opened_)
        OnInitialUpdate();
    QWidget::showEvent(event);
}

void CWndHomingMode::OnInitialUpdate()
{
    opened_ = true;
    page_.Open();
    const QSignalBlocker block(methods_);
    methods_->clear();
    for (const ovro::CHomingMode::Method& m : page_.Methods())
        methods_->addItem(opviews::Latin1(m.text));
    methods_->setCurrentIndex(page_.Values().selection);
    assign_->setText(QString::number(page_.Values().assignPosition));
    methods_->setEnabled(page_.ListEnabled());
    assign_->setEnabled(page_.AssignEnabled());
}

void CWndHomingMode::OnMethodChanged(int entry)
{
    page_.Values().selection = entry;
    const bool assign = page_.SelectedMethod() == ovro::CHomingMode::kPositionAssignment;
    assign_->setEnabled(assign);
    if (assign) {
        assign_->setFocus();
        assign_->selectAll();
    }
}

void CWndHomingMode::OnStart()
{
    page_.Values().selection = methods_->currentIndex();
    if (assign_->isEnabled()) {
        const auto assign = opviews::TakeField(assign_, INT32_MIN, INT32_MAX, ui_);
        if (!assign)
            return;
        page_.Values().assignPosition = static_cast<std::int32_t>(*assign);
    }
    opviews::WaitCursor wait;
    page_.Start();
}

void CWndHomingMode::OnStop()
{
    opviews::WaitCursor wait;
    page_.Stop();
}

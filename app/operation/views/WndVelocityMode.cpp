#include "operation/views/WndVelocityMode.h"

#include <cstdint>

#include <QLineEdit>
#include <QPushButton>

#include "operation/DriveDocument.h"
#include "operation/views/OperationWidgets.h"

CWndVelocityMode::CWndVelocityMode(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent)
    : QWidget(parent), doc_(doc), ui_(ui), page_(doc, ui), form_(*this)
{
    setObjectName(QStringLiteral("CWndVelocityMode"));
    auto* profileLimits = new QPushButton(QStringLiteral("?"), this);
    profileLimits->setObjectName(QStringLiteral("motionProfileLimits"));
    target_ = form_.AddField(QStringLiteral("Target &Velocity"), "targetVelocity", QStringLiteral("inc/sec"),
                             profileLimits);
    form_.AddProfileFields();
    QPushButton* start = nullptr;
    QPushButton* stop = nullptr;
    form_.AddStartStop(start, stop);

    connect(start, &QPushButton::clicked, this, &CWndVelocityMode::OnStart);
    connect(stop, &QPushButton::clicked, this, &CWndVelocityMode::OnStop);
    connect(profileLimits, &QPushButton::clicked, this, &CWndVelocityMode::motionProfileLimitsRequested);
    connect(form_.MaxCurrentField(), &QLineEdit::textChanged, this, [this] { form_.ShowCurrent(doc_.Device()); });
}

void CWndVelocityMode::showEvent(QShowEvent* event)
{
    if (!opened_)
        OnInitialUpdate();
    QWidget::showEvent(event);
}

void CWndVelocityMode::OnInitialUpdate()
{
    opened_ = true;
    page_.Open();
    const ovro::CVelocityMode::Fields& f = page_.Values();
    target_->setText(QString::number(f.targetVelocity));
    form_.ShowProfile({f.acceleration, f.deceleration, f.maxCurrent});
    form_.ShowCurrent(doc_.Device());
}

void CWndVelocityMode::OnStart()
{
    const auto target = opviews::TakeField(target_, INT32_MIN, INT32_MAX, ui_);
    const auto profile = target ? form_.TakeProfile(ui_) : std::nullopt;
    if (!profile)
        return;
    ovro::CVelocityMode::Fields& f = page_.Values();
    f.targetVelocity = static_cast<std::int32_t>(*target);
    f.acceleration = profile->acceleration;
    f.deceleration = profile->deceleration;
    f.maxCurrent = profile->maxCurrent;
    opviews::WaitCursor wait;
    page_.Start();
}

void CWndVelocityMode::OnStop()
{
    opviews::WaitCursor wait;
    page_.Stop();
}

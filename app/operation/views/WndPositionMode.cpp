#include "operation/views/WndPositionMode.h"

#include <cstdint>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "operation/DriveDocument.h"
#include "operation/views/OperationWidgets.h"

CWndPositionMode::CWndPositionMode(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent)
    : QWidget(parent), doc_(doc), ui_(ui), page_(doc, ui), form_(*this)
{
    setObjectName(QStringLiteral("CWndPositionMode"));
    auto* positionLimits = new QPushButton(QStringLiteral("?"), this);
    positionLimits->setObjectName(QStringLiteral("softwarePositionLimits"));
    target_ = form_.AddField(QStringLiteral("Target &Position"), "targetPosition", QStringLiteral("inc"),
                             positionLimits);
    absolute_ = new QRadioButton(QStringLiteral("Absolute Position"), this);
    relative_ = new QRadioButton(QStringLiteral("Relative Position"), this);
    absolute_->setObjectName(QStringLiteral("absolute"));
    relative_->setObjectName(QStringLiteral("relative"));
    form_.AddRow(absolute_, relative_);

    auto* profileLimits = new QPushButton(QStringLiteral("?"), this);
    profileLimits->setObjectName(QStringLiteral("motionProfileLimits"));
    velocity_ = form_.AddField(QStringLiteral("Profile &Velocity"), "profileVelocity", QStringLiteral("inc/sec"),
                               profileLimits);
    form_.AddProfileFields();

    userProfile_ = new QCheckBox(QStringLiteral("User-defined Profile:"), this);
    userProfile_->setObjectName(QStringLiteral("userProfile"));
    profiles_ = new QComboBox(this);
    profiles_->setObjectName(QStringLiteral("profileList"));
    for (const std::string& entry : ovro::CPositionMode::ProfileList())
        profiles_->addItem(opviews::Latin1(entry));
    form_.AddRow(userProfile_, profiles_, 0);
    QPushButton* start = nullptr;
    QPushButton* stop = nullptr;
    form_.AddStartStop(start, stop);

    connect(start, &QPushButton::clicked, this, &CWndPositionMode::OnStart);
    connect(stop, &QPushButton::clicked, this, &CWndPositionMode::OnStop);
    connect(positionLimits, &QPushButton::clicked, this, &CWndPositionMode::softwarePositionLimitsRequested);
    connect(profileLimits, &QPushButton::clicked, this, &CWndPositionMode::motionProfileLimitsRequested);
    connect(form_.MaxCurrentField(), &QLineEdit::textChanged, this, [this] { form_.ShowCurrent(doc_.Device()); });
    connect(userProfile_, &QCheckBox::toggled, this, [this](bool checked) {
        page_.Values().userProfile = checked;
        ShowEnabling();
    });
}

void CWndPositionMode::showEvent(QShowEvent* event)
{
    if (!opened_)
        OnInitialUpdate();
    QWidget::showEvent(event);
}

void CWndPositionMode::OnInitialUpdate()
{
    opened_ = true;
    page_.Open();
    const ovro::CPositionMode::Fields& f = page_.Values();
    target_->setText(QString::number(f.targetPosition));
    (f.relative ? relative_ : absolute_)->setChecked(true);
    velocity_->setText(QString::number(f.velocity));
    form_.ShowProfile({f.acceleration, f.deceleration, f.maxCurrent});
    form_.ShowCurrent(doc_.Device());
    {
        const QSignalBlocker block(userProfile_);
        userProfile_->setChecked(f.userProfile);
    }
    profiles_->setCurrentIndex(page_.ProfileListEntry());
    ShowEnabling();
}

void CWndPositionMode::ShowEnabling()
{
    const bool profile = page_.ProfileFieldsEnabled();
    velocity_->setEnabled(profile);
    form_.SetProfileEnabled(profile);
    profiles_->setEnabled(page_.ProfileListEnabled());
}

bool CWndPositionMode::TakeFields()
{
    ovro::CPositionMode::Fields& f = page_.Values();
    const auto target = opviews::TakeField(target_, INT32_MIN, INT32_MAX, ui_);
    if (!target)
        return false;
    f.targetPosition = static_cast<std::int32_t>(*target);
    f.relative = relative_->isChecked();
    f.userProfile = userProfile_->isChecked();
    f.profileSelection = profiles_->currentIndex();
    if (!f.userProfile) {
        const auto velocity = opviews::TakeField(velocity_, 0, UINT32_MAX, ui_);
        const auto profile = velocity ? form_.TakeProfile(ui_) : std::nullopt;
        if (!profile)
            return false;
        f.velocity = static_cast<std::uint32_t>(*velocity);
        f.acceleration = profile->acceleration;
        f.deceleration = profile->deceleration;
        f.maxCurrent = profile->maxCurrent;
    }
    return true;
}

void CWndPositionMode::OnStart()
{
    if (!TakeFields())
        return;
    opviews::WaitCursor wait;
    page_.Start();
}

void CWndPositionMode::OnStop()
{
    opviews::WaitCursor wait;
    page_.Stop();
}

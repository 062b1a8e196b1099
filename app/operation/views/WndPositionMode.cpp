#include "operation/views/WndPositionMode.h"

#include <cstdint>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include "operation/DriveDocument.h"
#include "operation/views/OperationWidgets.h"

namespace {

QLineEdit* NumberField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setAlignment(Qt::AlignRight);
    return field;
}

} // namespace

CWndPositionMode::CWndPositionMode(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent)
    : QWidget(parent), doc_(doc), ui_(ui), page_(doc, ui)
{
    setObjectName(QStringLiteral("CWndPositionMode"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    const auto add = [&](const QString& label, QWidget* field, const QString& unit, QWidget* extra = nullptr) {
        auto* caption = new QLabel(label, this);
        caption->setBuddy(field);
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(new QLabel(unit, this), row, 2);
        if (extra != nullptr)
            grid->addWidget(extra, row, 3);
        ++row;
    };

    target_ = NumberField(this, "targetPosition");
    auto* positionLimits = new QPushButton(QStringLiteral("?"), this);
    positionLimits->setObjectName(QStringLiteral("softwarePositionLimits"));
    add(QStringLiteral("Target &Position"), target_, QStringLiteral("inc"), positionLimits);
    absolute_ = new QRadioButton(QStringLiteral("Absolute Position"), this);
    relative_ = new QRadioButton(QStringLiteral("Relative Position"), this);
    absolute_->setObjectName(QStringLiteral("absolute"));
    relative_->setObjectName(QStringLiteral("relative"));
    grid->addWidget(absolute_, row, 1);
    grid->addWidget(relative_, row, 2, 1, 2);
    ++row;

    velocity_ = NumberField(this, "profileVelocity");
    auto* profileLimits = new QPushButton(QStringLiteral("?"), this);
    profileLimits->setObjectName(QStringLiteral("motionProfileLimits"));
    add(QStringLiteral("Profile &Velocity"), velocity_, QStringLiteral("inc/sec"), profileLimits);
    acceleration_ = NumberField(this, "profileAcceleration");
    add(QStringLiteral("Profile &Acceleration"), acceleration_, QString::fromUtf8("inc/sec²"));
    deceleration_ = NumberField(this, "profileDeceleration");
    add(QStringLiteral("Profile &Deceleration"), deceleration_, QString::fromUtf8("inc/sec²"));
    maxCurrent_ = NumberField(this, "maxCurrent");
    current_ = new QLabel(this);
    current_->setObjectName(QStringLiteral("currentText"));
    add(QStringLiteral("Max. &Current"), maxCurrent_, QString::fromUtf8("‰"), current_);

    userProfile_ = new QCheckBox(QStringLiteral("User-defined Profile:"), this);
    userProfile_->setObjectName(QStringLiteral("userProfile"));
    profiles_ = new QComboBox(this);
    profiles_->setObjectName(QStringLiteral("profileList"));
    for (const std::string& entry : ovro::CPositionMode::ProfileList())
        profiles_->addItem(opviews::Latin1(entry));
    grid->addWidget(userProfile_, row, 0);
    grid->addWidget(profiles_, row, 1);
    ++row;

    auto* start = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("Start"), this);
    auto* stop = new QPushButton(style()->standardIcon(QStyle::SP_MediaStop), QStringLiteral("Stop"), this);
    start->setObjectName(QStringLiteral("start"));
    stop->setObjectName(QStringLiteral("stop"));
    grid->addWidget(start, row, 1);
    grid->addWidget(stop, row, 2);
    grid->setRowStretch(row + 1, 1);

    connect(start, &QPushButton::clicked, this, &CWndPositionMode::OnStart);
    connect(stop, &QPushButton::clicked, this, &CWndPositionMode::OnStop);
    connect(positionLimits, &QPushButton::clicked, this, &CWndPositionMode::softwarePositionLimitsRequested);
    connect(profileLimits, &QPushButton::clicked, this, &CWndPositionMode::motionProfileLimitsRequested);
    connect(maxCurrent_, &QLineEdit::textChanged, this, &CWndPositionMode::OnMaxCurrentChanged);
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
    acceleration_->setText(QString::number(f.acceleration));
    deceleration_->setText(QString::number(f.deceleration));
    maxCurrent_->setText(QString::number(f.maxCurrent));
    OnMaxCurrentChanged();
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
    acceleration_->setEnabled(profile);
    deceleration_->setEnabled(profile);
    maxCurrent_->setEnabled(profile);
    profiles_->setEnabled(page_.ProfileListEnabled());
}

void CWndPositionMode::OnMaxCurrentChanged()
{
    if (const std::optional<std::string> text =
            ovro::CMotionPage::CurrentText(doc_.Device(), opviews::TextOf(maxCurrent_->text())))
        current_->setText(opviews::Latin1(*text));
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
        const auto acceleration = velocity ? opviews::TakeField(acceleration_, 0, UINT32_MAX, ui_) : std::nullopt;
        const auto deceleration = acceleration ? opviews::TakeField(deceleration_, 0, UINT32_MAX, ui_) : std::nullopt;
        const auto maxCurrent = deceleration ? opviews::TakeField(maxCurrent_, 0, UINT16_MAX, ui_) : std::nullopt;
        if (!maxCurrent)
            return false;
        f.velocity = static_cast<std::uint32_t>(*velocity);
        f.acceleration = static_cast<std::uint32_t>(*acceleration);
        f.deceleration = static_cast<std::uint32_t>(*deceleration);
        f.maxCurrent = static_cast<std::uint16_t>(*maxCurrent);
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

#include "operation/views/WndVelocityMode.h"

#include <cstdint>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "operation/DriveDocument.h"
#include "operation/views/OperationWidgets.h"

CWndVelocityMode::CWndVelocityMode(ovro::IDriveDocument& doc, IUserInterface& ui, QWidget* parent)
    : QWidget(parent), doc_(doc), ui_(ui), page_(doc, ui)
{
    setObjectName(QStringLiteral("CWndVelocityMode"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    const auto add = [&](const QString& label, const char* name, const QString& unit, QWidget* extra = nullptr) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(name));
        field->setAlignment(Qt::AlignRight);
        auto* caption = new QLabel(label, this);
        caption->setBuddy(field);
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row, 1);
        grid->addWidget(new QLabel(unit, this), row, 2);
        if (extra != nullptr)
            grid->addWidget(extra, row, 3);
        ++row;
        return field;
    };
    auto* profileLimits = new QPushButton(QStringLiteral("?"), this);
    profileLimits->setObjectName(QStringLiteral("motionProfileLimits"));
    target_ = add(QStringLiteral("Target &Velocity"), "targetVelocity", QStringLiteral("inc/sec"), profileLimits);
    acceleration_ = add(QStringLiteral("Profile &Acceleration"), "profileAcceleration", QString::fromUtf8("inc/sec²"));
    deceleration_ = add(QStringLiteral("Profile &Deceleration"), "profileDeceleration", QString::fromUtf8("inc/sec²"));
    current_ = new QLabel(this);
    current_->setObjectName(QStringLiteral("currentText"));
    maxCurrent_ = add(QStringLiteral("Max. &Current"), "maxCurrent", QString::fromUtf8("‰"), current_);

    auto* start = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("Start"), this);
    auto* stop = new QPushButton(style()->standardIcon(QStyle::SP_MediaStop), QStringLiteral("Stop"), this);
    start->setObjectName(QStringLiteral("start"));
    stop->setObjectName(QStringLiteral("stop"));
    grid->addWidget(start, row, 1);
    grid->addWidget(stop, row, 2);
    grid->setRowStretch(row + 1, 1);

    connect(start, &QPushButton::clicked, this, &CWndVelocityMode::OnStart);
    connect(stop, &QPushButton::clicked, this, &CWndVelocityMode::OnStop);
    connect(profileLimits, &QPushButton::clicked, this, &CWndVelocityMode::motionProfileLimitsRequested);
    connect(maxCurrent_, &QLineEdit::textChanged, this, &CWndVelocityMode::OnMaxCurrentChanged);
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
    acceleration_->setText(QString::number(f.acceleration));
    deceleration_->setText(QString::number(f.deceleration));
    maxCurrent_->setText(QString::number(f.maxCurrent));
    OnMaxCurrentChanged();
}

void CWndVelocityMode::OnMaxCurrentChanged()
{
    if (const std::optional<std::string> text =
            ovro::CMotionPage::CurrentText(doc_.Device(), opviews::TextOf(maxCurrent_->text())))
        current_->setText(opviews::Latin1(*text));
}

void CWndVelocityMode::OnStart()
{
    const auto target = opviews::TakeField(target_, INT32_MIN, INT32_MAX, ui_);
    const auto acceleration = target ? opviews::TakeField(acceleration_, 0, UINT32_MAX, ui_) : std::nullopt;
    const auto deceleration = acceleration ? opviews::TakeField(deceleration_, 0, UINT32_MAX, ui_) : std::nullopt;
    const auto maxCurrent = deceleration ? opviews::TakeField(maxCurrent_, 0, UINT16_MAX, ui_) : std::nullopt;
    if (!maxCurrent)
        return;
    ovro::CVelocityMode::Fields& f = page_.Values();
    f.targetVelocity = static_cast<std::int32_t>(*target);
    f.acceleration = static_cast<std::uint32_t>(*acceleration);
    f.deceleration = static_cast<std::uint32_t>(*deceleration);
    f.maxCurrent = static_cast<std::uint16_t>(*maxCurrent);
    opviews::WaitCursor wait;
    page_.Start();
}

void CWndVelocityMode::OnStop()
{
    opviews::WaitCursor wait;
    page_.Stop();
}

#include "operation/views/PageForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "operation/MotionPage.h"
#include "operation/views/OperationWidgets.h"

CPageForm::CPageForm(QWidget& page) : page_(page), grid_(new QGridLayout(&page))
{
}

QLineEdit* CPageForm::AddField(const QString& caption, const char* name, const QString& unit, QWidget* extra)
{
    auto* field = new QLineEdit(&page_);
    field->setObjectName(QString::fromLatin1(name));
    field->setAlignment(Qt::AlignRight);
    auto* label = new QLabel(caption, &page_);
    label->setBuddy(field);
    grid_->addWidget(label, row_, 0);
    grid_->addWidget(field, row_, 1);
    grid_->addWidget(new QLabel(unit, &page_), row_, 2);
    if (extra != nullptr)
        grid_->addWidget(extra, row_, 3);
    ++row_;
    return field;
}

void CPageForm::AddCaptioned(const QString& caption, QWidget* widget)
{
    auto* label = new QLabel(caption, &page_);
    label->setBuddy(widget);
    grid_->addWidget(label, row_, 0);
    grid_->addWidget(widget, row_, 1, 1, 2);
    ++row_;
}

void CPageForm::AddRow(QWidget* first, QWidget* second, int column)
{
    grid_->addWidget(first, row_, column);
    if (second != nullptr)
        grid_->addWidget(second, row_, column + 1, 1, 3 - column);
    ++row_;
}

void CPageForm::AddProfileFields()
{
    acceleration_ = AddField(QStringLiteral("Profile &Acceleration"), "profileAcceleration", QString::fromUtf8("inc/sec²"));
    deceleration_ = AddField(QStringLiteral("Profile &Deceleration"), "profileDeceleration", QString::fromUtf8("inc/sec²"));
    current_ = new QLabel(&page_);
    current_->setObjectName(QStringLiteral("currentText"));
    maxCurrent_ = AddField(QStringLiteral("Max. &Current"), "maxCurrent", QString::fromUtf8("‰"), current_);
}

void CPageForm::AddStartStop(QPushButton*& start, QPushButton*& stop)
{
    start = new QPushButton(page_.style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("Start"), &page_);
    stop = new QPushButton(page_.style()->standardIcon(QStyle::SP_MediaStop), QStringLiteral("Stop"), &page_);
    start->setObjectName(QStringLiteral("start"));
    stop->setObjectName(QStringLiteral("stop"));
    grid_->addWidget(start, row_, 1);
    grid_->addWidget(stop, row_, 2);
    grid_->setRowStretch(row_ + 1, 1);
}

void CPageForm::ShowProfile(const Profile& profile)
{
    acceleration_->setText(QString::number(profile.acceleration));
    deceleration_->setText(QString::number(profile.deceleration));
    maxCurrent_->setText(QString::number(profile.maxCurrent));
}

void CPageForm::SetProfileEnabled(bool enabled)
{
    acceleration_->setEnabled(enabled);
    deceleration_->setEnabled(enabled);
    maxCurrent_->setEnabled(enabled);
}

void CPageForm::ShowCurrent(const ovro::CQVTDevice* device)
{
    if (const std::optional<std::string> text =
            ovro::CMotionPage::CurrentText(device, opviews::TextOf(maxCurrent_->text())))
        current_->setText(opviews::Latin1(*text));
}

std::optional<CPageForm::Profile> CPageForm::TakeProfile(IUserInterface& ui) const
{
    const auto acceleration = opviews::TakeField(acceleration_, 0, UINT32_MAX, ui);
    const auto deceleration = acceleration ? opviews::TakeField(deceleration_, 0, UINT32_MAX, ui) : std::nullopt;
    const auto maxCurrent = deceleration ? opviews::TakeField(maxCurrent_, 0, UINT16_MAX, ui) : std::nullopt;
    if (!maxCurrent)
        return std::nullopt;
    return Profile{static_cast<std::uint32_t>(*acceleration), static_cast<std::uint32_t>(*deceleration),
                   static_cast<std::uint16_t>(*maxCurrent)};
}

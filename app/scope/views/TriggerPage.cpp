// TriggerPage.cpp - the "Trigger" tab.
#include "scope/views/TriggerPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

CTriggerPage::CTriggerPage(RecordingSettings& settings, QWidget* parent)
    : QWidget(parent), settings_(settings), model_(settings), triggers_(new QComboBox(this)),
      kinds_(new QComboBox(this)), form_(new QFormLayout(this))
{
    form_->addRow(tr("Trigger:"), triggers_);
    form_->addRow(tr("Slope:"), kinds_);
    level_ = Field(tr("Level ="), &levelUnit_, &RecordingSettings::level);
    minimum_ = Field(tr("Min. ="), &minimumUnit_, &RecordingSettings::minimum);
    maximum_ = Field(tr("Max. ="), &maximumUnit_, &RecordingSettings::maximum);
    mask_ = Field(tr("Mask ="), nullptr, &RecordingSettings::mask);
    value_ = Field(tr("Value ="), nullptr, &RecordingSettings::value);
    QLabel* ms = nullptr;
    delay_ = Field(tr("Time ="), &ms, &RecordingSettings::delay);
    ms->setText(QStringLiteral("ms"));
    filter_ = Field(tr("Filter ="), nullptr, &RecordingSettings::filter);
    for (const CTriggerTab::Entry& e : CTriggerTab::Kinds())
        kinds_->addItem(QString::fromLatin1(e.text.c_str()), e.value);
    connect(triggers_, qOverload<int>(&QComboBox::activated), this, [this](int position) {
        if (filling_ || position < 0)
            return;
        model_.ChooseTrigger(triggers_->itemData(position).toInt());
        Refill();
    });
    connect(kinds_, qOverload<int>(&QComboBox::activated), this, [this](int position) {
        if (filling_ || position < 0)
            return;
        model_.ChooseKind(kinds_->itemData(position).toInt());
        ShowFields();
    });
    Refill();
}

// A labelled text field that writes into one text of the settings, with a
// unit beside it when unit is given.
QLineEdit* CTriggerPage::Field(const QString& label, QLabel** unit, std::string RecordingSettings::*text)
{
    auto* edit = new QLineEdit(this);
    QWidget* row = edit;
    if (unit != nullptr) {
        row = new QWidget(this);
        auto* box = new QHBoxLayout(row);
        box->setContentsMargins(0, 0, 0, 0);
        box->addWidget(edit, 1);
        *unit = new QLabel(row);
        (*unit)->setMinimumWidth(36);
        box->addWidget(*unit);
    }
    form_->addRow(label, row);
    connect(edit, &QLineEdit::textEdited, this,
            [this, text](const QString& typed) { settings_.*text = typed.toLatin1().toStdString(); });
    return edit;
}

void CTriggerPage::Refill()
{
    filling_ = true;
    triggers_->clear();
    for (const CTriggerTab::Entry& e : model_.Triggers())
        triggers_->addItem(QString::fromLatin1(e.text.c_str()), e.value);
    triggers_->setCurrentIndex(model_.TriggerPosition());
    const auto show = [](QLineEdit* edit, const std::string& text) { edit->setText(QString::fromLatin1(text.c_str())); };
    show(level_, settings_.level);
    show(minimum_, settings_.minimum);
    show(maximum_, settings_.maximum);
    show(mask_, settings_.mask);
    show(value_, settings_.value);
    show(delay_, settings_.delay);
    show(filter_, settings_.filter);
    filling_ = false;
    ShowFields();
}

void CTriggerPage::ShowFields()
{
    kinds_->setCurrentIndex(model_.KindPosition());
    kinds_->setEnabled(settings_.trigger != RecordingSettings::kNoTrigger);
    const CTriggerTab::Fields fields = model_.ShownFields();
    const auto row = [this](QLineEdit* edit, bool visible) {
        form_->setRowVisible(edit->parentWidget() == this ? static_cast<QWidget*>(edit) : edit->parentWidget(),
                             visible);
    };
    row(level_, fields == CTriggerTab::Fields::Level);
    row(minimum_, fields == CTriggerTab::Fields::Window);
    row(maximum_, fields == CTriggerTab::Fields::Window);
    row(mask_, fields == CTriggerTab::Fields::Binary);
    row(value_, fields == CTriggerTab::Fields::Binary);
    const QString unit = QString::fromLatin1(model_.Unit().c_str());
    levelUnit_->setText(unit);
    minimumUnit_->setText(unit);
    maximumUnit_->setText(unit);
}

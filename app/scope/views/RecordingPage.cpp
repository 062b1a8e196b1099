// RecordingPage.cpp - the "Recording" tab.
#include "scope/views/RecordingPage.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

CRecordingPage::CRecordingPage(RecordingSettings& settings, std::uint8_t baudRate, QWidget* parent)
    : QWidget(parent), model_(settings, baudRate), channels_(new QListWidget(this)),
      available_(new QComboBox(this)), timeBases_(new QComboBox(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Channels:"), this));
    layout->addWidget(channels_);
    channels_->setToolTip(tr("Double-click a channel to remove it"));
    layout->addWidget(new QLabel(tr("Available signals:"), this));
    layout->addWidget(available_);
    layout->addWidget(new QLabel(tr("Time base:"), this));
    layout->addWidget(timeBases_);
    layout->addStretch(1);
    connect(available_, qOverload<int>(&QComboBox::activated), this, &CRecordingPage::OnAvailableChosen);
    connect(channels_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OnChannelDoubleClicked(channels_->row(item)); });
    connect(timeBases_, qOverload<int>(&QComboBox::activated), this, &CRecordingPage::OnTimeBaseChosen);
    Refill();
}

void CRecordingPage::Refill()
{
    filling_ = true;
    channels_->clear();
    for (const std::string& text : model_.ChannelTexts())
        channels_->addItem(QString::fromLatin1(text.c_str()));
    available_->clear();
    for (const CRecordingTab::Entry& e : model_.AvailableSignals())
        available_->addItem(QString::fromLatin1(e.text.c_str()), e.value);
    available_->setCurrentIndex(0);
    timeBases_->clear();
    for (const CRecordingTab::Entry& e : model_.TimeBases())
        timeBases_->addItem(QString::fromLatin1(e.text.c_str()), e.value);
    timeBases_->setCurrentIndex(model_.TimeBasePosition());
    filling_ = false;
}

void CRecordingPage::OnAvailableChosen(int position)
{
    if (filling_ || position < 0)
        return;
    const int signal = available_->itemData(position).toInt();
    if (signal >= 0 && model_.ChooseSignal(signal)) {
        Refill();
        emit channelsChanged();
    }
}

void CRecordingPage::OnChannelDoubleClicked(int row)
{
    if (model_.RemoveChannel(row)) {
        Refill();
        emit channelsChanged();
    }
}

void CRecordingPage::OnTimeBaseChosen(int position)
{
    if (filling_ || position < 0)
        return;
    model_.ChooseTimeBase(timeBases_->itemData(position).toInt());
}

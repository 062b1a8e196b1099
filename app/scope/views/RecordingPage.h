// CRecordingPage: the "Recording" tab - the channel list (a double-click
// removes a channel), "Available signals" (choosing one adds it) and the
// time bases the bus can carry. It shows CRecordingTab and forwards the
// choices to it.
#pragma once

#include "scope/RecordingTab.h"

#include <QWidget>

class QComboBox;
class QListWidget;

class CRecordingPage : public QWidget {
    Q_OBJECT
public:
    CRecordingPage(RecordingSettings& settings, std::uint8_t baudRate, QWidget* parent = nullptr);

    CRecordingTab& Model() { return model_; }
    // Shows the settings again (after a recording was loaded).
    void Refill();

    QListWidget* Channels() const { return channels_; }
    QComboBox* Available() const { return available_; }
    QComboBox* TimeBases() const { return timeBases_; }

signals:
    // The channel list changed (the trigger tab lists the channels).
    void channelsChanged();

private:
    void OnAvailableChosen(int position);
    void OnChannelDoubleClicked(int row);
    void OnTimeBaseChosen(int position);

    CRecordingTab model_;
    QListWidget* channels_;
    QComboBox* available_;
    QComboBox* timeBases_;
    bool filling_ = false;
};

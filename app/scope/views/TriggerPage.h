// CTriggerPage: the "Trigger" tab - the trigger signal, the kind, the value
// fields the kind shows with their units, "Time =" (the pre-trigger delay
// in ms) and "Filter =". It shows CTriggerTab; the texts go into the
// settings as typed.
#pragma once

#include "scope/TriggerTab.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

class CTriggerPage : public QWidget {
    Q_OBJECT
public:
    explicit CTriggerPage(RecordingSettings& settings, QWidget* parent = nullptr);

    CTriggerTab& Model() { return model_; }
    // Shows the settings again (channels changed, a recording was loaded).
    void Refill();

    QComboBox* Triggers() const { return triggers_; }
    QComboBox* Kinds() const { return kinds_; }
    QLineEdit* LevelEdit() const { return level_; }
    QLineEdit* MinimumEdit() const { return minimum_; }
    QLineEdit* MaximumEdit() const { return maximum_; }
    QLineEdit* MaskEdit() const { return mask_; }
    QLineEdit* ValueEdit() const { return value_; }
    QLineEdit* DelayEdit() const { return delay_; }
    QLineEdit* FilterEdit() const { return filter_; }

private:
    void ShowFields();
    QLineEdit* Field(const QString& label, QLabel** unit, std::string RecordingSettings::*text);

    RecordingSettings& settings_;
    CTriggerTab model_;
    QComboBox* triggers_;
    QComboBox* kinds_;
    QLineEdit* level_ = nullptr;
    QLineEdit* minimum_ = nullptr;
    QLineEdit* maximum_ = nullptr;
    QLineEdit* mask_ = nullptr;
    QLineEdit* value_ = nullptr;
    QLineEdit* delay_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QLabel* levelUnit_ = nullptr;
    QLabel* minimumUnit_ = nullptr;
    QLabel* maximumUnit_ = nullptr;
    class QFormLayout* form_ = nullptr;
    bool filling_ = false;
};

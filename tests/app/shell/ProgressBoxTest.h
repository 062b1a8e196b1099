// "Please wait...": the log, the auto-close box and Finish/Cancel.
#pragma once

#include <QObject>

class ProgressBoxTest : public QObject {
    Q_OBJECT
private slots:
    void autoCloseBoxFollowsTheSettings();
    void textIsAppendedAndTheBarAdvances();
    void successWithAutoCloseFinishesAtOnce();
    void anErrorWaitsForFinish();
    void cancelIsTakenOnce();
    void ownerIsDisabledWhileTheWindowExists();
    void buttonsWorkWhileTheCallerPolls();
};

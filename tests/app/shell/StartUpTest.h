// The program's start with its main window.
#pragma once

#include <QObject>

class StartUpTest : public QObject {
    Q_OBJECT
private slots:
    void missingDescriptionNoEndsTheProgram();
    void missingDescriptionYesStartsWithoutIt();
    void noInterfaceStartsQuietly();
    void failingInterfaceIsReported();
    void configuredInterfaceIsOpened();
};

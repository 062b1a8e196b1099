// "Program Options": its pages and the keys it writes.
#pragma once

#include <QObject>

class OptionSheetTest : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheNodeSettingsPage();
    void okWritesTheKeys();
    void pageSizeOutOfRangeKeepsTheSheetOpen();
    void defaultsAreNode127At20kBit();
    void cancelWritesNothing();
    void browsingForTheXmlFolderStoresItAtOnce();
};

// The "CAN Interface" dialog: plug-and-play fields and the address and IRQ
// checks.
#pragma once

#include <QObject>

class InterfaceDialogTest : public QObject {
    Q_OBJECT
private slots:
    void listsTheDescriptionsBoards();
    void plugAndPlayBoardsHaveNoAddressAndIrq();
    void invalidAddressKeepsTheDialogOpen();
    void invalidIrqKeepsTheDialogOpen();
    void validTextsAreAccepted();
    void offersTheLinuxChannelForPcanLightBoards();
};

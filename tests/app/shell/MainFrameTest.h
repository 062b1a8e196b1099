// The main window: menus and their enabling, toolbar, status pane,
// placements, closing, the interface and help commands.
#pragma once

#include <QObject>

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void menusWithoutDocument();
    void menusWithDocument();
    void acceleratorsAreKeySequences();
    void statusPaneAndToolbar();
    void defaultPlaceFollowsTheScreen();
    void placementIsWrittenAndRestored();
    void maximisedPlacementStartsMaximised();
    void closingWithAnOnlineDocumentAsksFirst();
    void userManualOpensThePdfOrNothing();
    void aboutShowsTheVersion();
    void initializeThroughTheMenuOpensTheChosenBoard();
    void propertiesWithoutBoardWarn();
    void messageBoxesCarryTextIconAndButtons();
};

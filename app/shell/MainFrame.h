// MainFrame.h - the program's multi-document main window: both menu sets,
// the toolbar, the status bar with the connection pane, its placement, and
// the commands of the interface, help and about.
#pragma once

#include "shell/CommandState.h"

#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CQVTApp;
class IUserInterface;
class QLabel;
class QMdiArea;
class QPrinter;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(CQVTApp& app, IUserInterface& ui, const CCommandState::Features& features = {},
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Size and place before the first show: the stored "MainFrame"
    // placement, else the default for the screen size.
    void PrepareGeometry(const QSize& screen);
    // Shows the window in the state PrepareGeometry chose.
    void ShowInitial();
    bool StartsMaximised() const { return startMaximised_; }
    // Writes the "MainFrame" placement.
    bool SavePlacement();

    // The command of a number (null when the frame has none).
    QAction* Action(unsigned command) const;
    // The text as the menus show it: "&Open...\tCtrl+O".
    static QString MenuText(const QAction* action);

    // The menu set and enabling follow the active document.
    void SetNoDocument();
    void SetDocument(bool online);
    const CCommandState& Commands() const { return commands_; }
    bool HasDocumentMenus() const { return documentMenus_; }

    // Pane 1 of the status bar; without a document the program's title.
    void SetConnectionText(const QString& text);
    void ClearConnectionText();
    QString ConnectionText() const;
    // Pane 0: command prompts, and what a command did.
    void SetPromptText(const QString& text);
    QString PromptText() const;

    QMdiArea* MdiArea() const { return mdi_; }
    // The program's printer: "P&rint Setup..." sets it up, the documents
    // print on it.
    QPrinter* Printer();
    QToolBar* ToolBar() const { return toolBar_; }

    // How a PDF file is handed to the viewer (QDesktopServices by default).
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }
    bool OpenUrl(const QUrl& url) { return openUrl_(url); }

    // The entries of the recent-file list, newest first (at most four).
    void SetRecentFiles(const std::vector<std::string>& files);
    const std::vector<std::string>& RecentFiles() const { return recentFiles_; }

    // Runs when the main window is about to close (after the question about
    // a connected drive), before the placement is written: the documents
    // close; false (a document stays open) keeps the window open.
    void SetCloseHandler(std::function<bool()> handler) { closeHandler_ = std::move(handler); }
    // Whether a document command runs: closing the window and opening
    // another interface are refused meanwhile.
    void SetBusyQuery(std::function<bool()> busy) { busy_ = std::move(busy); }
    bool IsBusy() const { return busy_ && busy_(); }
    // Runs after "&Initialize..." was answered with OK, before the interface
    // opens anew: false (the drive stays connected) ends the command.
    void SetInterfaceGuard(std::function<bool()> guard) { interfaceGuard_ = std::move(guard); }

signals:
    // A recent-file entry was chosen (0 the newest).
    void recentFileChosen(int index);
    // The "Program Options" sheet has closed (a folder chosen with Browse
    // holds even after Cancel).
    void optionsChanged();

public slots:
    void OnPrintSetup();
    void OnInterfaceInitialize();
    void OnInterfaceProperties();
    void OnOptions();
    void OnUserManual();
    void OnAbout();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* AddCommand(unsigned command, const char* menuText);
    void CreateCommands();
    void CreateToolBar();
    void BuildMenus();
    void UpdateCommands();

    CQVTApp& app_;
    IUserInterface& ui_;
    CCommandState commands_;
    std::map<unsigned, QAction*> actions_;
    QMdiArea* mdi_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* connectionPane_ = nullptr;
    bool documentMenus_ = false;
    bool startMaximised_ = false;
    std::function<bool(const QUrl&)> openUrl_;
    std::function<bool()> closeHandler_;
    std::function<bool()> busy_;
    std::function<bool()> interfaceGuard_;
    std::vector<std::string> recentFiles_;
    std::unique_ptr<QPrinter> printer_;
};

// CChildFrame: the document window - a toolbar of its own above a splitter
// with the section tree (CLeftView) on the left and the parameter table
// (CQVTView) on the right. It follows its document's refreshes, keeps its
// placement as "ChildFrame" in the settings, and asks before it closes a
// document that is connected to a drive.
#pragma once

#include <QMdiSubWindow>

#include <functional>
#include <map>

#include "document/ChildFramePlacement.h"
#include "document/ContextHelp.h"
#include "document/DocumentObserver.h"
#include "ui/CommandIds.h"

class CCompareView;
class CLeftView;
class CQVTView;
class ISettingsStore;
class IUserInterface;
class QAction;
class QPrinter;
class QSplitter;
class QToolBar;

namespace ovro {
class CDocumentObserverList;
class CQVTDoc;
}

class CChildFrame : public QMdiSubWindow, public ovro::IDocumentObserver {
    Q_OBJECT
public:
    // Toolbar commands.
    static constexpr unsigned kUpload = CommandId::kUpload;
    static constexpr unsigned kDownload = CommandId::kDownload;
    static constexpr unsigned kStore = CommandId::kStore;
    static constexpr unsigned kPrint = CommandId::kPrint;
    static constexpr unsigned kPrintPreview = CommandId::kPrintPreview;
    static constexpr unsigned kContextHelp = CommandId::kContextHelp;  // Shift+F1
    static constexpr unsigned kHelp = CommandId::kHelp;                // F1
    static constexpr unsigned kCompare = CommandId::kCompare;

    CChildFrame(ovro::CQVTDoc* doc, IUserInterface& ui, ISettingsStore& settings, QWidget* parent = nullptr);
    ~CChildFrame() override;

    ovro::CQVTDoc* Document() const { return doc_; }
    CQVTView* View() const { return view_; }
    CLeftView* Tree() const { return tree_; }
    // The Compare view, once the command has opened it.
    CCompareView* Compare() const { return compare_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QSplitter* Splitter() const { return splitter_; }
    QAction* Action(unsigned command) const;
    bool IsBusy() const { return busy_; }

    // Fills the tree and the table and starts the status poll.
    void OnInitialUpdate();
    // Shows the window where its placement says, on a screen of that size.
    void ShowInitial(const QSize& screen);
    ChildFrameGeometry InitialGeometry(const QSize& screen) const;
    bool SavePlacement();

    // Refreshes of the document reach the frame through this list; the
    // frame leaves it when it is destroyed.
    void AttachTo(ovro::CDocumentObserverList& observers);
    void OnRefresh(int hint) override;
    void OnPathChanged(const std::string& path, bool addToRecentList) override;

    // The bus's baud-rate code for the print-out.
    void SetBaudRateSource(std::function<int()> source);
    // The program's printer (see CQVTView::SetPrinter).
    void SetPrinter(QPrinter* printer);
    void SetProgramDirectory(const QString& directory);
    void SetHelpOpener(ovro::CContextHelp::Opener opener);
    // A further question before closing (the program's "save changes?");
    // false keeps the window open.
    void SetCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    // How the toolbar's document commands run (the program's: under the
    // wait cursor, as the menu's do); without one they run directly.
    using CommandRunner = std::function<void(const std::function<bool(ovro::CQVTDoc&)>&)>;
    void SetCommandRunner(CommandRunner runner) { runner_ = std::move(runner); }

public slots:
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintDirect();
    // Context help of the pane that has the focus (the table otherwise).
    void OnContextHelp();
    // The plain help command: the table opens its help every second time
    // (its toggle), the tree at once.
    void OnHelp();
    // Reads the drive and shows drive, document and default side by side.
    void OnCompare();

signals:
    // The tree or the table chose another section (-1 the header).
    void sectionShown(int section);
    // A toolbar command has run.
    void commandDone(unsigned command);
    // The window is closing for good: the program closes the document's
    // other windows and the document.
    void frameClosed(CChildFrame* frame);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QAction* AddCommand(unsigned command, const QString& text, const std::function<void()>& run);
    void RunDocumentCommand(bool (ovro::CQVTDoc::*command)());
    void ShowSection(int section);
    void UpdateTitle();
    void KeepNormalGeometry();

    ovro::CQVTDoc* doc_;
    IUserInterface& ui_;
    ISettingsStore& settings_;
    CQVTView* view_ = nullptr;
    CLeftView* tree_ = nullptr;
    CCompareView* compare_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QSplitter* splitter_ = nullptr;
    std::map<unsigned, QAction*> actions_;
    ovro::CDocumentObserverList* observers_ = nullptr;
    std::function<bool()> closeGuard_;
    CommandRunner runner_;
    bool closed_ = false;
    bool busy_ = false;  // a toolbar command runs
    QRect normal_;  // the place of the window when neither maximised nor minimised
};

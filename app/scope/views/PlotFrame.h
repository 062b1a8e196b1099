// CPlotFrame: the "Oscilloscope" window of a document - its toolbar
// (Start, Stop, Zoom +, Zoom -, Zoom manual, Zoom into marked rectangle,
// Cursor on/off, Table view, Graphic view, Export), the state lamp beside
// it (green idle, yellow waiting for the trigger, orange recording without
// trigger, red triggered), the "Recording" and "Trigger" tabs and the plot
// (CPlotView). It owns the document's recording session (CRecording) and
// only shows its state and forwards the commands to it.
#pragma once

#include "scope/Recording.h"
#include "scope/RecordingState.h"
#include "scope/RecordingTable.h"

#include <QMdiSubWindow>

#include <functional>
#include <map>

class CCANopenMaster;
class COscilloscopeData;
class CPlotView;
class CRecordingPage;
class CTriggerPage;
class ISettingsStore;
class IUserInterface;
class QAction;
class QLabel;
class QTabWidget;
class QToolBar;

namespace ovro {
class CQVTDoc;
}

class CPlotFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Oscilloscope";
    static constexpr int kRecordingTab = 0;
    static constexpr int kTriggerTab = 1;

    CPlotFrame(ovro::CQVTDoc* doc, COscilloscopeData& data, CCANopenMaster& master, IUserInterface& ui,
               ISettingsStore& store, QWidget* parent = nullptr);
    ~CPlotFrame() override;

    // The window is shown: the recording session opens; an offline document
    // that holds a recording shows it ("Please wait..." while it is drawn).
    void OnInitialUpdate();

    // The document closes the window (disconnect, download, firmware
    // update): also while that command keeps the document busy, when the
    // user's close is refused.
    void CloseForDocument();

    CRecording& Recording() { return recording_; }
    CPlotView* View() const { return view_; }
    QTabWidget* Tabs() const { return tabs_; }
    CRecordingPage* RecordingPage() const { return recordingPage_; }
    CTriggerPage* TriggerPage() const { return triggerPage_; }
    QToolBar* ToolBar() const { return toolBar_; }
    QAction* Action(unsigned command) const;
    QLabel* Lamp() const { return lamp_; }
    RecordingState LampState() const { return lampState_; }
    static QColor LampColor(RecordingState state);

    // The table window's factory; the modal "Recorded Data" window by
    // default. Tests put their own here.
    using TableWindow = std::function<void(const CRecordingTable& table)>;
    void SetTableWindow(TableWindow window) { tableWindow_ = std::move(window); }

public slots:
    void OnStart();
    void OnStop();
    void OnTableView();
    void OnGraphicView();
    void OnExport();
    // Lamp and command states from the recording.
    void UpdateState();

signals:
    // The window is gone (the main frame clears its mark).
    void frameClosed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateToolBar();
    QAction* AddCommand(unsigned command, bool checkable = false);
    void OnTabChanged(int index);
    void ShowLamp(RecordingState state);
    CRecordingTable Table();

    ovro::CQVTDoc* doc_;
    COscilloscopeData& data_;
    CCANopenMaster& master_;
    IUserInterface& ui_;
    ISettingsStore& store_;
    CRecording recording_;
    QToolBar* toolBar_ = nullptr;
    QLabel* lamp_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    CRecordingPage* recordingPage_ = nullptr;
    CTriggerPage* triggerPage_ = nullptr;
    CPlotView* view_ = nullptr;
    std::map<unsigned, QAction*> actions_;
    int shownTab_ = kRecordingTab;
    RecordingState lampState_ = RecordingState::Idle;
    TableWindow tableWindow_;
    bool closed_ = false;
    bool byDocument_ = false;
};

// CScopeWindowHost: the program's one "Oscilloscope" window in the main
// frame's MDI area, and the program's oscilloscope data behind it. The
// shell hands it the document's requests: open (or bring forward) the
// window, close it before the drive goes, export from it, and keep a
// document's recording when it is opened and saved.
//
//   CScopeWindowHost scope(mdiArea, data, master, ui, store);
//   scope.Open(doc);              // "&Oscilloscope..." of a K315
//   scope.Close();                // disconnect, download, firmware update
//   scope.AppendRecording(text);  // the document is saved
#pragma once

#include <QObject>
#include <QPointer>

#include <string>

class CCANopenMaster;
class COscilloscopeData;
class CPlotFrame;
class ISettingsStore;
class IUserInterface;
class QMdiArea;

namespace ovro {
class CQVTDoc;
}

class CScopeWindowHost : public QObject {
    Q_OBJECT
public:
    CScopeWindowHost(QMdiArea* area, COscilloscopeData& data, CCANopenMaster& master, IUserInterface& ui,
                     ISettingsStore& store, QObject* parent = nullptr);
    ~CScopeWindowHost() override;

    // Restores the open window when it is minimised, else activates it;
    // without one it creates it for the document, maximised when the active
    // window is.
    CPlotFrame* Open(ovro::CQVTDoc* doc);
    // Closes the window; true when none is left open.
    bool Close();
    bool IsOpen() const;
    CPlotFrame* Frame() const;
    // "&Export..." of the file menu: the open window's export.
    void Export();

    // The document's recording sections (COscilloscopeData).
    bool AppendRecording(std::string& text) const;
    bool LoadRecording(const std::string& path);

signals:
    // The window opened or closed (the menu's check mark).
    void openChanged(bool open);

private:
    QMdiArea* area_;
    COscilloscopeData& data_;
    CCANopenMaster& master_;
    IUserInterface& ui_;
    ISettingsStore& store_;
    QPointer<CPlotFrame> frame_;
};

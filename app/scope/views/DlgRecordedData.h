// CDlgRecordedData: the modal "Recorded Data" window - the recording as a
// grid (CRecordingTable) with "Close" and "Clipboard". "Clipboard" copies
// the table as tab-separated text; when the clipboard cannot take it the
// window says "Clipboard is busy. Unable to copy result to clipboard."
#pragma once

#include "scope/RecordingTable.h"

#include <QDialog>

#include <functional>
#include <string>

class IUserInterface;
class QLabel;
class QTableWidget;

class CDlgRecordedData : public QDialog {
    Q_OBJECT
public:
    CDlgRecordedData(const CRecordingTable& table, IUserInterface& ui, QWidget* parent = nullptr);

    // Where the text goes; false when it could not be put there. The
    // system clipboard by default.
    using Clipboard = std::function<bool(const std::string& text)>;
    void SetClipboard(Clipboard clipboard) { clipboard_ = std::move(clipboard); }

    QTableWidget* Grid() const { return grid_; }
    QLabel* Progress() const { return progress_; }

public slots:
    void OnClipboard();

private:
    void Fill();

    const CRecordingTable& table_;
    IUserInterface& ui_;
    QTableWidget* grid_;
    QLabel* progress_;
    Clipboard clipboard_;
};

// CQVTView: the parameter table of a document window - one section of the
// drive's parameters, or the document header, in a six-column grid whose
// value cells are edited in place. The view also drives the document's
// status poll, opens the context help in the CANopen manual and prints the
// whole parameter list.
#pragma once

#include <QColor>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "document/ContextHelp.h"
#include "document/ParameterTable.h"
#include "document/ParameterTableEdits.h"

class CValueEditDelegate;
class QPrinter;
class QTableWidget;

namespace ovro {
class CQVTDoc;
}

class CQVTView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPollInterval = 55;  // ms

    explicit CQVTView(ovro::CQVTDoc* doc, QWidget* parent = nullptr);
    ~CQVTView() override;

    // Lays out the grid on the first call, shows the document header and
    // starts the status poll.
    void OnInitialUpdate();
    // A refresh of the document: IDocumentObserver::kCommitEdits commits the
    // pending edit; any other hint is the section to show (-1 the header).
    void OnUpdate(int hint);

    int Section() const { return section_; }
    QTableWidget* Grid() const { return grid_; }
    bool IsPolling() const { return pollTimer_.isActive(); }

    // The line of a grid row (0-based, below the titles), or null.
    const ovro::CParameterTable::Row* RowAt(int gridRow) const;
    // The editors' results for a grid row.
    void CommitText(int gridRow, const QString& text);
    void CommitChoice(int gridRow, int choice);
    // Commits and closes an open editor; false when none was open.
    bool CommitPendingEdit();
    CValueEditDelegate* Delegate() const { return delegate_; }

    // ---- The Edit menu without an open editor: the selected line --------------
    QString CopySelected() const;
    // The text for the clipboard; the value is emptied as an edit.
    QString CutSelected();
    // The text as an edit of the selected line; false when it has no editor.
    bool PasteSelected(const QString& text);
    // Puts back what the table's last edit replaced.
    bool UndoEdit();

    // Cell backgrounds.
    QColor ReadOnlyColour() const;
    QColor EditableColour() const;
    static QColor ChangedColour() { return QColor(255, 255, 0); }

    // ---- Context help -------------------------------------------------------
    void SetProgramDirectory(const QString& directory) { programDirectory_ = directory; }
    void SetHelpOpener(ovro::CContextHelp::Opener opener) { openHelp_ = std::move(opener); }
    // Where the help of the selected line leads, if anywhere.
    std::optional<ovro::CContextHelp::Target> HelpTarget() const;
    // The context-help command: opens the help of the selected line.
    bool OnContextHelp();
    // The plain help command: opens it every second time it arrives.
    bool OnHelp();

    // ---- Printing -------------------------------------------------------------
    // The bus's baud-rate code for the print-out's node settings; without
    // one the device's baud rate is printed.
    void SetBaudRateSource(std::function<int()> source) { baudRate_ = std::move(source); }
    // The printer that print set-up configured; without one each print
    // starts from the default printer.
    void SetPrinter(QPrinter* printer) { printer_ = printer; }
    QPrinter* Printer() const { return printer_; }
    bool PrintTo(QPrinter& printer) const;
    // The highest page the print dialog offers.
    int OfferedPages(QPrinter& printer) const;
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

signals:
    // The user changed a value or a header field.
    void documentEdited();

private:
    void LayOutGrid();
    void ShowSection(int section);
    void ShowRow(int gridRow);
    void SetValueCell(int gridRow, const std::string& text);
    int PrintBaudRate() const;

    ovro::CQVTDoc* doc_;
    QTableWidget* grid_ = nullptr;
    CValueEditDelegate* delegate_ = nullptr;
    QTimer pollTimer_;
    bool initialised_ = false;
    int section_ = ovro::CParameterTable::kHeader;
    std::vector<ovro::CParameterTable::Row> rows_;
    ovro::CParameterTableEdits edits_;
    bool helpFlag_ = false;
    QString programDirectory_;
    ovro::CContextHelp::Opener openHelp_;
    std::function<int()> baudRate_;
    QPrinter* printer_ = nullptr;
};

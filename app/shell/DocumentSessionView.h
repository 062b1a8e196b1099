// IDocumentSessionView: what the document session needs of the windows -
// the document's window, the question before a changed document closes,
// the menus and the status bar of the main frame, the wait cursor and the
// viewer of the manuals.
#pragma once

#include <string>
#include <vector>

namespace ovro {
class CQVTDoc;
}

class IDocumentSessionView {
public:
    enum class SaveAnswer { Yes, No, Cancel };

    virtual ~IDocumentSessionView() = default;

    // Opens the window of a new or opened document.
    virtual void OpenDocumentWindow(ovro::CQVTDoc& doc) = 0;
    // Closes the document's window, which hands its closing back to the
    // session (CDocumentSession::WindowClosed); false when there is none.
    virtual bool CloseDocumentWindow() = 0;
    // An edit still open in the document's window goes into the document.
    virtual void CommitPendingEdit() = 0;
    // "Save changes to %1?" with Yes, No and Cancel.
    virtual SaveAnswer AskSave(const std::string& title) = 0;

    // The menus and their enabling: no document, or one online or offline.
    virtual void ShowNoDocument() = 0;
    virtual void ShowDocument(bool online) = 0;
    virtual void ShowRecentFiles(const std::vector<std::string>& files) = 0;
    // The connection pane of the status bar; Clear puts the title back.
    virtual void ShowConnectionText(const std::string& text) = 0;
    virtual void ClearConnectionText() = 0;
    // The prompt pane of the status bar.
    virtual void ShowPromptText(const std::string& /*text*/) {}

    // The wait cursor over a command, on and off.
    virtual void SetBusy(bool busy) = 0;
    // Hands an existing file (a manual) to its viewer.
    virtual void OpenManualFile(const std::string& path) = 0;
};

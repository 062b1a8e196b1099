// CDocumentFileDialog: what the file dialogs of the commissioning documents
// ask for - the filter ("Ovro-QVT Files (*.31x)", "All Files (*.*)") and
// the extension ".31x" of the message table - and the rules of a file name
// typed without an extension.
#pragma once

#include <string>

#include "ui/UserInterface.h"

namespace ovro {

class CDocumentFileDialog {
public:
    // "Open": the document filter, proposing "*.31x".
    static FileRequest OpenRequest();
    // "Save As": the document filter, proposing pathName with the extension
    // when it has none.
    static FileRequest SaveAsRequest(const std::string& pathName);
    // path, with ".31x" added when its file name has no suffix.
    static std::string WithExtension(const std::string& path);

    // The file name of a path (after the last '/').
    static std::string FileName(const std::string& path);
    // The suffix of the file name: what follows its last '.' ("" without).
    static std::string Suffix(const std::string& path);
};

}  // namespace ovro

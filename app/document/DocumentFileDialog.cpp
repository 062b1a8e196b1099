#include "document/DocumentFileDialog.h"

#include "ui/FileFilter.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

namespace ovro {

namespace {

FileRequest DocumentRequest(FileRequest::Kind kind)
{
    FileRequest request;
    request.kind = kind;
    request.filter = DialogFilter(MessageText(kMsgDocumentFilter));
    return request;
}

std::string Extension()
{
    return MessageText(kMsgDocumentExtension);
}

}  // namespace

FileRequest CDocumentFileDialog::OpenRequest()
{
    FileRequest request = DocumentRequest(FileRequest::Kind::Open);
    request.defaultName = "*." + Extension();
    return request;
}

FileRequest CDocumentFileDialog::SaveAsRequest(const std::string& pathName)
{
    FileRequest request = DocumentRequest(FileRequest::Kind::Save);
    request.defaultName = WithExtension(pathName);
    return request;
}

std::string CDocumentFileDialog::WithExtension(const std::string& path)
{
    return Suffix(path).empty() ? path + "." + Extension() : path;
}

std::string CDocumentFileDialog::FileName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string CDocumentFileDialog::Suffix(const std::string& path)
{
    const std::string name = FileName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

}  // namespace ovro

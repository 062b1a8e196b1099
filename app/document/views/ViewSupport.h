// What the parameter window's views share: the program's texts (Latin-1,
// as the description file and the message table hold them) as QString, and
// the desktop's viewer as the default opener of the context help.
#pragma once

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include <string>

#include "document/ContextHelp.h"

namespace ovro::views {

inline QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Shows a manual with the desktop's viewer; it cannot be sent to a named
// destination, so it opens at its start.
inline bool OpenWithDesktop(const CContextHelp::Target& target)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(target.file)));
}

}  // namespace ovro::views

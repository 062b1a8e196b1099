// OperationWidgets.h - what the Motion Control and Device Status windows
// share: the wait cursor of their commands, Latin-1 texts as QStrings, the
// value panels, and the taking over of a number field with its "Please
// enter an integer" prompt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <QString>

class IUserInterface;
class QLabel;
class QLineEdit;
class QWidget;

namespace opviews {

// Keeps the wait cursor while it lives.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

inline QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.c_str());
}

inline std::string TextOf(const QString& text)
{
    return std::string(text.toLatin1().constData());
}

// A value shown in a sunken panel, right-aligned, named for the tests.
QLabel* ValueLabel(QWidget* parent, const QString& name, const QString& text = QStringLiteral("0"),
                   int minimumWidth = 80);

// The field's number in [minimum, maximum]; otherwise the prompt is shown,
// the field gets the focus and nothing is returned.
std::optional<std::int64_t> TakeField(QLineEdit* field, std::int64_t minimum, std::int64_t maximum,
                                      IUserInterface& ui);

} // namespace opviews

// CPageForm: the grid of a motion page - rows of caption, number field,
// unit and a widget beside them, the Start and Stop buttons below, and the
// profile fields that the position and velocity pages share: acceleration,
// deceleration and max. current with the current it stands for.
#pragma once

#include <cstdint>
#include <optional>

#include <QString>

class IUserInterface;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace ovro {
class CQVTDevice;
}

class CPageForm {
public:
    struct Profile {
        std::uint32_t acceleration = 0;
        std::uint32_t deceleration = 0;
        std::uint16_t maxCurrent = 0;
    };

    // The form fills page's grid layout, which it sets up.
    explicit CPageForm(QWidget& page);

    // A row: caption (its mnemonic goes to the field), field, unit and extra.
    QLineEdit* AddField(const QString& caption, const char* name, const QString& unit, QWidget* extra = nullptr);
    // A row of a caption and a widget that takes the field and unit columns.
    void AddCaptioned(const QString& caption, QWidget* widget);
    // A row of one or two widgets: first in column (the caption's 0 or the
    // field's 1), second beside it to the row's end.
    void AddRow(QWidget* first, QWidget* second = nullptr, int column = 1);
    // The rows "Profile &Acceleration", "Profile &Deceleration", "Max. &Current".
    void AddProfileFields();
    // Start and Stop in the last row; the rows keep to the top.
    void AddStartStop(QPushButton*& start, QPushButton*& stop);

    QLineEdit* MaxCurrentField() const { return maxCurrent_; }
    void ShowProfile(const Profile& profile);
    void SetProfileEnabled(bool enabled);
    // The current text beside "Max. &Current" for the field as it stands.
    void ShowCurrent(const ovro::CQVTDevice* device);
    // The three fields in their ranges, in order; nothing after the prompt
    // of the first one out of range.
    std::optional<Profile> TakeProfile(IUserInterface& ui) const;

private:
    QWidget& page_;
    QGridLayout* grid_ = nullptr;
    int row_ = 0;
    QLineEdit* acceleration_ = nullptr;
    QLineEdit* deceleration_ = nullptr;
    QLineEdit* maxCurrent_ = nullptr;
    QLabel* current_ = nullptr;
};

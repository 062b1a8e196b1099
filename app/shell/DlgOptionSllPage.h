// DlgOptionSllPage.h - "SLL-File": the Second-Level-Loader file of the
// firmware download and its page size.
#pragma once

#include <QWidget>

#include <cstdint>
#include <optional>
#include <string>

class IUserInterface;
class QLineEdit;
class QPushButton;

class CDlgOptionSllPage : public QWidget {
    Q_OBJECT
public:
    CDlgOptionSllPage(const std::string& fileName, std::int16_t pageSize, IUserInterface& ui,
                      QWidget* parent = nullptr);

    std::string FileName() const;
    // The page size, or nothing (after the range prompt) when the field
    // holds no integer of 0..32767.
    std::optional<std::int16_t> TakePageSize();

    QLineEdit* FileField() const { return file_; }
    QLineEdit* PageSizeField() const { return pageSize_; }
    QPushButton* BrowseButton() const { return browse_; }

public slots:
    void OnBrowse();

private:
    IUserInterface& ui_;
    QLineEdit* file_ = nullptr;
    QLineEdit* pageSize_ = nullptr;
    QPushButton* browse_ = nullptr;
};

// CWndLogBook: the "Logbook && Error History" page of the Device Status
// window - the drive's power-on time, turn-on time and number of
// positionings, and the error list of its last five emergencies with the
// "Clear List" button.
#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

namespace ovro {
struct ErrorListRow;
struct LogbookTexts;
}

class CWndLogBook : public QWidget {
    Q_OBJECT
public:
    explicit CWndLogBook(QWidget* parent = nullptr);

    void ShowLogbook(const ovro::LogbookTexts& texts);
    void ShowErrorRow(const ovro::ErrorListRow& row);
    QTableWidget* ErrorGrid() const { return grid_; }
    QString FieldText(const QString& name) const;

signals:
    void clearListRequested();

private:
    QLabel* powerOnSeconds_ = nullptr;
    QLabel* powerOnTime_ = nullptr;
    QLabel* turnOnSeconds_ = nullptr;
    QLabel* turnOnTime_ = nullptr;
    QLabel* positionings_ = nullptr;
    QTableWidget* grid_ = nullptr;
};

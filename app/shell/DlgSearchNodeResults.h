// DlgSearchNodeResults.h - the list of the drives a node search found: one
// row per drive with node-id, baud rate, name, ident number and software
// version. "&OK" takes the selected row's drive.
#pragma once

#include "document/NodeSearch.h"

#include <QDialog>

#include <optional>
#include <vector>

class QTableWidget;
class QPushButton;

class CDlgSearchNodeResults : public QDialog {
    Q_OBJECT
public:
    CDlgSearchNodeResults(const std::vector<ovro::SearchNodeResult>& results, std::uint8_t baudRate,
                          QWidget* parent = nullptr);

    // The record taken with "&OK".
    std::optional<std::size_t> Chosen() const { return chosen_; }

    QTableWidget* Grid() const { return grid_; }
    QPushButton* OkButton() const { return ok_; }

public slots:
    // Takes the selected row; without one the dialog stays open.
    void OnOk();

private:
    std::size_t count_ = 0;
    std::optional<std::size_t> chosen_;
    QTableWidget* grid_ = nullptr;
    QPushButton* ok_ = nullptr;
};

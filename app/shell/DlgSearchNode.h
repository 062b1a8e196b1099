// DlgSearchNode.h - the "Search Node" dialog: a range of node-ids and a baud
// rate; "&Search" sweeps the range (CNodeSearch) with the progress window,
// the no-node question and the result list of this program.
#pragma once

#include "document/NodeSearch.h"

#include <QDialog>

#include <functional>

class CCANopenMaster;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace ovro {
class CCommissioning;
}

class CDlgSearchNode : public QDialog, public ovro::INodeSearchView {
    Q_OBJECT
public:
    CDlgSearchNode(CCANopenMaster& master, const ovro::CCommissioning& commissioning, IUserInterface& ui,
                   std::uint8_t chosenNodeId, std::uint8_t baudRate, QWidget* parent = nullptr);

    // The drive chosen (or the preset values when none was).
    std::uint8_t ChosenNodeId() const { return chosenNodeId_; }
    std::uint8_t BaudRate() const { return baudRate_; }
    // How the last search ended.
    ovro::CNodeSearch::Outcome Outcome() const { return outcome_; }

    // ---- INodeSearchView -------------------------------------------------
    std::unique_ptr<IProgress> BeginSearchProgress(std::int32_t range) override;
    bool AskRetry(const std::string& text) override;
    std::optional<std::size_t> ChooseResult(const std::vector<ovro::SearchNodeResult>& results,
                                            std::uint8_t baudRate) override;

    QSpinBox* FirstField() const { return first_; }
    QSpinBox* LastField() const { return last_; }
    QComboBox* BaudRateList() const { return baudList_; }
    QPushButton* SearchButton() const { return search_; }
    QPushButton* DefaultsButton() const { return defaults_; }

public slots:
    void OnSearch();
    void OnDefaults();

private:
    CCANopenMaster& master_;
    const ovro::CCommissioning& commissioning_;
    IUserInterface& ui_;
    std::uint8_t chosenNodeId_;
    std::uint8_t baudRate_;
    ovro::CNodeSearch::Outcome outcome_ = ovro::CNodeSearch::Outcome::Closed;
    QSpinBox* first_ = nullptr;
    QSpinBox* last_ = nullptr;
    QComboBox* baudList_ = nullptr;
    QPushButton* search_ = nullptr;
    QPushButton* defaults_ = nullptr;
};

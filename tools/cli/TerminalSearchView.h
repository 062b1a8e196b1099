// CTerminalSearchView: the node search's windows on a terminal - its
// progress lines and "no node" message on the error stream, the list of
// drives found as a table on the output stream. Nobody picks a row and
// nobody asks for a retry: the command is simply run again.
#pragma once

#include <ostream>

#include "document/NodeSearch.h"

class CTerminalSearchView : public ovro::INodeSearchView {
public:
    CTerminalSearchView(std::ostream& out, std::ostream& err, IUserInterface& ui);

    std::unique_ptr<IProgress> BeginSearchProgress(std::int32_t range) override;
    bool AskRetry(const std::string& text) override;
    std::optional<std::size_t> ChooseResult(const std::vector<ovro::SearchNodeResult>& results,
                                            std::uint8_t baudRate) override;

    static std::string ResultTable(const std::vector<ovro::SearchNodeResult>& results, std::uint8_t baudRate);

private:
    std::ostream& out_;
    std::ostream& err_;
    IUserInterface& ui_;
};

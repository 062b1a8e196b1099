#include "TerminalSearchView.h"

#include "document/DocMessage.h"
#include "TerminalProgress.h"
#include "TextTable.h"

CTerminalSearchView::CTerminalSearchView(std::ostream& out, std::ostream& err, IUserInterface& ui)
    : out_(out), err_(err), ui_(ui)
{
}

std::unique_ptr<IProgress> CTerminalSearchView::BeginSearchProgress(std::int32_t /*range*/)
{
    return std::make_unique<CTerminalProgress>(err_, CTerminalProgress::Kind::StatusLine,
                                               ovro::CNodeSearch::kIdleText);
}

bool CTerminalSearchView::AskRetry(const std::string& text)
{
    ovro::CDocMessage::Show(ui_, MessageIcon::Exclamation, text);
    return false;
}

std::string CTerminalSearchView::ResultTable(const std::vector<ovro::SearchNodeResult>& results,
                                             std::uint8_t baudRate)
{
    CTextTable table({"Node-ID", "Baud rate", "Device name", "Device ident.-no.", "Software version"});
    for (const ovro::SearchNodeResult& r : results) {
        const std::array<std::string, 5> row = r.RowTexts(baudRate);
        table.AddRow({row.begin(), row.end()});
    }
    return table.Text();
}

std::optional<std::size_t> CTerminalSearchView::ChooseResult(const std::vector<ovro::SearchNodeResult>& results,
                                                             std::uint8_t baudRate)
{
    out_ << ResultTable(results, baudRate);
    out_.flush();
    return std::nullopt;
}

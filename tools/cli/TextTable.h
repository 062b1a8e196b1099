// CTextTable: rows of Latin-1 cells printed as aligned UTF-8 columns.
#pragma once

#include <string>
#include <vector>

class CTextTable {
public:
    explicit CTextTable(std::vector<std::string> header) : header_(std::move(header)) {}

    void AddRow(std::vector<std::string> cells);
    std::size_t Rows() const { return rows_.size(); }

    // Header, a rule under it and the rows; each line starts with indent.
    std::string Text(const std::string& indent = std::string()) const;

private:
    std::vector<std::string> header_;
    std::vector<std::vector<std::string>> rows_;
};

// The fault matrix against the simulated drive: one test per cell (so that
// ctest runs the cells in parallel processes, each on a bus of its own),
// and a report of the whole matrix after them.
#include "MatrixFixture.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace faults {
namespace {

TEST_P(MatrixFixture, EndsWithItsMessageWithinItsTimeoutsAndTheNextCommandWorks)
{
    const Cell& cell = GetParam();
    ASSERT_NO_FATAL_FAILURE(Prepare(cell));
    ASSERT_NO_FATAL_FAILURE(Inject(cell));
    const long ms = Run(cell);
    CheckEnd(cell);
    CheckTime(cell, ms);
    ASSERT_NO_FATAL_FAILURE(Heal(cell));
    CheckNextCommandWorks(cell);
}

INSTANTIATE_TEST_SUITE_P(FaultMatrix, MatrixFixture, ::testing::ValuesIn(Cells()),
                         [](const ::testing::TestParamInfo<Cell>& info) { return std::string(info.param.name); });

// Every cell is named once, and no cell is also listed as not applicable.
TEST(FaultMatrixTable, EachCommandAndFaultIsCoveredOrExplained)
{
    std::set<std::string> names;
    std::set<std::pair<Command, Fault>> covered;
    for (const Cell& cell : Cells()) {
        EXPECT_TRUE(names.insert(cell.name).second) << cell.name;
        covered.insert({cell.command, cell.fault});
        EXPECT_EQ(std::string(cell.name).rfind(CommandName(cell.command), 0), 0u) << cell.name;
    }
    for (const NotApplicable& na : NotApplicableCells())
        EXPECT_EQ(covered.count({na.command, na.fault}), 0u) << CommandName(na.command) << " " << FaultName(na.fault);
    for (Command c : AllCommands())
        for (Fault f : AllFaults()) {
            bool listed = covered.count({c, f}) != 0;
            for (const NotApplicable& na : NotApplicableCells())
                listed = listed || (na.command == c && na.fault == f);
            EXPECT_TRUE(listed) << CommandName(c) << " x " << FaultName(f) << " is neither a cell nor explained";
        }
}

// Run first (ctest fixture set-up): no result of an earlier run remains.
TEST(FaultMatrixReport, Clean)
{
    std::error_code ec;
    std::filesystem::remove_all(OVRO_MATRIX_RESULTS, ec);
    std::filesystem::create_directories(OVRO_MATRIX_RESULTS, ec);
    EXPECT_FALSE(ec) << ec.message();
}

// Run last (ctest fixture clean-up): the matrix with the result of each cell.
TEST(FaultMatrixReport, Summary)
{
    std::map<std::pair<Command, Fault>, std::pair<int, int>> grid;  // passed, cells
    int passed = 0, failed = 0, missing = 0, skipped = 0;
    std::string problems;
    for (const Cell& cell : Cells()) {
        std::ifstream in(std::string(OVRO_MATRIX_RESULTS) + "/" + cell.name);
        std::string verdict;
        in >> verdict;
        auto& slot = grid[{cell.command, cell.fault}];
        ++slot.second;
        if (verdict == "pass") {
            ++passed;
            ++slot.first;
        } else if (verdict == "skip") {
            ++skipped;
        } else {
            (verdict.empty() ? missing : failed)++;
            if (!verdict.empty())
                problems += std::string(" ") + cell.name;
        }
    }
    std::ostringstream report;
    char entry[64];
    std::snprintf(entry, sizeof entry, "%-13s", "");
    report << entry;
    for (Fault f : AllFaults()) {
        std::snprintf(entry, sizeof entry, " %6s", FaultColumn(f));
        report << entry;
    }
    report << "\n";
    for (Command c : AllCommands()) {
        std::snprintf(entry, sizeof entry, "%-13s", CommandName(c));
        report << entry;
        for (Fault f : AllFaults()) {
            const auto it = grid.find({c, f});
            char cellText[16] = "-";
            if (it != grid.end())
                std::snprintf(cellText, sizeof cellText, "%d/%d", it->second.first, it->second.second);
            std::snprintf(entry, sizeof entry, " %6s", cellText);
            report << entry;
        }
        report << "\n";
    }
    report << "(passed/cells; - not applicable. Lost3: several lost, Quiet: silent for a while, Mute: silent for\n"
              " good, NoStor/NoFw: refused store/firmware command, PwrCyc: power cycle in the middle, BusOff and\n"
              " ErrPas: error frames by canbus send, File: the drive's store file cannot be written)\n";
    std::snprintf(entry, sizeof entry, "fault matrix: %zu cells", Cells().size());
    report << entry << " over " << AllCommands().size() << " commands x " << AllFaults().size() << " faults ("
           << NotApplicableCells().size() << " pairs not applicable): " << passed << " passed, " << failed
           << " failed, " << missing << " not run, " << skipped << " skipped\n";
    std::fputs(report.str().c_str(), stdout);
    std::ofstream(std::string(OVRO_MATRIX_RESULTS) + "/summary.txt") << report.str();
    // Cells not run (a ctest selection, or a cell that crashed: ctest
    // reports that one itself) are counted, not failed here.
    EXPECT_EQ(failed, 0) << problems;
}

}  // namespace
}  // namespace faults

// The terminal parts of ovro-qvt-cli: message layout, progress lines,
// questions, tables and the command line.
#include <gtest/gtest.h>

#include <sstream>

#include "CliOptions.h"
#include "ParseArguments.h"
#include "MessageFormat.h"
#include "TerminalProgress.h"
#include "TerminalUserInterface.h"
#include "TextTable.h"
#include "ui/MessageTexts.h"

namespace {

TEST(MessageFormat, MessageBoxTextsBecomeCleanLines)
{
    const std::string text = FormatMessage(63522, 5, "Time-out error.");
    EXPECT_EQ(CMessageFormat::Readable(MessageSeverity::Error, text),
              "ERROR: can\xC2\xB4t upload parameters from node #5!\n    Time-out error.\n");
    // Several tabs, blank lines and a line break inside the head line.
    EXPECT_EQ(CMessageFormat::Readable(MessageSeverity::Error, FormatMessage(63516, 3, "a.31x")),
              "ERROR: the device type of node #3 does not match\n    'a.31x'!\n    Close the open file and try again.\n");
    EXPECT_EQ(CMessageFormat::Readable(MessageSeverity::FatalError, FormatMessage(63515, 4, "x.xml")),
              "FATAL ERROR: node #4 not attached to the parameter list!\n    The XML-File 'x.xml' may be corruped.\n");
}

TEST(MessageFormat, TextsWithoutSeverityWordGetOne)
{
    EXPECT_EQ(CMessageFormat::Readable(MessageSeverity::Info, "line one\nline two"),
              "INFO: line one\n    line two\n");
    EXPECT_EQ(CMessageFormat::Readable(MessageSeverity::Sorry, ""), "SORRY:\n");
    // "SUCCESS:" after a line break starts its own paragraph.
    EXPECT_EQ(CMessageFormat::Readable(MessageSeverity::Info, "done\r\n\r\nSUCCESS:\tall written"),
              "INFO: done\nSUCCESS: all written\n");
}

TEST(MessageFormat, Latin1BecomesUtf8)
{
    EXPECT_EQ(CMessageFormat::Utf8("can\xB4t \xB5s"), "can\xC2\xB4t \xC2\xB5s");
    EXPECT_EQ(CMessageFormat::Utf8("\xFF"), "\xC3\xBF");
    EXPECT_EQ(CMessageFormat::UnixLineBreaks("a\r\nb\rc\n"), "a\nb\nc\n");
}

TEST(TerminalProgress, LogKeepsTheCallersLineBreaksAndEndsTheLastLine)
{
    std::ostringstream out;
    {
        CTerminalProgress log(out, CTerminalProgress::Kind::Log);
        log.AddText(FormatMessage(63506, "Profile velocity"), 1);
        log.AddText(MessageText(63507), 0);
        log.AddText(FormatMessage(63506, "Max. current"), 1);
        log.AddText(MessageText(63508), 0);
        log.AddText(MessageText(63511), 0);
        EXPECT_EQ(log.Position(), 2);
        EXPECT_FALSE(log.Finished());
        log.Finish(true);
        EXPECT_TRUE(log.Finished());
        EXPECT_FALSE(log.Cancelled());
    }
    EXPECT_EQ(out.str(), "Profile velocity...OK!\nMax. current...ERROR!\n+++ Finished: no error occurred!\n");
}

TEST(TerminalProgress, StatusLineShowsEachTextOnItsOwnLine)
{
    std::ostringstream out;
    {
        CTerminalProgress line(out, CTerminalProgress::Kind::StatusLine, "Search node...");
        line.AddText("Search with 20kBit/sec, Node-ID=1", 1);
        line.AddText("", 1);
    }
    EXPECT_EQ(out.str(), "Search with 20kBit/sec, Node-ID=1\nSearch node...\n");
}

TEST(TerminalUserInterface, FailuresAreRemembered)
{
    std::ostringstream err;
    std::istringstream in;
    CTerminalUserInterface ui(err, in, CTerminalUserInterface::Answer::No);
    ui.ShowMessage(MessageSeverity::Info, MessageIcon::Information, FormatMessage(63502, 2, "Device=x"));
    EXPECT_FALSE(ui.FailureShown());
    ui.ShowMessage(MessageSeverity::Sorry, MessageIcon::Information, FormatMessage(63523, 2));
    EXPECT_TRUE(ui.FailureShown());
    EXPECT_EQ(err.str(), "INFO: read from node #2:\n    Device=x\n"
                         "SORRY: can\xC2\xB4t download parameters into node #2!\n    No parameter has been changed!\n");
    EXPECT_EQ(ui.ChooseFile(FileRequest{}), std::nullopt);
}

TEST(TerminalUserInterface, QuestionsAreAnsweredByTheModeOrTheTerminal)
{
    std::ostringstream err;
    std::istringstream none;
    CTerminalUserInterface yes(err, none, CTerminalUserInterface::Answer::Yes);
    EXPECT_TRUE(yes.AskYesNo(MessageIcon::Question, MessageText(63662), false));
    EXPECT_FALSE(yes.Declined());
    CTerminalUserInterface no(err, none, CTerminalUserInterface::Answer::No);
    EXPECT_FALSE(no.AskYesNo(MessageIcon::Question, MessageText(63662), true));
    EXPECT_TRUE(no.Declined());
    EXPECT_NE(err.str().find("QUESTION:\n    Do you want to save the configuration into the EEPROM?\n    -> Yes"),
              std::string::npos);

    std::istringstream answers("y\n  no\n\n\n");
    CTerminalUserInterface ask(err, answers, CTerminalUserInterface::Answer::Ask);
    EXPECT_TRUE(ask.AskYesNo(MessageIcon::Question, "q1", false));
    EXPECT_FALSE(ask.AskYesNo(MessageIcon::Question, "q2", true));
    EXPECT_TRUE(ask.AskYesNo(MessageIcon::Question, "q3", true));    // Enter: the default button
    EXPECT_FALSE(ask.AskYesNo(MessageIcon::Question, "q4", false));
    EXPECT_FALSE(ask.AskYesNo(MessageIcon::Question, "q5", true));   // end of input: No
}

TEST(TextTable, ColumnsAreAlignedByTheirWidestCell)
{
    CTextTable table({"Node-ID", "Name"});
    table.AddRow({"#2", "Ovro K315"});
    table.AddRow({"#127", "a\tb\xB4"});
    EXPECT_EQ(table.Text(">"), ">Node-ID  Name\n>-------  ---------\n>#2       Ovro K315\n>#127     a b\xC2\xB4\n");
}

TEST(CliOptions, GlobalOptionsGoAnywhere)
{
    CliOptions o;
    std::string error;
    ASSERT_TRUE(clitest::ParseArguments({"write", "--node-id=0x10", "0x607A", "0", "-1000", "--board", "PEAK PCAN-USB", "--bitrate",
                       "125", "--type", "Integer32"},
                      o, error))
        << error;
    EXPECT_EQ(o.command, "write");
    EXPECT_EQ(o.arguments, (std::vector<std::string>{"0x607A", "0", "-1000"}));
    EXPECT_EQ(o.nodeId, 16);
    EXPECT_EQ(o.baudRate, 4);
    EXPECT_EQ(o.board, "PEAK PCAN-USB");
    EXPECT_EQ(o.type, "Integer32");

    ASSERT_TRUE(clitest::ParseArguments({"--yes", "scan", "--first", "0", "--last", "255"}, o, error)) << error;
    EXPECT_TRUE(o.yes);
    EXPECT_EQ(o.first, 0u);
    EXPECT_EQ(o.last, 255u);

    ASSERT_TRUE(clitest::ParseArguments({"configure", "--new-node-id", "9", "--new-bitrate", "1000"}, o, error)) << error;
    EXPECT_EQ(o.newNodeId, 9);
    EXPECT_EQ(o.newBaudRate, 0);

    ASSERT_TRUE(clitest::ParseArguments({"download", "--", "--odd name.31x"}, o, error)) << error;
    EXPECT_EQ(o.arguments, std::vector<std::string>{"--odd name.31x"});
}

TEST(CliOptions, HelpNeedsNoCommandArguments)
{
    CliOptions o;
    std::string error;
    ASSERT_TRUE(clitest::ParseArguments({"read", "--help"}, o, error));
    EXPECT_TRUE(o.help);
    EXPECT_NE(CCliOptions::CommandUsage("read").find("read INDEX SUBINDEX [--type TYPE]"), std::string::npos);
    ASSERT_TRUE(clitest::ParseArguments({"-h"}, o, error));
    EXPECT_TRUE(o.help);
    EXPECT_NE(CCliOptions::Usage().find("configure --new-node-id N --new-bitrate KBIT"), std::string::npos);
}

TEST(CliOptions, BadCommandLinesAreRefusedWithAReason)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command"},
        {{"--yes"}, "no command"},
        {{"upload", "a", "b"}, "takes 1 argument"},
        {{"info", "--bitrate", "12"}, "not a bit rate"},
        {{"info", "--bitrate", "125 "}, "not a bit rate"},
        {{"info", "--node-id"}, "needs a value"},
        {{"info", "--node-id", "-1"}, "not a node-id"},
        {{"info", "--yes=1"}, "takes no value"},
        {{"info", "--board="}, "needs a value"},
        {{"info", "--type", "Unsigned8"}, "does not belong"},
        {{"read", "1", "2", "--store"}, "does not belong"},
        {{"info", "--frob"}, "unknown option"},
        {{"configure", "--new-bitrate", "20"}, "needs --new-node-id and --new-bitrate"},
    };
    for (const auto& [args, reason] : cases) {
        CliOptions o;
        std::string error;
        EXPECT_FALSE(clitest::ParseArguments(args, o, error)) << reason;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

}  // namespace

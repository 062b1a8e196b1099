// The CANopen manuals and help indexes made from the device description,
// read back the way the program's context help reads them.
#include "CanopenManual.h"
#include "PdfDestinations.h"

#include "description/Commissioning.h"
#include "document/HelpIndex.h"
#include "document/ProfileReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace {

class CanopenManualTest : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite()
    {
        commissioning_ = new ovro::CCommissioning;
        ASSERT_TRUE(commissioning_->LoadDescription(DESCRIPTION_XML));
    }
    static void TearDownTestSuite()
    {
        delete commissioning_;
        commissioning_ = nullptr;
    }
    const ovro::CQVTDevice& device() const { return *commissioning_->GetDevice(GetParam()); }
    static ovro::CCommissioning* commissioning_;
};

ovro::CCommissioning* CanopenManualTest::commissioning_ = nullptr;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

TEST_P(CanopenManualTest, EveryParameterHasAnEntryWithObjectTypeRangeAndDefault)
{
    const std::string tag = CanopenManual::modelTag(GetParam());
    CanopenManual manual(device(), tag + "_CAN.pdf");
    const std::string& text = manual.markdown();
    std::size_t parameters = 0;
    for (const ovro::CQVTSection& section : device().sections) {
        const std::size_t chapter = text.find("\n# " + section.name + "\n");
        ASSERT_NE(chapter, std::string::npos) << section.name;
        for (const ovro::CQVTParameter& p : section.parameters) {
            ++parameters;
            const std::size_t at = text.find("### " + p.name + "\n", chapter);
            ASSERT_NE(at, std::string::npos) << p.name;
            const std::string entry = text.substr(at, text.find("\n###", at + 1) - at);
            EXPECT_NE(entry.find("- Object: " + CanopenManual::objectText(p.index, p.subIndex)), std::string::npos)
                << entry;
            EXPECT_NE(entry.find("- Data type: " + CanopenManual::typeName(p.dataType)), std::string::npos) << entry;
            EXPECT_NE(entry.find("- Range: "), std::string::npos) << entry;
            EXPECT_NE(entry.find("- Default: "), std::string::npos) << entry;
        }
    }
    EXPECT_GT(parameters, 50u);
    // One heading per section and parameter, plus the contents, the header
    // chapter and its six rows.
    EXPECT_EQ(manual.headings().size(), device().sections.size() + parameters + 8);
}

TEST_P(CanopenManualTest, TheHelpIndexLeadsEveryRowAndTreeNodeToItsDestination)
{
    const std::string tag = CanopenManual::modelTag(GetParam());
    CanopenManual manual(device(), tag + "_CAN.pdf");
    const ovro::CProfileReader index = ovro::CProfileReader::FromText(manual.helpIndex());
    std::set<std::string> destinations;
    for (const CanopenManual::Heading& h : manual.headings())
        destinations.insert(h.destination);

    auto leadsTo = [&](const std::string& section, const std::string& key) {
        const std::string entry = index.GetString(section, key, "");
        const std::size_t hash = entry.find('#');
        EXPECT_EQ(entry.substr(0, hash), tag + "_CAN.pdf") << section << "/" << key;
        EXPECT_TRUE(hash != std::string::npos && destinations.count(entry.substr(hash + 1)))
            << section << "/" << key << " = " << entry;
    };
    EXPECT_EQ(index.GetString("Filename", "Name", ""), tag + "_CAN.pdf");
    for (const char* row : {"Type", "Name", "Text", "Date", "NodeId", "Baudrate"})
        leadsTo("Bookmark", row);
    leadsTo("Type", "Bookmark");
    for (const ovro::CQVTSection& section : device().sections) {
        leadsTo(section.name, "Bookmark");
        for (const ovro::CQVTParameter& p : section.parameters)
            leadsTo("Bookmark", section.key + "_" + p.key);
    }
}

TEST_P(CanopenManualTest, TheBuiltHelpFolderHoldsTheManualWithEveryDestination)
{
    const std::string tag = CanopenManual::modelTag(GetParam());
    const std::string pdf = readFile(std::string(HELP_DIR) + "/" + tag + "_CAN.pdf");
    ASSERT_EQ(pdf.substr(0, 5), "%PDF-");
    std::string error;
    EXPECT_GT(PdfDestinations::pageObjects(pdf, error).size(), 5u) << error;
    const std::vector<std::string> names = PdfDestinations::names(pdf);
    const std::set<std::string> inPdf(names.begin(), names.end());
    CanopenManual manual(device(), tag + "_CAN.pdf");
    for (const CanopenManual::Heading& h : manual.headings())
        EXPECT_TRUE(inPdf.count(h.destination)) << h.destination;

    // The program's own lookup finds the manual beside its index.
    const std::string programDirectory = std::string(HELP_DIR) + "/..";
    EXPECT_EQ(readFile(ovro::CHelpIndex::IndexFile(programDirectory, GetParam(), ovro::CHelpIndex::Manual::CANopen)),
              manual.helpIndex());
    const auto found = ovro::CHelpIndex::Lookup(programDirectory, GetParam(), ovro::CHelpIndex::Manual::CANopen);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(readFile(found->file), pdf);
}

INSTANTIATE_TEST_SUITE_P(Models, CanopenManualTest, ::testing::Values(2, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return CanopenManual::modelTag(info.param);
                         });

TEST(UserManual, HasAChapterPerFileWithADestinationAndAnOutlineEntry)
{
    const std::string pdf = readFile(std::string(HELP_DIR) + "/Ovro-QVT.pdf");
    ASSERT_EQ(pdf.substr(0, 5), "%PDF-");
    const std::vector<std::string> names = PdfDestinations::names(pdf);
    const std::set<std::string> inPdf(names.begin(), names.end());
    for (const char* chapter : {"Getting_started_with_the_simulated_drive", "The_main_window_and_its_commands",
                                "The_terminal_tools", "Files_read_and_written", "Troubleshooting",
                                "No_interface", "No_drive_found", "Wrong_bit_rate", "A_drive_left_in_its_loader"})
        EXPECT_TRUE(inPdf.count(chapter)) << chapter;
    EXPECT_NE(pdf.find("/Title (Troubleshooting)"), std::string::npos);
    EXPECT_NE(pdf.find("/PageMode /UseOutlines"), std::string::npos);
}

}  // namespace

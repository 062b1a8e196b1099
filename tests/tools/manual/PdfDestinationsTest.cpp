// Named destinations and the outline added to a PDF file by an
// incremental update.
#include "PdfDestinations.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// A PDF of `pages` empty pages, laid out as Qt writes one: catalog, a flat
// page tree, a classic cross-reference table.
std::string smallPdf(int pages)
{
    std::string pdf = "%PDF-1.4\n";
    std::vector<std::size_t> offsets;
    auto object = [&](const std::string& body) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    object("<<\n/Type /Catalog\n/Pages 2 0 R\n>>");
    std::string kids;
    for (int i = 0; i < pages; ++i)
        kids += std::to_string(3 + i) + " 0 R ";
    object("<<\n/Type /Pages\n/Kids [" + kids + "]\n/Count " + std::to_string(pages) + "\n>>");
    for (int i = 0; i < pages; ++i)
        object("<<\n/Type /Page\n/Parent 2 0 R\n/MediaBox [0 0 595 842]\n>>");
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    char line[32];
    for (std::size_t o : offsets) {
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
        pdf += line;
    }
    pdf += "trailer\n<<\n/Size " + std::to_string(offsets.size() + 1) + "\n/Root 1 0 R\n>>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

TEST(PdfDestinations, FindsThePagesInOrder)
{
    std::string error;
    EXPECT_EQ(PdfDestinations::pageObjects(smallPdf(3), error), (std::vector<int>{3, 4, 5}));
    EXPECT_TRUE(PdfDestinations::pageObjects("not a pdf", error).empty());
    EXPECT_FALSE(error.empty());
}

TEST(PdfDestinations, AnUpdateAddsDestinationsAnOutlineAndAValidCrossReference)
{
    std::string pdf = smallPdf(2);
    const std::string original = pdf;
    std::string error;
    ASSERT_TRUE(PdfDestinations::add(pdf,
                                     {{"Getting_started", 0, 780}, {"Motion_Profile_Profile Velocity", 1, 400.5}},
                                     {{"Getting started", "Getting_started"}, {"Übersicht", "Getting_started"},
                                      {"Unknown", "nowhere"}},
                                     error))
        << error;
    EXPECT_EQ(pdf.compare(0, original.size(), original), 0);  // appended only

    const std::vector<std::string> names = PdfDestinations::names(pdf);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "Getting_started");
    EXPECT_EQ(names[1], "Motion_Profile_Profile#20Velocity");  // a blank as #20
    EXPECT_NE(pdf.find("/Getting_started [3 0 R /XYZ 0 780.0 0]"), std::string::npos);
    EXPECT_NE(pdf.find("[4 0 R /XYZ 0 400.5 0]"), std::string::npos);
    // Two outline entries (the unknown destination has none), the second
    // title in UTF-16.
    EXPECT_NE(pdf.find("/Count 2"), std::string::npos);
    EXPECT_NE(pdf.find("/Title (Getting started)"), std::string::npos);
    EXPECT_NE(pdf.find("/Title <FEFF00DC0062"), std::string::npos);
    EXPECT_EQ(pdf.find("nowhere"), std::string::npos);

    // Every object the new cross-reference section lists starts at its offset.
    const std::size_t xref = pdf.rfind("\nxref\n") + 1;
    ASSERT_GT(xref, 0u);
    EXPECT_NE(pdf.find("/Prev " + std::to_string(original.rfind("\nxref\n") + 1)), std::string::npos);
    EXPECT_NE(pdf.find("startxref\n" + std::to_string(xref) + "\n%%EOF\n"), std::string::npos);
    std::size_t pos = xref + 5;
    int checked = 0;
    while (pdf.compare(pos, 7, "trailer") != 0) {
        int first = 0, count = 0;
        ASSERT_EQ(std::sscanf(pdf.c_str() + pos, "%d %d", &first, &count), 2);
        pos = pdf.find('\n', pos) + 1;
        for (int i = 0; i < count; ++i, pos += 20) {
            const std::size_t offset = std::stoul(pdf.substr(pos, 10));
            EXPECT_EQ(pdf.compare(offset, std::to_string(first + i).size() + 6, std::to_string(first + i) + " 0 obj"), 0)
                << "object " << first + i;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 5);  // catalog, destinations, outline root and two items
    EXPECT_NE(pdf.find("/Size 9 /Root 1 0 R"), std::string::npos);  // objects 5 to 8 are new
    EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");
}

TEST(PdfDestinations, ADestinationBeyondTheLastPageChangesNothing)
{
    std::string pdf = smallPdf(1);
    const std::string original = pdf;
    std::string error;
    EXPECT_FALSE(PdfDestinations::add(pdf, {{"Late", 1, 100}}, {}, error));
    EXPECT_NE(error.find("page 2 of 1"), std::string::npos) << error;
    EXPECT_EQ(pdf, original);
    // A file that has destinations already is not updated a second time.
    ASSERT_TRUE(PdfDestinations::add(pdf, {{"Early", 0, 100}}, {}, error));
    const std::string once = pdf;
    EXPECT_FALSE(PdfDestinations::add(pdf, {{"Again", 0, 100}}, {}, error));
    EXPECT_EQ(pdf, once);
}

}  // namespace

// PdfBook - a Markdown text set as an A4 PDF file with Qt's own means
// (QTextDocument::setMarkdown, QPdfWriter), one named destination per
// heading and an outline of the chapters. Headings take their destination
// names from the list given, in order; the rest get one made from their
// text ("Getting started" -> "Getting_started").
//
//   PdfBook book("Ovro-QVT user manual");
//   book.write(markdown, headings, "Help/Ovro-QVT.pdf", error);
#ifndef OVRO_MANUAL_PDFBOOK_H
#define OVRO_MANUAL_PDFBOOK_H

#include "PdfDestinations.h"

#include <string>
#include <vector>

class PdfBook {
public:
    struct Heading {
        std::string destination;
        bool inOutline = false;
    };

    explicit PdfBook(std::string title) : title_(std::move(title)) {}

    // Writes the file (through a temporary one, so that a failure leaves
    // an older file as it was). False with a message in `error`.
    bool write(const std::string& markdown, const std::vector<Heading>& headings, const std::string& path,
               std::string& error);

    // The destinations of the last write, for checks.
    const std::vector<PdfDestinations::Destination>& destinations() const { return destinations_; }

    // A destination name made from a heading's text.
    static std::string slug(const std::string& text);

private:
    std::string title_;
    std::vector<PdfDestinations::Destination> destinations_;
};

#endif

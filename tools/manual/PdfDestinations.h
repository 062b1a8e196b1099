// PdfDestinations - adds named destinations and an outline (bookmarks) to
// a PDF file that has none, by an incremental update appended to the file:
// a new catalog with /Dests and /Outlines, the new objects and a cross-
// reference section that points back to the old one. Viewers then jump to
// a destination by its name (evince --named-dest NAME, okular FILE#NAME).
//
//   std::vector<PdfDestinations::Destination> dests = {{"Getting_started", 0, 720.0}};
//   std::vector<PdfDestinations::OutlineItem> outline = {{"Getting started", "Getting_started"}};
//   std::string error;
//   PdfDestinations::add(pdfBytes, dests, outline, error);   // pdfBytes grows
#ifndef OVRO_MANUAL_PDFDESTINATIONS_H
#define OVRO_MANUAL_PDFDESTINATIONS_H

#include <string>
#include <vector>

namespace PdfDestinations {

struct Destination {
    std::string name;  // letters, digits, '_', '-', '.'
    int page = 0;      // 0-based
    double top = 0;    // in points from the bottom of the page
};

struct OutlineItem {
    std::string title;  // UTF-8
    std::string destination;
};

// The page objects of the file in page order; empty when the file's
// structure is not understood.
std::vector<int> pageObjects(const std::string& pdf, std::string& error);

// Appends the update. False with a message (and the bytes unchanged) when
// the file's structure is not understood or a destination names a page
// that does not exist.
bool add(std::string& pdf, const std::vector<Destination>& destinations,
         const std::vector<OutlineItem>& outline, std::string& error);

// The destination names the file's catalog lists (for checks).
std::vector<std::string> names(const std::string& pdf);

}  // namespace PdfDestinations

#endif

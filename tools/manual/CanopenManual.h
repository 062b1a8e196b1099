// CanopenManual - the CANopen manual of one drive model, made from the
// device description: a chapter on the document header, one chapter per
// parameter section and one entry per parameter with its object, data
// type, range, default, access and description; and the model's help
// index ("K315_CAN.ini"), whose "Bookmark" entries lead the program's
// context help from a table row or a tree node to the entry in the PDF.
//
//   CanopenManual manual(device, "K315_CAN.pdf");
//   manual.markdown();      // the text, one heading per destination below
//   manual.headings();      // in the order of the headings of the text
//   manual.helpIndex();     // the index file's text
#ifndef OVRO_MANUAL_CANOPENMANUAL_H
#define OVRO_MANUAL_CANOPENMANUAL_H

#include "description/QVTDevice.h"

#include <string>
#include <vector>

class CanopenManual {
public:
    struct Heading {
        int level = 1;
        std::string title;
        std::string destination;  // the named destination in the PDF
        bool inOutline = false;
    };

    CanopenManual(const ovro::CQVTDevice& device, std::string pdfName);

    const std::string& markdown() const { return markdown_; }
    const std::vector<Heading>& headings() const { return headings_; }
    std::string helpIndex() const;

    // "K315" for model 2, "H315" for model 1.
    static std::string modelTag(int model);
    // The display name of a data-type code ("Unsigned32", "Visible String").
    static std::string typeName(int code);
    // "0x6081:00"
    static std::string objectText(int index, int subIndex);

private:
    void add(int level, const std::string& title, const std::string& destination, bool inOutline);
    void line(const std::string& text);

    const ovro::CQVTDevice& device_;
    std::string pdfName_;
    std::string markdown_;
    std::vector<Heading> headings_;
    // (index section, key, destination) of the help index, in file order.
    struct IndexEntry {
        std::string section;
        std::string key;
        std::string destination;
    };
    std::vector<IndexEntry> index_;
};

#endif

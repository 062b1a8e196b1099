#include "CanopenManual.h"

#include "description/QVTDataType.h"

#include <cstdio>

namespace {

// The document header's rows and their help keys, as the parameter table
// shows them.
struct HeaderRow {
    const char* key;
    const char* title;
    const char* text;
};

constexpr HeaderRow kHeaderRows[] = {
    {"Type", "Type", "The drive model of the document, from the device description. It cannot be changed."},
    {"Name", "Name", "The device name of the document; an upload sets it to the drive's own name. Free text."},
    {"Text", "Text", "A brief description of the drive's task in the machine. Free text, saved with the document."},
    {"Date", "Date", "The last update of the document. Free text."},
    {"NodeId", "Node-Id.", "The node-id of the drive, 1 to 127. A changed node-id is configured through LMT "
                           "by the next download; keep only this drive on the bus then."},
    {"Baudrate", "Baud rate", "The bit rate of the drive in kBit/s: 1000, 800, 500, 250, 125, 100, 50, 20 "
                              "or 10. A changed bit rate is configured through LMT by the next download."},
};

// A text of the description (Latin-1, as the file is written) in UTF-8,
// with Markdown escapes for the characters that would start markup.
std::string plain(const std::string& text)
{
    std::string out;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '*' || c == '_' || c == '`' || c == '#' || c == '[' || c == ']' || c == '<' || c == '>' ||
            c == '|' || c == '\\')
            out += '\\';
        if (byte >= 0x80) {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        } else {
            out += c;
        }
    }
    return out;
}

std::string orDash(const std::string& text)
{
    return text.empty() ? "-" : plain(text);
}

}  // namespace

std::string CanopenManual::modelTag(int model)
{
    return model == 1 ? "H315" : "K315";
}

std::string CanopenManual::typeName(int code)
{
    switch (code) {
    case ovro::QvtInteger8: return "Integer8";
    case ovro::QvtInteger16: return "Integer16";
    case ovro::QvtInteger32: return "Integer32";
    case ovro::QvtUnsigned8: return "Unsigned8";
    case ovro::QvtUnsigned16: return "Unsigned16";
    case ovro::QvtUnsigned32: return "Unsigned32";
    case ovro::QvtVisibleString: return "Visible String";
    case ovro::QvtOctetString: return "Octet String";
    case ovro::QvtDate: return "Date";
    case ovro::QvtTimeOfDay: return "Time Of Day";
    default: return "unknown";
    }
}

std::string CanopenManual::objectText(int index, int subIndex)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04X:%02X", index & 0xFFFF, subIndex & 0xFF);
    return buf;
}

void CanopenManual::add(int level, const std::string& title, const std::string& destination, bool inOutline)
{
    headings_.push_back({level, title, destination, inOutline});
    markdown_ += std::string(static_cast<std::size_t>(level), '#') + " " + plain(title) + "\n\n";
}

void CanopenManual::line(const std::string& text)
{
    markdown_ += text + "\n";
}

CanopenManual::CanopenManual(const ovro::CQVTDevice& device, std::string pdfName)
    : device_(device), pdfName_(std::move(pdfName))
{
    const std::string& model = device.typeName;
    add(1, model + ": CANopen manual", "Contents", true);
    line(plain(device.description));
    line("");
    line("This manual lists every parameter of the " + plain(model) +
         " that Ovro-QVT shows, section by section, as the device description (Ovro-QVT.xml) defines it. "
         "Each entry names the object in the drive's object dictionary (index:sub-index), its data type, "
         "its range and factory default, and whether a download writes it.");
    line("");
    line("In Ovro-QVT, select a row of the parameter table or a node of the section tree and press F1: "
         "the manual opens at that entry.");
    line("");

    add(1, "Document header", "Type", true);
    index_.push_back({"Type", "Bookmark", "Type"});
    line("The header of every document; Ovro-QVT shows it when the section tree's root is selected.");
    line("");
    for (const HeaderRow& row : kHeaderRows) {
        add(3, row.title, std::string("Header_") + row.key, false);
        index_.push_back({"Bookmark", row.key, std::string("Header_") + row.key});
        line(plain(row.text));
        line("");
    }

    for (const ovro::CQVTSection& section : device.sections) {
        add(1, section.name, section.key, true);
        index_.push_back({section.name, "Bookmark", section.key});
        if (!section.description.empty()) {
            line(plain(section.description));
            line("");
        }
        for (const ovro::CQVTParameter& p : section.parameters) {
            const std::string key = section.key + "_" + p.key;
            add(3, p.name, key, false);
            index_.push_back({"Bookmark", key, key});
            std::string range = "-";
            if (!p.minValue.empty() || !p.maxValue.empty())
                range = orDash(p.minValue) + " to " + orDash(p.maxValue);
            if (!p.unit.empty() && range != "-")
                range += " " + plain(p.unit);
            line("- Object: " + objectText(p.index, p.subIndex));
            line("- Data type: " + typeName(p.dataType));
            line("- Range: " + range);
            line("- Default: " + orDash(p.defaultValue) +
                 (p.unit.empty() || p.defaultValue.empty() ? "" : " " + plain(p.unit)));
            line(std::string("- Access: ") +
                 (p.IsTransferable() ? "read and written by upload and download (mode of operation " +
                                           std::to_string(static_cast<int>(p.accessible)) + " for writing)"
                                     : "read only: shown, never downloaded"));
            for (const ovro::CQVTEnumerator& e : p.enumerators)
                line("    - " + std::to_string(e.value) + ": " + orDash(e.text));
            line("");
            if (!p.description.empty()) {
                line(plain(p.description));
                line("");
            }
        }
    }
}

std::string CanopenManual::helpIndex() const
{
    // The sections of the tree nodes first, then the table rows' keys.
    std::string text = "; Help index of the " + device_.typeName + " CANopen manual, made with it from the\n"
                       "; device description. Entries: file#destination.\n"
                       "[Filename]\nName=" + pdfName_ + "\n";
    for (const IndexEntry& e : index_) {
        if (e.section != "Bookmark")
            text += "\n[" + e.section + "]\nBookmark=" + pdfName_ + "#" + e.destination + "\n";
    }
    text += "\n[Bookmark]\n";
    for (const IndexEntry& e : index_) {
        if (e.section == "Bookmark")
            text += e.key + "=" + pdfName_ + "#" + e.destination + "\n";
    }
    return text;
}

#include "PdfDestinations.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <regex>

namespace PdfDestinations {

namespace {

// The text of object `number` between "N 0 obj" and "endobj" (the last
// definition, as an updated file may hold several), or empty.
std::string objectText(const std::string& pdf, int number)
{
    const std::string head = std::to_string(number) + " 0 obj";
    std::size_t at = std::string::npos;
    for (std::size_t pos = pdf.find(head); pos != std::string::npos; pos = pdf.find(head, pos + 1)) {
        if (pos == 0 || pdf[pos - 1] == '\n' || pdf[pos - 1] == '\r')
            at = pos;
    }
    if (at == std::string::npos)
        return {};
    const std::size_t end = pdf.find("endobj", at);
    if (end == std::string::npos)
        return {};
    return pdf.substr(at + head.size(), end - at - head.size());
}

// The value "N 0 R" of a key in a dictionary text, or 0.
int reference(const std::string& dict, const std::string& key)
{
    const std::regex pattern(key + R"(\s+(\d+)\s+0\s+R)");
    std::smatch m;
    return std::regex_search(dict, m, pattern) ? std::stoi(m[1]) : 0;
}

// The last "startxref" value and the last trailer dictionary.
bool lastTrailer(const std::string& pdf, long& startXref, std::string& trailer)
{
    const std::size_t sx = pdf.rfind("startxref");
    const std::size_t tr = pdf.rfind("trailer");
    if (sx == std::string::npos || tr == std::string::npos || tr > sx)
        return false;
    startXref = std::strtol(pdf.c_str() + sx + 9, nullptr, 10);
    trailer = pdf.substr(tr, sx - tr);
    return startXref > 0;
}

// The inside of the outermost dictionary of an object text.
std::string dictionaryBody(const std::string& object)
{
    const std::size_t open = object.find("<<");
    const std::size_t close = object.rfind(">>");
    if (open == std::string::npos || close == std::string::npos || close < open)
        return {};
    return object.substr(open + 2, close - open - 2);
}

std::string pdfName(const std::string& name)
{
    std::string out = "/";
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '_' || c == '-' || c == '.') {
            out += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "#%02X", c);
            out += buf;
        }
    }
    return out;
}

// A text string: plain ASCII in brackets, else UTF-16BE in hexadecimal.
std::string pdfText(const std::string& utf8)
{
    bool ascii = true;
    for (unsigned char c : utf8)
        ascii = ascii && c >= 0x20 && c < 0x7F;
    if (ascii) {
        std::string out = "(";
        for (char c : utf8) {
            if (c == '(' || c == ')' || c == '\\')
                out += '\\';
            out += c;
        }
        return out + ")";
    }
    std::string out = "<FEFF";
    char buf[8];
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        unsigned code = c;
        int extra = 0;
        if (c >= 0xF0) { code = c & 0x07; extra = 3; }
        else if (c >= 0xE0) { code = c & 0x0F; extra = 2; }
        else if (c >= 0xC0) { code = c & 0x1F; extra = 1; }
        ++i;
        for (int k = 0; k < extra && i < utf8.size(); ++k, ++i)
            code = code << 6 | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        if (code >= 0x10000) {
            code -= 0x10000;
            std::snprintf(buf, sizeof buf, "%04X", 0xD800 + (code >> 10));
            out += buf;
            code = 0xDC00 + (code & 0x3FF);
        }
        std::snprintf(buf, sizeof buf, "%04X", code);
        out += buf;
    }
    return out + ">";
}

}  // namespace

std::vector<int> pageObjects(const std::string& pdf, std::string& error)
{
    long startXref = 0;
    std::string trailer;
    if (!lastTrailer(pdf, startXref, trailer)) {
        error = "no trailer";
        return {};
    }
    const int root = reference(trailer, "/Root");
    const int pages = root ? reference(objectText(pdf, root), "/Pages") : 0;
    const std::string pagesText = pages ? objectText(pdf, pages) : std::string();
    const std::size_t kids = pagesText.find("/Kids");
    const std::size_t open = pagesText.find('[', kids);
    const std::size_t close = pagesText.find(']', open);
    if (kids == std::string::npos || open == std::string::npos || close == std::string::npos) {
        error = "no page tree";
        return {};
    }
    std::vector<int> out;
    const std::string list = pagesText.substr(open + 1, close - open - 1);
    const std::regex ref(R"((\d+)\s+0\s+R)");
    for (std::sregex_iterator it(list.begin(), list.end(), ref), end; it != end; ++it) {
        const int kid = std::stoi((*it)[1]);
        // A flat tree of pages, as Qt writes it.
        if (objectText(pdf, kid).find("/Type /Pages") != std::string::npos) {
            error = "nested page tree";
            return {};
        }
        out.push_back(kid);
    }
    return out;
}

bool add(std::string& pdf, const std::vector<Destination>& destinations,
         const std::vector<OutlineItem>& outline, std::string& error)
{
    const std::vector<int> pages = pageObjects(pdf, error);
    if (pages.empty()) {
        if (error.empty())
            error = "no pages";
        return false;
    }
    long startXref = 0;
    std::string trailer;
    lastTrailer(pdf, startXref, trailer);
    const int root = reference(trailer, "/Root");
    const int info = reference(trailer, "/Info");
    const std::regex size(R"(/Size\s+(\d+))");
    std::smatch m;
    if (!std::regex_search(trailer, m, size)) {
        error = "no /Size in the trailer";
        return false;
    }
    int next = std::stoi(m[1]);
    std::string catalog = dictionaryBody(objectText(pdf, root));
    if (catalog.empty() || catalog.find("/Dests") != std::string::npos ||
        catalog.find("/Outlines") != std::string::npos) {
        error = "the catalog cannot take destinations";
        return false;
    }
    std::map<std::string, const Destination*> known;
    for (const Destination& d : destinations) {
        if (d.page < 0 || d.page >= static_cast<int>(pages.size())) {
            error = "destination '" + d.name + "' on page " + std::to_string(d.page + 1) + " of " +
                    std::to_string(pages.size());
            return false;
        }
        known[d.name] = &d;
    }

    std::string update = pdf.back() == '\n' ? "" : "\n";
    std::vector<std::pair<int, std::size_t>> offsets;
    auto object = [&](int number, const std::string& body) {
        offsets.emplace_back(number, pdf.size() + update.size());
        update += std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
    };
    char buf[64];

    const int dests = next++;
    std::string destText = "<<\n";
    for (const auto& [name, d] : known) {
        std::snprintf(buf, sizeof buf, " [%d 0 R /XYZ 0 %.1f 0]\n", pages[static_cast<std::size_t>(d->page)], d->top);
        destText += pdfName(name) + buf;
    }
    object(dests, destText + ">>");

    std::vector<OutlineItem> items;
    for (const OutlineItem& item : outline) {
        if (known.count(item.destination))
            items.push_back(item);
    }
    std::string extra = "/Dests " + std::to_string(dests) + " 0 R";
    if (!items.empty()) {
        const int outlines = next++;
        const int first = next;
        next += static_cast<int>(items.size());
        object(outlines, "<< /Type /Outlines /First " + std::to_string(first) + " 0 R /Last " +
                             std::to_string(first + static_cast<int>(items.size()) - 1) + " 0 R /Count " +
                             std::to_string(items.size()) + " >>");
        for (std::size_t i = 0; i < items.size(); ++i) {
            std::string body = "<< /Title " + pdfText(items[i].title) + " /Parent " + std::to_string(outlines) +
                               " 0 R /Dest " + pdfName(items[i].destination);
            if (i > 0)
                body += " /Prev " + std::to_string(first + static_cast<int>(i) - 1) + " 0 R";
            if (i + 1 < items.size())
                body += " /Next " + std::to_string(first + static_cast<int>(i) + 1) + " 0 R";
            object(first + static_cast<int>(i), body + " >>");
        }
        extra += " /Outlines " + std::to_string(outlines) + " 0 R /PageMode /UseOutlines";
    }
    object(root, "<<" + catalog + " " + extra + " >>");

    const std::size_t xref = pdf.size() + update.size();
    update += "xref\n";
    std::snprintf(buf, sizeof buf, "%d 1\n%010zu 00000 n \n", root, offsets.back().second);
    update += buf;
    update += std::to_string(dests) + " " + std::to_string(next - dests) + "\n";
    for (std::size_t i = 0; i + 1 < offsets.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%010zu 00000 n \n", offsets[i].second);
        update += buf;
    }
    update += "trailer\n<< /Size " + std::to_string(next) + " /Root " + std::to_string(root) + " 0 R";
    if (info)
        update += " /Info " + std::to_string(info) + " 0 R";
    update += " /Prev " + std::to_string(startXref) + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    pdf += update;
    return true;
}

std::vector<std::string> names(const std::string& pdf)
{
    long startXref = 0;
    std::string trailer;
    if (!lastTrailer(pdf, startXref, trailer))
        return {};
    const int root = reference(trailer, "/Root");
    const int dests = root ? reference(objectText(pdf, root), "/Dests") : 0;
    const std::string text = dests ? dictionaryBody(objectText(pdf, dests)) : std::string();
    std::vector<std::string> out;
    const std::regex name(R"(/([A-Za-z0-9_.#-]+)\s*\[)");
    for (std::sregex_iterator it(text.begin(), text.end(), name), end; it != end; ++it)
        out.push_back((*it)[1]);
    return out;
}

}  // namespace PdfDestinations

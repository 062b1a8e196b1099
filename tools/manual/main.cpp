// ovro-manual - makes the manuals of the Help folder at build time:
//   ovro-manual user OUT.pdf CHAPTER.md...     the user manual from docs/manual
//   ovro-manual canopen DESCRIPTION.xml DIR    K315_CAN.pdf/.ini, H315_CAN.pdf/.ini
#include "CanopenManual.h"
#include "PdfBook.h"

#include "description/Commissioning.h"

#include <QGuiApplication>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

bool readText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    if (!in || !(all << in.rdbuf()))
        return false;
    text = all.str();
    return true;
}

// Through a temporary file, so that a failure keeps an older index.
bool writeText(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!(out << text) || !out.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

int userManual(int argc, char** argv)
{
    std::string markdown;
    for (int i = 3; i < argc; ++i) {
        std::string chapter;
        if (!readText(argv[i], chapter)) {
            std::fprintf(stderr, "ovro-manual: cannot read %s\n", argv[i]);
            return 1;
        }
        markdown += chapter + "\n\n";
    }
    PdfBook book("Ovro-QVT user manual");
    std::string error;
    if (!book.write(markdown, {}, argv[2], error)) {
        std::fprintf(stderr, "ovro-manual: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int canopenManuals(const std::string& description, const std::string& folder)
{
    ovro::CCommissioning commissioning;
    if (!commissioning.LoadDescription(description)) {
        std::fprintf(stderr, "ovro-manual: cannot read the device description %s\n", description.c_str());
        return 1;
    }
    for (int model : {ovro::CCommissioning::ModelK315, ovro::CCommissioning::ModelH315}) {
        const ovro::CQVTDevice* device = commissioning.GetDevice(model);
        const std::string base = CanopenManual::modelTag(model) + "_CAN";
        CanopenManual manual(*device, base + ".pdf");
        std::vector<PdfBook::Heading> headings;
        for (const CanopenManual::Heading& h : manual.headings())
            headings.push_back({h.destination, h.inOutline});
        PdfBook book(device->typeName + " CANopen manual");
        std::string error;
        if (!book.write(manual.markdown(), headings, folder + "/" + base + ".pdf", error)) {
            std::fprintf(stderr, "ovro-manual: %s\n", error.c_str());
            return 1;
        }
        if (!writeText(folder + "/" + base + ".ini", manual.helpIndex())) {
            std::fprintf(stderr, "ovro-manual: cannot write %s/%s.ini\n", folder.c_str(), base.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // Fonts and layout need a GUI application, no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "user" && argc >= 4)
        return userManual(argc, argv);
    if (command == "canopen" && argc == 4)
        return canopenManuals(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: ovro-manual user OUT.pdf CHAPTER.md...\n"
                 "       ovro-manual canopen DESCRIPTION.xml FOLDER\n");
    return 2;
}

#include "document/HelpIndex.h"

#include "document/ProfileReader.h"

namespace ovro {

namespace {
std::string HelpFolder(const std::string& programDirectory)
{
    return programDirectory + "/Help/";
}
}  // namespace

std::string CHelpIndex::IndexFile(const std::string& programDirectory, int model, Manual manual)
{
    const char* prefix = model == 1 ? "H315" : "K315";
    const char* kind = manual == Manual::Device ? "_MAN.ini" : "_CAN.ini";
    return HelpFolder(programDirectory) + prefix + kind;
}

std::optional<CHelpIndex::Document> CHelpIndex::Lookup(const std::string& programDirectory, int model,
                                                       Manual manual)
{
    Document document;
    document.indexFile = IndexFile(programDirectory, model, manual);
    const CProfileReader index(document.indexFile);
    const std::string name = index.GetString("Filename", "Name", "");
    if (name.empty())
        return std::nullopt;
    // Index files written on Windows may name a sub-folder with "\\".
    std::string file = name;
    for (char& c : file) {
        if (c == '\\')
            c = '/';
    }
    document.file = HelpFolder(programDirectory) + file;
    return document;
}

}  // namespace ovro

// description_fuzzer: any bytes as a device description file. The pull
// parser is walked node by node with every attribute, then the same text
// fills a description model; both must end (XmlEnd or XmlError) without
// touching memory they do not own.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "description/QVTReader.h"
#include "description/XmlReader.h"

using namespace ovro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    CXmlReader xml = CXmlReader::FromText(text);
    for (;;) {
        const int kind = xml.Read();
        if (kind == CXmlReader::XmlEnd || kind == CXmlReader::XmlError)
            break;
        while (xml.ReadAttribute())
            (void)xml.GetAttributeValue();
        (void)xml.GetName();
        (void)xml.GetValue();
    }

    CQVTDevice h315;
    CQVTDevice k315;
    std::deque<CQVTBoard> boards;
    std::deque<CQVTEnumerator> errors;
    CQVTReader reader(h315, k315, boards, errors);
    CXmlReader model = CXmlReader::FromText(text);
    (void)reader.Read(model);
    return 0;
}

#include "description/QVTReader.h"

#include <cstdlib>

#include "description/Commissioning.h"
#include "description/QVTDataType.h"
#include "description/XmlReader.h"
#include "settings/PlainText.h"

namespace ovro {

namespace {

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "0x" followed by at least one hexadecimal digit.
bool ReadHex(const std::string& text, std::uint32_t& value)
{
    if (text.size() < 3 || text[0] != '0' || text[1] != 'x' || !IsHexDigit(text[2]))
        return false;
    value = static_cast<std::uint32_t>(std::strtoull(text.c_str() + 2, nullptr, 16));
    return true;
}

void SkipAttributes(CXmlReader& xml)
{
    while (xml.ReadAttribute()) {
    }
}

const char kRoot[] = "xml/Commissioning/";

}  // namespace

CQVTReader::CQVTReader(CQVTDevice& deviceH315, CQVTDevice& deviceK315,
                       std::deque<CQVTBoard>& boards, std::deque<CQVTEnumerator>& errors)
    : m_deviceH315(deviceH315), m_deviceK315(deviceK315), m_boards(boards), m_errors(errors)
{
}

std::int32_t CQVTReader::SignedNumber(const std::string& text)
{
    std::uint32_t hex = 0;
    if (ReadHex(text, hex))
        return static_cast<std::int32_t>(hex);
    const char* start = text.c_str();
    char* end = nullptr;
    const long long v = std::strtoll(start, &end, 0);
    if (end == start)
        return 0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
}

std::uint32_t CQVTReader::UnsignedNumber(const std::string& text)
{
    std::uint32_t hex = 0;
    if (ReadHex(text, hex))
        return hex;
    const char* start = text.c_str();
    char* end = nullptr;
    const unsigned long long v = std::strtoull(start, &end, 10);
    if (end == start)
        return 0;
    return static_cast<std::uint32_t>(v);
}

CQVTReader::Rule CQVTReader::Match(const std::string& path, const std::string& name)
{
    static const struct {
        const char* path;
        Rule rule;
    } rules[] = {
        {"Device", Rule::Device},
        {"Device/Name", Rule::DeviceName},
        {"Device/ToolTip", Rule::DeviceToolTip},
        {"Device/Description", Rule::DeviceDescription},
        {"Device/Modes/Enumerator", Rule::Mode},
        {"Device/Homing/Enumerator", Rule::Homing},
        {"Device/Emergency/Enumerator", Rule::Emergency},
        {"Device/Section", Rule::Section},
        {"Device/Section/Name", Rule::SectionName},
        {"Device/Section/ToolTip", Rule::SectionToolTip},
        {"Device/Section/Description", Rule::SectionDescription},
        {"Device/Section/Parameter", Rule::Parameter},
        {"Device/Section/Parameter/Name", Rule::ParameterName},
        {"Device/Section/Parameter/Index", Rule::Index},
        {"Device/Section/Parameter/Subindex", Rule::Subindex},
        {"Device/Section/Parameter/Datatype", Rule::Datatype},
        {"Device/Section/Parameter/Accessible", Rule::Accessible},
        {"Device/Section/Parameter/Unit", Rule::Unit},
        {"Device/Section/Parameter/MinValue", Rule::MinValue},
        {"Device/Section/Parameter/MaxValue", Rule::MaxValue},
        {"Device/Section/Parameter/DefaultValue", Rule::DefaultValue},
        {"Device/Section/Parameter/ToolTip", Rule::ParameterToolTip},
        {"Device/Section/Parameter/Description", Rule::ParameterDescription},
        {"Device/Section/Parameter/Enumeration/Enumerator", Rule::ParameterEnumerator},
        {"Interface/Board", Rule::Board},
        {"Error/Enumerator", Rule::ErrorEnumerator},
    };
    for (const auto& r : rules) {
        const std::string relative = r.path;
        const std::size_t slash = relative.rfind('/');
        const std::string last = slash == std::string::npos ? relative : relative.substr(slash + 1);
        if (name == last && EqualsNoCase(path, kRoot + relative))
            return r.rule;
    }
    return Rule::None;
}

std::deque<CQVTEnumerator>* CQVTReader::EnumeratorList(Rule rule)
{
    switch (rule) {
    case Rule::Mode:
        return m_device != nullptr ? &m_device->modes : nullptr;
    case Rule::Homing:
        return m_device != nullptr ? &m_device->homingMethods : nullptr;
    case Rule::Emergency:
        return m_device != nullptr ? &m_device->emergencyCodes : nullptr;
    case Rule::ParameterEnumerator:
        return m_parameter != nullptr ? &m_parameter->enumerators : nullptr;
    case Rule::ErrorEnumerator:
        return &m_errors;
    default:
        return nullptr;
    }
}

void CQVTReader::ApplyAttribute(Rule rule, const std::string& attribute, const std::string& value)
{
    switch (rule) {
    case Rule::Device:
        if (attribute == "Type") {
            const int model = CCommissioning::ModelCode(value);
            m_device = model == CCommissioning::ModelH315   ? &m_deviceH315
                       : model == CCommissioning::ModelK315 ? &m_deviceK315
                                                            : nullptr;
            if (m_device != nullptr) {
                m_device->model = model;
                m_device->typeName = value;
            }
            // Nothing of a device of another type is kept.
            m_section = nullptr;
            m_parameter = nullptr;
            m_enumerator = nullptr;
        }
        break;
    case Rule::Mode:
    case Rule::Homing:
    case Rule::Emergency:
    case Rule::ParameterEnumerator:
    case Rule::ErrorEnumerator:
        if (attribute == "Value") {
            std::deque<CQVTEnumerator>* list = EnumeratorList(rule);
            m_enumerator = nullptr;
            if (list != nullptr) {
                list->emplace_back(SignedNumber(value), std::string());
                m_enumerator = &list->back();
            }
        }
        break;
    case Rule::Section:
        if (attribute == "Name") {
            m_section = nullptr;
            if (m_device != nullptr) {
                m_device->sections.emplace_back(value);
                m_section = &m_device->sections.back();
            }
            m_parameter = nullptr;
        }
        break;
    case Rule::Parameter:
        if (attribute == "Name") {
            m_parameter = nullptr;
            if (m_section != nullptr) {
                m_section->parameters.emplace_back(value);
                m_parameter = &m_section->parameters.back();
            }
        }
        break;
    case Rule::Board:
        if (attribute == "Vendor") {
            m_boards.emplace_back();
            m_board = &m_boards.back();
            m_board->vendor = static_cast<std::uint16_t>(SignedNumber(value));
        } else if (m_board == nullptr) {
            break;
        } else if (attribute == "Type") {
            m_board->type = static_cast<std::uint32_t>(SignedNumber(value));
        } else if (attribute == "PnP") {
            m_board->plugAndPlay = EqualsNoCase(value, "Yes");
        } else if (attribute == "Lines") {
            m_board->multiLine = SignedNumber(value) > 1;
        }
        break;
    default:
        break;
    }
}

void CQVTReader::ApplyText(Rule rule, const std::string& text)
{
    CQVTDevice* d = m_device;
    CQVTSection* s = m_section;
    CQVTParameter* p = m_parameter;
    switch (rule) {
    case Rule::DeviceName:
        if (d != nullptr)
            d->name = text;
        break;
    case Rule::DeviceToolTip:
        if (d != nullptr)
            d->toolTip = text;
        break;
    case Rule::DeviceDescription:
        if (d != nullptr)
            d->description = text;
        break;
    case Rule::Mode:
    case Rule::Homing:
    case Rule::Emergency:
    case Rule::ParameterEnumerator:
    case Rule::ErrorEnumerator:
        if (m_enumerator != nullptr)
            m_enumerator->text = text;
        break;
    case Rule::SectionName:
        if (s != nullptr && !text.empty())
            s->name = text;
        break;
    case Rule::SectionToolTip:
        if (s != nullptr)
            s->toolTip = text;
        break;
    case Rule::SectionDescription:
        if (s != nullptr)
            s->description = text;
        break;
    case Rule::ParameterName:
        if (p != nullptr && !text.empty())
            p->name = text;
        break;
    case Rule::Index:
        if (p != nullptr)
            p->index = static_cast<std::uint16_t>(UnsignedNumber(text));
        break;
    case Rule::Subindex:
        if (p != nullptr)
            p->subIndex = static_cast<std::uint8_t>(UnsignedNumber(text));
        break;
    case Rule::Datatype:
        if (p != nullptr) {
            const std::uint32_t code = UnsignedNumber(text);
            p->dataType = code != 0 ? static_cast<int>(code) : DataTypeCode(text);
        }
        break;
    case Rule::Accessible:
        if (p != nullptr)
            p->accessible = static_cast<std::uint8_t>(SignedNumber(text));
        break;
    case Rule::Unit:
        if (p != nullptr)
            p->unit = text;
        break;
    case Rule::MinValue:
        if (p != nullptr)
            p->minValue = text;
        break;
    case Rule::MaxValue:
        if (p != nullptr)
            p->maxValue = text;
        break;
    case Rule::DefaultValue:
        if (p != nullptr)
            p->defaultValue = text;
        break;
    case Rule::ParameterToolTip:
        if (p != nullptr)
            p->toolTip = text;
        break;
    case Rule::ParameterDescription:
        if (p != nullptr)
            p->description = text;
        break;
    case Rule::Board:
        if (m_board != nullptr)
            m_board->name = text;
        break;
    default:
        break;
    }
}

void CQVTReader::Dispatch(CXmlReader& xml)
{
    const Rule rule = Match(xml.GetPath(), xml.GetName());
    while (xml.ReadAttribute())
        ApplyAttribute(rule, xml.GetAttributeName(), xml.GetAttributeValue());
    if (xml.GetState() != CXmlReader::XmlError)
        ApplyText(rule, xml.GetValue());
}

bool CQVTReader::Read(const std::string& fileName)
{
    CXmlReader xml(fileName);
    return Read(xml);
}

bool CQVTReader::Read(CXmlReader& xml)
{
    // Up to the first element; a document without one loads nothing.
    for (;;) {
        const int kind = xml.Read();
        if (kind == CXmlReader::XmlEnd)
            return true;
        if (kind == CXmlReader::XmlError)
            return false;
        if (kind == CXmlReader::XmlElement)
            break;
        SkipAttributes(xml);
    }

    if (!EqualsNoCase(xml.GetPath(), "xml/Commissioning") && xml.GetName() != "Commissioning")
        return false;
    bool versionOk = true;
    while (xml.ReadAttribute()) {
        if (xml.GetAttributeName() == "Version" && xml.GetAttributeValue() != "1.2")
            versionOk = false;
    }
    if (xml.GetState() == CXmlReader::XmlError || !versionOk)
        return false;

    m_device = nullptr;
    m_section = nullptr;
    m_parameter = nullptr;
    m_enumerator = nullptr;
    m_board = nullptr;

    while (xml.GetDepth() > 0) {
        const int kind = xml.Read();
        if (kind == CXmlReader::XmlError)
            return false;
        if (kind == CXmlReader::XmlEnd)
            return xml.GetDepth() == 0;  // inside the root element: truncated
        if (kind == CXmlReader::XmlElement)
            Dispatch(xml);
        else
            SkipAttributes(xml);
        if (xml.GetState() == CXmlReader::XmlError)
            return false;
    }

    // After the root only comments and processing instructions may follow.
    for (;;) {
        const int kind = xml.Read();
        if (kind == CXmlReader::XmlEnd)
            return true;
        if (kind == CXmlReader::XmlError)
            return false;
        SkipAttributes(xml);
        if (xml.GetState() == CXmlReader::XmlError)
            return false;
    }
}

}  // namespace ovro

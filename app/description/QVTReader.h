// CQVTReader: fills the description model from the device description file
// ("Ovro-QVT.xml") with CXmlReader. Nothing is reported here; Read() only
// tells whether the file was read completely. Objects created before a
// failure stay in the model.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "description/QVTBoard.h"
#include "description/QVTDevice.h"
#include "description/QVTEnumerator.h"

namespace ovro {

class CXmlReader;

class CQVTReader {
public:
    CQVTReader(CQVTDevice& deviceH315, CQVTDevice& deviceK315, std::deque<CQVTBoard>& boards,
               std::deque<CQVTEnumerator>& errors);

    bool Read(const std::string& fileName);
    bool Read(CXmlReader& xml);

    // Numbers of the description: "0x" followed by hexadecimal digits, else a
    // C-style integer (signed: decimal, 0x hexadecimal or 0 octal; unsigned:
    // decimal); anything else 0. Text after the number is ignored.
    static std::int32_t SignedNumber(const std::string& text);
    static std::uint32_t UnsignedNumber(const std::string& text);

private:
    enum class Rule {
        None,
        Device,
        DeviceName,
        DeviceToolTip,
        DeviceDescription,
        Mode,
        Homing,
        Emergency,
        Section,
        SectionName,
        SectionToolTip,
        SectionDescription,
        Parameter,
        ParameterName,
        Index,
        Subindex,
        Datatype,
        Accessible,
        Unit,
        MinValue,
        MaxValue,
        DefaultValue,
        ParameterToolTip,
        ParameterDescription,
        ParameterEnumerator,
        Board,
        ErrorEnumerator,
    };

    static Rule Match(const std::string& path, const std::string& name);
    void Dispatch(CXmlReader& xml);
    void ApplyAttribute(Rule rule, const std::string& attribute, const std::string& value);
    void ApplyText(Rule rule, const std::string& text);
    std::deque<CQVTEnumerator>* EnumeratorList(Rule rule);

    CQVTDevice& m_deviceH315;
    CQVTDevice& m_deviceK315;
    std::deque<CQVTBoard>& m_boards;
    std::deque<CQVTEnumerator>& m_errors;

    CQVTDevice* m_device = nullptr;
    CQVTSection* m_section = nullptr;
    CQVTParameter* m_parameter = nullptr;
    CQVTEnumerator* m_enumerator = nullptr;
    CQVTBoard* m_board = nullptr;
};

}  // namespace ovro

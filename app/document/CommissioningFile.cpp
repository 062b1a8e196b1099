#include "document/CommissioningFile.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "document/ParameterValue.h"
#include "document/ProfileReader.h"
#include "document/SafeFile.h"
#include "settings/BaudRate.h"
#include "settings/NumberParse.h"

namespace ovro {

namespace {

// Section and key names of the commissioning document.
const char kCommissioning[] = "Commissioning";
const char kNodeSettings[] = "NodeSettings";
const char kPositionMode[] = "PositionMode";
const char kVelocityMode[] = "VelocityMode";
const char kHomingMode[] = "HomingMode";
const char kManualMode[] = "ManualMode";
const char kDeviceStatus[] = "DeviceStatus";
const char kOscilloscope[] = "Oscilloscope";
const char kUnknownType[] = "(unknown)";

class CTextWriter {
public:
    void Section(const char* name) { m_text += "[" + Clean(name) + "]" + kLineEnd; }
    void Entry(const std::string& key, const std::string& value)
    {
        m_text += Clean(key) + "=" + Clean(value) + kLineEnd;
    }
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        char line[128];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        m_text += line;
        m_text += kLineEnd;
    }
    void End() { m_text += kLineEnd; }
    std::string& Text() { return m_text; }

private:
    // A line break inside a value would end the entry and could start a
    // false section or entry; it is written as a blank instead.
    static std::string Clean(std::string text)
    {
        for (char& c : text) {
            if (c == '\r' || c == '\n')
                c = ' ';
        }
        return text;
    }

    std::string m_text;
};

void WriteParameters(CTextWriter& out, const CQVTDevice& d, bool everything)
{
    for (const CQVTSection& s : d.sections) {
        if (!everything && !s.HasTransferable())
            continue;
        out.Section(s.key.c_str());
        for (const CQVTParameter& p : s.parameters) {
            if (everything || p.IsTransferable())
                out.Entry(p.key, CParameterValue::GetValueText(p, false));
        }
        out.End();
    }
}

void WriteMotion(CTextWriter& out, const MotionMemory& m)
{
    if (!m.position.readFromDrive) {
        const MotionMemory::PositionPage& p = m.position;
        out.Section(kPositionMode);
        out.Line("TargetPosition=%li", static_cast<long>(p.targetPosition));
        out.Line("RelativePosition=%i", static_cast<int>(p.relative));
        out.Line("ProfileVelocity=%lu", static_cast<unsigned long>(p.profileVelocity));
        out.Line("ProfileAcceleration=%lu", static_cast<unsigned long>(p.acceleration));
        out.Line("ProfileDeceleration=%lu", static_cast<unsigned long>(p.deceleration));
        out.Line("MaxCurrent=%u", static_cast<unsigned>(p.maxCurrent));
        out.Line("UserProfile=%i", static_cast<int>(p.userProfile));
        out.Line("ProfileNumber=%u", static_cast<unsigned>(p.profileNumber));
        out.End();
    }
    if (!m.velocity.readFromDrive) {
        const MotionMemory::VelocityPage& v = m.velocity;
        out.Section(kVelocityMode);
        out.Line("TargetVelocity=%li", static_cast<long>(v.targetVelocity));
        out.Line("ProfileAcceleration=%lu", static_cast<unsigned long>(v.acceleration));
        out.Line("ProfileDeceleration=%lu", static_cast<unsigned long>(v.deceleration));
        out.Line("MaxCurrent=%u", static_cast<unsigned>(v.maxCurrent));
        out.End();
    }
    if (!m.homing.readFromDrive) {
        out.Section(kHomingMode);
        out.Line("HomingMethod=%i", static_cast<int>(m.homing.homingMethod));
        out.Line("AssignPosition=%li", static_cast<long>(m.homing.assignPosition));
        out.End();
    }
    if (!m.manual.readFromDrive) {
        out.Section(kManualMode);
        out.Line("SimulatedMode=%i", static_cast<int>(m.manual.simulatedMode));
        out.End();
    }
}

void WriteStatus(CTextWriter& out, const ActualValues& a)
{
    out.Section(kDeviceStatus);
    out.Line("StatusRegister=0x%lX", static_cast<unsigned long>(a.statusRegister));
    out.Line("ErrorCode=0x%04X", static_cast<unsigned>(a.errorCode));
    out.Line("Statusword=0x%04X", static_cast<unsigned>(a.statusword));
    out.Line("ActualPosition=%li", static_cast<long>(a.actualPosition));
    out.Line("ActualVelocity=%li", static_cast<long>(a.actualVelocity));
    out.Line("ActualCurrent=%i", static_cast<int>(a.actualCurrent));
    out.Line("ActualVoltage=%lu", static_cast<unsigned long>(a.actualVoltage));
    out.Line("ActualTemperature=%i", static_cast<int>(a.actualTemperature));
    out.Line("DigitalInputs=0x%lX", static_cast<unsigned long>(a.digitalInputs));
    out.Line("ActualMode=%i", static_cast<int>(a.actualMode));
    for (std::size_t i = 0; i < a.errorList.size(); ++i)
        out.Line("ErrorList%zu=0x%04X", i + 1, static_cast<unsigned>(a.errorList[i].Code()));
    out.Line("PowerOnTime=%lu", static_cast<unsigned long>(a.powerOnTime));
    out.Line("TurnOnTime=%lu", static_cast<unsigned long>(a.turnOnTime));
    out.Line("Positionings=%lu", static_cast<unsigned long>(a.positionings));
    // Widened with its sign, as 32 bits: -1 reads 4294967295.
    out.Line("Recording=%lu", static_cast<unsigned long>(static_cast<std::uint32_t>(
                                  static_cast<std::int32_t>(a.recording))));
    out.End();
}

void WriteScope(CTextWriter& out, const OscilloscopeProfile& o)
{
    if (o.readFromDrive)
        return;
    // No blank line: the recording sections follow directly when there are any.
    out.Section(kOscilloscope);
    out.Line("ProfileVelocity=%lu", static_cast<unsigned long>(o.profileVelocity));
    out.Line("ProfileAcceleration=%lu", static_cast<unsigned long>(o.acceleration));
    out.Line("ProfileDeceleration=%lu", static_cast<unsigned long>(o.deceleration));
    out.Line("MaxCurrent=%u", static_cast<unsigned>(o.maxCurrent));
}

// Reads one record field with the number parser of its type; a missing or
// empty entry gives the default text, a text that is no number gives 0.
class CRecordReader {
public:
    CRecordReader(const CProfileReader& file, const char* section) : m_file(file), m_section(section) {}

    template <typename T, bool (*Parse)(const char*, T&)>
    void Get(const char* key, T& field, const char* defaultText = "0") const
    {
        std::string text = m_file.GetString(m_section, key, std::string());
        if (text.empty())
            text = defaultText;
        Parse(text.c_str(), field);
    }

private:
    const CProfileReader& m_file;
    const char* m_section;
};

void ReadRecords(const CProfileReader& file, CQVTDevice& d)
{
    MotionMemory& m = d.motion;
    const CRecordReader position(file, kPositionMode);
    position.Get<std::int32_t, ParseS32>("TargetPosition", m.position.targetPosition);
    position.Get<std::int32_t, ParseS32>("RelativePosition", m.position.relative);
    position.Get<std::uint32_t, ParseU32>("ProfileVelocity", m.position.profileVelocity);
    position.Get<std::uint32_t, ParseU32>("ProfileAcceleration", m.position.acceleration);
    position.Get<std::uint32_t, ParseU32>("ProfileDeceleration", m.position.deceleration);
    position.Get<std::uint16_t, ParseU16>("MaxCurrent", m.position.maxCurrent);
    position.Get<std::int32_t, ParseS32>("UserProfile", m.position.userProfile);
    position.Get<std::uint8_t, ParseU8>("ProfileNumber", m.position.profileNumber);

    const CRecordReader velocity(file, kVelocityMode);
    velocity.Get<std::int32_t, ParseS32>("TargetVelocity", m.velocity.targetVelocity);
    velocity.Get<std::uint32_t, ParseU32>("ProfileAcceleration", m.velocity.acceleration);
    velocity.Get<std::uint32_t, ParseU32>("ProfileDeceleration", m.velocity.deceleration);
    velocity.Get<std::uint16_t, ParseU16>("MaxCurrent", m.velocity.maxCurrent);

    const CRecordReader homing(file, kHomingMode);
    homing.Get<std::int8_t, ParseS8>("HomingMethod", m.homing.homingMethod, "-1");
    homing.Get<std::int32_t, ParseS32>("AssignPosition", m.homing.assignPosition);

    const CRecordReader manual(file, kManualMode);
    manual.Get<std::int32_t, ParseS32>("SimulatedMode", m.manual.simulatedMode, "1");

    ActualValues& a = d.actual;
    const CRecordReader status(file, kDeviceStatus);
    status.Get<std::uint32_t, ParseU32>("StatusRegister", a.statusRegister);
    status.Get<std::uint16_t, ParseU16>("ErrorCode", a.errorCode);
    status.Get<std::uint16_t, ParseU16>("Statusword", a.statusword);
    status.Get<std::int32_t, ParseS32>("ActualPosition", a.actualPosition);
    status.Get<std::int32_t, ParseS32>("ActualVelocity", a.actualVelocity);
    status.Get<std::int16_t, ParseS16>("ActualCurrent", a.actualCurrent);
    status.Get<std::uint32_t, ParseU32>("ActualVoltage", a.actualVoltage);
    status.Get<std::int8_t, ParseS8>("ActualTemperature", a.actualTemperature);
    status.Get<std::uint32_t, ParseU32>("DigitalInputs", a.digitalInputs);
    status.Get<std::int8_t, ParseS8>("ActualMode", a.actualMode);
    for (std::size_t i = 0; i < a.errorList.size(); ++i) {
        const std::string key = "ErrorList" + std::to_string(i + 1);
        std::uint16_t code = 0;
        status.Get<std::uint16_t, ParseU16>(key.c_str(), code);
        a.errorList[i].SetCode(code);
    }
    status.Get<std::uint32_t, ParseU32>("PowerOnTime", a.powerOnTime);
    status.Get<std::uint32_t, ParseU32>("TurnOnTime", a.turnOnTime);
    status.Get<std::uint32_t, ParseU32>("Positionings", a.positionings);
    status.Get<std::int8_t, ParseS8>("Recording", a.recording);

    OscilloscopeProfile& o = d.scopeProfile;
    const CRecordReader scope(file, kOscilloscope);
    scope.Get<std::uint32_t, ParseU32>("ProfileVelocity", o.profileVelocity);
    scope.Get<std::uint32_t, ParseU32>("ProfileAcceleration", o.acceleration);
    scope.Get<std::uint32_t, ParseU32>("ProfileDeceleration", o.deceleration);
    scope.Get<std::uint16_t, ParseU16>("MaxCurrent", o.maxCurrent);
}

}  // namespace

std::string CCommissioningFile::Format(const CQVTDevice& d, bool everything)
{
    CTextWriter out;
    out.Section(kCommissioning);
    out.Entry("Type", d.typeName);
    out.Entry("Name", d.name);
    out.Entry("Text", d.text);
    out.Entry("Date", d.date);
    out.End();

    out.Section(kNodeSettings);
    out.Line("NodeId=%i", d.nodeId);
    out.Entry("Baudrate", BaudRateText(d.baudRate));
    out.End();

    WriteParameters(out, d, everything);
    WriteMotion(out, d.motion);
    WriteStatus(out, d.actual);
    WriteScope(out, d.scopeProfile);
    return out.Text();
}

bool CCommissioningFile::Write(CCommissioning& commissioning, const std::string& path, bool everything,
                               const ExtraSections& extra)
{
    const CQVTDevice* d = commissioning.GetCurrentDevice();
    if (d == nullptr)
        return false;
    std::string text = Format(*d, everything);
    if (extra && !extra(text))
        return false;
    return CSafeFile::Replace(path, text);
}

bool CCommissioningFile::Read(CCommissioning& commissioning, const std::string& path, int model,
                              bool everything)
{
    const CProfileReader file(path);
    const std::string type = file.GetString(kCommissioning, "Type", kUnknownType);
    if (type == kUnknownType)
        return false;
    if (model == CCommissioning::ModelNone)
        model = CCommissioning::ModelCode(type);
    else if (type != CCommissioning::ModelName(model))
        return false;
    CQVTDevice* d = commissioning.MakeCurrent(model);
    if (d == nullptr)
        return false;

    d->name = file.GetString(kCommissioning, "Name", std::string());
    d->text = file.GetString(kCommissioning, "Text", std::string());
    d->date = file.GetString(kCommissioning, "Date", std::string());

    // Only node-ids a node can have; others leave the node-id alone.
    const long nodeId = file.GetInt(kNodeSettings, "NodeId", 0);
    if (nodeId >= 1 && nodeId <= 127) {
        d->nodeId = static_cast<int>(nodeId);
        d->nodeIdChanged = true;
    }
    const std::string baud = file.GetString(kNodeSettings, "Baudrate", std::string());
    if (!baud.empty()) {
        d->baudRate = BaudRateCode(baud);
        d->baudRateChanged = true;
    }

    for (CQVTSection& s : d->sections) {
        for (CQVTParameter& p : s.parameters) {
            if (!everything && !p.IsTransferable())
                continue;
            const std::string value = file.GetString(s.key, p.key, std::string());
            // Read back through the very text form written above.
            if (!value.empty() && CParameterValue::SetFileText(p, value))
                p.changed = true;
        }
    }

    if (everything)
        ReadRecords(file, *d);
    return true;
}

}  // namespace ovro

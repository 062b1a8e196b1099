// RecordOptions.cpp - the command line of "record".
#include "RecordOptions.h"

#include "settings/NumberParse.h"

#include <array>

namespace {

using RS = RecordingSettings;

const std::array<const char*, RS::kSignalCount> kSignalNames = {"position", "velocity", "current",
                                                                 "demanded-velocity", "inputs", "statusword"};
const std::array<const char*, RS::kKindCount> kKindNames = {"rising", "falling", "any", "in-window",
                                                             "out-window", "and", "or"};

bool Number(const std::string& option, const std::string& text, std::uint32_t& value, std::string& error)
{
    if (ParseU32(text.c_str(), value) && value > 0)
        return true;
    error = "option " + option + ": '" + text + "' is not a number above 0";
    return false;
}

} // namespace

const char* const CRecordOptions::kSynopsis =
    "record --signals LIST --time-base TEXT [--trigger SIGNAL --slope KIND (--level L | --min A --max B | "
    "--mask M --value V)] [--delay MS] (--duration MS | --samples N) --output FILE [--document FILE.31x] "
    "[--move-to INC [--move-velocity V]] [--timeout MS]";

const char* const CRecordOptions::kHelp =
    "Records up to four signals of the drive over PDOs, as the Oscilloscope window\n"
    "does, and writes them as CSV (a name ending in .csv) or as tab-separated text.\n"
    "  --signals LIST     channels in order: position, velocity, current,\n"
    "                     demanded-velocity, comma-separated\n"
    "  --time-base TEXT   1ms 2ms 4ms 5ms 10ms 20ms 25ms 50ms 100ms 200ms 250ms\n"
    "                     500ms 1.0s 2.0s 2.5s 5.0s (the bus must carry it)\n"
    "  --trigger SIGNAL   a channel's signal, inputs or statusword\n"
    "  --slope KIND       rising, falling, any (--level), in-window, out-window\n"
    "                     (--min, --max), and, or (--mask, --value)\n"
    "  --delay MS         time kept before the trigger (default 0)\n"
    "  --duration MS      recording time after the trigger (or the start)\n"
    "  --samples N        stop once N samples are recorded\n"
    "  --timeout MS       give up waiting for the trigger (default 60000)\n"
    "  --document FILE    also save the uploaded parameters with the recording\n"
    "  --move-to INC      once the recording runs, move the drive to this\n"
    "                     position (profile position), --move-velocity in inc/s";

int CRecordOptions::SignalOfName(const std::string& name)
{
    for (std::size_t i = 0; i < kSignalNames.size(); ++i)
        if (name == kSignalNames[i])
            return static_cast<int>(i);
    return -1;
}

int CRecordOptions::KindOfName(const std::string& name)
{
    for (std::size_t i = 0; i < kKindNames.size(); ++i)
        if (name == kKindNames[i])
            return static_cast<int>(i);
    return -1;
}

bool CRecordOptions::Parse(const std::vector<std::string>& args, RecordOptions& o, std::string& error)
{
    o = RecordOptions{};
    bool haveLevel = false, haveWindow = false, haveBinary = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = name.find('='); eq != std::string::npos && name.rfind("--", 0) == 0) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (name.rfind("--", 0) != 0) {
            error = "command 'record' takes no argument '" + name + "'";
            return false;
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = "option " + name + " needs a value";
            return false;
        }
        if (name == "--signals") {
            o.channels.clear();
            std::size_t at = 0;
            while (at <= value.size()) {
                const std::size_t comma = std::min(value.find(',', at), value.size());
                const std::string signal = value.substr(at, comma - at);
                const int s = SignalOfName(signal);
                if (s < 0 || s >= RS::kChannelSignals) {
                    error = "option --signals: '" + signal +
                            "' is not position, velocity, current or demanded-velocity";
                    return false;
                }
                for (int c : o.channels)
                    if (c == s) {
                        error = "option --signals: '" + signal + "' is listed twice";
                        return false;
                    }
                o.channels.push_back(s);
                at = comma + 1;
            }
            if (o.channels.size() > RS::kMaxChannels) {
                error = "option --signals: at most four signals";
                return false;
            }
        } else if (name == "--time-base") {
            o.timeBase = RS::TimeBaseOfText(value);
            if (o.timeBase < 0) {
                error = "option --time-base: '" + value + "' is not a time base (1ms ... 5.0s)";
                return false;
            }
        } else if (name == "--trigger") {
            o.trigger = SignalOfName(value);
            if (o.trigger < 0) {
                error = "option --trigger: '" + value + "' is not a signal";
                return false;
            }
        } else if (name == "--slope") {
            o.slope = KindOfName(value);
            if (o.slope < 0) {
                error = "option --slope: '" + value + "' is not rising, falling, any, in-window, out-window, and or or";
                return false;
            }
        } else if (name == "--level") {
            o.level = value;
            haveLevel = true;
        } else if (name == "--min" || name == "--max") {
            (name == "--min" ? o.minimum : o.maximum) = value;
            haveWindow = true;
        } else if (name == "--mask" || name == "--value") {
            (name == "--mask" ? o.mask : o.value) = value;
            haveBinary = true;
        } else if (name == "--delay") {
            o.delay = value;
        } else if (name == "--duration" || name == "--samples" || name == "--timeout" ||
                   name == "--move-velocity") {
            std::uint32_t n = 0;
            if (!Number(name, value, n, error))
                return false;
            if (name == "--duration")
                o.durationMs = n;
            else if (name == "--samples")
                o.samples = n;
            else if (name == "--timeout")
                o.timeoutMs = n;
            else
                o.moveVelocity = n;
        } else if (name == "--output") {
            o.output = value;
        } else if (name == "--document") {
            o.document = value;
        } else if (name == "--move-to") {
            std::int32_t target = 0;
            if (!ParseS32(value.c_str(), target)) {
                error = "option --move-to: '" + value + "' is not a position";
                return false;
            }
            o.moveTo = target;
        } else {
            error = "unknown option '" + name + "' of command 'record'";
            return false;
        }
    }
    if (o.channels.empty() || o.timeBase < 0 || o.output.empty()) {
        error = "command 'record' needs --signals, --time-base and --output";
        return false;
    }
    if (!o.durationMs && !o.samples) {
        error = "command 'record' needs --duration or --samples";
        return false;
    }
    if ((o.trigger < 0) != (o.slope < 0)) {
        error = "--trigger and --slope go together";
        return false;
    }
    if (o.trigger >= 0 && o.trigger < RS::kChannelSignals) {
        bool listed = false;
        for (int c : o.channels)
            listed = listed || c == o.trigger;
        if (!listed) {
            error = "option --trigger: the signal is not among --signals";
            return false;
        }
    }
    const bool levelKind = o.slope >= RS::kRisingEdge && o.slope <= RS::kAnyEdge;
    const bool windowKind = o.slope == RS::kInWindow || o.slope == RS::kOutWindow;
    const bool binaryKind = o.slope == RS::kBinaryAnd || o.slope == RS::kBinaryOr;
    if ((haveLevel && !levelKind) || (haveWindow && !windowKind) || (haveBinary && !binaryKind)) {
        error = "the trigger values do not fit --slope (--level: rising, falling, any; --min/--max: in-window, "
                "out-window; --mask/--value: and, or)";
        return false;
    }
    if (o.moveVelocity && !o.moveTo) {
        error = "--move-velocity needs --move-to";
        return false;
    }
    return true;
}

void CRecordOptions::Apply(const RecordOptions& o, RecordingSettings& s)
{
    s.SetChannels(o.channels);
    s.timeBase = o.timeBase;
    s.trigger = o.trigger;
    s.slope = o.slope;
    s.level = o.level;
    s.minimum = o.minimum;
    s.maximum = o.maximum;
    s.mask = o.mask;
    s.value = o.value;
    s.delay = o.delay;
}

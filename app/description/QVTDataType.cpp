#include "description/QVTDataType.h"

namespace ovro {

int DataTypeCode(const std::string& name)
{
    struct Entry {
        const char* name;
        int code;
    };
    static const Entry names[] = {
        {"Integer8", QvtInteger8},         {"Integer16", QvtInteger16},
        {"Integer32", QvtInteger32},       {"Unsigned8", QvtUnsigned8},
        {"Unsigned16", QvtUnsigned16},     {"Unsigned32", QvtUnsigned32},
        {"Visible String", QvtVisibleString}, {"VisibleString", QvtVisibleString},
        {"Octet String", QvtOctetString},  {"OctetString", QvtOctetString},
        {"Date", QvtDate},                 {"Time Of Day", QvtTimeOfDay},
        {"TimeOfDay", QvtTimeOfDay},
    };
    for (const Entry& e : names) {
        if (name == e.name)
            return e.code;
    }
    return QvtUnknown;
}

int DataTypeFixedSize(int code)
{
    switch (code) {
    case QvtInteger8:
    case QvtUnsigned8:
        return 1;
    case QvtInteger16:
    case QvtUnsigned16:
        return 2;
    case QvtInteger32:
    case QvtUnsigned32:
        return 4;
    case QvtOctetString:
        return 16;
    case QvtDate:
        return 7;
    case QvtTimeOfDay:
        return 6;
    default:
        return 0;
    }
}

bool IsIntegerType(int code)
{
    return code >= QvtInteger8 && code <= QvtUnsigned32;
}

}  // namespace ovro

// Data-type codes of parameter values (CiA DS-301 data type indices where
// those exist; 11 is the 7-byte DATE structure) and their SDO sizes.
#pragma once

#include <string>

namespace ovro {

enum QVTDataType : int {
    QvtUnknown = 0,
    QvtInteger8 = 2,
    QvtInteger16 = 3,
    QvtInteger32 = 4,
    QvtUnsigned8 = 5,
    QvtUnsigned16 = 6,
    QvtUnsigned32 = 7,
    QvtVisibleString = 9,
    QvtOctetString = 10,
    QvtDate = 11,
    QvtTimeOfDay = 12,
};

// Size of a parameter value in bytes.
constexpr int kQvtValueSize = 16;

// Code of a type name as the description writes it (exact); 0 if unknown.
int DataTypeCode(const std::string& name);

// SDO size of the fixed-size types; 0 for Visible String (its size depends
// on the value) and for unknown codes.
int DataTypeFixedSize(int code);

// True for the integer types 2...7.
bool IsIntegerType(int code);

}  // namespace ovro

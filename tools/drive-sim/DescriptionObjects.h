// DescriptionObjects.h - the parameters of the device description as
// objects of the drive: type, factory value, value range and access.
#pragma once

#include "DriveContext.h"
#include "ObjectDictionary.h"

#include <string>

class DescriptionObjects {
public:
    // The description file to use: the given one, else "Ovro-QVT.xml" next
    // to the program, else ../share/ovro-qvt/Ovro-QVT.xml; empty when none exists.
    static std::string locate(const std::string& given, const std::string& programPath);

    // Adds every parameter of the model that the dictionary does not have
    // yet. Returns the number added, or -1 with a message when the file
    // cannot be read.
    static int add(ObjectDictionary& od, DriveModel model, const std::string& path, std::string& error);

    // Text of a description value ("0x1F", "-5", "17") as a number.
    static bool parseInteger(const std::string& text, int64_t& out);
};

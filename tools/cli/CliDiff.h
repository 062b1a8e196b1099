// CCliDiff: the text of "ovro-qvt-cli diff": one table per section with
// the drive's value, the document's, the description's default and the
// mark of each parameter, and a closing count.
#pragma once

#include <string>
#include <vector>

#include "document/ParameterCompare.h"

class CCliDiff {
public:
    // documentName: the file compared with, or empty for the factory settings.
    static std::string Text(const std::vector<ovro::CParameterCompare::Row>& rows, const std::string& documentName);
};

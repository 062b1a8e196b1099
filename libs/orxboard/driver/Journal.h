// Journal - the driver's record of its calls, one line each, for the
// KDIX_Journal diagnostics export. Process-global, thread-safe.
#ifndef ORXBOARD_JOURNAL_H
#define ORXBOARD_JOURNAL_H

#include <string>

namespace orx {

class Journal {
public:
    static void add(const std::string& line);
    static std::string text();
    static void clear();
};

}  // namespace orx

#endif

#include "Journal.h"

#include <mutex>

namespace orx {

namespace {

std::mutex& journalMutex()
{
    static std::mutex m;
    return m;
}

std::string& journalText()
{
    static std::string t;
    return t;
}

}  // namespace

void Journal::add(const std::string& line)
{
    std::lock_guard<std::mutex> lock(journalMutex());
    std::string& t = journalText();
    if (t.size() < 1u << 20)  // a test reads it; a long run must not grow it without end
        t += line + "\n";
}

std::string Journal::text()
{
    std::lock_guard<std::mutex> lock(journalMutex());
    return journalText();
}

void Journal::clear()
{
    std::lock_guard<std::mutex> lock(journalMutex());
    journalText().clear();
}

}  // namespace orx

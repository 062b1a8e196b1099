#include "download/DownloadLog.h"

#include "ui/MessageTexts.h"

#include <cerrno>
#include <cstring>
#include <iomanip>
#include <locale>
#include <sstream>

bool CDownloadLog::Create(const std::string& path, std::string& reason)
{
    path_ = path;
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (!file_) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

void CDownloadLog::Write(const std::string& text)
{
    if (!file_)
        return;
    std::string bytes;
    bytes.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\n')
            bytes.push_back('\r');
        bytes.push_back(c);
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file_.get());
    std::fflush(file_.get());
}

std::string CDownloadLog::FormatDate(std::time_t now)
{
    std::tm local{};
    localtime_r(&now, &local);
    // The C locale's AM/PM, whatever the user's locale says.
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&local, kDateFormat);
    return out.str();
}

void CDownloadLog::WriteHeader(std::time_t now, const std::string& loaderPath, const std::string& appPath,
                               long pageSize, unsigned nodeId)
{
    Write("*** Ovro-QVT Program Download (.log-File) ***\n");
    Write(StringPrintf("Version: %s\n", kVersion));
    Write(StringPrintf("Date: %s\n", FormatDate(now).c_str()));
    Write(StringPrintf("Log-File: %s\n", path_.c_str()));
    Write(StringPrintf("SLL-File: %s\n", loaderPath.c_str()));
    Write(StringPrintf("Hex-File: %s\n", appPath.c_str()));
    Write(StringPrintf("PageSize: %li\n", pageSize));
    Write(StringPrintf("Node-Id.: %u\n\n", nodeId));
}

void CDownloadLog::WritePage(const PageBlock& block, std::uint16_t checksum)
{
    std::string line = StringPrintf("   Addr=%08lX, Size=%-3li, Data=", static_cast<unsigned long>(block.PageAddress()),
                                    static_cast<long>(block.PageSize()));
    static const char* kDigits = "0123456789ABCDEF";
    for (std::size_t i = 0; i < block.PageSize(); ++i) {
        line.push_back(kDigits[block.DataAt(i) >> 4]);
        line.push_back(kDigits[block.DataAt(i) & 0x0F]);
    }
    line += StringPrintf(", CSum=%04X\n", static_cast<unsigned>(checksum));
    Write(line);
}

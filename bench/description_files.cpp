// description_files: how long the program's file work takes - loading the
// device description (data/Ovro-QVT.xml) and writing and reading back a
// commissioning document of each drive model. Prints mean times.
//
//   description_files [loads] [rounds]     (defaults 20 and 50)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "description/Commissioning.h"
#include "document/CommissioningFile.h"

using namespace ovro;
using Clock = std::chrono::steady_clock;

namespace {

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int loads = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
    const std::string description = OVRO_DESCRIPTION_FILE;

    const Clock::time_point loadStart = Clock::now();
    for (int i = 0; i < loads; ++i) {
        CCommissioning c;
        if (!c.LoadDescription(description)) {
            std::fprintf(stderr, "cannot load %s\n", description.c_str());
            return 1;
        }
    }
    std::printf("load %s: %.3f ms (mean of %d)\n", description.c_str(),
                MillisecondsSince(loadStart) / loads, loads);

    char pattern[] = "/tmp/ovro-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = pattern;

    CCommissioning c;
    c.LoadDescription(description);
    int status = 0;
    for (int model : {CCommissioning::ModelH315, CCommissioning::ModelK315}) {
        const std::string path = dir + "/model" + std::to_string(model) + ".31x";
        c.SelectDevice(model);

        const Clock::time_point writeStart = Clock::now();
        bool ok = true;
        for (int i = 0; i < rounds && ok; ++i)
            ok = CCommissioningFile::Write(c, path, true);
        const double writeMs = MillisecondsSince(writeStart) / rounds;

        const Clock::time_point readStart = Clock::now();
        for (int i = 0; i < rounds && ok; ++i)
            ok = CCommissioningFile::Read(c, path, model, true);
        const double readMs = MillisecondsSince(readStart) / rounds;

        if (!ok) {
            std::fprintf(stderr, "%s: commissioning file failed\n",
                         CCommissioning::ModelName(model).c_str());
            status = 1;
            continue;
        }
        std::error_code ignored;
        std::printf("%s: write %.3f ms, read %.3f ms (mean of %d, %ju bytes)\n",
                    CCommissioning::ModelName(model).c_str(), writeMs, readMs, rounds,
                    static_cast<std::uintmax_t>(std::filesystem::file_size(path, ignored)));
    }
    std::filesystem::remove_all(dir);
    return status;
}

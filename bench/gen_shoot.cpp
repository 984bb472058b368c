// Writes a monitoring shot log of N shots: a year of cycles every half
// hour, 57 targets a cycle, tab-separated, decimal commas (as the
// monitoring programs write them), for timing shoot2crt.
//
//   gen_shoot N output.shoot
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/format.hpp"

using kestrova::Format;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gen_shoot N output.shoot\n");
        return 2;
    }
    const long long n = std::atoll(argv[1]);
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f) {
        std::perror(argv[2]);
        return 1;
    }
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    constexpr int kTargets = 57;
    std::fputs("DATE\tTIME\tCYCLE\tTARGET\tHZ\tV\tDIST\tFOUND\r\n", f);
    for (long long i = 0; i < n; ++i) {
        const long long cycle = i / kTargets;
        const int target = static_cast<int>(i % kTargets);
        // Half an hour a cycle, 20 s a shot, from 1 January 2021 into 2022.
        const long long second = cycle * 1800 + target * 20;
        const int year = 2021 + static_cast<int>(second / 86400 / 365);
        long long day = (second / 86400) % 365;
        int month = 0;
        while (day >= kDays[month]) day -= kDays[month++];
        const long long s = second % 86400;
        std::string line = Format("%02d/%02d/%d\t%02d:%02d:%02d\t%d\tC%03d\t", static_cast<int>(day + 1), month + 1, year,
                                  static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60), static_cast<int>(s % 60),
                                  static_cast<int>(cycle % 10000 + 1), target);
        std::string values = Format("%.5f\t%.5f\t%.4f\t1\r\n", target * 7.0123 + (i % 7) * 0.00003,
                                    99.5 + target * 0.01 + (i % 5) * 0.00002, 40.0 + target * 3.5 + (i % 3) * 0.0001);
        for (char& c : values)
            if (c == '.') c = ',';
        line += values;
        std::fputs(line.c_str(), f);
    }
    return std::fclose(f) == 0 ? 0 : 1;
}

// Writes a Leica GSI recording of N lines (GSI8, one station header every
// 25 lines followed by pointings in both faces), for timing gsi2xcrt.
//
//   gen_gsi N output.gsi
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/format.hpp"

using kestrova::Format;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gen_gsi N output.gsi\n");
        return 2;
    }
    const long long n = std::atoll(argv[1]);
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f) {
        std::perror(argv[2]);
        return 1;
    }
    long long station = 0;
    for (long long i = 0; i < n; ++i) {
        std::string line;
        const long long k = i % 25;
        if (k == 0) {
            ++station;
            line = Format("410001+%08d 42....+%08d 43....+%08d 44....+%08d ", 1000 + station % 90000,
                          100 + station % 150, 7400 + station % 300, 1400 + station % 300);
        } else {
            const long long target = (k - 1) % 12;
            const bool face2 = k > 12;
            long long hz = (target * 3123457 + station * 1733) % 40000000;
            long long v = 9500000 + target * 12345;
            if (face2) {
                hz = (hz + 20000000) % 40000000;
                v = 40000000 - v;
            }
            line = Format("11%04d+%08d 21.322+%08d 22.322+%08d 31..00+%08d 51....+0012+034 87..10+%08d ",
                          i % 10000, 2000 + target, hz, v, 15000 + target * 20731, 1300 + target * 10);
        }
        line += "\r\n";
        std::fwrite(line.data(), 1, line.size(), f);
    }
    return std::fclose(f) == 0 ? 0 : 1;
}

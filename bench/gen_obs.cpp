// Writes an observation file of about MB megabytes for the benchmarks of
// the converters: "obs" a reduced network (stations of 10 targets: a
// comment block, directions, zenith angles, distances) with its
// coordinate file when a second path is given; "niv-obs" and "niv-iob"
// height differences (Brelix code 4 or Geolab OHDF records, runs headed
// by a comment, pairs measured both ways) for the sorts and the
// conversion.
// Usage: gen_obs MB obs|niv-obs|niv-iob OUTPUT [COORDINATES.cor]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/format.hpp"
#include "base/line_sink.hpp"
#include "base/text_file.hpp"
#include "exports/obs_writer.hpp"
#include "levelling/niv_records.hpp"

using namespace kestrova;

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: gen_obs MB obs|niv-obs|niv-iob OUTPUT [COORDINATES.cor]\n");
        return 2;
    }
    const double bytes = std::atof(argv[1]) * 1e6;
    const std::string kind = argv[2];
    TAtomicTextFile out(argv[3], FileEncoding::Cp1252);
    double written = 0;
    auto add = [&](const std::string& line) {
        out.Add(line);
        written += static_cast<double>(line.size()) + 2;
    };
    long long stations = 0;
    if (kind == "obs") {
        add("*Données reduites");
        add("*Tours d'horizon");
        while (written < bytes) {
            ++stations;
            const std::string st = "S" + std::to_string(stations);
            add("* Station n°" + std::to_string(stations) + " " + st);
            add("* Temperature : 12.0 °C - Pression : 760.0 mmHg - Correction meteo : 0.0 ppm");
            add("");
            for (int t = 0; t < 10; ++t)
                add(ObsLine(t == 0 ? 7 : 5, st, "T" + std::to_string(stations * 10 + t), 37.1234 * t, 0.0008, 4, 1.55,
                            1.6, ""));
            add(" ");
            for (int t = 0; t < 10; ++t)
                add(ObsLine(6, st, "T" + std::to_string(stations * 10 + t), 99.1 + 0.01 * t, 0.0012, 4, 1.55, 1.6, ""));
            add("");
            for (int t = 0; t < 10; ++t)
                add(ObsLine(3, st, "T" + std::to_string(stations * 10 + t), 25.0 + t, 0.001, 4, 1.55, 1.6, ""));
            add("");
        }
        if (argc > 4) {
            TAtomicTextFile cor(argv[4], FileEncoding::Cp1252);
            cor.Add("1 S1 1000.000 2000.000 100.000 0.001 0.001");
            cor.Add("2 S2 1100.000 2000.000 101.000 0.003 0");
            for (long long s = 3; s <= stations && s < 1000; ++s) cor.Add("0 S" + std::to_string(s));
            cor.Commit();
        }
    } else {
        const bool geolab = kind == "niv-iob";
        long long run = 0, n = 0;
        while (written < bytes) {
            Tdeniv c;
            c.comment = " Cheminement " + std::to_string(++run);
            add(geolab ? GeolabRecord(c) : BrelixRecord(c));
            for (int i = 0; i < 100; ++i, ++n) {
                Tdeniv d;
                // Points of a grid, each pair measured forward and back.
                const long long a = (n * 7919) % 100000, b = (a + 1 + i % 3) % 100000;
                d.from = "RN" + std::to_string(i % 2 ? b : a);
                d.to = "RN" + std::to_string(i % 2 ? a : b);
                d.dh = (i % 2 ? -1.0 : 1.0) * (0.01 * (n % 997) + 0.00001 * i);
                d.sigma = 0.0001 + 0.00001 * (i % 7);
                add(geolab ? GeolabRecord(d) : BrelixRecord(d));
            }
        }
    }
    out.Commit();
    std::printf("%s: %.1f MB\n", argv[3], written / 1e6);
    return 0;
}

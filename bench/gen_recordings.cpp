// Writes an instrument recording of N records in one of the formats of the
// import (a station every 25 records, then pointings in both faces), for
// timing "kestrova -x import" against gsi2xcrt.
//
//   gen_recordings FORMAT N output      FORMAT: m5, dini, sdr, rw5, nikon
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/fixed_text.hpp"
#include "base/format.hpp"

using kestrova::Format;

namespace {

std::string M5(long long adr, const std::string& kind, const std::string& info, const std::string& blocks) {
    std::string l = Format("For M5|Adr %5d|%-3s %-27s|", adr % 100000, kind, info) + blocks;
    l.resize(117, ' ');
    return l + "| ";
}

std::string M5Block(const char* id, double value, int decimals, const char* unit) {
    return Format("%-2s ", id) + kestrova::FixedText(value, decimals, 14) + Format(" %-4s|", unit);
}

std::string Sdr33(const char* head, const std::string& a, const std::string& b = "", const std::string& c = "",
                  const std::string& d = "", const std::string& e = "") {
    return Format("%s%16s%16s%16s%16s%16s", head, a, b, c, d, e);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: gen_recordings m5|dini|sdr|rw5|nikon N output\n");
        return 2;
    }
    const std::string format = argv[1];
    const long long n = std::atoll(argv[2]);
    std::FILE* f = std::fopen(argv[3], "wb");
    if (!f) {
        std::perror(argv[3]);
        return 1;
    }
    const auto put = [f](const std::string& l) { std::fprintf(f, "%s\r\n", l.c_str()); };
    if (format == "sdr") put("00NMSDR33 V04-04.34    041208-Dec-26 09:12  211111");
    if (format == "rw5") put("MO,AD0,UN1,SF1.00000000,EC0,EO0.0,AU0");
    if (format == "nikon") {
        put("CO,Nikon RAW data format V2.00");
        put("CO,Dist Units: Metres");
        put("CO,Angle Units: Gons");
    }
    if (format == "dini") put(M5(0, "TO", "Start-Line  BF     1", ""));
    long long station = 0;
    for (long long i = 0; i < n; ++i) {
        const long long k = i % 25;
        const double face = (k % 2 == 0) ? 0.0 : 200.0;
        const double hz = std::fmod(static_cast<double>(k) * 13.7 + face, 400.0);
        const double v = face == 0.0 ? 99.8765 + k * 0.01 : 300.1235 - k * 0.01;
        const double d = 20.0 + k * 3.1;
        const std::string target = std::to_string(100 + k / 2);
        if (format == "m5") {
            if (k == 0)
                put(M5(i, "PI1", Format("%10s%5s%12d", "", "S", 1000 + ++station % 90000),
                       M5Block("Y", 1000.0, 3, "m") + M5Block("X", 2000.0, 3, "m") + M5Block("Z", 100.0, 3, "m")));
            else
                put(M5(i, "PI1", Format("%10s%5s%12s", "", "", target),
                       M5Block("SD", d, 4, "m") + M5Block("Hz", hz, 4, "gon") + M5Block("V1", v, 4, "gon")));
        } else if (format == "dini") {
            const bool back = i % 2 == 0;
            const std::string name = (i % 50 == 0) ? Format("RN%d", i / 50) : "";
            put(M5(i, "KD1", Format("%-8s%5s%10s%4d", name, "", "09:12:301", 1),
                   M5Block(back ? "Rb" : "Rf", 1.2 + (i % 7) * 0.01, 5, "m") + M5Block("HD", 25.0, 3, "m") +
                       std::string(23, ' ')));
        } else if (format == "sdr") {
            if (k == 0) {
                put(Sdr33("02TP", Format("S%d", ++station), "1000.000", "2000.000", "100.000", "1.532"));
                put(Sdr33("03NM", "1.600"));
            } else {
                put(Sdr33(face == 0.0 ? "09F1" : "09F2", Format("S%d", station), target, Format("%.4f", d),
                          Format("%.8f", v * 0.9), Format("%.8f", hz * 0.9)));
            }
        } else if (format == "rw5") {
            if (k == 0) {
                put(Format("OC,OP%d,N 5000.000,E 3000.000,EL100.000", ++station));
                put("LS,HI1.550,HR1.600");
            } else {
                const double deg = hz * 0.9, z = v * 0.9;
                const auto dms = [](double a) {
                    const long long s = static_cast<long long>(a * 3600.0 + 0.5);
                    return Format("%d.%02d%02d", s / 3600, (s / 60) % 60, s % 60);
                };
                put(Format("%s,OP%d,FP%s,AR%s,ZE%s,SD%.3f", face == 0.0 ? "FD" : "FR", station, target, dms(deg),
                           dms(z), d));
            }
        } else if (format == "nikon") {
            if (k == 0) {
                ++station;
                put(Format("ST,%d,,%d,,1.542,0.0000,0.0000", station, station + 1));
            }
            if (k != 0)
                put(Format("%s,%s,1.600,%.3f,%.4f,%.4f,09:41:10", face == 0.0 ? "F1" : "F2", target, d, hz, v));
        }
    }
    if (format == "dini") put(M5(n + 1, "TO", "End-Line          1", ""));
    std::fclose(f);
    return 0;
}

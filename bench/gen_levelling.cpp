// Writes a levelling book of N readings (runs of 100 set-ups, a backsight
// and a foresight row each, turning points 700001...) and, when a second
// path is given, the GSI16 double-reading (BFFB) recording of the same
// survey (4 reading lines and a station summary per set-up).
// Usage: gen_levelling N BOOK.na3 [RECORDING.gsi]
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/format.hpp"
#include "base/line_sink.hpp"
#include "base/text_file.hpp"
#include "levelling/na3_format.hpp"

using namespace kestrova;

namespace {

std::string Word(const char* head, long long value) {
    return Format("%s%c%016lld ", head, value < 0 ? '-' : '+', value < 0 ? -value : value);
}

std::string PointWord(long long block, const std::string& name) {
    std::string data = name;
    if (data.size() < 16) data.insert(0, 16 - data.size(), '0');
    return Format("11%04d+%s ", static_cast<int>(block % 10000), data);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: gen_levelling N BOOK.na3 [RECORDING.gsi]\n");
        return 2;
    }
    const long long n = std::atoll(argv[1]);
    TAtomicTextFile book(argv[2], FileEncoding::Cp1252);
    std::unique_ptr<TAtomicTextFile> gsi;
    if (argc > 3) gsi = std::make_unique<TAtomicTextFile>(argv[3], FileEncoding::Cp1252);
    for (const std::string& h : Na3HeaderLines()) book.Add(h);
    long long readings = 0, block = 0, run = 0, turning = 0;
    while (readings < n) {
        ++run;
        book.Add(Na3CodeLine());
        if (gsi) gsi->Add(Format("*41%04d+?..............1 42....+%016lld ", static_cast<int>(++block % 10000), run));
        std::string back = "RN" + std::to_string(run);
        for (int s = 0; s < 100 && readings < n; ++s) {
            const bool last = s == 99 || readings + 2 >= n;
            const std::string fore = last ? "RN" + std::to_string(run + 1)
                                          : std::to_string(700001 + (turning++ % 99998));
            const long long b = 120000 + (s * 7919) % 40000, f = 110000 + (s * 104729) % 40000;  // 1e-5 m
            Tobs_niv o;
            o.name = back;
            o.backsight = b * 1e-5;
            o.count = 6;
            o.emq = 0.1;
            o.distance = 25.0 + s % 10;
            book.Add(Na3Row(o));
            o = Tobs_niv{};
            o.name = fore;
            o.foresight = f * 1e-5;
            o.count = 6;
            o.emq = 0.1;
            o.distance = 25.0 + s % 10;
            book.Add(Na3Row(o));
            readings += 2;
            if (gsi) {
                const long long d = static_cast<long long>(o.distance * 100000);
                gsi->Add("*" + PointWord(++block, back) + Word("32...8", d) + Word("331.08", b) + Word("390...", 3));
                gsi->Add("*" + PointWord(++block, fore) + Word("32...8", d) + Word("332.08", f) + Word("390...", 3));
                gsi->Add("*" + PointWord(++block, fore) + Word("32...8", d) + Word("336.08", f) + Word("390...", 3));
                gsi->Add("*" + PointWord(++block, back) + Word("32...8", d) + Word("335.08", b) + Word("390...", 3));
                gsi->Add("*" + PointWord(++block, fore) + Word("571.08", 0) + Word("574.08", d * 2 * (s + 1)));
            }
            back = fore;
        }
    }
    book.Commit();
    if (gsi) gsi->Commit();
    return 0;
}

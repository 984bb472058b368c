// Generator of large field books for the benchmarks.
//
//   gen_fieldbook <pointings> <crt|xcrt> <output>
//
// Writes a text (.crt) or XML (.xcrt) field book of at least <pointings>
// pointings: many stations, each with 4 to 8 targets measured in rounds in
// both faces (every other station closes its face-left rounds on the opening
// target), slope distances with a packed atmospheric correction and prism
// constant, target heights, a prism definition and height definitions.
// The values are deterministic: the same arguments give the same file.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/text_file.hpp"
#include "base/utf8.hpp"

using namespace kestrova;

namespace {

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    // Uniform in [0, 1).
    double Next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) / 9007199254740992.0;
    }
    double Between(double lo, double hi) { return lo + (hi - lo) * Next(); }
    int Int(int lo, int hi) { return lo + static_cast<int>((hi - lo + 1) * Next()); }

private:
    uint64_t state_;
};

double Norm400(double a) {
    while (a < 0) a += 400.0;
    while (a >= 400.0) a -= 400.0;
    return a;
}

struct Pointing {
    std::string target;
    double Hz, V, Dp, Hv;
    int ppm;
    double cste;
    bool prism;
};

struct Station {
    std::string name;
    double temp, press, Ht;
    std::vector<Pointing> obs;
};

// "0012+034" for 12 ppm and 0.034 m; "-0005-034" for -5 ppm and -0.034 m.
std::string Packed(int ppm, double cste) {
    std::string t = ppm < 0 ? Format("-%04d", -ppm) : Format("%04d", ppm);
    const int mm = static_cast<int>(std::lround(cste * 1000.0));
    t += mm < 0 ? Format("%04d", mm) : Format("+%03d", mm);
    return t;
}

std::vector<Station> Generate(long long wanted) {
    Random rnd(20180112);
    std::vector<Station> stations;
    long long count = 0;
    int index = 0;
    while (count < wanted) {
        Station s;
        s.name = Format("S%04d", 1000 + index);
        s.temp = std::round(rnd.Between(2.0, 28.0) * 10.0) / 10.0;
        s.press = std::round(rnd.Between(700.0, 770.0) * 10.0) / 10.0;
        s.Ht = std::round(rnd.Between(1.3, 1.7) * 1000.0) / 1000.0;
        const int nTargets = rnd.Int(4, 8);
        const int rounds = rnd.Int(1, 3);
        const bool closed = index % 2 == 1;
        const double orientation = rnd.Between(0.0, 400.0);
        const int ppm = static_cast<int>(std::lround(rnd.Between(-10.0, 30.0)));
        const double indexError = rnd.Between(-0.002, 0.002);

        struct Target { std::string name; double Hz, V, Dp, Hv; bool prism; };
        std::vector<Target> targets;
        for (int t = 0; t < nTargets; ++t) {
            Target tg;
            // Neighbouring stations and detail points, some written with leading zeros.
            if (t == 0)
                tg.name = Format("S%04d", 1000 + index + 1);
            else if (t == 1)
                tg.name = Format("S%04d", 1000 + (index == 0 ? 2 : index - 1));
            else
                tg.name = (t % 3 == 0 ? "00" : "") + Format("%d", 100 * index + t);
            tg.Hz = Norm400(orientation + t * 400.0 / nTargets + rnd.Between(-20.0, 20.0));
            tg.V = rnd.Between(92.0, 108.0);
            tg.Dp = t % 4 == 3 ? 0.0 : rnd.Between(15.0, 850.0);
            tg.Hv = std::round(rnd.Between(1.2, 2.0) * 1000.0) / 1000.0;
            tg.prism = t % 5 == 4;
            targets.push_back(tg);
        }
        auto point = [&](const Target& tg, int face) {
            const double e = rnd.Between(-0.0006, 0.0006);
            Pointing p;
            p.target = tg.name;
            p.Hz = face == 1 ? Norm400(tg.Hz + e) : Norm400(tg.Hz + 200.0 + e);
            p.V = face == 1 ? tg.V + indexError / 2 + e : 400.0 - tg.V + indexError / 2 - e;
            p.Dp = tg.Dp > 0 ? tg.Dp + rnd.Between(-0.0008, 0.0008) : 0.0;
            p.Hv = tg.Hv;
            p.ppm = ppm;
            p.cste = tg.prism ? 0.0 : 0.034;
            p.prism = tg.prism;
            s.obs.push_back(p);
        };
        for (int r = 0; r < rounds; ++r) {
            for (int t = 0; t < nTargets; ++t) point(targets[static_cast<size_t>(t)], 1);
            if (closed) point(targets[0], 1);
            point(targets[0], 2);
            for (int t = nTargets - 1; t >= 1; --t) point(targets[static_cast<size_t>(t)], 2);
            if (closed) point(targets[0], 2);
        }
        count += static_cast<long long>(s.obs.size());
        stations.push_back(std::move(s));
        ++index;
    }
    return stations;
}

std::vector<std::string> TextBook(const std::vector<Station>& stations) {
    std::vector<std::string> out;
    out.emplace_back("Carnet de terrain généré pour les mesures de performance");
    out.emplace_back(" prisme P1 cste_m 0.0175 ");
    out.emplace_back(" point 1003 hv_m 1.7500 ");
    for (const Station& s : stations) {
        out.push_back(" station " + PadRight(s.name, 8) + Format(" Temp_deg %.1f Press_mmHg %.1f ht_m %.3f", s.temp,
                                                                 s.press, s.Ht));
        for (const Pointing& p : s.obs) {
            std::string l = "  numero " + PadRight(p.target, 8) +
                            Format(" AH_gr %9.4f AV_gr %9.4f Dp_m %9.4f ppm_cste_mm ", p.Hz, p.V, p.Dp) +
                            Packed(p.ppm, p.cste) + Format(" hv_m %9.4f", p.Hv);
            if (p.prism) l += " prisme P1";
            out.push_back(std::move(l));
        }
    }
    return out;
}

std::vector<std::string> XmlBook(const std::vector<Station>& stations) {
    std::vector<std::string> out;
    out.emplace_back("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    out.emplace_back("<carnet>");
    out.emplace_back("   <etalonnages>");
    out.emplace_back("      <!-- étalonnage du distancemètre -->");
    out.emplace_back("      <etalonnage id=\"DI1\" methode=\"banc\" num=\"1\" serial=\"345678\" Ddep=\"5\" Dmax=\"1500\" "
                     "P=\"10\" M=\"0.0012\" lambda_um=\"0.658\" T0_C=\"12\" P0_mmHg=\"760\" deg_Fourier=\"1\" "
                     "deg_polynome=\"2\" n_corr_interp=\"3\">");
    out.emplace_back("         <Coeff_Fourier><Fourier degre=\"1\" A=\"0.0002\" B=\"-0.0001\"/></Coeff_Fourier>");
    out.emplace_back("         <Coeff_Polynome><Polynome degre=\"1\" Q=\"0.0003\"/><Polynome degre=\"2\" "
                     "Q=\"0.000001\"/></Coeff_Polynome>");
    out.emplace_back("         <Coeff_corr_interp><interp dist=\"10\" corr=\"0.0004\"/><interp dist=\"500\" "
                     "corr=\"0.0002\"/><interp dist=\"1500\" corr=\"-0.0003\"/></Coeff_corr_interp>");
    out.emplace_back("      </etalonnage>");
    out.emplace_back("   </etalonnages>");
    out.emplace_back("   <stations>");
    int num = 0;
    for (const Station& s : stations) {
        ++num;
        const int doy = 1 + (num / 40) % 365;
        const int sec = (num * 600) % 86400;
        out.push_back(Format("      <station num=\"%d\" pt_sta=\"%s\" temp=\"%.1f\" press=\"%.1f\" Ht=\"%.4f\" "
                             "id_etalonnage=\"DI1\" cycle=\"%d\" DOY_debut=\"%d\" dsec_debut=\"%d\" DOY_fin=\"%d\" "
                             "dsec_fin=\"%d\">",
                             num, s.name, s.temp, s.press, s.Ht, 1 + num / 50, doy, sec, doy, sec + 300));
        out.emplace_back("         <rawdata>");
        for (const Pointing& p : s.obs)
            out.push_back(Format("            <obs pt_vis=\"%s\" Hz=\"%.5f\" V=\"%.5f\" Dp=\"%.4f\" Hv=\"%.4f\" "
                                 "ppm=\"%d\" cste=\"%.4f\"/>",
                                 p.target, p.Hz, p.V, p.Dp, p.Hv, p.ppm, p.cste));
        out.emplace_back("         </rawdata>");
        out.emplace_back("      </station>");
    }
    out.emplace_back("   </stations>");
    out.emplace_back("</carnet>");
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: gen_fieldbook <pointings> <crt|xcrt> <output>\n");
        return 2;
    }
    const auto count = TextToInt(argv[1]);
    const std::string form = argv[2];
    if (!count || *count <= 0 || (form != "crt" && form != "xcrt")) {
        std::fprintf(stderr, "usage: gen_fieldbook <pointings> <crt|xcrt> <output>\n");
        return 2;
    }
    const std::vector<Station> stations = Generate(*count);
    try {
        if (form == "crt")
            WriteTextLines(argv[3], TextBook(stations), FileEncoding::Cp1252);
        else
            WriteTextLines(argv[3], XmlBook(stations), FileEncoding::Latin1Xml);
    } catch (const TextFileError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    long long n = 0;
    for (const Station& s : stations) n += static_cast<long long>(s.obs.size());
    std::printf("%s : %zu stations, %lld pointés\n", argv[3], stations.size(), n);
    return 0;
}

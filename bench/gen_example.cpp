// Writes the bundled example: a field book (examples/chantier.crt) measured
// on a small network whose coordinates are known, and its coordinate file
// (examples/chantier.cor) with two fixed points.
//
// The free points of the coordinate file are given by their name alone;
// the known coordinates of every point follow as "*=" comment lines, which
// the readers of coordinate files pass over, for checking an adjustment.
//
// The network is a closed traverse of five stations with two detail
// points. Every station is measured in two faces, with prism constants,
// instrument and target heights, one station's pressure in hPa, and a
// noise of a few cc on the angles and about a millimetre on the distances
// (a fixed seed: the same book every time). The recorded distances are
// those that the reduction, with its atmospheric correction and the prism
// constants, turns back into the true slope distances plus that noise, so
// that an adjustment of the reduced observations gives back the known
// coordinates within millimetres. The earth is taken as flat, like
// gama-local's local networks.
//
// Usage: gen_example OUTPUT_DIR (writes chantier.crt and chantier.cor).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/format.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"

using namespace kestrova;

namespace {

constexpr double kGon = M_PI / 200.0;

struct Point {
    const char* name;
    double x, y, z;  // east, north, height of the mark (m)
};

// The known network (marks).
const std::vector<Point> kPoints = {
    {"1001", 1000.000, 2000.000, 100.000}, {"1002", 1162.418, 2037.265, 101.874},
    {"1003", 1241.733, 2171.902, 103.215}, {"1004", 1108.562, 2268.447, 102.408},
    {"1005", 968.371, 2155.129, 100.962},  {"2001", 1118.904, 2120.516, 101.337},
    {"2002", 1185.140, 2222.683, 102.751},
};

struct Target {
    const char* name;
    double hv;           // target height
    const char* prism;   // "" for the station's prism
    const char* comment;  // "" for none
};

struct Station {
    const char* name;
    double ht;
    double temp;      // degrees Celsius
    double press;     // mmHg, or hPa when inHpa
    bool inHpa;
    double orientation;  // circle reading of north (gon)
    std::vector<Target> targets;
};

const std::vector<Station> kStations = {
    {"1001", 1.542, 14.5, 735.2, false, 37.4412,
     {{"1005", 1.600, "", ""}, {"1002", 1.600, "", ""}, {"1003", 1.650, "", "visée longue, mire à l'ombre"}}},
    {"1002", 1.498, 15.0, 980.5, true, 251.0934,
     {{"1001", 1.600, "", ""}, {"1003", 1.600, "", ""}, {"2001", 1.300, "MINI", "borne déplacée ?"}}},
    {"1003", 1.512, 16.0, 734.0, false, 112.7710,
     {{"1002", 1.600, "", ""}, {"1004", 1.600, "", ""}, {"2002", 1.500, "MINI", "angle de bâtiment"}}},
    {"1004", 1.475, 16.5, 733.8, false, 308.2256,
     {{"1003", 1.600, "", ""}, {"1005", 1.600, "", ""}, {"2002", 1.500, "MINI", ""}, {"2001", 1.300, "MINI", ""}}},
    {"1005", 1.530, 15.5, 734.6, false, 189.5037,
     {{"1004", 1.600, "", ""}, {"1001", 1.600, "", ""}, {"2001", 1.300, "MINI", "été : végétation haute"}}},
};

const Point& Find(const std::string& name) {
    for (const Point& p : kPoints)
        if (name == p.name) return p;
    throw std::runtime_error("point inconnu " + name);
}

double Normalise(double g) {
    g = std::fmod(g, 400.0);
    return g < 0 ? g + 400.0 : g;
}

// Circle readings and recorded distances of one pointing in one face.
struct Pointing {
    std::string target;
    double hz, v, dp, hv;
    std::string prism, comment;
};

std::string PointingLine(const Pointing& p) {
    std::string line = Format("  numero %-8s AH_gr %9.4f AV_gr %9.4f Dp_m %9.4f ppm_cste_mm 0012+000 hv_m %9.4f",
                              p.target, p.hz, p.v, p.dp, p.hv);
    if (!p.prism.empty()) line += " prisme " + p.prism;
    if (!p.comment.empty()) line += " * " + p.comment;
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_example OUTPUT_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::mt19937 random(20261206u);
    // Box-Muller on the generator's own numbers: the same book on every
    // platform (std::normal_distribution is not specified bit for bit).
    auto gauss = [&](double sigma) {
        const double u1 = (static_cast<double>(random()) + 1.0) / 4294967296.0;
        const double u2 = static_cast<double>(random()) / 4294967296.0;
        return sigma * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
    };
    const double index = 0.0014;  // zenith index error of the instrument (gon)

    // Face 1 then face 2 (reversed) per station, true values plus noise.
    std::vector<std::vector<Pointing>> book;
    std::vector<std::vector<double>> trueDistance;  // per station, per target: true + noise of the mean
    for (const Station& s : kStations) {
        const Point& from = Find(s.name);
        std::vector<Pointing> face1, face2;
        std::vector<double> distances;
        for (const Target& t : s.targets) {
            const Point& to = Find(t.name);
            const double dx = to.x - from.x, dy = to.y - from.y;
            const double dz = (to.z + t.hv) - (from.z + s.ht);
            const double horizontal = std::hypot(dx, dy);
            const double azimuth = std::atan2(dx, dy) / kGon;  // from north, clockwise
            const double zenith = std::atan2(horizontal, dz) / kGon;
            const double slope = std::hypot(horizontal, dz);
            const double hz = Normalise(azimuth - s.orientation);
            distances.push_back(slope + gauss(0.0008));
            Pointing p{t.name, 0, 0, 0, t.hv, t.prism, t.comment};
            p.hz = Normalise(hz + gauss(0.0003));
            p.v = zenith + index + gauss(0.0004);
            p.dp = slope + gauss(0.0006);
            face1.push_back(p);
            p.hz = Normalise(hz + 200.0 + gauss(0.0003));
            p.v = 400.0 - zenith + index + gauss(0.0004);
            p.dp = slope + gauss(0.0006);
            face2.push_back(p);
        }
        std::vector<Pointing> all = face1;
        for (auto it = face2.rbegin(); it != face2.rend(); ++it) all.push_back(*it);
        book.push_back(all);
        trueDistance.push_back(distances);
    }

    const std::vector<std::string> header = {
        "* Carnet de terrain - polygonale fermée « Les Érables », commune de Saint-Rémy",
        "* Station totale n° 362514, opérateur : J. Martin, le 14/10/2026",
        "* Ciel couvert, vent faible ; pression de la station 1002 lue en hPa",
        "",
        " prisme GPR1             cste_m 0.0000 ",
        " prisme MINI             cste_m 0.0175 ",
        "",
        " point 2002             hv_m 1.5000 ",
    };
    auto lines = [&] {
        std::vector<std::string> out = header;
        for (std::size_t i = 0; i < kStations.size(); ++i) {
            const Station& s = kStations[i];
            out.emplace_back();
            out.push_back(Format(" station %-8s Temp_deg %.1f %s %.1f  ht_m %.4f prisme GPR1", s.name, s.temp,
                                 s.inHpa ? "Press_hPa" : "Press_mmHg", s.press, s.ht));
            for (const Pointing& p : book[i]) out.push_back(PointingLine(p));
        }
        return out;
    };

    // The recorded distances: shifted until the reduction gives back the
    // true distances (plus the noise of their mean); the shift is the same
    // for both faces, so their difference stays the drawn noise.
    for (int round = 0; round < 6; ++round) {
        Tday_obs reduced;
        reduced.trace.enabled = false;
        reduced.LoadFromLines(lines());
        BuildTargetsAndCheck(reduced);
        CorrectAndReduce(reduced);
        for (std::size_t i = 0; i < kStations.size(); ++i) {
            const TStation& st = reduced.stations[i];
            if (!st.valid) {
                std::fprintf(stderr, "station %s non valide\n", kStations[i].name);
                return 1;
            }
            for (std::size_t k = 0; k < kStations[i].targets.size(); ++k) {
                const double shift = trueDistance[i][k] - st.pts_vise[k].Dp;
                for (Pointing& p : book[i])
                    if (p.target == kStations[i].targets[k].name) p.dp += shift;
            }
        }
    }
    WriteTextLines(dir + "/chantier.crt", lines(), FileEncoding::Cp1252);

    std::vector<std::string> cor = {
        "* Coordonnées du chantier « Les Érables » (m) : code nom X(est) Y(nord) Z",
        "* 1001 et 1002 connus à 1 mm près ; les autres points libres, donnés par leur nom seul",
        "* (gama-local calcule leurs coordonnées approchées à partir des observations)",
    };
    for (const Point& p : kPoints) {
        const std::string name = p.name;
        if (name == "1001" || name == "1002")
            cor.push_back(Format("1 %-8s %10.3f %10.3f %8.3f 0.001 0.001", p.name, p.x, p.y, p.z));
        else
            cor.push_back(Format("0 %s", p.name));
    }
    cor.emplace_back();
    cor.emplace_back("* Coordonnées connues de tous les points, pour contrôler l'ajustement :");
    for (const Point& p : kPoints) cor.push_back(Format("*= %-8s %10.3f %10.3f %8.3f", p.name, p.x, p.y, p.z));
    WriteTextLines(dir + "/chantier.cor", cor, FileEncoding::Cp1252);
    return 0;
}

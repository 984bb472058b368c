// Writes a generated total-station network for the adjustment benchmark:
// NAME.obs (every point a station: directions to its four nearest
// neighbours, zenith angles and slope distances to three of them, a few
// cc and tenths of a millimetre of noise) and NAME.cor (four corner points
// fixed, the others free with approximate coordinates up to 0.4 m off, and
// the true coordinates as "*=" lines).
// Usage: gen_network DIR/NAME [POINTS]   (default 1000 points, 10 000 observations)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

struct P {
    double x, y, z;
};

double Gon(double radians) {
    double g = radians * 200.0 / M_PI;
    while (g < 0) g += 400;
    while (g >= 400) g -= 400;
    return g;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage : gen_network DOSSIER/NOM [POINTS]\n");
        return 2;
    }
    const std::string base = argv[1];
    const int n = argc > 2 ? std::max(8, std::atoi(argv[2])) : 1000;
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, 1.0);
    // Points on a jittered grid, 120 m apart.
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    std::vector<P> pts;
    for (int i = 0; static_cast<int>(pts.size()) < n; ++i) {
        const int r = i / side, c = i % side;
        pts.push_back({1000 + c * 120.0 + (unit(rng) - 0.5) * 60, 5000 + r * 120.0 + (unit(rng) - 0.5) * 60,
                       100 + 20 * unit(rng)});
    }
    auto name = [](int i) { return "P" + std::to_string(i + 1); };
    FILE* obs = std::fopen((base + ".obs").c_str(), "wb");
    FILE* cor = std::fopen((base + ".cor").c_str(), "wb");
    if (!obs || !cor) {
        std::perror(base.c_str());
        return 1;
    }
    std::fprintf(obs, "* Reseau genere : %d points\r\n", n);
    long count = 0;
    for (int s = 0; s < n; ++s) {
        std::vector<std::pair<double, int>> near;
        for (int t = 0; t < n; ++t) {
            if (t == s) continue;
            const double d = std::hypot(pts[t].x - pts[s].x, pts[t].y - pts[s].y);
            if (d < 400) near.push_back({d, t});
        }
        std::sort(near.begin(), near.end());
        if (near.size() > 4) near.resize(4);
        const double orientation = 400 * unit(rng);
        std::fprintf(obs, "\r\n");
        for (std::size_t k = 0; k < near.size(); ++k) {
            const P& a = pts[s];
            const P& b = pts[near[k].second];
            const double dir = Gon(std::atan2(b.x - a.x, b.y - a.y) - orientation * M_PI / 200 + noise(rng) * 3e-4 * M_PI / 200);
            std::fprintf(obs, "%d %-16s %-16s %12.4f %10.4f 0.0000 0.0000 0.0000\r\n", k == 0 ? 7 : 5,
                         name(s).c_str(), name(near[k].second).c_str(), dir, 0.0008);
            ++count;
        }
        for (std::size_t k = 0; k < near.size() && k < 3; ++k) {
            const P& a = pts[s];
            const P& b = pts[near[k].second];
            const double hd = std::hypot(b.x - a.x, b.y - a.y), dz = b.z - a.z;
            const double zen = Gon(std::atan2(hd, dz) + noise(rng) * 4e-4 * M_PI / 200);
            const double sd = std::hypot(hd, dz) + noise(rng) * 0.0005;
            std::fprintf(obs, "6 %-16s %-16s %12.4f %10.4f 0.0000 0.0000 0.0000\r\n", name(s).c_str(),
                         name(near[k].second).c_str(), zen, 0.0012);
            std::fprintf(obs, "3 %-16s %-16s %12.4f %10.4f 0.0000 0.0000 0.0000\r\n", name(s).c_str(),
                         name(near[k].second).c_str(), sd, 0.0010);
            count += 2;
        }
    }
    std::fprintf(cor, "* Reseau genere : 4 points fixes, les autres approches a 0.4 m pres\r\n");
    const int corners[] = {0, side - 1, n - side, n - 1};
    for (int i = 0; i < n; ++i) {
        const bool fixed = std::find(std::begin(corners), std::end(corners), i) != std::end(corners);
        if (fixed)
            std::fprintf(cor, "1 %-16s %12.4f %12.4f %10.4f 0.001 0.001\r\n", name(i).c_str(), pts[i].x, pts[i].y, pts[i].z);
        else
            std::fprintf(cor, "0 %-16s %12.4f %12.4f %10.4f\r\n", name(i).c_str(), pts[i].x + (unit(rng) - 0.5) * 0.8,
                         pts[i].y + (unit(rng) - 0.5) * 0.8, pts[i].z + (unit(rng) - 0.5) * 0.8);
    }
    for (int i = 0; i < n; ++i)
        std::fprintf(cor, "*= %-16s %12.4f %12.4f %10.4f\r\n", name(i).c_str(), pts[i].x, pts[i].y, pts[i].z);
    std::fclose(obs);
    std::fclose(cor);
    std::printf("%s.obs : %d points, %ld observations\n", base.c_str(), n, count);
    return 0;
}

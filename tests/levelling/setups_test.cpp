// Set-ups formed from readings by their kind, whatever the order a level
// recorded them in, as any recording reader hands them over.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "levelling/setups.hpp"

using namespace kestrova;

namespace {

TStaffReading R(TStaffKind kind, const std::string& name, double value, long long line, double emq = 0) {
    TStaffReading r;
    r.kind = kind;
    r.obs.name = name;
    r.obs.emq = emq;
    r.obs.count = 3;
    switch (kind) {
        case TStaffKind::Back:
        case TStaffKind::SecondBack: r.obs.backsight = value; break;
        case TStaffKind::Fore:
        case TStaffKind::SecondFore: r.obs.foresight = value; break;
        case TStaffKind::Intermediate: r.obs.intermediate = value; break;
        default: r.obs.altitude = value; break;
    }
    r.line = line;
    return r;
}

// "name B|F|I value" per row, as the book holds them.
std::vector<std::string> Rows(const std::vector<Tobs_niv>& rows) {
    std::vector<std::string> out;
    for (const Tobs_niv& o : rows) {
        char text[96];
        if (o.backsight != 0) std::snprintf(text, sizeof text, "%s B %.5f", o.name.c_str(), o.backsight);
        else if (o.foresight != 0) std::snprintf(text, sizeof text, "%s F %.5f", o.name.c_str(), o.foresight);
        else if (o.intermediate != 0) std::snprintf(text, sizeof text, "%s I %.5f", o.name.c_str(), o.intermediate);
        else std::snprintf(text, sizeof text, "%s H %.4f", o.name.c_str(), o.altitude);
        out.emplace_back(text);
    }
    return out;
}

}  // namespace

TEST(Setups, EveryMethodGivesBacksightIntermediatesForesight) {
    using K = TStaffKind;
    TNivWarnings warnings;
    const auto rows = FormSetups(
        {
            R(K::Other, "A", 100.0, 1),  // a height before the first reading
            // BFFB
            R(K::Back, "A", 1.5, 2, 0.18), R(K::Fore, "700001", 1.0, 3), R(K::SecondFore, "700001", 1.0002, 4),
            R(K::SecondBack, "A", 1.5002, 5, 0.20), R(K::EndOfSetup, "700001", 100.5001, 6),
            // aBFFB, with a side shot between the two foresight readings
            R(K::Fore, "B", 1.2, 7), R(K::Back, "700001", 1.4, 8), R(K::Intermediate, "S", 0.9, 9),
            R(K::SecondBack, "700001", 1.4001, 10), R(K::SecondFore, "B", 1.2001, 11),
            // aBF, then BF: a reading of a kind the set-up has starts the next one
            R(K::Fore, "700002", 1.1, 12), R(K::Back, "B", 1.3, 13), R(K::Back, "700002", 1.6, 14),
            R(K::Fore, "C", 0.7, 15),
        },
        warnings);
    EXPECT_EQ(Rows(rows), (std::vector<std::string>{
                              "A H 100.0000", "A B 1.50010", "700001 F 1.00010", "700001 H 100.5001",
                              "700001 B 1.40005", "S I 0.90000", "B F 1.20005",
                              "B B 1.30000", "700002 F 1.10000", "700002 B 1.60000", "C F 0.70000"}));
    // The two readings of a point: counts added, E.M.Q. of the mean.
    EXPECT_EQ(rows[1].count, 6);
    EXPECT_NEAR(rows[1].emq, std::sqrt(0.18 * 0.18 + 0.20 * 0.20) / 2, 1e-12);
    EXPECT_TRUE(warnings.Empty());
}

TEST(Setups, SetUpsThatCannotBeFormedAreToldByLine) {
    using K = TStaffKind;
    TNivWarnings warnings;
    const auto rows = FormSetups(
        {
            R(K::Back, "A", 1.5, 3), R(K::Back, "A", 1.5, 4),  // the first backsight has no foresight
            R(K::Fore, "700001", 1.0, 5),
            R(K::SecondBack, "Z", 1.1, 6),                     // no first reading of Z: kept as its backsight
            R(K::Fore, "700002", 0.9, 7),
            R(K::Fore, "C", 0.5, 8),                           // a foresight alone at the end
        },
        warnings);
    // Every reading stays in the book, so that the surveyor sees them.
    EXPECT_EQ(Rows(rows), (std::vector<std::string>{"A B 1.50000", "A B 1.50000", "700001 F 1.00000", "Z B 1.10000",
                                                    "700002 F 0.90000", "C F 0.50000"}));
    const std::vector<std::string> told = warnings.Lines();
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0], "ligne 3 : mise en station incomplète, la lecture arrière sur A n'a pas de lecture avant");
    EXPECT_EQ(told[1].rfind("ligne 6 : seconde lecture arrière du point Z", 0), 0u) << told[1];
    EXPECT_EQ(told[2], "ligne 8 : mise en station incomplète, la lecture avant sur C n'a pas de lecture arrière");
}

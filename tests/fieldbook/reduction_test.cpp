// Station reduction: face folding, grouping, station checks and their
// messages, means per circle, reduced values and the Z0 estimates.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/format.hpp"
#include "base/utf8.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"

namespace kestrova {
namespace {

std::string Station(const std::string& name, double temp = 15.0, double press = 760.0) {
    return Format(" station %-8s Temp_deg %.1f Press_mmHg %.1f ht_m 1.500", name, temp, press);
}

std::string Obs(const std::string& target, double hz, double v, double dp = 0.0, double hv = 0.0,
                const std::string& packed = "0000+000") {
    return Format("  numero %-8s AH_gr %9.4f AV_gr %9.4f Dp_m %9.4f ppm_cste_mm %s hv_m %9.4f", target, hz, v,
                  dp, packed, hv);
}

TReductionOptions Options() {
    TReductionOptions o;
    o.export_hauteurs_brelix = false;
    o.use_meteo_entete_station = false;
    o.formule_meteo = "Barrel_Sears";
    o.use_first_target_for_Z0_estimation = false;
    return o;
}

// What a reduction made of a book, line by line.
std::vector<std::string> Reduced(const Tday_obs& b) {
    std::vector<std::string> r{Format("%.17g %.17g", b.Z0, b.SigmaZ0)};
    for (const TStation& s : b.stations) {
        r.push_back(Format("%d %d %d %d %.17g %.17g %.17g", s.valid, s.cercles, s.fermeture, s.NbPointes, s.Z0,
                           s.SigmaZ0, s.ppm));
        r.insert(r.end(), s.logs.begin(), s.logs.end());
        for (const Tobs& o : s.obs) r.push_back(Format("%.17g %.17g %.17g %d", o.V, o.Dp, o.c_etal, o.cercle));
        for (const TPt_vise& t : s.pts_vise)
            r.push_back(Format("%s %d %d %.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g %d %s",
                               t.pt_vis.c_str(), t.NObsC1, t.NObsC2, t.Hz1, t.V1, t.Dp1, t.Hz2, t.V2, t.Dp2, t.Hz, t.V,
                               t.Dp, t.Hv, t.V1V2, t.mode, t.commentaires.c_str()));
    }
    return r;
}

// Reads, groups, checks, corrects and reduces; the reduction in one pass
// over the stations must give the same book.
void Reduce(Tday_obs& book, const std::vector<std::string>& lines, const TReductionOptions& options = Options()) {
    book.LoadFromLines(lines);
    ASSERT_TRUE(BuildTargetsAndCheck(book, options));
    CorrectAndReduce(book, options);
    Tday_obs again;
    again.LoadFromLines(lines);
    ASSERT_TRUE(ReduceBook(again, options));
    EXPECT_EQ(Reduced(book), Reduced(again));
}

const TPt_vise& Target(const TStation& s, const std::string& name) {
    for (const TPt_vise& t : s.pts_vise)
        if (t.pt_vis == name) return t;
    throw std::runtime_error("no target " + name);
}

TEST(NormaliseAngle, MapsIntoOneTurn) {
    EXPECT_DOUBLE_EQ(NormaliseAngle(123.4567), 123.4567);
    EXPECT_NEAR(NormaliseAngle(-0.0010), 399.9990, 1e-9);
    EXPECT_DOUBLE_EQ(NormaliseAngle(400.0), 0.0);
    EXPECT_NEAR(NormaliseAngle(1200.5), 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(NormaliseAngle(399.99996), 0.0);   // above 399.99995: zero
    EXPECT_DOUBLE_EQ(NormaliseAngle(-0.00004), 0.0);
    EXPECT_NEAR(NormaliseAngle(399.99994), 399.99994, 1e-9);
    // More than one turn below zero still lands in [0, 400).
    EXPECT_NEAR(NormaliseAngle(-400.5), 399.5, 1e-9);
    EXPECT_NEAR(NormaliseAngle(-1000.0), 200.0, 1e-9);
    EXPECT_NEAR(NormaliseAngle(1e9 + 0.25), 0.25, 1e-6);
}

TEST(Grouping, FaceRightOnlyStationIsFoldedToOneCircle) {
    Tday_obs book;
    Reduce(book, {Station("S1"), Obs("A", 200.0, 300.0, 50.0), Obs("B", 300.0, 310.0, 60.0)});
    const TStation& s = book.stations[0];
    EXPECT_FALSE(s.cercles);
    ASSERT_TRUE(s.valid);
    EXPECT_DOUBLE_EQ(s.obs[0].V, 100.0);
    EXPECT_DOUBLE_EQ(s.obs[1].V, 90.0);
    EXPECT_DOUBLE_EQ(s.obs[1].Hz, 300.0);  // Hz unchanged
    EXPECT_EQ(s.obs[1].cercle, 1);
    const TPt_vise& b = Target(s, "B");
    EXPECT_EQ(b.NObsC1, 1);
    EXPECT_EQ(b.NObsC2, 0);
    EXPECT_NEAR(b.Hz, 100.0, 1e-9);
    EXPECT_NEAR(b.V, 90.0, 1e-9);
    EXPECT_DOUBLE_EQ(b.V1V2, 0.0);
    EXPECT_DOUBLE_EQ(s.Z0, 0.0);
}

TEST(Grouping, TargetsByExactNameInOrderOfFirstAppearance) {
    Tday_obs book;
    book.LoadFromLines({Station("S1"), Obs("P1", 0.0, 100.0) + " * first", Obs("p1", 50.0, 100.0),
                        Obs("P2", 100.0, 100.0), Obs("P1", 0.0, 100.0) + " * second", Obs("p1", 50.0, 100.0),
                        Obs("P2", 100.0, 100.0)});
    BuildTargetsAndCheck(book, Options());
    const TStation& s = book.stations[0];
    ASSERT_EQ(s.pts_vise.size(), 3u);
    EXPECT_EQ(s.pts_vise[0].pt_vis, "P1");
    EXPECT_EQ(s.pts_vise[1].pt_vis, "p1");
    EXPECT_EQ(s.pts_vise[2].pt_vis, "P2");
    EXPECT_EQ(s.pts_vise[0].NObsC1, 2);
    ASSERT_EQ(s.pts_vise[0].obsC1.size(), 2u);
    EXPECT_EQ(s.pts_vise[0].obsC1[1], &s.obs[3]);
    EXPECT_EQ(s.pts_vise[0].commentaires, " * first * second");
    EXPECT_TRUE(s.valid);

    // The lists live in the station: a station moved elsewhere (the list of
    // stations growing) keeps them, and building the targets again after a
    // pointing is added gives lists of the new pointings.
    std::vector<TStation> moved;
    moved.push_back(std::move(book.stations[0]));
    const TStation& m = moved[0];
    ASSERT_EQ(m.pts_vise[2].obsC1.size(), 2u);
    EXPECT_EQ(m.pts_vise[2].obsC1[0], &m.obs[2]);
    EXPECT_EQ(m.pts_vise[2].obsC1[1], &m.obs[5]);
    moved[0].obs.push_back(moved[0].obs[1]);
    BuildTargets(moved[0]);
    ASSERT_EQ(m.pts_vise[1].obsC1.size(), 3u);
    EXPECT_EQ(m.pts_vise[1].obsC1[2], &m.obs[6]);
    EXPECT_EQ(m.pts_vise[0].obsC1[0], &m.obs[0]);
}

TEST(Grouping, CommentsAreCutAtHundredCharacters) {
    Tday_obs book;
    const std::string remark(60, 'e');
    book.LoadFromLines({Station("S1"), Obs("A", 0.0, 100.0) + " *é" + remark, Obs("A", 0.0, 100.0) + " *" + remark});
    BuildTargetsAndCheck(book, Options());
    const std::string& c = book.stations[0].pts_vise[0].commentaires;
    EXPECT_EQ(Utf8Length(c), 100u);
    EXPECT_EQ(c.substr(0, 4), " *é");
}

TEST(StationChecks, RoundClosedOnTheOpeningTarget) {
    Tday_obs book;
    Reduce(book, {Station("S1"), Obs("A", 0.0, 100.0), Obs("B", 100.0, 100.0), Obs("C", 200.0, 100.0),
                  Obs("A", 0.0, 100.0), Obs("A", 0.0, 100.0), Obs("B", 100.0, 100.0), Obs("C", 200.0, 100.0),
                  Obs("A", 0.0, 100.0)});
    const TStation& s = book.stations[0];
    EXPECT_TRUE(s.logs.empty());
    EXPECT_TRUE(s.valid);
    EXPECT_TRUE(s.fermeture);
    EXPECT_EQ(s.NbPointes, 2);

    Tday_obs open;
    Reduce(open, {Station("S1"), Obs("A", 0.0, 100.0), Obs("B", 100.0, 100.0), Obs("A", 0.0, 100.0),
                  Obs("B", 100.0, 100.0), Obs("A", 0.0, 100.0), Obs("B", 100.0, 100.0)});
    EXPECT_TRUE(open.stations[0].valid);
    EXPECT_FALSE(open.stations[0].fermeture);
    EXPECT_EQ(open.stations[0].NbPointes, 3);

    // Closed in both faces: the opening target twice per face, no message.
    Tday_obs faces;
    Reduce(faces, {Station("S1"), Obs("A", 0.0, 100.0), Obs("B", 100.0, 99.0), Obs("A", 0.0, 100.0),
                   Obs("A", 200.0, 300.0), Obs("B", 300.0, 301.0), Obs("A", 200.0, 300.0)});
    EXPECT_TRUE(faces.stations[0].logs.empty());
    EXPECT_TRUE(faces.stations[0].cercles);
    EXPECT_TRUE(faces.stations[0].fermeture);
    EXPECT_EQ(faces.stations[0].NbPointes, 1);
}

TEST(StationChecks, OpeningCountNotMatchingTheOtherTargets) {
    Tday_obs book;
    Reduce(book, {Station("S1"), Obs("A", 0.0, 100.0), Obs("B", 100.0, 100.0), Obs("C", 200.0, 100.0),
                  Obs("A", 0.0, 100.0), Obs("A", 0.0, 100.0)});
    const TStation& s = book.stations[0];
    const std::vector<std::string> expected{"Cible B : Nombre de pointés non cohérent avec l'ouverture",
                                            "Cible C : Nombre de pointés non cohérent avec l'ouverture"};
    EXPECT_EQ(s.logs, expected);
    EXPECT_FALSE(s.valid);
    EXPECT_FALSE(s.fermeture);
    // An invalid station is not reduced.
    EXPECT_DOUBLE_EQ(Target(s, "B").Hz, 0.0);
    EXPECT_DOUBLE_EQ(Target(s, "B").V, 0.0);

    // Three against two is not a closed round either.
    Tday_obs book2;
    Reduce(book2, {Station("S1"), Obs("A", 0.0, 100.0), Obs("B", 100.0, 100.0), Obs("A", 0.0, 100.0),
                   Obs("B", 100.0, 100.0), Obs("A", 0.0, 100.0)});
    EXPECT_EQ(book2.stations[0].logs,
              std::vector<std::string>{"Cible B : Nombre de pointés non cohérent avec l'ouverture"});
}

TEST(StationChecks, MeteoMessagesAndTheirOrder) {
    Tday_obs book;
    Reduce(book, {Station("HOT", 45.0, 950.0), Obs("A", 0.0, 100.0), Station("COLD", -15.0, 350.0),
                  Obs("A", 0.0, 100.0), Station("EMPTY", 40.0, 400.0), Station("BARE", -20.0, 1000.0)});
    EXPECT_EQ(book.stations[0].logs, (std::vector<std::string>{"Température saisie non valide (>40°C)",
                                                               "Pression saisie non valide (>900 mmHg)"}));
    EXPECT_EQ(book.stations[1].logs, (std::vector<std::string>{"Température saisie non valide (<-10°C)",
                                                               "Pression saisie non valide (<400 mmHg)"}));
    EXPECT_FALSE(book.stations[0].valid);
    // No pointing: invalid with no message at the limits, only the meteo ones otherwise.
    EXPECT_TRUE(book.stations[2].logs.empty());
    EXPECT_FALSE(book.stations[2].valid);
    EXPECT_EQ(book.stations[3].logs.size(), 2u);
    EXPECT_FALSE(book.stations[3].valid);
}

TEST(StationChecks, TwoCircleRoundMessages) {
    Tday_obs book;
    Reduce(book, {Station("S1"), Obs("A", 0.0, 100.0), Obs("B", 100.0, 100.0), Obs("C", 150.0, 100.0),
                  Obs("D", 180.0, 300.0), Obs("C", 350.0, 300.0), Obs("C", 350.0, 300.0),
                  Obs("B", 300.0, 300.0)});
    const std::vector<std::string> expected{
        "Cible d'ouverture A : nombre pointés C1 différent du nombre pointés C2",
        "Cible A : non visé en cercle 2",
        "Cible C : nombre pointés C1 différent du nombre pointés C2",
        "Cible D : non visé en cercle 1",
        "Cible D : nombre pointés C1 différent du nombre pointés C2",
    };
    const TStation& s = book.stations[0];
    EXPECT_TRUE(s.cercles);
    EXPECT_EQ(s.logs, expected);

    Tday_obs book2;
    Reduce(book2, {Station("S2"), Obs("A", 200.0, 300.0), Obs("B", 100.0, 100.0), Obs("A", 0.0, 300.0),
                   Obs("B", 300.0, 300.0)});
    EXPECT_EQ(book2.stations[0].logs,
              (std::vector<std::string>{"Cible d'ouverture non observée en cercle 1",
                                        "Cible d'ouverture A : nombre pointés C1 différent du nombre pointés C2",
                                        "Cible A : nombre pointés C1 différent du nombre pointés C2",
                                        "Cible B : Nombre de pointés non cohérent avec l'ouverture"}));

    Tday_obs book3;
    Reduce(book3, {Station("S3"), Obs("A", 0.0, 100.0), Obs("B", 100.0, 100.0), Obs("A", 200.0, 300.0)});
    EXPECT_EQ(book3.stations[0].logs, std::vector<std::string>{"Cible B : non visé en cercle 2"});
}

TEST(StationChecks, SeveralTargetHeightsWhenHeightsAreExported) {
    const std::vector<std::string> lines{Station("S1"), Obs("A", 0.0, 100.0, 0.0, 1.5), Obs("B", 100.0, 100.0, 0.0, 1.6),
                                         Obs("A", 0.0, 100.0, 0.0, 1.5), Obs("B", 100.0, 100.0, 0.0, 1.7)};
    TReductionOptions options = Options();
    Tday_obs quiet;
    Reduce(quiet, lines, options);
    EXPECT_TRUE(quiet.stations[0].valid);
    EXPECT_NEAR(Target(quiet.stations[0], "B").Hv, 1.7, 1e-12);  // last height given

    options.export_hauteurs_brelix = true;
    Tday_obs book;
    Reduce(book, lines, options);
    EXPECT_EQ(book.stations[0].logs,
              std::vector<std::string>{"Cible B : Cible observée avec plusieurs hauteurs de voyant différentes"});
}

TEST(Reduction, DirectionsAndZenithAnglesOfATwoCircleStation) {
    Tday_obs book;
    Reduce(book, {Station("S1"), Obs("A", 0.0, 100.0, 50.0), Obs("B", 100.0, 99.0, 80.0),
                  Obs("B", 300.0020, 301.0020, 0.0), Obs("A", 200.0, 300.0, 50.002)});
    const TStation& s = book.stations[0];
    ASSERT_TRUE(s.valid) << (s.logs.empty() ? "" : s.logs[0]);
    EXPECT_TRUE(s.cercles);
    EXPECT_EQ(s.NbPointes, 1);
    const TPt_vise& a = Target(s, "A");
    const TPt_vise& b = Target(s, "B");
    EXPECT_DOUBLE_EQ(a.Hz, 0.0);
    EXPECT_NEAR(a.Dp, 50.001, 1e-9);
    EXPECT_NEAR(b.Hz, 100.0010, 1e-9);
    EXPECT_NEAR(b.V, 98.9990, 1e-9);
    EXPECT_NEAR(b.V1V2, 400.0020, 1e-9);
    EXPECT_NEAR(b.Dp, 80.0, 1e-9);  // the only distance, in circle 1
    // The opening target is left out: Z0 from B alone.
    EXPECT_NEAR(s.Z0, 400.0020, 1e-9);
    EXPECT_NEAR(s.SigmaZ0, 0.0, 1e-9);
    EXPECT_NEAR(book.Z0, 400.0020, 1e-9);
}

TEST(Reduction, AFaceWithoutZenithAngleLeavesTheOtherFaceAloneAndNoIndexError) {
    // B has no zenith angle in face left (0 in the book), C has both.
    Tday_obs book;
    Reduce(book, {Station("S1"), Obs("A", 0.0, 100.0, 50.0), Obs("B", 100.0, 0.0, 80.0), Obs("C", 150.0, 99.5, 30.0),
                  Obs("C", 350.0, 300.5020, 30.0), Obs("B", 300.0020, 301.0020, 80.0), Obs("A", 200.0, 300.0, 50.0)});
    const TStation& s = book.stations[0];
    ASSERT_TRUE(s.valid) << (s.logs.empty() ? "" : s.logs[0]);
    const TPt_vise& b = Target(s, "B");
    const TPt_vise& c = Target(s, "C");
    EXPECT_NEAR(b.V, 98.9980, 1e-9);
    EXPECT_DOUBLE_EQ(b.V1V2, 0.0);
    EXPECT_NEAR(c.V, 99.4990, 1e-9);
    EXPECT_NEAR(c.V1V2, 400.0020, 1e-9);
    // Z0 from C alone: B gives no index error, A opens the station.
    EXPECT_NEAR(s.Z0, 400.0020, 1e-9);
    EXPECT_NEAR(s.SigmaZ0, 0.0, 1e-9);
    EXPECT_NEAR(book.Z0, 400.0020, 1e-9);
}

TEST(Reduction, DirectionsAcrossZeroAverageAcrossZero) {
    Tday_obs book;
    Reduce(book, {Station("S1"), Obs("A", 100.0, 100.0), Obs("B", 399.9990, 100.0), Obs("A", 100.0, 100.0),
                  Obs("B", 0.0010, 100.0)});
    const TStation& s = book.stations[0];
    ASSERT_TRUE(s.valid);
    EXPECT_NEAR(Target(s, "B").Hz, 300.0, 1e-9);
    EXPECT_DOUBLE_EQ(Target(s, "A").Hz, 0.0);
    EXPECT_NEAR(CircleReferenceDirection(s.pts_vise[0], 1), 100.0, 1e-9);
    EXPECT_DOUBLE_EQ(CircleReferenceDirection(s.pts_vise[0], 2), 0.0);
}

// Means of directions are taken around the circle, whatever side of 380
// gons the readings fall on.
TEST(Reduction, DirectionsStraddling380GonsAverageAround380) {
    Tday_obs book;
    Reduce(book, {Station("S1"), Obs("T1", 0.0, 100.0), Obs("T2", 379.9999, 100.0), Obs("T2", 180.0001, 300.0),
                  Obs("T1", 200.0, 300.0),
                  // One face, two rounds: the opening target itself read across 380.
                  Station("S2"), Obs("T1", 379.9999, 100.0), Obs("T2", 100.0, 100.0), Obs("T1", 380.0001, 100.0),
                  Obs("T2", 100.0002, 100.0)});
    const TStation& s1 = book.stations[0];
    ASSERT_TRUE(s1.valid);
    EXPECT_NEAR(Target(s1, "T2").Hz1, 379.9999, 1e-9);
    EXPECT_NEAR(Target(s1, "T2").Hz2, 380.0001, 1e-9);
    EXPECT_NEAR(Target(s1, "T2").Hz, 380.0, 1e-9);
    const TStation& s2 = book.stations[1];
    ASSERT_TRUE(s2.valid);
    EXPECT_NEAR(CircleReferenceDirection(s2.pts_vise[0], 1), 380.0, 1e-9);
    EXPECT_DOUBLE_EQ(Target(s2, "T1").Hz, 0.0);
    EXPECT_NEAR(Target(s2, "T2").Hz, 120.0001, 1e-9);

    // The rule itself: values brought within 200 gons of the first one.
    std::vector<Tobs> obs(3);
    std::vector<Tobs*> ptrs = {&obs[0], &obs[1], &obs[2]};
    auto mean = [&](double a, double b, double c) {
        obs[0].Hz = a;
        obs[1].Hz = b;
        obs[2].Hz = c;
        return NormaliseAngle(MeanDirection(ptrs));
    };
    EXPECT_NEAR(mean(379.9999, 380.0001, 380.0003), 380.0001, 1e-9);
    EXPECT_NEAR(mean(380.0001, 379.9999, 379.9997), 379.9999, 1e-9);
    EXPECT_NEAR(mean(399.9990, 0.0010, 0.0030), 0.0010, 1e-9);
    EXPECT_NEAR(mean(0.0030, 399.9990, 0.0010), 0.0010, 1e-9);
    EXPECT_NEAR(mean(385.0, 390.0, 395.0), 390.0, 1e-9);
    EXPECT_NEAR(mean(199.9990, 200.0010, 200.0030), 200.0010, 1e-9);
    EXPECT_NEAR(DirectionNear(-19.9999, 379.9999), 380.0001, 1e-9);
    EXPECT_NEAR(DirectionNear(390.0, 10.0), -10.0, 1e-9);
    EXPECT_DOUBLE_EQ(DirectionNear(150.0, 10.0), 150.0);
}

TEST(Reduction, InvalidStationsAreLeftOutOfZ0) {
    Tday_obs book;
    Reduce(book, {Station("S1"), Obs("A", 0.0, 100.0), Obs("B", 100.0, 99.0), Obs("C", 150.0, 98.0),
                  Obs("C", 350.0, 302.0040), Obs("B", 300.0, 301.0020), Obs("A", 200.0, 300.0),
                  Station("S2", 45.0), Obs("A", 0.0, 100.0), Obs("B", 100.0, 99.0), Obs("B", 300.0, 301.5),
                  Obs("A", 200.0, 300.0)});
    ASSERT_TRUE(book.stations[0].valid);
    ASSERT_FALSE(book.stations[1].valid);
    EXPECT_NEAR(book.Z0, 400.0030, 1e-9);
    EXPECT_NEAR(book.SigmaZ0, 0.0010, 1e-9);
    EXPECT_NEAR(book.stations[0].Z0, 400.0030, 1e-9);
    EXPECT_NEAR(book.stations[0].SigmaZ0, 0.0010, 1e-9);
    EXPECT_DOUBLE_EQ(book.stations[1].Z0, 0.0);
    EXPECT_DOUBLE_EQ(Target(book.stations[1], "B").V1V2, 0.0);

    // With the opening target counted: mean of 400, 400.002 and 400.004.
    TReductionOptions options = Options();
    options.use_first_target_for_Z0_estimation = true;
    Tday_obs all;
    Reduce(all, {Station("S1"), Obs("A", 0.0, 100.0), Obs("B", 100.0, 99.0), Obs("C", 150.0, 98.0),
                 Obs("C", 350.0, 302.0040), Obs("B", 300.0, 301.0020), Obs("A", 200.0, 300.0)},
           options);
    EXPECT_NEAR(all.Z0, 400.0020, 1e-9);
    EXPECT_NEAR(all.SigmaZ0, std::sqrt(8e-6 / 3.0), 1e-9);
}

TEST(Reduction, LargeBookReducedInHalvesGivesTheSameZ0) {
    // Enough pointings for the stations to be reduced on two threads: the
    // book's Z0 sums the same values in the same order (bit for bit).
    std::vector<std::string> lines;
    unsigned seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16 & 0x7FFF; };
    for (int k = 0; lines.size() < 56000; ++k) {
        lines.push_back(Station(Format("S%d", k)));
        for (int circle = 0; circle < 2; ++circle)
            for (int t = 0; t < 12; ++t) {
                const double v = 90.0 + t + next() * 1e-7;
                lines.push_back(Obs(Format("T%d", t), 30.0 * t + 200.0 * circle, circle ? 400.0 - v + next() * 1e-7 : v));
            }
    }
    Tday_obs book;
    Reduce(book, lines);
    EXPECT_GT(book.SigmaZ0, 0.0);
}

TEST(Reduction, StationWithOnlyTheOpeningTarget) {
    // S1 has its opening target only: no Z0 of its own; S2 keeps its own.
    Tday_obs book;
    Reduce(book, {Station("S1"), Obs("A", 0.0, 100.0, 30.0), Obs("A", 200.0, 300.0010, 30.0),
                  Station("S2"), Obs("A", 0.0, 100.0), Obs("B", 100.0, 99.0), Obs("B", 300.0, 301.0020),
                  Obs("A", 200.0, 300.0)});
    EXPECT_DOUBLE_EQ(book.stations[0].Z0, 0.0);
    EXPECT_DOUBLE_EQ(book.stations[0].SigmaZ0, 0.0);
    EXPECT_NEAR(book.stations[1].Z0, 400.0020, 1e-9);
    EXPECT_NEAR(book.Z0, 400.0020, 1e-9);

    // No target anywhere to estimate Z0: every station is still reduced,
    // Z0 and SigmaZ0 are 0.
    Tday_obs single;
    Reduce(single, {Station("S1"), Obs("A", 10.0, 100.0, 30.0), Obs("A", 210.0, 300.0010, 30.002),
                    Station("S2"), Obs("X", 50.0, 95.0, 12.0)});
    ASSERT_TRUE(single.stations[0].valid);
    EXPECT_DOUBLE_EQ(single.Z0, 0.0);
    EXPECT_DOUBLE_EQ(single.SigmaZ0, 0.0);
    EXPECT_DOUBLE_EQ(single.stations[0].Z0, 0.0);
    const TPt_vise& a = single.stations[0].pts_vise[0];
    EXPECT_NEAR(a.V, 99.9995, 1e-9);
    EXPECT_NEAR(a.Dp, 30.001, 1e-9);
    EXPECT_NEAR(a.V1V2, 400.0010, 1e-9);
    EXPECT_NEAR(single.stations[1].pts_vise[0].V, 95.0, 1e-9);
    EXPECT_NEAR(single.stations[1].pts_vise[0].Dp, 12.0, 1e-9);
}

TEST(Reduction, ModeFlagAndHeights) {
    Tday_obs book;
    Reduce(book, {Station("S1"), Obs("A", 0.0, 100.0, 10.0, 1.2), Obs("B", 100.0, 100.0, 20.0, 0.0),
                  Obs("A", 0.0, 100.0, 10.0, 1.3), Obs("B", 100.0, 100.0, 20.0, 0.0) + " mode RL"});
    const TStation& s = book.stations[0];
    ASSERT_TRUE(s.valid);
    EXPECT_NEAR(Target(s, "A").Hv, 1.3, 1e-12);
    EXPECT_DOUBLE_EQ(Target(s, "B").Hv, 0.0);
    EXPECT_FALSE(Target(s, "A").mode);
    EXPECT_TRUE(Target(s, "B").mode);
}

}  // namespace
}  // namespace kestrova

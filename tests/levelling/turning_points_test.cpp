// Turning-point elimination, the three weightings and the book reader's
// runs, as a surveyor checks them by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "levelling/na3_format.hpp"
#include "levelling/niv_processor.hpp"

using namespace kestrova;

namespace {

Tobs_niv Reading(const std::string& name, double b, double f, double i = 0, double emq = 0, double dist = 0) {
    Tobs_niv o;
    o.name = name;
    o.backsight = b;
    o.foresight = f;
    o.intermediate = i;
    o.emq = emq;
    o.distance = dist;
    return o;
}

// A book: the header, then rows and "Code=" lines as given.
std::vector<std::string> Book(const std::vector<std::string>& body) {
    std::vector<std::string> lines = Na3HeaderLines();
    lines.insert(lines.end(), body.begin(), body.end());
    return lines;
}

TRunList Reduce(const std::vector<std::string>& body, TNivSettings settings = {}) {
    TNivProcessor niv;
    niv.settings = settings;
    niv.ReduceBook(Book(body));
    return niv.runs;
}

}  // namespace

TEST(TurningPoints, TurningPointsSumToOneDifference) {
    const auto runs = Reduce({
        Na3CodeLine(),
        Na3Row(Reading("B", 1.5, 0)),
        Na3Row(Reading("700001", 0, 0.7)),
        Na3Row(Reading("700001", 1.2, 0)),
        Na3Row(Reading("C", 0, 0.9)),
    });
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_EQ(runs[0].second.denivs.size(), 1u);
    const Tdeniv& d = runs[0].second.denivs[0].second;
    EXPECT_EQ(d.from, "B");
    EXPECT_EQ(d.to, "C");
    EXPECT_NEAR(d.dh, 1.1, 1e-12);
    // Mode 2, reference 0.1 mm, n = 4: 0.0001 * sqrt(2).
    EXPECT_NEAR(d.sigma, 0.0001 * std::sqrt(2.0), 1e-15);
    EXPECT_EQ(runs[0].second.denivs[0].first, "4        B        C      1.10000   0.00014  0.00000  0.00000  0.00000");
}

TEST(TurningPoints, IntermediateSightErrorNameAndDecimalName) {
    TNivSettings byDistance;
    byDistance.mode = TWeighting::Distance;
    byDistance.sigma = 1.0;
    const auto runs = Reduce(
        {
            Na3CodeLine(),
            Na3Row(Reading("B", 1.0, 0, 0, 0, 10)),
            Na3Row(Reading("I", 0, 0, 0.4, 0, 20)),
            Na3Row(Reading("C", 0, 0.6, 0, 0, 30)),
            Na3CodeLine(),
            Na3Row(Reading("A", 1.0, 0)),
            Na3Row(Reading("A", 0, 1.5)),          // closes on itself
            Na3Row(Reading("700001.5", 2.0, 0)),   // a number, not a turning point
            Na3Row(Reading("D", 0, 0.5)),
        },
        byDistance);
    ASSERT_EQ(runs.size(), 2u);
    const auto& first = runs[0].second.denivs;
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].second.from, "B");
    EXPECT_EQ(first[0].second.to, "I");
    EXPECT_NEAR(first[0].second.dh, 0.6, 1e-12);
    EXPECT_NEAR(first[0].second.sigma, std::sqrt(30 / 1000.0) * 0.001, 1e-15);
    EXPECT_EQ(first[1].second.from, "I");
    EXPECT_EQ(first[1].second.to, "C");
    EXPECT_NEAR(first[1].second.dh, -0.2, 1e-12);
    // d starts from C's distance and receives it a second time.
    EXPECT_NEAR(first[1].second.sigma, std::sqrt(60 / 1000.0) * 0.001, 1e-15);

    const auto& second = runs[1].second.denivs;
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].second.to, "!ERROR!");
    EXPECT_NEAR(second[0].second.dh, -0.5, 1e-12);
    EXPECT_EQ(second[1].second.from, "700001.5");
    EXPECT_EQ(second[1].second.to, "D");
    EXPECT_NEAR(second[1].second.dh, 1.5, 1e-12);
}

TEST(TurningPoints, ThreeWeightingsOnOneBook) {
    // Two set-ups, E.M.Q. 0.3 and 0.4 mm, distances 20 + 20 + 30 + 30 m.
    const std::vector<std::string> body = {
        // Rows before the first "Code=" line open a run of their own.
        Na3Row(Reading("RN1", 1.4, 0, 0, 0.3, 20)),
        Na3Row(Reading("700010", 0, 1.1, 0, 0.4, 20)),
        "* a comment row",
        Na3Row(Reading("700010", 0, 0)),  // station summary: no reading, ignored
        Na3Row(Reading("700010", 1.3, 0, 0, 0.3, 30)),
        Na3Row(Reading("RN2", 0, 1.0, 0, 0.4, 30)),
    };
    const double v = 2 * (0.09 + 0.16);
    TNivSettings s;
    s.sigma = 0.5;
    s.mode = TWeighting::Default;
    auto runs = Reduce(body, s);
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_EQ(runs[0].second.denivs.size(), 1u);
    EXPECT_NEAR(runs[0].second.denivs[0].second.dh, 0.6, 1e-12);
    EXPECT_NEAR(runs[0].second.denivs[0].second.sigma, std::sqrt(v / 1e6), 1e-15);
    s.mode = TWeighting::Distance;
    runs = Reduce(body, s);
    EXPECT_NEAR(runs[0].second.denivs[0].second.sigma, std::sqrt(0.1) * 0.5e-3, 1e-15);
    s.mode = TWeighting::Count;
    runs = Reduce(body, s);
    EXPECT_NEAR(runs[0].second.denivs[0].second.sigma, 0.5e-3 * std::sqrt(2.0), 1e-15);
}

TEST(TurningPoints, WeightingChoices) {
    TWeighting mode = TWeighting::Count;
    EXPECT_TRUE(ParseWeighting("0", mode));
    EXPECT_EQ(mode, TWeighting::Default);
    EXPECT_FALSE(ParseWeighting("3", mode));
    EXPECT_FALSE(ParseWeighting("1.0", mode));
    double sigma = 0.1;
    EXPECT_TRUE(ParseReferenceSigma("0.25", sigma));
    EXPECT_DOUBLE_EQ(sigma, 0.25);
    for (const char* bad : {"", "abc", "-0.1", "0", "1e-3"}) EXPECT_FALSE(ParseReferenceSigma(bad, sigma)) << bad;
    EXPECT_DOUBLE_EQ(sigma, 0.25);

    TNivSettings previous;
    previous.sigma = 0.3;
    const TNivSettings none = WeightingDialogResult(previous, -1, "x");
    EXPECT_EQ(none.mode, TWeighting::Default);
    EXPECT_DOUBLE_EQ(none.sigma, 0.3);
    const TNivSettings dist = WeightingDialogResult(previous, 1, "0.7");
    EXPECT_EQ(dist.mode, TWeighting::Distance);
    EXPECT_DOUBLE_EQ(dist.sigma, 0.7);
    EXPECT_TRUE(IsTurningPoint("700000"));
    EXPECT_TRUE(IsTurningPoint("799999"));
    EXPECT_FALSE(IsTurningPoint("800000"));
    EXPECT_FALSE(IsTurningPoint("7000A1"));
}

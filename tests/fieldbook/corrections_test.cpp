// Distance corrections: refractivities, atmospheric formulas, calibration
// evaluation and their order on a field book.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fieldbook/corrections_math.hpp"

namespace kestrova {
namespace {

// The default wavelength and reference conditions.
const double kLambda = 0.85;
const double kT0 = 285.15;
const double kP0 = 760.0;

TEST(Refractivity, DefaultsGiveTheReferenceValues) {
    const double ng0 = GroupRefractivity(kLambda);
    const double n0 = ReferenceRefractivity(ng0, kT0, kP0);
    EXPECT_NEAR(ng0, 294.4975, 5e-5);
    EXPECT_NEAR(n0, 281.5041, 5e-5);
    // Another wavelength and reference: the formulas, not the defaults.
    const double ng = GroupRefractivity(0.6328);
    EXPECT_NEAR(ng, 287.604 + 4.8864 / (0.6328 * 0.6328) + 0.068 / (0.6328 * 0.6328 * 0.6328 * 0.6328), 1e-9);
    EXPECT_NEAR(ReferenceRefractivity(ng, 288.15, 750.0), ng * 273.15 * 750.0 / (288.15 * 760.0) - 0.6, 1e-9);
}

TEST(AtmosphericPpm, BarrelSearsAtTheListedConditions) {
    const double ng0 = GroupRefractivity(kLambda);
    const double n0 = ReferenceRefractivity(ng0, kT0, kP0);
    EXPECT_NEAR(BarrelSearsPpm(ng0, n0, 12.0, 760.0), 0.0, 1e-4);
    EXPECT_NEAR(BarrelSearsPpm(ng0, n0, 20.0, 760.0), 7.70, 0.005);
    EXPECT_NEAR(BarrelSearsPpm(ng0, n0, 12.0, 700.0), 22.27, 0.005);
    // Colder and higher pressure shortens the light path: negative correction.
    EXPECT_LT(BarrelSearsPpm(ng0, n0, 0.0, 780.0), 0.0);
}

TEST(AtmosphericPpm, LeicaAtTheListedConditions) {
    EXPECT_NEAR(LeicaPpm(12.0, 760.0, "deg", "mmHg"), 0.08, 0.005);
    EXPECT_NEAR(LeicaPpm(20.0, 760.0, "deg", "mmHg"), 8.02, 0.005);
    EXPECT_NEAR(LeicaPpm(0.0, 760.0, "deg", "mmHg"), -12.52, 0.005);
    // Other unit texts: the values are already in tenths.
    EXPECT_DOUBLE_EQ(LeicaPpm(200.0, 7600.0, "dixdeg", "dixmmHg"), LeicaPpm(20.0, 760.0, "deg", "mmHg"));
}

TEST(AtmosphericPpm, OnlyTheExactNameSelectsBarrelSears) {
    EXPECT_TRUE(IsBarrelSears("Barrel_Sears"));
    EXPECT_FALSE(IsBarrelSears("Leica"));
    EXPECT_FALSE(IsBarrelSears("barrel_sears"));
    EXPECT_FALSE(IsBarrelSears(""));
}

struct Tables {
    std::vector<double> A, B, Q, dist, corr;
    TCalibrationTerms Terms(double M, double Ddep, double Dmax, double P) const {
        return {M, Ddep, Dmax, P, &A, &B, &Q, &dist, &corr};
    }
};

TEST(CalibrationCorrection, ConstantOnlyOutsideTheRangeOrWithoutTables) {
    Tables none;
    EXPECT_DOUBLE_EQ(CalibrationCorrection(none.Terms(0.002, 0.0, 9999.99, 0.0), 99.97), -0.002);
    Tables poly;
    poly.Q = {0.001, 0.0001};
    const TCalibrationTerms t = poly.Terms(0.002, 10.0, 500.0, 0.0);
    EXPECT_DOUBLE_EQ(CalibrationCorrection(t, 10.0), -0.002);   // D = Ddep
    EXPECT_DOUBLE_EQ(CalibrationCorrection(t, 500.0), -0.002);  // D = Dmax
    EXPECT_DOUBLE_EQ(CalibrationCorrection(t, 5.0), -0.002);
    // Inside: -M + Q1 + Q2 * D
    EXPECT_NEAR(CalibrationCorrection(t, 100.0), -0.002 + 0.001 + 0.0001 * 100.0, 1e-12);
}

TEST(CalibrationCorrection, FourierTermsAndZeroPeriod) {
    Tables f;
    f.A = {0.001, 0.0005};
    f.B = {0.002, 0.0};
    const double D = 12.5;
    const double P = 10.0;
    const double pi = 3.14159265358979323846;
    const double expected = -(0.0 + 0.001 * std::cos(2 * pi * D / P) + 0.0005 * std::cos(4 * pi * D / P) +
                              0.002 * std::sin(2 * pi * D / P));
    EXPECT_NEAR(CalibrationCorrection(f.Terms(0.0, 0.0, 1000.0, P), D), expected, 1e-12);
    // A period of 0 has no defined Fourier term: the terms are left out.
    const double c0 = CalibrationCorrection(f.Terms(0.003, 0.0, 1000.0, 0.0), D);
    EXPECT_DOUBLE_EQ(c0, -0.003);
}

TEST(CalibrationCorrection, InterpolationBetweenNodesOnly) {
    Tables in;
    in.dist = {100.0, 200.0, 400.0};
    in.corr = {0.001, 0.003, -0.001};
    const TCalibrationTerms t = in.Terms(0.0, 0.0, 1000.0, 0.0);
    EXPECT_NEAR(CalibrationCorrection(t, 150.0), 0.002, 1e-12);
    EXPECT_NEAR(CalibrationCorrection(t, 300.0), 0.001, 1e-12);
    EXPECT_NEAR(CalibrationCorrection(t, 200.0), 0.003, 1e-12);  // on a node: end of the span below
    EXPECT_DOUBLE_EQ(CalibrationCorrection(t, 50.0), 0.0);      // below the first node
    EXPECT_DOUBLE_EQ(CalibrationCorrection(t, 450.0), 0.0);     // above the last node
    // Nodes out of order still never divide by zero.
    Tables odd;
    odd.dist = {200.0, 100.0, 200.0};
    odd.corr = {0.004, 0.002, 0.006};
    const double c = CalibrationCorrection(odd.Terms(0.0, 0.0, 1000.0, 0.0), 150.0);
    EXPECT_NEAR(c, 0.004, 1e-12);
}

}  // namespace
}  // namespace kestrova

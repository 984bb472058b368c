// Distance corrections: refractivities, atmospheric formulas, calibration
// evaluation and their order on a field book.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/format.hpp"
#include "fieldbook/corrections.hpp"
#include "fieldbook/corrections_math.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"

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

TEST(Refractivity, NewCalibrationHasTheDerivedValues) {
    TEtalonnage e;  // wavelength and reference from the parameter set
    EXPECT_EQ(Format("%.4f %.4f", e.NG0, e.N0), "294.4975 281.5041");
    // At its own reference conditions a calibration needs no correction.
    EXPECT_NEAR(AtmosphericPpm("Barrel_Sears", e, 12.0, 760.0, "deg", "mmHg"), 0.0, 1e-9);
    EXPECT_NEAR(AtmosphericPpm("Leica", e, 12.0, 760.0, "deg", "mmHg"), 0.08, 0.005);
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


// --- Corrections on a field book ------------------------------------------

TReductionOptions MeteoOptions(bool useMeteo, const std::string& formule = "Barrel_Sears") {
    TReductionOptions o;
    o.use_meteo_entete_station = useMeteo;
    o.formule_meteo = formule;
    return o;
}

void Reduce(Tday_obs& book, const std::vector<std::string>& lines, const TReductionOptions& options) {
    book.LoadFromLines(lines);
    BuildTargetsAndCheck(book, options);
    CorrectAndReduce(book, options);
}

std::string Station(const std::string& name, double temp, double press, const std::string& extra = "") {
    return Format(" station %-8s Temp_deg %.1f Press_mmHg %.1f ht_m 1.500%s", name, temp, press, extra);
}

std::string Obs(const std::string& target, double hz, double dp, const std::string& packed,
                const std::string& extra = "") {
    return Format("  numero %-8s AH_gr %9.4f AV_gr %9.4f Dp_m %9.4f ppm_cste_mm %s hv_m %9.4f%s", target, hz, 100.0,
                  dp, packed, 0.0, extra);
}

std::vector<std::string> XmlBook(const std::string& etalonnage, const std::string& stationAttributes,
                                 const std::vector<std::string>& obs) {
    std::vector<std::string> lines{"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<carnet>",
                                   "   <etalonnages>", "      " + etalonnage, "   </etalonnages>",
                                   "   <stations>",
                                   "      <station pt_sta=\"S1\" Ht=\"1.5\" " + stationAttributes + ">",
                                   "         <rawdata>"};
    for (const std::string& o : obs) lines.push_back("            " + o);
    for (const char* end : {"         </rawdata>", "      </station>", "   </stations>", "</carnet>"})
        lines.push_back(end);
    return lines;
}

TEST(BookCorrections, ConstantOfACalibrationAndPrismConstant) {
    Tday_obs book;
    Reduce(book,
           XmlBook("<etalonnage num=\"1\" id=\"DI\" serial=\"1\" Ddep=\"0\" Dmax=\"9999.99\" P=\"0\" M=\"0.002\" "
                   "deg_Fourier=\"0\" deg_polynome=\"0\" n_corr_interp=\"0\"/>",
                   "temp=\"12\" press=\"760\" etalonnage=\"1\"",
                   {"<obs pt_vis=\"A\" Hz=\"0\" V=\"100\" Dp=\"100.0000\" Hv=\"0\" ppm=\"0\" cste=\"0.0300\"/>",
                    "<obs pt_vis=\"B\" Hz=\"100\" V=\"100\" Dp=\"0.0400\" Hv=\"0\" ppm=\"0\" cste=\"0.0300\"/>"}),
           MeteoOptions(false));
    ASSERT_EQ(book.stations.size(), 1u);
    const TStation& s = book.stations[0];
    ASSERT_TRUE(s.valid);
    EXPECT_NEAR(s.obs[0].Dp, 99.9680, 1e-9);
    EXPECT_NEAR(s.obs[0].c_etal, -0.0020, 1e-12);
    EXPECT_NEAR(s.pts_vise[0].Dp, 99.9680, 1e-9);
    // No distance: untouched.
    EXPECT_DOUBLE_EQ(s.obs[1].Dp, 0.04);
    EXPECT_DOUBLE_EQ(s.obs[1].c_etal, 0.0);
}

TEST(BookCorrections, PrismDefinitionReplacesThePointingConstant) {
    Tday_obs book;
    Reduce(book,
           {" prisme P1               cste_m 0.0300 ", Station("S1", 12.0, 760.0), Obs("A", 0.0, 100.0, "0000+000", " prisme P1"),
            Obs("B", 100.0, 50.0, "0000+034")},
           MeteoOptions(false));
    const TStation& s = book.stations[0];
    ASSERT_TRUE(s.valid);
    EXPECT_NEAR(s.obs[0].c_etal, 0.0300, 1e-12);
    EXPECT_NEAR(s.obs[0].Dp, 100.0300, 1e-9);
    // The default calibration applies neither the constant nor any term.
    EXPECT_NEAR(s.obs[1].cste, 0.034, 1e-12);
    EXPECT_DOUBLE_EQ(s.obs[1].Dp, 50.0);
    EXPECT_DOUBLE_EQ(s.obs[1].c_etal, 0.0);
}

TEST(BookCorrections, InstrumentPpmKeptWithoutStationMeteo) {
    Tday_obs book;
    Reduce(book, {Station("S1", 20.0, 760.0), Obs("A", 0.0, 100.0, "0010+000")}, MeteoOptions(false));
    const TStation& s = book.stations[0];
    EXPECT_DOUBLE_EQ(s.obs[0].Dp, 100.0);
    EXPECT_DOUBLE_EQ(s.obs[0].ppm, 10.0);
    EXPECT_DOUBLE_EQ(s.ppm, 0.0);
}

TEST(BookCorrections, StationMeteoReplacesTheInstrumentPpm) {
    Tday_obs book;
    Reduce(book,
           {Station("S1", 20.0, 760.0), Obs("A", 0.0, 100.0, "0010+000"), Obs("B", 100.0, 0.03, "0010+000"),
            Station("HOT", 45.0, 760.0), Obs("A", 0.0, 100.0, "0010+000")},
           MeteoOptions(true));
    const TStation& s = book.stations[0];
    ASSERT_TRUE(s.valid);
    const double ng0 = book.etalonnages[0].NG0, n0 = book.etalonnages[0].N0;
    const double ppm = BarrelSearsPpm(ng0, n0, 20.0, 760.0);
    EXPECT_NEAR(ppm, 7.70, 0.01);
    EXPECT_DOUBLE_EQ(s.ppm, ppm);
    EXPECT_DOUBLE_EQ(s.obs[0].ppm, ppm);
    EXPECT_NEAR(s.obs[0].Dp, 100.0 / (1 + 10e-6) * (1 + ppm / 1e6), 1e-12);
    // A pointing without distance keeps the value read.
    EXPECT_DOUBLE_EQ(s.obs[1].ppm, 10.0);
    EXPECT_DOUBLE_EQ(s.obs[1].Dp, 0.03);
    // An invalid station gets no recomputation.
    const TStation& hot = book.stations[1];
    ASSERT_FALSE(hot.valid);
    EXPECT_DOUBLE_EQ(hot.obs[0].Dp, 100.0);
    EXPECT_DOUBLE_EQ(hot.obs[0].ppm, 10.0);
    EXPECT_DOUBLE_EQ(hot.ppm, 0.0);

    Tday_obs leica;
    Reduce(leica, {Station("S1", 20.0, 760.0), Obs("A", 0.0, 100.0, "0000+000")}, MeteoOptions(true, "Leica"));
    EXPECT_NEAR(leica.stations[0].ppm, 8.02, 0.005);
    EXPECT_NEAR(leica.stations[0].obs[0].Dp, 100.0 * (1 + leica.stations[0].ppm / 1e6), 1e-12);
}

TEST(BookCorrections, PointingMeteoAndItsOwnCalibration) {
    // The calibration's reference is 20 degrees C: Barrel and Sears gives
    // 0 there. The second pointing has its own temperature.
    Tday_obs book;
    Reduce(book,
           XmlBook("<etalonnage num=\"1\" id=\"DI\" serial=\"1\" Ddep=\"0\" Dmax=\"0\" P=\"0\" T0_C=\"20\" "
                   "deg_Fourier=\"0\" deg_polynome=\"0\" n_corr_interp=\"0\"/>",
                   "temp=\"20\" press=\"760\"",
                   {"<obs pt_vis=\"A\" Hz=\"0\" V=\"100\" Dp=\"100\" Hv=\"0\" ppm=\"0\" cste=\"0\" etalonnage=\"1\"/>",
                    "<obs pt_vis=\"B\" Hz=\"100\" V=\"100\" Dp=\"100\" Hv=\"0\" ppm=\"0\" cste=\"0\" temp=\"12\" "
                    "etalonnage=\"1\"/>"}),
           MeteoOptions(true));
    const TStation& s = book.stations[0];
    ASSERT_TRUE(s.valid);
    EXPECT_NEAR(s.ppm, 7.70, 0.01);          // station: default calibration
    EXPECT_NEAR(s.obs[0].ppm, 0.0, 1e-9);    // own calibration at its reference
    EXPECT_NEAR(s.obs[1].ppm, -7.70, 0.05);  // 12 degrees against a 20 degree reference
    EXPECT_DOUBLE_EQ(s.obs[0].c_etal, 0.0);  // Dmax 0: only -M, which is 0
}

TEST(BookCorrections, StationCalibrationAndInvalidStations) {
    // The station's own calibration (reference 20 degrees C) gives the
    // station ppm; an invalid station gets no atmospheric recomputation but
    // its calibration all the same.
    const std::string etal =
        "<etalonnage num=\"1\" id=\"DI\" serial=\"1\" Ddep=\"0\" Dmax=\"9999.99\" P=\"0\" M=\"0.002\" T0_C=\"20\" "
        "deg_Fourier=\"0\" deg_polynome=\"0\" n_corr_interp=\"0\"/>";
    const std::string obs = "<obs pt_vis=\"A\" Hz=\"0\" V=\"100\" Dp=\"100.0000\" Hv=\"0\" ppm=\"10\" cste=\"0\"/>";
    Tday_obs own;
    Reduce(own, XmlBook(etal, "temp=\"20\" press=\"760\" etalonnage=\"1\"", {obs}), MeteoOptions(true));
    ASSERT_TRUE(own.stations[0].valid);
    EXPECT_NEAR(own.stations[0].ppm, 0.0, 1e-9);
    EXPECT_NEAR(own.stations[0].obs[0].Dp, 100.0 / (1 + 10e-6) - 0.002, 1e-9);

    Tday_obs hot;
    Reduce(hot, XmlBook(etal, "temp=\"45\" press=\"760\" etalonnage=\"1\"", {obs}), MeteoOptions(true));
    const TStation& s = hot.stations[0];
    ASSERT_FALSE(s.valid);
    EXPECT_DOUBLE_EQ(s.ppm, 0.0);
    EXPECT_DOUBLE_EQ(s.obs[0].ppm, 10.0);
    EXPECT_NEAR(s.obs[0].c_etal, -0.002, 1e-12);
    EXPECT_NEAR(s.obs[0].Dp, 99.998, 1e-9);
}

TEST(BookCorrections, FourierTermsWithoutPeriodAreLeftOut) {
    Tday_obs book;
    Reduce(book,
           XmlBook("<etalonnage num=\"1\" id=\"DI\" serial=\"1\" Ddep=\"0\" Dmax=\"2000\" P=\"0\" M=\"0.001\" "
                   "deg_Fourier=\"1\" deg_polynome=\"2\" n_corr_interp=\"0\"><Coeff_Fourier><c degre=\"1\" A=\"0.5\" "
                   "B=\"0.5\"/></Coeff_Fourier><Coeff_Polynome><c degre=\"1\" Q=\"0.002\"/><c degre=\"2\" "
                   "Q=\"0.00001\"/></Coeff_Polynome></etalonnage>",
                   "temp=\"12\" press=\"760\" etalonnage=\"1\"",
                   {"<obs pt_vis=\"A\" Hz=\"0\" V=\"100\" Dp=\"100.01\" Hv=\"0\" ppm=\"0\" cste=\"0.01\"/>"}),
           MeteoOptions(false));
    const TStation& s = book.stations[0];
    ASSERT_EQ(s.obs.size(), 1u);
    // -M + Q1 + Q2 * D with D = 100
    EXPECT_NEAR(s.obs[0].c_etal, -0.001 + 0.002 + 0.001, 1e-12);
    EXPECT_NEAR(s.obs[0].Dp, 100.002, 1e-9);
}

}  // namespace
}  // namespace kestrova

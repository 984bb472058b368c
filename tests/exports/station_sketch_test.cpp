// Station sketches: positions, scale, residual bars and their SVG, checked
// against hand-computed stations.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "exports/sketch_svg.hpp"
#include "exports/station_sketch.hpp"

using namespace kestrova;

namespace {

TReportAttrs A(std::initializer_list<std::pair<const char*, const char*>> items) {
    TReportAttrs a;
    for (const auto& [n, v] : items) a.items.emplace_back(n, v);
    return a;
}

TReportAttrs Raw(const char* name, const char* hz, const char* v, const char* dp, const char* dHz = "",
                 const char* dV = "", const char* dDp = "") {
    return A({{"pt_vis", name}, {"Hz", hz}, {"V", v}, {"Dp", dp}, {"dHz", dHz}, {"dV", dV}, {"dDp", dDp}});
}

// Valid station S: opening A at 100 m due "north", B at 100 gon and 50 m
// (level sight), C without distance at 250 gon, D at 300 gon with a slope
// distance of 100 m at V 50 gon (horizontal 70.711 m). B's third pointing
// is 40 cc off in Hz.
TReportStation HandStation() {
    TReportStation st;
    st.attrs = A({{"num", "3"}, {"pt_sta", "S"}, {"valid", "Y"}});
    st.reduced = {A({{"pt_vis", "A"}, {"Hz", "0.0000"}, {"V", "100.0000"}, {"Dp", "100.0000"}}),
                  A({{"pt_vis", "B"}, {"Hz", "100.0000"}, {"V", "100.0000"}, {"Dp", "50.0000"}}),
                  A({{"pt_vis", "C"}, {"Hz", "250.0000"}, {"V", "100.0000"}, {"Dp", ""}}),
                  A({{"pt_vis", "D"}, {"Hz", "300.0000"}, {"V", "50.0000"}, {"Dp", "100.0000"}})};
    st.raw = {Raw("A", "0.0000", "100.0000", "100.0000", "0", "1", "0.2"),
              Raw("B", "100.0002", "100.0000", "50.0000", "2", "-3", "0.1"),
              Raw("B", "99.9997", "100.0000", "50.0000", "-3", "2", "-0.1"),
              Raw("B", "100.0040", "100.0000", "50.0000", "40", "1", "0.0"),
              Raw("C", "250.0000", "100.0000", "", "1", "-1"),
              Raw("A", "200.0000", "300.0000", "100.0000", "0", "-1", "-0.2"),
              Raw("D", "300.0000", "50.0000", "100.0000", "-2", "4", "1.0")};
    return st;
}

const TSketchLimits kLimits{24.0, 36.0, 3.0};  // 3 sigma of 8 cc, 12 cc, 1 mm

}  // namespace

TEST(StationSketch, TargetsLieAtTheirReducedDirectionAndHorizontalDistance) {
    const TStationSketch s = BuildStationSketch(HandStation(), kLimits);
    ASSERT_EQ(s.targets.size(), 4u);
    const TSketchTarget &a = s.targets[0], &b = s.targets[1], &c = s.targets[2], &d = s.targets[3];
    EXPECT_TRUE(a.opening);
    EXPECT_FALSE(b.opening);
    // The opening straight up, 100 m away.
    EXPECT_NEAR(a.east, 0.0, 1e-9);
    EXPECT_NEAR(a.north, 100.0, 1e-9);
    // 100 gon and 50 m: 50 m to the right.
    EXPECT_NEAR(b.east, 50.0, 1e-9);
    EXPECT_NEAR(b.north, 0.0, 1e-9);
    // 300 gon, 100 m at V 50 gon: 70.711 m to the left.
    EXPECT_TRUE(d.hasDistance);
    EXPECT_NEAR(d.distance, 100.0 * std::sqrt(0.5), 1e-9);
    EXPECT_NEAR(d.east, -70.7107, 1e-4);
    EXPECT_NEAR(d.north, 0.0, 1e-9);

    // Scale: the farthest target (100 m) on the 150-unit radius; bar 50 m.
    EXPECT_DOUBLE_EQ(s.maxDistance, 100.0);
    EXPECT_DOUBLE_EQ(s.pixelsPerMetre, 1.5);
    EXPECT_DOUBLE_EQ(s.scaleMetres, 50.0);
    EXPECT_DOUBLE_EQ(s.scalePixels, 75.0);
    EXPECT_DOUBLE_EQ(b.px, s.cx + 75.0);
    EXPECT_DOUBLE_EQ(b.py, s.cy);
    EXPECT_DOUBLE_EQ(a.py, s.cy - 150.0);
    // Every target inside the drawing.
    for (const TSketchTarget& t : s.targets) {
        EXPECT_GT(t.px, 0);
        EXPECT_LT(t.px, s.panelX);
        EXPECT_GT(t.py, 0);
        EXPECT_LT(t.py, s.captionY);
    }

    // C has no distance: on the ring, south-west (250 gon).
    EXPECT_FALSE(c.hasDistance);
    EXPECT_GT(s.ringRadius, 150.0);
    EXPECT_NEAR(c.px, s.cx - s.ringRadius * std::sqrt(0.5), 1e-9);
    EXPECT_NEAR(c.py, s.cy + s.ringRadius * std::sqrt(0.5), 1e-9);

    // The caption says what is up and how long the bar is.
    ASSERT_GE(s.caption.size(), 3u);
    EXPECT_EQ(s.caption[0], "Station S : nord en haut = 0 gon de l'ouverture (A), directions dans le sens horaire.");
    EXPECT_NE(s.caption[1].find("50 m"), std::string::npos);
}

TEST(StationSketch, ResidualBarsShowTheOutlierOfItsTarget) {
    const TStationSketch s = BuildStationSketch(HandStation(), kLimits);
    const TSketchTarget& b = s.targets[1];
    // B: three Hz residuals, the 40 cc one beyond 24 cc.
    ASSERT_EQ(b.cells[0].bars.size(), 3u);
    EXPECT_TRUE(b.off);
    EXPECT_TRUE(b.cells[0].off);
    EXPECT_FALSE(b.cells[1].off);
    EXPECT_DOUBLE_EQ(b.cells[0].largest, 40.0);
    EXPECT_FALSE(s.targets[0].off);
    EXPECT_FALSE(s.targets[3].off);
    // The Hz column spans the largest residual: 40 cc is a full bar to the
    // right, -3 cc a short one to the left.
    EXPECT_DOUBLE_EQ(s.span[0], 40.0);
    const TSketchBar& big = b.cells[0].bars[2];
    EXPECT_TRUE(big.off);
    EXPECT_DOUBLE_EQ(big.x, s.cellX[0]);
    EXPECT_DOUBLE_EQ(big.width, s.cellHalf);
    const TSketchBar& left = b.cells[0].bars[1];
    EXPECT_FALSE(left.off);
    EXPECT_DOUBLE_EQ(left.x + left.width, s.cellX[0]);
    EXPECT_DOUBLE_EQ(left.width, 3.0 / 40.0 * s.cellHalf);
    // V and Dp columns never narrower than their limit: small residuals
    // stay small.
    EXPECT_DOUBLE_EQ(s.span[1], 36.0);
    EXPECT_DOUBLE_EQ(s.span[2], 3.0);
    // C has no distance residual.
    EXPECT_FALSE(s.targets[2].cells[2].any);
    EXPECT_EQ(s.targets[2].cells[0].bars.size(), 1u);

    // Rows follow each other.
    for (std::size_t i = 1; i < s.targets.size(); ++i)
        EXPECT_DOUBLE_EQ(s.targets[i].rowY, s.targets[i - 1].rowY + s.targets[i - 1].rowHeight);
}

TEST(StationSketch, ManyPointingsKeepTheLargestBars) {
    TReportStation st;
    st.attrs = A({{"num", "1"}, {"pt_sta", "M"}, {"valid", "Y"}});
    st.reduced = {A({{"pt_vis", "T"}, {"Hz", "0.0000"}, {"V", "100.0000"}, {"Dp", "10.0000"}})};
    std::vector<std::string> values;
    for (int i = 0; i < 40; ++i) values.push_back(i == 29 ? "-90" : std::to_string(i % 5));
    for (const std::string& v : values) {
        TReportAttrs o = Raw("T", "0.0000", "100.0000", "10.0000");
        o.items[4].second = v;
        st.raw.push_back(o);
    }
    const TStationSketch s = BuildStationSketch(st, kLimits);
    const TSketchCell& c = s.targets[0].cells[0];
    EXPECT_EQ(c.count, 40u);
    ASSERT_EQ(c.bars.size(), kSketchMaxBars);
    EXPECT_DOUBLE_EQ(c.largest, -90.0);
    bool found = false;
    for (const TSketchBar& b : c.bars) found = found || (b.value == -90.0 && b.off);
    EXPECT_TRUE(found) << "the outlier is among the bars kept";
    for (const TSketchBar& b : c.bars) EXPECT_GE(std::fabs(b.value), 3.0) << "only the largest are kept";
}

TEST(StationSketch, InvalidStationPlacedFromRawPointingsWithItsMessages) {
    TReportStation st;
    st.attrs = A({{"num", "2"}, {"pt_sta", "S9"}, {"valid", "N"}});
    st.raw = {Raw("T1", "10.0000", "100.0000", "40.0000"),
              Raw("T2", "310.0000", "300.0000", "30.0000"),  // face right: 110 gon, 30 m
              Raw("T3", "60.0000", "100.0000", "")};
    st.logs = {"Température saisie non valide (>40°C)"};
    const TStationSketch s = BuildStationSketch(st, kLimits);
    EXPECT_FALSE(s.valid);
    ASSERT_EQ(s.targets.size(), 3u);
    EXPECT_NEAR(s.targets[1].direction, 100.0, 1e-9);
    EXPECT_NEAR(s.targets[1].east, 30.0, 1e-9);
    EXPECT_NEAR(s.targets[1].north, 0.0, 1e-9);
    EXPECT_FALSE(s.targets[2].hasDistance);
    EXPECT_NEAR(s.targets[2].direction, 50.0, 1e-9);
    EXPECT_EQ(s.caption.back(), "Température saisie non valide (>40°C)");

    const std::string svg = SketchSvg(s);
    EXPECT_NE(svg.find("Temp&#233;rature saisie non valide (&gt;40&#176;C)"), std::string::npos);
    EXPECT_EQ(svg.find("#d01010"), std::string::npos) << "no red on a grey station";
}

TEST(StationSketch, ScaleBarLengths) {
    EXPECT_DOUBLE_EQ(SketchScaleLength(100.0), 50.0);
    EXPECT_DOUBLE_EQ(SketchScaleLength(187.4), 50.0);
    EXPECT_DOUBLE_EQ(SketchScaleLength(7.0), 2.0);
    EXPECT_DOUBLE_EQ(SketchScaleLength(0.3), 0.1);
    EXPECT_DOUBLE_EQ(SketchScaleLength(2500.0), 1000.0);
    EXPECT_DOUBLE_EQ(SketchScaleLength(0.0), 0.0);
}

TEST(StationSketch, SvgHasTheHandComputedCoordinates) {
    const TStationSketch s = BuildStationSketch(HandStation(), kLimits);
    const std::string svg = SketchSvg(s, "croquis_3");
    ASSERT_EQ(s.cx, 222.0);  // margin 50 + ring 172
    // B: 75 units right of the station; D: 106.1 units left.
    EXPECT_NE(svg.find("<circle class=\"cible\" cx=\"297.0\" cy=\"222.0\" r=\"4\" fill=\"#d01010\"/>"),
              std::string::npos)
        << svg;
    EXPECT_NE(svg.find("<circle class=\"cible\" cx=\"115.9\" cy=\"222.0\" r=\"4\" fill=\"#1f4e9a\"/>"),
              std::string::npos);
    // The opening: a triangle 150 units up.
    EXPECT_NE(svg.find("<path class=\"ouverture\" d=\"M 222.0 65.0 L 228.0 77.0 L 216.0 77.0 Z\""),
              std::string::npos);
    // Scale bar 75 units long, labelled 50 m.
    EXPECT_NE(svg.find("x2=\"87.0\""), std::string::npos);
    EXPECT_NE(svg.find(">50 m</text>"), std::string::npos);
    EXPECT_NE(svg.find("id=\"croquis_3\""), std::string::npos);
}

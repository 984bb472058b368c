// The adjustment by gama-local of the test networks: the coordinates it
// gives back, the ellipses computed from its covariances compared with its
// own text output, the probable faults of a network with a blunder, and
// what the user is told when gama-local refuses or cannot adjust.
#include <algorithm>
#include <cmath>
#include <sstream>

#include "adjust/adjust_report.hpp"
#include "adjust/adjust_test_support.hpp"
#include "adjust/adjustment.hpp"
#include "adjust/ellipse.hpp"
#include "base/format.hpp"
#include "base/numbers.hpp"

using namespace kestrova;
using adjust_test::Source;

namespace {

AdjustOutcome Adjust(const AdjustSource& source) {
    return AdjustWithGama(adjust_test::GamaLocal(), BuildGamaInput(source));
}

// The rows of gama-local's text table of error ellipses: point, a, b,
// alpha, a', b' as it prints them.
std::vector<std::vector<std::string>> EllipseTable(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    std::string line;
    bool inTable = false;
    while (std::getline(in, line)) {
        if (line.find("alpha[g]") != std::string::npos) {
            inTable = true;
            continue;
        }
        if (!inTable) continue;
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string s; words >> s;) w.push_back(s);
        if (w.empty() && !rows.empty()) break;
        if (w.size() == 9) rows.push_back({w[0], w[3], w[4], w[5], w[6], w[7]});
    }
    return rows;
}

}  // namespace

TEST(Adjustment, ExampleNetworkMatchesKnownCoordinatesAndGamaEllipses) {
    SKIP_WITHOUT_GAMA();
    const AdjustSource source = Source("chantier.obs", "chantier.cor");
    const AdjustOutcome o = Adjust(source);
    // The free points have no approximate coordinates in the .cor: more
    // than one run, the last one changing nothing that matters.
    EXPECT_GT(o.Runs(), 1);
    EXPECT_LE(o.Runs(), kMaxGamaRuns);
    EXPECT_TRUE(o.converged);
    EXPECT_LT(o.changes.back(), kApproximationTolerance);
    EXPECT_FALSE(o.version.empty());

    const std::vector<TKnownPoint> known = KnownPoints(source.corLines);
    ASSERT_EQ(known.size(), 7u);
    for (const TKnownPoint& k : known) {
        const GamaPoint* p = o.results.Point(k.name);
        ASSERT_NE(p, nullptr) << k.name;
        EXPECT_NEAR(p->x, k.x, 0.0011) << k.name;
        EXPECT_NEAR(p->y, k.y, 0.0011) << k.name;
        EXPECT_NEAR(p->z, k.z, 0.0011) << k.name;
    }

    // Every ellipse as gama-local prints it, to its decimals.
    const auto table = EllipseTable(o.text);
    ASSERT_EQ(table.size(), o.results.points.size());
    const double factor = ConfidenceEllipseFactor(o.results.probability, o.results.sigmaUsed == "aposteriori",
                                                  o.results.degreesOfFreedom);
    for (const auto& row : table) {
        const GamaPoint* p = o.results.Point(row[0]);
        ASSERT_NE(p, nullptr) << row[0];
        const TEllipse e = StandardEllipse(p->cxx, p->cxy, p->cyy);
        EXPECT_EQ(Format("%.1f", e.a), row[1]) << row[0];
        EXPECT_EQ(Format("%.1f", e.b), row[2]) << row[0];
        EXPECT_EQ(Format("%.1f", e.bearing), row[3]) << row[0];
        EXPECT_EQ(Format("%.1f", e.a * factor), row[4]) << row[0];
        EXPECT_EQ(Format("%.1f", e.b * factor), row[5]) << row[0];
    }

    // Every observation found again on its line of the observation file.
    const std::vector<TObservationRow> rows = ObservationRows(o, source);
    for (const TObservationRow& r : rows) {
        const GamaObservation& g = o.results.observations[r.index];
        if (g.kind.rfind("coordinate-", 0) == 0) continue;
        ASSERT_GT(r.line, 0) << g.from << " " << g.to << " " << g.kind;
        const std::string& line = source.obsLines[static_cast<std::size_t>(r.line - 1)];
        EXPECT_NE(line.find(g.from), std::string::npos) << line;
        EXPECT_NE(line.find(g.to), std::string::npos) << line;
    }
}

TEST(Adjustment, BlundersComeFirstAmongProbableFaults) {
    SKIP_WITHOUT_GAMA();
    {
        // One slope distance 5 cm too long (line 77: 1004 to 1005).
        const AdjustSource source = Source("chantier_faute.obs", "chantier.cor");
        const AdjustOutcome o = Adjust(source);
        const auto faults = ProbableFaults(o, ObservationRows(o, source));
        ASSERT_FALSE(faults.empty());
        const GamaObservation& first = o.results.observations[faults[0].index];
        EXPECT_EQ(first.kind, "slope-distance");
        EXPECT_EQ(first.from, "1004");
        EXPECT_EQ(first.to, "1005");
        EXPECT_EQ(faults[0].line, 77);
        EXPECT_GT(first.stdResidual, o.criticalValue);
    }
    {
        // A levelling network with 10 mm too much on B to C (line 9).
        const AdjustSource clean = Source("boucles.obs", "boucles.cor");
        const AdjustOutcome ok = Adjust(clean);
        EXPECT_TRUE(ProbableFaults(ok, ObservationRows(ok, clean)).empty());
        const AdjustSource source = Source("boucles_faute.obs", "boucles.cor");
        const AdjustOutcome o = Adjust(source);
        const auto faults = ProbableFaults(o, ObservationRows(o, source));
        ASSERT_FALSE(faults.empty());
        const GamaObservation& first = o.results.observations[faults[0].index];
        EXPECT_EQ(first.kind, "height-diff");
        EXPECT_EQ(first.from, "B");
        EXPECT_EQ(first.to, "C");
        EXPECT_EQ(faults[0].line, 9);
        // The fault is listed first in the report, in red.
        TLineCollector page;
        ProduceAdjustReport(o, source, AdjustFileNames("boucles_faute"), page);
        std::string html;
        for (const std::string& l : page.lines) html += l + "\n";
        const std::size_t section = html.find("<h2 id=\"fautes\">");
        ASSERT_NE(section, std::string::npos);
        const std::size_t row = html.find("<tr class=\"faute\">", section);
        ASSERT_NE(row, std::string::npos);
        EXPECT_EQ(html.substr(row, html.find("</tr>", row) - row).find("<td class=\"t\">B</td><td class=\"t\">C</td>"),
                  std::string("<tr class=\"faute\">").size());
        EXPECT_NE(html.find("Profil du nivellement"), std::string::npos);
        EXPECT_EQ(html.find("Plan du r"), std::string::npos);
    }
}

TEST(Adjustment, RefusalsCarryGamaLocalsOwnReason) {
    SKIP_WITHOUT_GAMA();
    const AdjustSource source = Source("chantier.obs", "chantier.cor");
    std::vector<std::string> gkf = BuildGamaInput(source);
    // A tag gama-local does not know.
    std::vector<std::string> refused = gkf;
    for (std::string& l : refused) {
        const std::size_t at = l.find("<point id=\"1003\"");
        if (at != std::string::npos) l.replace(at, 6, "<pointx");
    }
    try {
        AdjustWithGama(adjust_test::GamaLocal(), refused);
        FAIL() << "refused input adjusted";
    } catch (const GamaRunError& e) {
        EXPECT_NE(std::string(e.what()).find("pointx"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("(ligne "), std::string::npos) << e.what();
    }
    // No fixed point at all: gama-local's reason for not adjusting.
    AdjustSource free = source;
    for (std::string& l : free.corLines)
        if (!l.empty() && l[0] == '1') l = "0" + l.substr(1);
    try {
        AdjustWithGama(adjust_test::GamaLocal(), BuildGamaInput(free));
        FAIL() << "network without fixed points adjusted";
    } catch (const GamaRunError& e) {
        // gama-local's own descriptions, in French as asked.
        EXPECT_EQ(std::string(e.what()).rfind("GNU Gama - ", 0), 0u) << e.what();
        EXPECT_NE(std::string(e.what()).find("erreur"), std::string::npos) << e.what();
    }
}

TEST(Adjustment, ApproximationsReplaceOnlyFreeCoordinates) {
    GamaResults r;
    GamaPoint free, held;
    free.id = "P1";
    free.hasXY = free.hasZ = true;
    free.x = 1.25;
    free.y = 2.5;
    free.z = 3.125;
    held.id = "F1";
    held.hasXY = held.hasZ = true;
    held.constrainedXY = held.constrainedZ = true;
    held.x = held.y = held.z = 9;
    r.points = {free, held};
    const std::vector<std::string> in = {
        "        <point id=\"P1\"             adj=\"xyz\"/>",
        "        <point id=\"F1\"             x=\"1.000\" y=\"2.000\" z=\"3.000\" adj=\"XYZ\"/>",
        "        <point id=\"Z1\"             x=\"0\" y=\"0\" z=\"5.000\" adj=\"xyZ\"/>",
        "        <coordinates>",
        "            <point id=\"P1\"             x=\"7\" y=\"7\" z=\"7\" adj=\"XYZ\"/>",
        "        </coordinates>",
    };
    const std::vector<std::string> out = WithApproximations(in, r);
    ASSERT_EQ(out.size(), in.size());
    EXPECT_EQ(out[0], "        <point id=\"P1\" x=\"1.250000\" y=\"2.500000\" z=\"3.125000\" adj=\"xyz\"/>");
    EXPECT_EQ(out[1].find("x=\"1.000\" y=\"2.000\" z=\"3.000\""), out[1].find("x=")) << out[1];
    EXPECT_EQ(out[2], in[2]);  // not adjusted by gama-local: left alone
    EXPECT_EQ(out[4], in[4]);  // constraints are not approximations
}

TEST(AdjustInput, ValuesThatWouldVanishAreRefusedWithTheirLine) {
    AdjustSource source = Source("chantier.obs", "chantier.cor");
    // A decimal comma in a slope distance (line 20).
    std::string& line = source.obsLines[19];
    ASSERT_NE(line.find("158.3252"), std::string::npos) << line;
    line.replace(line.find("158.3252"), 8, "158,3252");
    try {
        BuildGamaInput(source);
        FAIL() << "decimal comma accepted";
    } catch (const AdjustInputError& e) {
        EXPECT_NE(std::string(e.what()).find("ligne 20"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("158,3252"), std::string::npos) << e.what();
    }
    // A coordinate file without any point.
    source = Source("chantier.obs", "chantier.cor");
    source.corLines = {"* rien"};
    EXPECT_THROW(BuildGamaInput(source), AdjustInputError);
}

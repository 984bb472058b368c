// Calibration editor and target assignment on XML field books: the targets
// written into the book, the collimation corrections, the assignment of
// targets to observations, and a book edited this way read and reduced.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/numbers.hpp"
#include "base/text_helpers.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"
#include "tools/calibration_editor.hpp"
#include "tools/calibration_xml.hpp"
#include "tools/target_assignment.hpp"

namespace kestrova {
namespace {

// Two stations in the form the text-to-XML conversion writes.
std::vector<std::string> Book() {
    return {
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
        "<carnet>",
        "   <etalonnages>",
        "   </etalonnages>",
        "   <stations>",
        "      <station num=\"1\" pt_sta=\"S1\" temp=\"12.0\" press=\"760.0\" Ht=\"1.5000\" etalonnage=\"0\" >",
        "         <rawdata>",
        "            <obs pt_vis=\"T1\" Hz=\"0.0000\"  V=\"100.0000\" Dp=\"25.0000\" Hv=\"1.6000\" ppm=\"0.0\" cste=\"0.000\"/>",
        "            <obs pt_vis=\"T2\" Hz=\"100.0000\"  V=\"50.0000\" Dp=\"40.0000\" Hv=\"1.6000\" ppm=\"0.0\" cste=\"0.000\"/>",
        "            <obs pt_vis=\"T2\" Hz=\"300.0000\"  V=\"350.0000\" Dp=\"40.0000\" Hv=\"1.6000\" ppm=\"0.0\" cste=\"0.000\"/>",
        "            <obs pt_vis=\"T1\" Hz=\"200.0000\"  V=\"300.0000\" Dp=\"25.0000\" Hv=\"1.6000\" ppm=\"0.0\" cste=\"0.000\"/>",
        "         </rawdata>",
        "      </station>",
        "      <station num=\"2\" pt_sta=\"S2\" temp=\"12.0\" press=\"760.0\" Ht=\"1.5000\" etalonnage=\"0\" >",
        "         <rawdata>",
        "            <obs pt_vis=\"T3\" Hz=\"0.0000\"  V=\"100.0000\" Dp=\"0.0000\" Hv=\"1.6000\" ppm=\"0.0\" cste=\"0.000\"/>",
        "            <obs pt_vis=\"T4\" Hz=\"50.0000\"  V=\"100.0000\" Dp=\"30.0000\" Hv=\"1.6000\" ppm=\"0.0\" cste=\"0.000\"/>",
        "         </rawdata>",
        "      </station>",
        "   </stations>",
        "</carnet>",
    };
}

const std::vector<TCible> kTargets = {{"A", 0.0175}, {"B", 0.0}};

pugi::xml_document Parse(const std::vector<std::string>& lines) {
    pugi::xml_document doc;
    EXPECT_TRUE(ParseXmlBook(lines, doc));
    return doc;
}

double Attr(pugi::xml_node n, const char* name) { return *TextToDouble(n.attribute(name).value(), true); }

std::vector<pugi::xml_node> Obs(const pugi::xml_document& doc, std::size_t station) {
    return StationObservations(BookStations(doc.document_element()).at(station));
}

TEST(CalibrationEditor, TargetsBecomeTheFirstCalibrationBlockOnceAndTheLinesKeepTheBookIndentation) {
    TToolResult r = ValidateCalibration(Book(), {kTargets, {}});
    ASSERT_TRUE(r.written);
    EXPECT_TRUE(r.messages.empty());
    // Validated a second time: the earlier block is replaced, not doubled.
    r = ValidateCalibration(r.lines, {kTargets, {}});
    ASSERT_TRUE(r.written);
    const pugi::xml_document doc = Parse(r.lines);
    pugi::xml_node root = doc.document_element();
    EXPECT_STREQ(root.first_child().name(), "etalonnages");
    int blocks = 0;
    for (pugi::xml_node c = root.child("etalonnages"); c; c = c.next_sibling("etalonnages")) ++blocks;
    EXPECT_EQ(blocks, 1);
    pugi::xml_node a = root.first_child().first_child();
    pugi::xml_node b = a.next_sibling();
    EXPECT_STREQ(a.attribute("id").value(), "1");
    EXPECT_STREQ(a.attribute("nom").value(), "A");
    EXPECT_STREQ(a.attribute("cste").value(), "0.0175");
    EXPECT_STREQ(a.attribute("M").value(), "-0.0175");
    EXPECT_STREQ(b.attribute("id").value(), "2");
    EXPECT_STREQ(b.attribute("nom").value(), "B");
    EXPECT_STREQ(b.attribute("cste").value(), "0");
    EXPECT_FALSE(b.next_sibling());

    EXPECT_EQ(r.lines.front(), "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    EXPECT_EQ(r.lines[1], "<carnet>");
    EXPECT_EQ(r.lines[2], "   <etalonnages>");
    EXPECT_EQ(r.lines[3].substr(0, 22), "      <etalonnage id=\"");
    EXPECT_EQ(r.lines[6], "   <stations>");
    EXPECT_EQ(r.lines[7].substr(0, 15), "      <station ");
    EXPECT_EQ(r.lines[8], "         <rawdata>");
    EXPECT_EQ(r.lines[9].substr(0, 18), "            <obs p");
    EXPECT_EQ(r.lines[r.lines.size() - 2], "   </stations>");

    // The book reader takes the edited book: two more calibrations, the
    // stations still on the default one.
    Tday_obs book;
    book.LoadFromLines(r.lines);
    ASSERT_EQ(book.nb_stat, 2);
    ASSERT_EQ(book.etalonnages.size(), 3u);
    EXPECT_EQ(book.etalonnages[1].id, "1");
    EXPECT_EQ(book.etalonnages[1].num, 1);
    EXPECT_DOUBLE_EQ(book.etalonnages[1].M, -0.0175);
    EXPECT_EQ(book.stations[0].calibration, &book.etalonnages[0]);

    // Not an XML book: "carnet", nothing written.
    r = ValidateCalibration({" station S1 Temp_deg 12.0", "  numero T1 AH_gr 0"}, {kTargets, {}});
    EXPECT_FALSE(r.written);
    EXPECT_EQ(r.messages, std::vector<std::string>{"carnet"});
}

TEST(CalibrationEditor, TargetNumbersStayAboveTheBooksOwnCalibrations) {
    std::vector<std::string> lines = Book();
    lines[2] = "   <etalonnages><!-- neutre --><etalonnage id=\"defaut\" num=\"4\" serial=\"0\" P=\"3\" Ddep=\"0\" "
               "Dmax=\"3000\" M=\"+0.0000\" deg_Fourier=\"0\" deg_polynome=\"0\" n_corr_interp=\"0\"/>";
    const TToolResult r = ValidateCalibration(lines, {kTargets, {}});
    const pugi::xml_document doc = Parse(r.lines);
    pugi::xml_node root = doc.document_element();
    EXPECT_STREQ(root.first_child().first_child().attribute("num").value(), "5");
    // The book's own block stays, comment included.
    pugi::xml_node own = root.first_child().next_sibling("etalonnages");
    ASSERT_TRUE(own);
    EXPECT_EQ(own.first_child().type(), pugi::node_comment);
}

TEST(CalibrationEditor, CollimationAndTrunnionCorrections) {
    // Trunnion tilt only: at V = 100 gon (cot = 0) Hz is kept; at V = 50 gon
    // (cot = 1) it moves by the tilt; in face 2 by minus the tilt.
    TToolResult r = ValidateCalibration(Book(), {kTargets, {true, "0", "0", "0.0100"}});
    ASSERT_TRUE(r.messages.empty());
    pugi::xml_document doc = Parse(r.lines);
    auto obs = Obs(doc, 0);
    EXPECT_STREQ(obs[0].attribute("Hz").value(), "0");
    EXPECT_STREQ(obs[0].attribute("V").value(), "100");
    EXPECT_NEAR(Attr(obs[1], "Hz"), 100.0100, 1e-12);
    EXPECT_NEAR(Attr(obs[2], "Hz"), 299.9900, 1e-12);

    // Horizontal collimation c = 0.0100 gon at V = 50 gon: by hand,
    // sin(c) / sin(z) = 1.57079632e-4 / 0.707106781 = 2.22144146e-4, whose
    // arc sine is 2.22144148e-4 rad = 0.0141421357 gon (added as radians it
    // would have been 0.0002221 gon).
    // Vertical collimation 0.0020 gon adds to every V.
    r = ValidateCalibration(Book(), {kTargets, {true, "0.0100", "0.0020", "0"}});
    doc = Parse(r.lines);
    obs = Obs(doc, 0);
    EXPECT_NEAR(Attr(obs[1], "Hz"), 100.0141421357, 1e-9);
    EXPECT_NEAR(Attr(obs[2], "Hz"), 299.9858578643, 1e-9);  // face 2: sin z < 0
    EXPECT_NEAR(Attr(obs[0], "Hz"), 0.0100, 1e-12);         // V = 100: c itself
    EXPECT_NEAR(Attr(obs[1], "V"), 50.0020, 1e-12);
    EXPECT_NEAR(Attr(obs[2], "V"), 350.0020, 1e-12);
    const THzV c = CorrectCollimation(100.0, 50.0, 0.01, 0.0, 0.0);
    EXPECT_NEAR(c.Hz - 100.0, 0.0141421357, 1e-10);
    // The same values typed with a decimal comma, and a target constant.
    EXPECT_EQ(ValidateCalibration(Book(), {kTargets, {true, "0,0100", "0,0020", "0"}}).lines, r.lines);
    EXPECT_EQ(TargetConstant("-0,0175"), std::optional<double>(-0.0175));
    EXPECT_EQ(TargetConstant("0,0,1"), std::nullopt);

    // Values that are not numbers: every message in field order, no
    // correction, the targets still written.
    r = ValidateCalibration(Book(), {kTargets, {true, "x", "0", "1,5,0"}});
    EXPECT_EQ(r.messages, (std::vector<std::string>{"Valeur de collimation horizontale incohérente",
                                                    "Valeur de tourillonnement incohérente"}));
    ASSERT_TRUE(r.written);
    doc = Parse(r.lines);
    EXPECT_STREQ(Obs(doc, 0)[1].attribute("Hz").value(), "100.0000");
    EXPECT_STREQ(doc.document_element().first_child().first_child().attribute("nom").value(), "A");
}

TEST(TargetAssignment, StationsCaretAndDistances) {
    const std::vector<std::string> book = ValidateCalibration(Book(), {kTargets, {}}).lines;
    const auto stations = AssignmentStations(book);
    ASSERT_TRUE(stations);
    ASSERT_EQ(stations->size(), 2u);
    EXPECT_EQ((*stations)[1].num, "2");
    EXPECT_EQ((*stations)[1].pt_sta, "S2");
    EXPECT_EQ((*stations)[0].pt_vis, (std::vector<std::string>{"T1", "T2", "T2", "T1"}));
    EXPECT_FALSE(AssignmentStations({"station S1"}));

    // Caret above the first station: station 1; inside the second: station 2.
    EXPECT_EQ(AssignmentStartStation(book, 1, 2), 0);
    EXPECT_EQ(AssignmentStartStation(book, 3, 2), 0);
    std::size_t second = 0;
    for (std::size_t i = 0; i < book.size(); ++i)
        if (book[i].find("pt_sta=\"S2\"") != std::string::npos) second = i + 1;
    EXPECT_EQ(AssignmentStartStation(book, static_cast<int>(second) + 2, 2), 1);
    EXPECT_EQ(AssignmentStartStation(book, static_cast<int>(second), 2), 1);

    // A on the first T1 (Dp 25.0 -> 25.0175), B on T2, nothing on the rest;
    // A on station 2's T3, which has no distance.
    const TAssignmentTable table = {{"A", "B", "", "A"}, {"A", ""}};
    TToolResult r = ApplyAssignment(book, kTargets, table);
    ASSERT_TRUE(r.written);
    // Validated again with the same table: the same book.
    EXPECT_EQ(ApplyAssignment(r.lines, kTargets, table).lines, r.lines);
    pugi::xml_document doc = Parse(r.lines);
    auto s1 = Obs(doc, 0);
    EXPECT_STREQ(s1[0].attribute("Dp").value(), "25.0175");
    EXPECT_STREQ(s1[0].attribute("cste").value(), "0.0175");
    EXPECT_STREQ(s1[0].attribute("etalonnage").value(), "1");
    EXPECT_STREQ(s1[1].attribute("Dp").value(), "40");
    EXPECT_STREQ(s1[1].attribute("cste").value(), "0");
    EXPECT_STREQ(s1[1].attribute("etalonnage").value(), "2");
    EXPECT_STREQ(s1[2].attribute("Dp").value(), "40.0000");  // no target: as it was
    EXPECT_STREQ(s1[2].attribute("cste").value(), "0.000");
    EXPECT_FALSE(s1[2].attribute("etalonnage"));
    auto s2 = Obs(doc, 1);
    EXPECT_STREQ(s2[0].attribute("Dp").value(), "0.0000");  // no distance stays without
    EXPECT_STREQ(s2[0].attribute("cste").value(), "0.0175");
}

// A book edited here and reduced: the target's constant moves each distance
// once, whether the stations use the default calibration or a neutral one
// of the book.
TEST(TargetAssignment, EditedBookReducesWithEachConstantOnce) {
    TReductionOptions options;
    options.use_meteo_entete_station = false;
    auto reduce = [&](const std::vector<std::string>& lines, Tday_obs& book) {
        book.LoadFromLines(lines);
        ASSERT_TRUE(BuildTargetsAndCheck(book, options));
        CorrectAndReduce(book, options);
        ASSERT_TRUE(book.stations[0].valid);
    };
    std::vector<std::string> neutral = Book();
    neutral[2] = "   <etalonnages><etalonnage id=\"defaut\" num=\"0\" serial=\"0\" P=\"3\" Ddep=\"0\" Dmax=\"3000\" "
                 "M=\"+0.0000\" deg_Fourier=\"0\" deg_polynome=\"0\" n_corr_interp=\"0\"/>";
    for (const std::vector<std::string>& original : {Book(), neutral}) {
        const std::vector<std::string> calibrated = ValidateCalibration(original, {kTargets, {}}).lines;
        const std::vector<std::string> edited =
            ApplyAssignment(calibrated, kTargets, {{"A", "A", "A", "A"}, {"B", "A"}}).lines;
        Tday_obs before, after;
        reduce(original, before);
        reduce(edited, after);
        const TStation& s0 = before.stations[0];
        const TStation& s1 = after.stations[0];
        EXPECT_NEAR(s0.pts_vise[0].Dp, 25.0, 1e-9);
        EXPECT_NEAR(s1.pts_vise[0].Dp, 25.0175, 1e-9);
        EXPECT_NEAR(s1.pts_vise[1].Dp - s0.pts_vise[1].Dp, 0.0175, 1e-9);
        EXPECT_NEAR(after.stations[1].pts_vise[1].Dp, 30.0175, 1e-9);
        EXPECT_NEAR(s1.obs[0].c_etal, 0.0175, 1e-12);
    }
}

}  // namespace
}  // namespace kestrova

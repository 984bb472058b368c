// Console "report": the bundled example's reduction report to its HTML
// page, and the refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/text_file.hpp"
#include "e2e/run_binary.hpp"
#include "tools/calibration_editor.hpp"
#include "tools/target_assignment.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;

TEST(ReportCommand, ExampleReportToHtmlAndRefusals) {
    const fs::path dir = fs::path(KESTROVA_TEST_TMP) / "report";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string env = "Kestrova=" + ShellQuote((dir / "ini").string());
    const fs::path example = fs::path(KESTROVA_TEST_DATA).parent_path().parent_path() / "examples" / "chantier.crt";
    ASSERT_EQ(RunKestrova("-x crt2obs -i " + ShellQuote(example.string()) + " -o res", env, dir).status, 0);

    // The extension of the output name is replaced by ".html".
    auto r = RunKestrova("-x report -i res.xml -o page.htm", env, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string html = Slurp(dir / "page.html");
    EXPECT_EQ(html.rfind("<!DOCTYPE html>\r\n", 0), 0u);
    // One sketch per station of the book.
    std::istringstream book(Slurp(example));
    int stations = 0;
    for (std::string line; std::getline(book, line);) {
        std::istringstream fields(line);
        std::string key, name;
        if (!(fields >> key >> name) || key != "station") continue;
        ++stations;
        EXPECT_NE(html.find("<title>Croquis de la station " + name + "</title>"), std::string::npos) << name;
    }
    EXPECT_GE(stations, 4);
    if (std::system("command -v xmllint >/dev/null 2>&1") == 0) {
        EXPECT_EQ(std::system(("xmllint --noout " + ShellQuote((dir / "page.html").string())).c_str()), 0);
    }

    // Not a report, a missing file, the output named like the input:
    // exit 1, nothing written.
    r = RunKestrova("-x report -i res.xsl -o other", env, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("n'est pas un compte rendu de réduction"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "other.html"));
    r = RunKestrova("-x report -i absent.xml -o other", env, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Impossible de lire le compte rendu absent.xml"), std::string::npos) << r.err;
    fs::copy_file(dir / "page.html", dir / "copy.html");
    r = RunKestrova("-x report -i copy.html -o copy", env, dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Slurp(dir / "copy.html"), html);
}

TEST(ReportCommand, TableOfContentsPointsAtTheStationsWithResidualsBeyondTheirLimit) {
    const fs::path dir = fs::path(KESTROVA_TEST_TMP) / "report_marks";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string env = "Kestrova=" + ShellQuote((dir / "ini").string());
    // One direction of station 1001 off by 200 cc (limit: three times
    // sigma_Hz, 24 cc); the invalid stations of the other book in red too.
    std::string book = Slurp(fs::path(KESTROVA_TEST_DATA) / "crt2obs" / "text_book.crt");
    const auto at = book.find("AH_gr  153.3734");
    ASSERT_NE(at, std::string::npos);
    book.replace(at, 15, "AH_gr  153.3934");
    std::ofstream(dir / "faute.crt", std::ios::binary) << book;
    ASSERT_EQ(RunKestrova("-x crt2obs -i faute.crt -o faute", env, dir).status, 0);
    ASSERT_EQ(RunKestrova("-x report -i faute.xml -o faute", env, dir).status, 0);
    const std::string html = Slurp(dir / "faute.html");
    const auto mark = html.find("<a href=\"#station_1\" class=\"hors_tolerance\">Station #1 (Point 1001) : station "
                                "r&#233;duite &#8212; ");
    ASSERT_NE(mark, std::string::npos) << html.substr(html.find("<nav"), 600);
    EXPECT_NE(html.find(" &#233;carts hors tol&#233;rance</a>", mark), std::string::npos);
    EXPECT_NE(html.find("<a href=\"#station_2\">Station #2 (Point 1002) : station r&#233;duite</a>"), std::string::npos);

    // The same book without the fault: no mark.
    ASSERT_EQ(RunKestrova("-x crt2obs -i " + ShellQuote((fs::path(KESTROVA_TEST_DATA) / "crt2obs" / "text_book.crt").string()) +
                              " -o propre",
                          env, dir)
                  .status,
              0);
    ASSERT_EQ(RunKestrova("-x report -i propre.xml -o propre", env, dir).status, 0);
    EXPECT_EQ(Slurp(dir / "propre.html").find("hors tol"), std::string::npos);
}

TEST(ReportCommand, BookDefaultCalibrationIsListedOnce) {
    const fs::path dir = fs::path(KESTROVA_TEST_TMP) / "report_prisms";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string env = "Kestrova=" + ShellQuote((dir / "ini").string());
    // A GSI recording's book defines its own default calibration "defaut".
    const fs::path gsi = fs::path(KESTROVA_TEST_DATA) / "gsi" / "setup_blocks16.gsi";
    ASSERT_EQ(RunKestrova("-x gsi2xcrt -i " + ShellQuote(gsi.string()) + " -o releve.xcrt", env, dir).status, 0);
    ASSERT_EQ(RunKestrova("-x crt2obs -i releve.xcrt -o releve", env, dir).status, 0);
    ASSERT_NE(Slurp(dir / "releve.xml").find("id=\"default\""), std::string::npos);  // the report is as it was
    ASSERT_EQ(RunKestrova("-x report -i releve.xml -o releve", env, dir).status, 0);
    const std::string html = Slurp(dir / "releve.html");
    EXPECT_NE(html.find("<tr><td>defaut</td><td>0</td></tr>"), std::string::npos);
    EXPECT_EQ(html.find("<td>default</td>"), std::string::npos);
}

// The bundled example as an XML book, its targets named in the calibration
// editor and assigned to the pointings, reduced, then written as a page:
// the « Prismes » rows read the targets' names with their constants.
TEST(ReportCommand, PrismsAreTheTargetsNamedInTheCalibrationEditor) {
    const fs::path dir = fs::path(KESTROVA_TEST_TMP) / "report_targets";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string env = "Kestrova=" + ShellQuote((dir / "ini").string());
    const fs::path example = fs::path(KESTROVA_TEST_DATA).parent_path().parent_path() / "examples" / "chantier.crt";
    auto r = RunKestrova("-x crt2xcrt -i " + ShellQuote(example.string()) + " -o chantier.xcrt", env, dir);
    ASSERT_EQ(r.status, 0) << r.err;

    using namespace kestrova;
    const std::vector<TCible> cibles = {{"Mini & \"rond\"", 0.0175}, {"Réflecteur", 0.0}, {"Sans visée", -0.03}};
    const TToolResult edited = ValidateCalibration(ReadTextLines((dir / "chantier.xcrt").string()), {cibles, {}});
    ASSERT_TRUE(edited.written);
    const auto stations = AssignmentStations(edited.lines);
    ASSERT_TRUE(stations && stations->size() >= 2);
    // The first station's pointings on the first target, the others' on
    // the second; the third target is aimed at by nobody.
    TAssignmentTable table;
    for (std::size_t s = 0; s < stations->size(); ++s)
        table.emplace_back((*stations)[s].pt_vis.size(), cibles[s == 0 ? 0 : 1].nom);
    const TToolResult assigned = ApplyAssignment(edited.lines, cibles, table);
    ASSERT_TRUE(assigned.written);
    WriteTextLines((dir / "cibles.xcrt").string(), assigned.lines);

    r = RunKestrova("-x crt2obs -i cibles.xcrt -o cibles", env, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunKestrova("-x report -i cibles.xml -o cibles", env, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string html = Slurp(dir / "cibles.html");
    const auto table_at = html.find("<h2>Prismes</h2>");
    ASSERT_NE(table_at, std::string::npos);
    const std::string prisms = html.substr(table_at, html.find("</table>", table_at) - table_at);
    EXPECT_EQ(prisms,
              "<h2>Prismes</h2>\r\n<table class=\"param\">\r\n<tr><th>Prismes</th><th>Cste (m)</th></tr>\r\n"
              "<tr><td>default</td><td>0</td></tr>\r\n"
              "<tr><td>Mini &amp; &quot;rond&quot;</td><td>0.0175</td></tr>\r\n"
              "<tr><td>R&#233;flecteur</td><td>0</td></tr>\r\n"
              "<tr><td>Sans vis&#233;e</td><td>-0.03</td></tr>\r\n"
              // The text book's own prisms, carried into the XML book, have
              // no other name than their id.
              "<tr><td>GPR1</td><td>0</td></tr>\r\n"
              "<tr><td>MINI</td><td>0.0175</td></tr>\r\n");
    // The ids stay the pointings' references in the report: the first
    // station's pointings name calibration 1, the others' 2.
    const std::string xml = Slurp(dir / "cibles.xml");
    EXPECT_NE(xml.find("<etalonnage id=\"1\" nom=\"Mini &amp; &quot;rond&quot;\" num=\"4\""), std::string::npos);
    EXPECT_NE(xml.find("<etalonnage id=\"GPR1\" num=\"2\""), std::string::npos);
    const auto second = xml.find("<station num=\"2\"");
    ASSERT_NE(second, std::string::npos);
    EXPECT_NE(xml.rfind("id_etalonnage=\"1\"", second), std::string::npos);
    EXPECT_EQ(xml.find("id_etalonnage=\"1\"", second), std::string::npos);
    EXPECT_NE(xml.find("id_etalonnage=\"2\"", second), std::string::npos);
}

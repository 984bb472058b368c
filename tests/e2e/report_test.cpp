// Console "report": the bundled example's reduction report to its HTML
// page, and the refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "e2e/run_binary.hpp"

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

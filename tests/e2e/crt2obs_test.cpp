// The crt2obs console command run as a surveyor runs it: field books in
// tests/data/crt2obs reduced by the real binary, every output compared
// whole with its golden file (the date and path lines of the .obs apart).
// Set KESTROVA_UPDATE_GOLDEN=1 to rewrite the golden files from a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include <pugixml.hpp>

#include "base/encoding.hpp"
#include "e2e/run_binary.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;

namespace {

const fs::path kData = fs::path(KESTROVA_TEST_DATA) / "crt2obs";
const char* const kOutputs[] = {"out.chk", "out.xml", "out.xsl", "out.obs", "out.iob", "out_out.gsi"};

std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class Crt2ObsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "crt2obs" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "ini");
        env_ = "Kestrova=" + ShellQuote((dir_ / "ini").string());
    }

    // Runs crt2obs on a book of tests/data/crt2obs, output base dir_/out.
    e2e::RunResult Reduce(const std::string& book, const std::string& extraEnv = "") {
        return RunKestrova("-x crt2obs -i " + ShellQuote((kData / book).string()) + " -o " +
                               ShellQuote((dir_ / "out").string()),
                           env_ + " " + extraEnv, dir_);
    }

    void SetIni(const std::string& text) { std::ofstream(dir_ / "ini" / "Kestrova.ini") << text; }

    // Compares every output with tests/data/crt2obs/golden/<name>/.
    void ExpectGolden(const std::string& name) {
        const fs::path golden = kData / "golden" / name;
        const bool update = std::getenv("KESTROVA_UPDATE_GOLDEN") != nullptr;
        if (update) fs::create_directories(golden);
        for (const char* file : kOutputs) {
            SCOPED_TRACE(name + "/" + file);
            ASSERT_TRUE(fs::exists(dir_ / file));
            const std::string actual = Slurp(dir_ / file);
            if (update) {
                std::ofstream(golden / file, std::ios::binary) << actual;
                continue;
            }
            std::vector<std::string> got = CrLfLines(actual);
            std::vector<std::string> want = CrLfLines(Slurp(golden / file));
            if (std::string(file) == "out.obs") {
                ASSERT_GE(got.size(), 3u);
                ASSERT_GE(want.size(), 3u);
                EXPECT_EQ(got[1], "* " + (dir_ / "out.obs").string());
                EXPECT_TRUE(std::regex_match(got[2], std::regex("\\* fichier cr\xE9\xE9 le \\d\\d/\\d\\d/\\d{4} \xE0 "
                                                                "\\d\\d:\\d\\d:\\d\\d")))
                    << got[2];
                got.erase(got.begin() + 1, got.begin() + 3);
                want.erase(want.begin() + 1, want.begin() + 3);
            }
            ASSERT_EQ(got.size(), want.size());
            for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
            EXPECT_TRUE(actual.empty() || (actual.size() >= 2 && actual.substr(actual.size() - 2) == "\r\n"));
        }
    }

    fs::path dir_;
    std::string env_;
};

bool HaveXsltproc() { return std::system("command -v xsltproc >/dev/null 2>&1") == 0; }

}  // namespace

TEST_F(Crt2ObsTest, TextBookWithClosedRoundPrismAndModeTarget) {
    const auto r = Reduce("text_book.crt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Param x : crt2obs\nParam i : " + (kData / "text_book.crt").string() +
                         "\nParam o : " + (dir_ / "out").string() + "\nParam l : \n");
    ExpectGolden("text_book");
    EXPECT_FALSE(fs::exists(dir_ / "out.gkf"));
}

TEST_F(Crt2ObsTest, BookWithInvalidStations) {
    const auto r = Reduce("invalid_station.crt");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("invalid_station");
}

TEST_F(Crt2ObsTest, XmlBookWithCalibration) {
    const auto r = Reduce("xml_book.xcrt");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("xml_book");
}

TEST_F(Crt2ObsTest, XmlBookWithCyclesWritesOneObservationFile) {
    const auto r = Reduce("cycles_book.xcrt");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("cycles_book");
    EXPECT_FALSE(fs::exists(dir_ / "out")) << "the console writes the single file only";
}

// Directions near 380 gons are averaged around the circle: the two faces of
// a target at 379.9999 / 180.0001 (opening at 0 / 200) give 380.0000, one
// face read 379.9999 and 380.0001 gives 380.0000, an opening target read so
// gives the residuals -1 and 1 cc; readings across 0 and readings all in
// (380, 400) give what they always gave.
TEST_F(Crt2ObsTest, DirectionsNear380GonsAveragedAroundTheCircle) {
    const auto r = Reduce("near_380.crt");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("near_380");
    const std::string obs = Slurp(dir_ / "out.obs");
    EXPECT_NE(obs.find("5 S1               T2                 380.0000"), std::string::npos);
    EXPECT_NE(obs.find("5 S2               T2                 380.0000"), std::string::npos);
    EXPECT_NE(obs.find("5 S3               T2                 120.0001"), std::string::npos);
    EXPECT_NE(obs.find("5 S5               T2                 385.0005"), std::string::npos);
    const std::vector<std::string> chk = CrLfLines(Slurp(dir_ / "out.chk"));
    EXPECT_NE(std::find(chk.begin(), chk.end(),
                        "T1                 379.9999   100.0000    25.0000      -1        0     -0.1"),
              chk.end());
}

// Station lines whose temperature or pressure is a lone "-" or "." or a
// number followed by "%" keep their station; pointing lines that fail
// part-way are told in their station's part of the listing, the station
// staying valid.
TEST_F(Crt2ObsTest, StationLinesWithOddWeatherValuesAndLinesReadInPart) {
    const auto r = Reduce("reader_choices.crt");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("reader_choices");
    const std::string obs = Slurp(dir_ / "out.obs");
    for (const char* station : {"* Station n\xB0" "1 S1", "* Station n\xB0" "2 S2", "* Station n\xB0" "3 S3"})
        EXPECT_NE(obs.find(station), std::string::npos) << station;
    EXPECT_NE(obs.find("Temperature : 0.0 \xB0" "C - Pression : 755.0 mmHg"), std::string::npos);
    const std::vector<std::string> chk = CrLfLines(Slurp(dir_ / "out.chk"));
    EXPECT_EQ(std::count(chk.begin(), chk.end(), "Station valide"), 3);
    EXPECT_NE(std::find(chk.begin(), chk.end(),
                        "Ligne 4 du fichier carnet lue en partie seulement, remplac\xE9" "e par la ligne 5"),
              chk.end());
    EXPECT_NE(std::find(chk.begin(), chk.end(), "Ligne 8 du fichier carnet lue en partie seulement"), chk.end());
}

TEST_F(Crt2ObsTest, HeightsExportedWhenTheIniSaysSo) {
    SetIni("[export]\r\nexport_hauteurs_brelix=Y\r\n");
    const auto r = Reduce("heights_book.crt");
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectGolden("heights_book");
}

TEST_F(Crt2ObsTest, ReportsAreWellFormedAndRenderEveryStation) {
    for (const char* book : {"text_book.crt", "invalid_station.crt", "xml_book.xcrt", "cycles_book.xcrt",
                             "near_380.crt", "reader_choices.crt"}) {
        SCOPED_TRACE(book);
        const auto r = Reduce(book);
        ASSERT_EQ(r.status, 0) << r.err;
        for (const char* file : {"out.xml", "out.xsl"}) {
            pugi::xml_document doc;
            const pugi::xml_parse_result p = doc.load_file((dir_ / file).c_str());
            ASSERT_TRUE(p) << file << ": " << p.description() << " at " << p.offset;
        }
        if (!HaveXsltproc()) continue;
        const std::string cmd = "cd " + ShellQuote(dir_.string()) + " && xsltproc out.xml > out.html";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        const std::string html = kestrova::Cp1252ToUtf8(Slurp(dir_ / "out.html"));
        EXPECT_NE(html.find("Compte rendu de verification des données terrain"), std::string::npos);
        EXPECT_NE(html.find("Paramètres de réduction"), std::string::npos);
        EXPECT_NE(html.find("Z0 global"), std::string::npos);

        pugi::xml_document report;
        ASSERT_TRUE(report.load_file((dir_ / "out.xml").c_str()));
        int stations = 0;
        for (pugi::xml_node st : report.child("carnet").child("stations").children("station")) {
            ++stations;
            const std::string num = st.attribute("num").value();
            const std::string head = "Station #" + num + " (Point " +
                                     kestrova::XmlEscape(st.attribute("pt_sta").value()) + ") : ";
            const std::string entry =
                std::string(st.attribute("valid").value()) == "Y"
                    ? head + "station réduite"
                    : head + "station non valide (fichier carnet ligne " +
                          std::to_string(std::stoi(st.attribute("num_ligne").value()) + 1) + ")";
            EXPECT_NE(html.find(entry), std::string::npos) << entry;
            EXPECT_NE(html.find("<a name=\"station_" + num + "\">"), std::string::npos);
        }
        EXPECT_GT(stations, 0);
    }
}

TEST_F(Crt2ObsTest, RenderedReportShowsPrismConstantsLinesAndMessages) {
    if (!HaveXsltproc()) GTEST_SKIP() << "xsltproc not installed";
    // The page of one book, Latin-1 decoded, without line breaks.
    auto render = [&](const char* book) {
        const auto r = Reduce(book);
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string cmd = "cd " + ShellQuote(dir_.string()) + " && xsltproc out.xml > out.html";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        std::string html = kestrova::Cp1252ToUtf8(Slurp(dir_ / "out.html"));
        html.erase(std::remove(html.begin(), html.end(), '\n'), html.end());
        return html;
    };

    // Prism constant 0.0300 is stored as M = -0.0300 and shown as -M.
    std::string html = render("invalid_station.crt");
    EXPECT_NE(html.find("<td>P&lt;30&gt;</td><td>0.03</td>"), std::string::npos);
    EXPECT_NE(html.find("<td>default</td><td>0</td>"), std::string::npos);
    // The book line of each station; an invalid one lists its counts
    // and messages, a valid one its reduced observations.
    EXPECT_NE(html.find("<h2>Station n\u00b02 - Point 11</h2><h3>Fichier carnet - ligne 10</h3>"), std::string::npos);
    EXPECT_NE(html.find("<tr><td>Valide ?</td><td>Non</td></tr>"), std::string::npos);
    EXPECT_NE(html.find("<h3>Messages d'erreur : </h3>Temp\u00e9rature saisie non valide (&gt;40\u00b0C)<br>"),
              std::string::npos);
    EXPECT_NE(html.find("<h3>Observations r\u00e9duites</h3>"), std::string::npos);

    // XML book: no line numbers, so no "Fichier carnet" heading.
    html = render("xml_book.xcrt");
    EXPECT_EQ(html.find("Fichier carnet - ligne"), std::string::npos);
    EXPECT_NE(html.find("<td>TCRA-362514</td><td>-0.0012</td>"), std::string::npos);
}

TEST_F(Crt2ObsTest, FrenchLocaleWritesNoDecimalComma) {
    if (std::system("locale -a 2>/dev/null | grep -qi '^fr_FR\\.utf-\\?8$'") != 0)
        GTEST_SKIP() << "locale fr_FR.UTF-8 not installed";
    for (const char* book : {"text_book.crt", "xml_book.xcrt"}) {
        SCOPED_TRACE(book);
        const auto r = Reduce(book, "LC_ALL=fr_FR.UTF-8 LANG=fr_FR.UTF-8");
        ASSERT_EQ(r.status, 0) << r.err;
        const std::regex comma("[0-9],[0-9]");
        for (const char* file : kOutputs) {
            const std::string text = Slurp(dir_ / file);
            EXPECT_FALSE(std::regex_search(text, comma)) << file;
        }
        ExpectGolden(std::string(book).substr(0, std::string(book).find('.')));
    }
}

TEST_F(Crt2ObsTest, UnreadableInputWritesNothing) {
    auto r = Reduce("absent.crt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Impossible de lire le fichier carnet " + (kData / "absent.crt").string()), std::string::npos)
        << r.err;
    r = RunKestrova("-x crt2obs -i " + ShellQuote(kData.string()) + " -o " + ShellQuote((dir_ / "out").string()),
                    env_, dir_);
    EXPECT_EQ(r.status, 1);
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename(), "ini") << "written: " << entry.path();
}

TEST_F(Crt2ObsTest, BookWithoutStationIsReportedAndWritesNothing) {
    for (const std::string& content : {std::string(""), std::string("* seulement un commentaire\r\n"),
                                      std::string("110001+00001002 21.322+10000000 \r\n")}) {
        std::ofstream(dir_ / "vide.crt", std::ios::binary) << content;
        const auto r = RunKestrova("-x crt2obs -i " + ShellQuote((dir_ / "vide.crt").string()) + " -o " +
                                       ShellQuote((dir_ / "out").string()),
                                   env_, dir_);
        EXPECT_EQ(r.status, 1) << content;
        EXPECT_NE(r.err.find("Problème de lecture du fichier Carnet"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir_ / "out.obs"));
        EXPECT_FALSE(fs::exists(dir_ / "out.chk"));
    }
}

TEST_F(Crt2ObsTest, WriteFailureExitsOne) {
    const auto r = RunKestrova("-x crt2obs -i " + ShellQuote((kData / "text_book.crt").string()) + " -o " +
                                   ShellQuote((dir_ / "absent" / "out").string()),
                               env_, dir_);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find((dir_ / "absent" / "out.chk").string()), std::string::npos) << r.err;
}

TEST_F(Crt2ObsTest, OutputNamedLikeTheInputLeavesTheBookAlone) {
    // An XML field book called "chantier.xml" reduced to "chantier" would be
    // replaced by the report; a book called ".obs" by the observation file.
    for (const char* name : {"chantier.xml", "chantier.obs", "chantier_out.gsi"}) {
        SCOPED_TRACE(name);
        fs::copy_file(kData / (std::string(name) == "chantier.xml" ? "xml_book.xcrt" : "text_book.crt"), dir_ / name,
                      fs::copy_options::overwrite_existing);
        const std::string before = Slurp(dir_ / name);
        const auto r = RunKestrova("-x crt2obs -i " + ShellQuote(name) + " -o chantier", env_, dir_);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(std::string("Le fichier de sortie ") + name), std::string::npos) << r.err;
        EXPECT_EQ(Slurp(dir_ / name), before);
        EXPECT_FALSE(fs::exists(dir_ / "chantier.chk"));
        fs::remove(dir_ / name);
    }
    // Another spelling of the same path is the same file.
    fs::create_directories(dir_ / "sub");
    fs::copy_file(kData / "xml_book.xcrt", dir_ / "sub" / "b.xml");
    const auto r = RunKestrova("-x crt2obs -i sub/b.xml -o ./sub/../sub/b", env_, dir_);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Slurp(dir_ / "sub" / "b.xml"), Slurp(kData / "xml_book.xcrt"));
}

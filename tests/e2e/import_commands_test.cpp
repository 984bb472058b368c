// The console conversions of instrument files and text books:
// gdm2crt, gdm2xcrt, shoot2crt, crt2xcrt and gsi2crt, whole outputs
// compared with reviewed files, and their refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "e2e/run_binary.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;

namespace {

const fs::path kData = fs::path(KESTROVA_TEST_DATA) / "import";
const fs::path kGolden = kData / "golden";

class ImportCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "import" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "ini");
        // An ini of defaults, so that stderr holds only the commands' own messages.
        std::ofstream(dir_ / "ini" / "Kestrova.ini") << "[general]\r\n";
        env_ = "Kestrova=" + ShellQuote((dir_ / "ini").string());
    }
    e2e::RunResult Run(const std::string& command, const fs::path& in, const std::string& out) {
        return RunKestrova("-x " + command + " -i " + ShellQuote(in.string()) + " -o " + ShellQuote(out), env_, dir_);
    }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
    }
    fs::path dir_;
    std::string env_;
};

}  // namespace

TEST_F(ImportCommandsTest, EachCommandGivesTheReviewedBook) {
    struct Case {
        const char* command;
        fs::path in;
        const char* out;
        const char* golden;
    };
    const Case cases[] = {
        {"gdm2crt", kData / "chantier.gdm", "chantier.carnet", "chantier.carnet"},
        {"gdm2xcrt", kData / "chantier.gdm", "chantier.xcrt", "chantier.xcrt"},
        {"crt2xcrt", kData / ".." / "crt2obs" / "text_book.crt", "text_book.xcrt", "text_book.xcrt"},
        {"gsi2crt", kData / ".." / "gsi" / "station_set.gsi", "station_set.carnet", "station_set.carnet"},
    };
    for (const Case& c : cases) {
        const auto r = Run(c.command, c.in, c.out);
        ASSERT_EQ(r.status, 0) << c.command << ": " << r.err;
        // The GDM job's units record "23=1" is not one the conversion knows:
        // it says so and reads the angles in the chosen unit (gons).
        if (std::string(c.command).rfind("gdm", 0) == 0) {
            EXPECT_NE(r.err.find("ligne 12 : unités « 23=1 » non reconnues"), std::string::npos) << r.err;
        } else {
            EXPECT_EQ(r.err, "") << c.command;
        }
        EXPECT_EQ(Slurp(dir_ / c.out), Slurp(kGolden / c.golden)) << c.command;
    }
    // shoot2crt writes both books beside the name given, whatever its
    // extension.
    const auto r = Run("shoot2crt", kData / "surveillance.shoot", "surveillance.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ / "surveillance.crt"), Slurp(kGolden / "surveillance.crt"));
    EXPECT_EQ(Slurp(dir_ / "surveillance.xcrt"), Slurp(kGolden / "surveillance.xcrt"));
    EXPECT_FALSE(fs::exists(dir_ / "surveillance.txt"));

    // The books reduce: the shoot book gives one station per cycle.
    const auto red = RunKestrova("-x crt2obs -i surveillance.xcrt -o red", env_, dir_);
    ASSERT_EQ(red.status, 0) << red.err;
    EXPECT_NE(Slurp(dir_ / "red.chk").find("Station n"), std::string::npos);
}

TEST_F(ImportCommandsTest, GsiHeaderStyleIsTheOneTheDialogWouldPropose) {
    // The ini says "covadis"; the recording's header is of the "TS" kind,
    // which the conversion dialog proposes and the console takes.
    std::ofstream(dir_ / "ini" / "Kestrova.ini") << "[import]\r\nentete_gsi=covadis\r\n";
    auto r = Run("gsi2crt", kData / ".." / "gsi" / "station_set.gsi", "ts.carnet");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ / "ts.carnet"), Slurp(kGolden / "station_set.carnet"));
    // Without any header line the ini's style stands: measurements only
    // give the default station.
    Write("mesures.gsi", "110002+000000P1 21.322+10000000 22.322+10000000 31..00+00010000\r\n");
    r = Run("gsi2crt", dir_ / "mesures.gsi", "m.carnet");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(dir_ / "m.carnet").substr(0, 20), " station 0        Te");
}

TEST_F(ImportCommandsTest, FailuresWriteNothingAndNameTheLine) {
    // GDM text route: an angle that is not a number.
    Write("illisible.gdm", "2=S1\r\n5=P1\r\n6=1.5\r\n7=12x\r\n");
    Write("kept.carnet", "previous");
    auto r = Run("gdm2crt", dir_ / "illisible.gdm", "kept.carnet");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ligne 4"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(dir_ / "kept.carnet"), "previous");
    // The XML route stops on it too, instead of copying it.
    r = Run("gdm2xcrt", dir_ / "illisible.gdm", "copie.xcrt");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("ligne 4 : valeur \"12x\" de l'étiquette 7 illisible"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "copie.xcrt"));

    // Text book with a line read in part: refused, the line named.
    r = Run("crt2xcrt", kData / "lecture_partielle.crt", "partiel.xcrt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ligne 17"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "partiel.xcrt"));

    // Text book with values that are not numbers (read as 0 by the book):
    // refused, each line and field named.
    Write("nombres.crt", " station S1 Temp_deg 12,5 Press_mmHg 760 ht_m 1.5\r\n"
                         "  numero P1 AH_gr abc AV_gr 100 Dp_m 10 ppm_cste_mm 0000+000 hv_m 1.6\r\n"
                         "  numero P2 AH_gr 132,1876 AV_gr 100 Dp_m nan ppm_cste_mm 0000+000 hv_m 1.6\r\n");
    r = Run("crt2xcrt", dir_ / "nombres.crt", "nombres.xcrt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ligne 1, champ Temp_deg : \"12,5\" ; ligne 2, champ Hz : \"abc\" ; ligne 3, champ Hz : "
                         "\"132,1876\" ; ligne 3, champ Dp : \"nan\"."),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "nombres.xcrt"));

    // Shoot: an impossible date on line 3; neither book is written.
    Write("dates.shoot", "DATE TIME CYCLE TARGET HZ V DIST FOUND\n01/02/2021 10:00:00 1 A 1 2 3 1\n"
                         "30/02/2021 10:00:00 1 A 1 2 3 1\n");
    r = Run("shoot2crt", dir_ / "dates.shoot", "dates");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ligne 3"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "dates.crt"));
    EXPECT_FALSE(fs::exists(dir_ / "dates.xcrt"));

    // Shoot without any shot: nothing is written, the earlier books stay.
    Write("vide.shoot", "DATE TIME CYCLE TARGET HZ V DIST FOUND\r\n");
    Write("vide.crt", "earlier text book");
    Write("vide.xcrt", "earlier XML book");
    r = Run("shoot2crt", dir_ / "vide.shoot", "vide.crt");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("Aucun tir lu dans le fichier SHOOT"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Rien n'est écrit."), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(dir_ / "vide.crt"), "earlier text book");
    EXPECT_EQ(Slurp(dir_ / "vide.xcrt"), "earlier XML book");
    // A direction that is not a number stops it, the line and field named.
    Write("abc.shoot", "DATE TIME CYCLE TARGET HZ V DIST FOUND\n01/02/2021 10:00:00 1 A abc 2 3 1\n");
    r = Run("shoot2crt", dir_ / "abc.shoot", "abc");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ligne 2 : champ HZ \"abc\" illisible"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "abc.crt"));

    // Missing input; output named like the input.
    r = Run("gdm2xcrt", dir_ / "absent.gdm", "absent.xcrt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Impossible de lire le fichier GDM"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "absent.xcrt"));
    fs::copy_file(kData / "surveillance.shoot", dir_ / "s.crt");
    r = Run("shoot2crt", dir_ / "s.crt", "s");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Slurp(dir_ / "s.crt"), Slurp(kData / "surveillance.shoot"));
    EXPECT_FALSE(fs::exists(dir_ / "s.xcrt"));
}

// What is not the command's input is refused: exit 1, a French message
// saying what was expected, the earlier output untouched.
TEST_F(ImportCommandsTest, WhatIsNotTheInputIsRefused) {
    std::string random(1 << 20, '\0');
    unsigned state = 12345;
    for (char& c : random) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    Write("vide.txt", "");
    Write("aleatoire.bin", random);
    // "2=S1" and a station line in UTF-16 (little endian, with its mark).
    Write("utf16.txt", std::string("\xff\xfe" "2\0=\0S\0" "1\0\n\0" " \0s\0t\0a\0t\0i\0o\0n\0 \0S\0\n\0", 36));
    Write("ligne.txt", std::string(50u << 20, 'a'));
    struct Case {
        const char* command;
        const char* out;
        const char* expected;  // in the message of a file of another kind
    };
    const Case cases[] = {
        {"gdm2crt", "sortie.carnet", "un fichier GDM (Trimble)"},
        {"gdm2xcrt", "sortie.xcrt", "un fichier GDM (Trimble)"},
        {"crt2xcrt", "sortie.xcrt", "un carnet texte (.crt, .carnet)"},
        {"shoot2crt", "sortie.crt", "fichier SHOOT"},
    };
    for (const Case& c : cases) {
        for (const char* input : {"vide.txt", "aleatoire.bin", "utf16.txt", "ligne.txt"}) {
            Write(c.out, "earlier");
            Write("sortie.xcrt", "earlier");
            const auto r = Run(c.command, dir_ / input, c.out);
            EXPECT_EQ(r.status, 1) << c.command << " " << input << ": " << r.err;
            // The line over 16 MiB is refused by the reading itself.
            const bool longLine = std::string(input) == "ligne.txt";
            EXPECT_NE(r.err.find(longLine ? "Impossible de lire le fichier" : c.expected), std::string::npos)
                << c.command << " " << input << ": " << r.err;
            if (!longLine) {
                EXPECT_NE(r.err.find("attendu"), std::string::npos) << c.command << " " << input;
            }
            EXPECT_EQ(Slurp(dir_ / c.out), "earlier") << c.command << " " << input;
            EXPECT_EQ(Slurp(dir_ / "sortie.xcrt"), "earlier") << c.command << " " << input;
        }
    }
    fs::remove(dir_ / "ligne.txt");

    // A few GDM records among many other lines: converted, the count said.
    Write("melange.gdm", "2=S1\n5=P1\n7=1.9\n8=99.9\n9=10\nune note\nune autre\nencore une\net une\nfin\nvraiment\n");
    const auto r = Run("gdm2xcrt", dir_ / "melange.gdm", "melange.xcrt");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("6 lignes sur 11 ne sont pas des enregistrements GDM"), std::string::npos) << r.err;
}

// A job recorded in degrees ddd.mmss, read with "--angles dms" or the ini's
// key: 84°04'59" is 93.42562 gon.
TEST_F(ImportCommandsTest, GdmAnglesInDegrees) {
    Write("deg.gdm", "2=ST1\r\n3=1.550\r\n5=P1\r\n6=1.600\r\n7=84.0459\r\n8=95.1230\r\n9=100.4146\r\n");
    auto r = RunKestrova("-x gdm2crt -i deg.gdm -o deg.carnet --angles dms", env_, dir_);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Param g : dms"), std::string::npos) << r.out;
    EXPECT_NE(Slurp(dir_ / "deg.carnet").find("AH_gr 093.42562 AV_gr 105.78704"), std::string::npos);
    // Read as gons it converts, with a word that the file looks like degrees.
    r = Run("gdm2crt", dir_ / "deg.gdm", "gon.carnet");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("semble être en degrés"), std::string::npos) << r.err;
    // The ini's key, for both routes.
    std::ofstream(dir_ / "ini" / "Kestrova.ini") << "[import]\r\nangles_gdm=dms\r\n";
    r = Run("gdm2xcrt", dir_ / "deg.gdm", "deg.xcrt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp(dir_ / "deg.xcrt").find("Hz=\"93.42562\" V=\"105.78704\""), std::string::npos);
    r = RunKestrova("-x gdm2crt -i deg.gdm -o x.carnet -g grades", env_, dir_);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Unité d'angle incorrecte"), std::string::npos) << r.err;
}

namespace {

// The observation lines of an .obs file (those that begin with their code),
// without the header and station comment lines.
std::string ObservationLines(const std::string& obs) {
    std::string kept;
    size_t start = 0;
    while (start < obs.size()) {
        size_t end = obs.find('\n', start);
        if (end == std::string::npos) end = obs.size();
        if (obs[start] >= '0' && obs[start] <= '9') kept += "\n" + obs.substr(start, end - start);
        start = end + 1;
    }
    return kept;
}

}  // namespace

// A text book and its XML book reduce to the same observation lines: the
// bundled example and a book with three prisms, heights, comments and a
// reflectorless distance.
TEST_F(ImportCommandsTest, TextBookAndItsXmlBookReduceAlike) {
    const fs::path examples = fs::path(KESTROVA_TEST_DATA) / ".." / ".." / "examples";
    for (const fs::path& crt : {examples / "chantier.crt", kData / "prismes.crt"}) {
        const std::string name = crt.stem().string();
        auto r = Run("crt2xcrt", crt, name + ".xcrt");
        ASSERT_EQ(r.status, 0) << name << ": " << r.err;
        EXPECT_EQ(r.err, "") << name;
        r = RunKestrova("-x crt2obs -i " + ShellQuote(crt.string()) + " -o texte_" + name, env_, dir_);
        ASSERT_EQ(r.status, 0) << name << ": " << r.err;
        r = RunKestrova("-x crt2obs -i " + name + ".xcrt -o xml_" + name, env_, dir_);
        ASSERT_EQ(r.status, 0) << name << ": " << r.err;
        const std::string fromText = ObservationLines(Slurp(dir_ / ("texte_" + name + ".obs")));
        EXPECT_NE(fromText.find("\n3 "), std::string::npos) << name;  // distances were reduced
        EXPECT_EQ(ObservationLines(Slurp(dir_ / ("xml_" + name + ".obs"))), fromText) << name;
    }
    // The reduced distance 1002 -> 2001 of the example carries the constant
    // of the MINI prism in both.
    EXPECT_NE(Slurp(dir_ / "chantier.xcrt").find("<etalonnage id=\"MINI\" num=\"3\""), std::string::npos);
}

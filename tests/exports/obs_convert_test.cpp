// The converters of observation files: renormalisation, Geolab columns,
// GNU Gama elements, refusals that write nothing, and the .gkf files as
// gama-local reads them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "base/numbers.hpp"
#include "base/text_file.hpp"
#include "base/text_helpers.hpp"
#include "exports/export_test_support.hpp"
#include "exports/gama_local.hpp"
#include "exports/obs_convert.hpp"
#include "exports/obs_gama.hpp"
#include "exports/obs_geolab.hpp"
#include "exports/obs_renormalised.hpp"
#include "exports/reduction_outputs.hpp"
#include "levelling/line_source.hpp"

using namespace kestrova;
using exports_test::ReadCrLfLines;

namespace {

class ObsConvertTest : public exports_test::WriterTest {
protected:
    std::vector<std::string> Renormalised(const std::vector<std::string>& lines, RenormSign sign) {
        TLineCollector c;
        ProduceRenormalisedObs(ReadObsLines(lines, sign).records, TExportTime{2026, 12, 6, 9, 12, 31}, c);
        return c.lines;
    }
    std::vector<std::string> Geolab(const std::vector<std::string>& lines) {
        TLineCollector c;
        ProduceGeolabFromObs(ReadObsLines(lines, RenormSign::Unsigned).records, c);
        return c.lines;
    }
    std::vector<std::string> Gama(const std::vector<std::string>& lines, const std::vector<std::string>& cor) {
        TLineCollector c;
        ProduceGamaFromObs(ReadObsLines(lines, RenormSign::Unsigned).records, ReadCorLines(cor), c);
        return c.lines;
    }
    static std::string Joined(const std::vector<std::string>& lines) {
        std::string all;
        for (const std::string& l : lines) all += l + "\n";
        return all;
    }
    void WriteFile(const std::string& name, const std::vector<std::string>& lines) {
        WriteTextLines(Path(name), lines, FileEncoding::Cp1252);
    }
};

const std::vector<std::string> kCor = {"1 S1 1000.000 2000.000 100.000 0.001 0.002",
                                       "2 S2 1100.000 2000.000 101.000 0.003 0",
                                       "3 S3 1000.000 2100.000 99.000 0 0.0005", "0 T1 1050 2050 100"};

}  // namespace

TEST_F(ObsConvertTest, RenormalisationSignedForTheCommandPositiveForTheConversions) {
    Param().Dp_add = 0.001;
    Param().Dp_mult = 2.0;
    const std::vector<std::string> lines = {"3 S1 T1 123.4567 0.0010 0 0 0", "3 S1 T2 50.0000 -0.0010 0 0 0",
                                            "3 S1 T3 50.0000 0 0 0 0", "1 S1 T4 20.0000 0.0010 0 0 0",
                                            "9 A B 0 0.0010 0 0 0"};
    auto sigmas = [&](RenormSign sign) {
        std::vector<std::string> s;
        for (const ObsRecord& r : ReadObsLines(lines, sign).records) s.push_back(r.sigma);
        return s;
    };
    EXPECT_EQ(sigmas(RenormSign::Signed), (std::vector<std::string>{"0.0022", "-0.0022", "-0.0010", "0.0022", "0.0010"}));
    EXPECT_EQ(sigmas(RenormSign::Unsigned), (std::vector<std::string>{"0.0022", "0.0022", "0.0010", "0.0022", "0.0010"}));
    EXPECT_TRUE(RenormalisationChangesSigmas());
    Param().renormalisation = false;
    EXPECT_EQ(sigmas(RenormSign::Signed)[1], "-0.0010");
    Param() = TParam();
    EXPECT_FALSE(RenormalisationChangesSigmas());
}

TEST_F(ObsConvertTest, RenormalisedFileRegroupsTheObservations) {
    Param().AH_add = 0.0003;
    const std::vector<std::string> out = Renormalised(
        {"*Données reduites", "", "7 S1 T1 0.0000 0.0008 0.0000 1.5500 1.6000", "5 S1 T2 100.0010 0.0008",
         "", "6 S1 T1 100.0000 0.0012 0.0000 1.5500 1.6000", "", "3 S1 T1 50.0000 0.0010 0 0 0",
         "3 S1 T2 0 0.0010 0 0 0", "3 S1 T3 0.0300 0.0010 0 0 0", "1 S1 T2 20.0 0.0010", "4 A B 0.15234 0.0005",
         "9 A B 0 0.0010", "4 A B 0.1523 0.0005"},
        RenormSign::Signed);
    const std::vector<std::string> expected = {
        "* fichier créé le 06/12/2026 à 09:12:31",
        "",
        "*Données reduites",
        "",
        "7 S1               T1                   0.0000     0.0009     0.0000  1.5500   1.6000",
        "5 S1               T2                 100.0010     0.0009     0.0000  0.0000   0.0000",
        "",
        "6 S1               T1                 100.0000     0.0012     0.0000  1.5500   1.6000",
        "",
        "3 S1               T1                  50.0000     0.0010     0.0000  0.0000   0.0000",
        "3 S1               T3                   0.0300     0.0010     0.0000  0.0000   0.0000",
        "",
        "4 A                B                   0.15234    0.00050     0.0000  0.0000   0.0000",
        "",
        "9 A                B                    0.0000     0.0010     0.0000  0.0000   0.0000",
        "4 A                B                   0.15230    0.00050     0.0000  0.0000   0.0000",
    };
    EXPECT_EQ(out, expected);
}

TEST_F(ObsConvertTest, GeolabDistanceAndAngleColumns) {
    const std::vector<std::string> lines = {"3 S1 T1 123.4567 0.0010", "6 S1 T1 98.7654321 0.0012",
                                            "5 S1 T2 3.0512 0.0008", "3 S1 T2 12345.6789 0.0010"};
    const std::vector<ObsRecord> r = ReadObsLines(lines, RenormSign::Unsigned).records;
    const std::string dist = GeolabObsDistanceLine(r[0]);
    EXPECT_EQ(dist.substr(0, 5), " DIST");
    EXPECT_EQ(dist.substr(10, 2), "S1");
    EXPECT_EQ(dist.substr(23, 2), "T1");
    EXPECT_EQ(dist.substr(56, 8), "123.4567");  // point at column 60
    EXPECT_EQ(dist.substr(69, 6), "0.0010");
    EXPECT_EQ(dist[76], 'm');
    EXPECT_EQ(dist.substr(77), std::string(20, ' ') + "m ");  // the template's own "m", pushed right
    const std::string zang = GeolabObsAngleLine(" ZANG", r[1]);
    EXPECT_EQ(zang.substr(49, 15), "+ 98 76    54.3");
    EXPECT_EQ(zang.substr(72, 3), " 12");
    const std::string dir = GeolabObsAngleLine(" DIR", r[2]);
    EXPECT_EQ(dir.substr(0, 4), " DIR");
    EXPECT_EQ(dir.substr(49, 15), "+  3  5    12.0");
    EXPECT_EQ(dir.substr(73, 1), "8");
    // 10000 m or more does not fit: the distance is not lost silently, the
    // conversion stops naming the line, nothing is written.
    EXPECT_THROW(GeolabObsDistanceLine(r[3]), ObsValueError);
    WriteFile("far.iob", {"ancien contenu"});
    try {
        ConvertObsToGeolab(lines, "m.obs", Path("far.iob"), "");
        FAIL() << "no error";
    } catch (const ObsConversionError& e) {
        EXPECT_EQ(std::string(e.what()), "Erreur de conversion dans le fichier m.obs, ligne 4 : valeur « 12345.6789 » "
                                         ": une distance de 10000 m ou plus ne tient pas dans les colonnes Geolab ; "
                                         "rien n'est écrit");
    }
    EXPECT_EQ(ReadCrLfLines(Path("far.iob")), (std::vector<std::string>{"ancien contenu"}));
}

TEST_F(ObsConvertTest, GeolabFileLayout) {
    const std::vector<std::string> out =
        Geolab({"* Station S1", "7 S1 T1 0.0000 0.0008", "5 S1 T2 100.0010 0.0008", "6 S1 T1 100.0 0.0012",
                "3 S1 T1 0.0300 0.0010", "3 S1 T2 0 0.0010", "1 S1 T2 20.0 0.0010", "9 A B 0 0.0010",
                "4 A B 0.1523 0.0005"});
    ASSERT_GE(out.size(), 19u);
    EXPECT_EQ(out[0], " COMP ADJ");
    EXPECT_EQ(out[14], " LDEC 4");
    EXPECT_EQ(std::vector<std::string>(out.begin() + 15, out.begin() + 20),
              (std::vector<std::string>{" ", " HIST NEW", " ", "", "* Station S1"}));
    EXPECT_EQ(out[20], "");
    EXPECT_EQ(out[21], " DSET ");
    EXPECT_EQ(out[22].substr(0, 4), " DIR");
    EXPECT_EQ(out[23].substr(0, 4), " DIR");
    EXPECT_EQ(out[24], "");
    EXPECT_EQ(out[25].substr(0, 5), " ZANG");
    EXPECT_EQ(out[26], "");
    EXPECT_EQ(out[27].substr(56, 8), "  0.0300");  // a 3 cm distance is kept here
    EXPECT_EQ(out[28], "");  // the 0 distance left out, then the centring
    EXPECT_EQ(out[29], " 2DD");
    EXPECT_EQ(out[30].substr(0, 58), " PL       A            n  0  0  0.000000 e  0  0  0.000000");
    EXPECT_EQ(out[31].substr(10, 1), "B");
    EXPECT_EQ(out[32], " COV  LG DIAG");
    EXPECT_EQ(out[33].substr(0, 78),
              " ELEM 0.0000010000000000      0.0000010000000000      0.0000010000000000      ");
    EXPECT_EQ(out[34].substr(0, 5), " OHDF");  // no empty line after the centring
    EXPECT_EQ(out[34].substr(49, 6), "0.1523");
    EXPECT_EQ(out[34].substr(69, 6), "0.0005");
    EXPECT_EQ(std::vector<std::string>(out.begin() + 35, out.end()),
              (std::vector<std::string>{"", " HIST ALL", " END"}));
}

TEST_F(ObsConvertTest, LongNamesAreCutTo16AndLaidOutWhole) {
    const std::vector<std::string> lines = {"7 STATION_TRES_LONGUE CIBLE_ENCORE_PLUS_LONGUE 0.0000 0.0008",
                                            "7 ABCDEFGHIJKLM T2 0.0000 0.0008"};
    const std::vector<ObsRecord> r = ReadObsLines(lines, RenormSign::Unsigned).records;
    EXPECT_EQ(r[0].from, "STATION_TRES_LON");
    EXPECT_EQ(r[0].to, "CIBLE_ENCORE_PLU");
    const std::string dir = GeolabObsAngleLine(" DIR", r[0]);
    EXPECT_EQ(dir.substr(10, 34), "STATION_TRES_LON CIBLE_ENCORE_PLU ");
    EXPECT_EQ(dir[49], '+');
    // 13 characters: the to name stays at column 24.
    EXPECT_EQ(GeolabObsAngleLine(" DIR", r[1]).substr(10, 15), "ABCDEFGHIJKLMT2");
    EXPECT_NE(Joined(Renormalised(lines, RenormSign::Signed)).find("7 STATION_TRES_LON CIBLE_ENCORE_PLU "),
              std::string::npos);
    EXPECT_NE(Joined(Gama(lines, kCor)).find("<obs from=\"STATION_TRES_LON\">"), std::string::npos);
}

TEST_F(ObsConvertTest, GamaPointsConstraintsAndObservations) {
    Param().export_hauteurs_brelix = "Y";
    const std::string gkf = Joined(Gama({"*Tours d'horizon - été", "7 S1 T1 0.0000 0.0008 0 1.55 1.60",
                                         "5 S1 T\"2 100.0010 0.0008", "6 S1 T1 98.7654 0.0012",
                                         "3 S1 T1 50.0000 0.0010", "3 S1 T2 0.0300 0.0010", "1 S1 T2 20.0 0.0010",
                                         "7 S2 T1 0.0000 0.0008", "9 S1 S9 0 0.0010", "3 S2 T1 12.5 0.0010"},
                                        kCor));
    const std::string expectedHead =
        "<?xml version=\"1.0\" ?>\n"
        "<!DOCTYPE gama-local SYSTEM \"gama-local.dtd\">\n\n"
        "<gama-local version=\"2.0\">\n"
        "<network axes-xy=\"en\" angles=\"left-handed\" >\n"
        "    <description>\n    </description>\n\n"
        "    <parameters conf-pr = \"0.95\"\n"
        "        sigma-act=\"apriori\" />\n\n"
        "    <points-observations\n"
        "        direction-stdev=\"8\"\n        angle-stdev=\"8\"\n        zenith-angle-stdev=\"12\"\n"
        "        distance-stdev=\"1 0 1\" >\n\n"
        "        <point id=\"S1\"             x=\"1000.000\" y=\"2000.000\" z=\"100.000\" adj=\"XYZ\"/>\n"
        "        <point id=\"S2\"             x=\"1100.000\" y=\"2000.000\" z=\"101.000\" adj=\"XYz\"/>\n"
        "        <point id=\"S3\"             x=\"1000.000\" y=\"2100.000\" z=\"99.000\" adj=\"xyZ\"/>\n"
        "        <point id=\"T1\"             x=\"1050\" y=\"2050\" z=\"100\" adj=\"xyz\"/>\n\n"
        "        <coordinates>\n"
        "            <point id=\"S1\"             x=\"1000.000\" y=\"2000.000\" z=\"100.000\" adj=\"XYZ\"/>\n"
        "            <point id=\"S2\"             x=\"1100.000\" y=\"2000.000\" adj=\"XYz\"/>\n"
        "            <point id=\"S3\"             z=\"99.000\" adj=\"xyZ\"/>\n"
        "            <cov-mat dim=\"6\" band=\"0\">\n"
        "                1.00\n                1.00\n                4.00\n"
        "                9.00\n                9.00\n                0.25\n"
        "            </cov-mat>\n        </coordinates>\n\n"
        "        <!-- Tours d'horizon   ete -->\n"
        "        <obs from=\"S1\">\n"
        "            <direction   to=\"T1\"             val=  \"0.0000\" stdev=\"8\" from_dh=\"1.55\" to_dh=\"1.60\" />\n"
        "            <direction   to=\"T&quot;2\"       val=\"100.0010\" stdev=\"8\" from_dh=\"0.0000\" to_dh=\"0.0000\" />\n"
        "            <z-angle     to=\"T1\"             val= \"98.7654\" stdev=\"12\" from_dh=\"0.0000\" to_dh=\"0.0000\" />\n"
        "            <s-distance  to=\"T1\"             val=\"50.0000\" stdev=\"1.0\" from_dh=\"0.0000\" to_dh=\"0.0000\" />\n"
        "        </obs>\n\n"
        "        <obs from=\"S2\">\n"
        "            <direction   to=\"T1\"             val=  \"0.0000\" stdev=\"8\" from_dh=\"0.0000\" to_dh=\"0.0000\" />\n"
        "        <!-- Centrage plani non gere par Gnu-Gama -->\n"
        "            <s-distance  to=\"T1\"             val=\"12.5\" stdev=\"1.0\" from_dh=\"0.0000\" to_dh=\"0.0000\" />\n"
        "        </obs>\n"
        "</points-observations>\n</network>\n</gama-local>\n";
    EXPECT_EQ(gkf, expectedHead);  // the 3 cm distance and the code 1 line are left out
}

TEST_F(ObsConvertTest, GamaCommentsAreFoldedToAscii) {
    EXPECT_EQ(GamaCommentText("Étés à Noël - 12°C, cœur\x01ç"), "Etes a Noel   12 C, coeur?c");
}

TEST_F(ObsConvertTest, GamaCentringVectorAtTheTopAndInASet) {
    const std::vector<std::string> pair = {"9 A B 0 0.0010 0 0 0", "4 A B 0.1523 0.0005 0 0 0"};
    const std::string vector =
        "        <!-- Centrage plani alti -->\n"
        "        <vectors>\n"
        "            <vec from=\"A\"              to=\"B\"              dx=\"0.000\" dy=\"0.000\" dz=\"0.1523\" />\n"
        "            <cov-mat dim=\"3\" band=\"0\" >\n"
        "                1.000\n                    1.000\n                        0.250\n"
        "            </cov-mat>\n        </vectors>\n\n";
    const std::string top = Joined(Gama(exports_test::Concat(pair, {"4 B C 1.2000 0.0010", "4 C A -1.3500 0.0010"}), kCor));
    EXPECT_NE(top.find(vector), std::string::npos) << top;
    EXPECT_EQ(top.find("dh from=\"A\""), std::string::npos);  // its height is in the vector
    EXPECT_NE(top.find("        <height-differences>\n"
                       "            <dh from=\"B\"              to=\"C\"              val=\"1.2000\" stdev=\"1.0\" />\n"
                       "            <dh from=\"C\"              to=\"A\"              val=\"-1.3500\" stdev=\"1.0\" />\n"
                       "        </height-differences>\n"),
              std::string::npos)
        << top;
    // Inside a direction set: the set closes before the vector and opens again after it.
    const std::string inside = Joined(
        Gama({"7 S1 T1 0.0000 0.0008", pair[0], pair[1], "5 S1 T2 100.0 0.0008"}, kCor));
    EXPECT_NE(inside.find("        </obs>\n\n" + vector + "        <obs from=\"S1\">\n            <direction   to=\"T2\""),
              std::string::npos)
        << inside;
}

TEST_F(ObsConvertTest, NonNumericFieldsStopWithTheFileAndLineAndWriteNothing) {
    WriteFile("old.iob", {"ancien contenu"});
    const std::vector<std::string> bad = {"* entête", "7 S1 T1 0.0000 0.0008", "5 S1 T2 100.0 abc"};
    try {
        ConvertObsToGeolab(bad, "mesures.obs", Path("old.iob"), Path("old_2.obs"));
        FAIL() << "no error";
    } catch (const ObsConversionError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Erreur de conversion dans le fichier mesures.obs, ligne 3 : écart type « abc » non numérique ; rien "
                  "n'est écrit");
    }
    EXPECT_EQ(ReadCrLfLines(Path("old.iob")), (std::vector<std::string>{"ancien contenu"}));
    EXPECT_THROW(WriteRenormalisedObsFile(bad, "mesures.obs", Path("r.obs"), RenormSign::Signed), ObsConversionError);
    EXPECT_FALSE(std::filesystem::exists(Path("r.obs")));

    const std::vector<std::string> good = {"7 S1 T1 0.0000 0.0008", "6 S1 T1 1OO.0 0.0012"};
    try {
        ConvertObsToGama(good, "m.obs", {"1 S1 1000 2000 100 0.001 x"}, "pts.cor", Path("g.gkf"));
        FAIL() << "no error";
    } catch (const ObsConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("fichier pts.cor, ligne 1 : écart type de coordonnée « x »"),
                  std::string::npos)
            << e.what();
    }
    try {
        ConvertObsToGama(good, "m.obs", kCor, "pts.cor", Path("g.gkf"));
        FAIL() << "no error";
    } catch (const ObsConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("fichier m.obs, ligne 2 : valeur « 1OO.0 »"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(Path("g.gkf")));
    try {
        ConvertObsToGama({"* rien"}, "m.obs", kCor, "pts.cor", Path("g.gkf"));
        FAIL() << "no error";
    } catch (const ObsConversionError& e) {
        EXPECT_TRUE(e.UnknownFormat());
        EXPECT_EQ(e.File(), "m.obs");
    }
    try {
        ConvertObsToGama(good, "m.obs", {"* aucun point"}, "pts.cor", Path("g.gkf"));
        FAIL() << "no error";
    } catch (const ObsConversionError& e) {
        EXPECT_EQ(std::string(e.what()), "Format non reconnu !");
        EXPECT_EQ(e.File(), "pts.cor");
    }
}

TEST_F(ObsConvertTest, GeolabWritesTheRenormalisedFileOnlyWhenAPairChangesSomething) {
    const std::vector<std::string> lines = {"7 S1 T1 0.0000 0.0008", "3 S1 T1 10.0 0.0010"};
    EXPECT_EQ(ConvertObsToGeolab(lines, "m.obs", Path("a.iob"), Path("a_2.obs")).size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(Path("a_2.obs")));
    Param().Dp_mult = 2.0;
    EXPECT_EQ(ConvertObsToGeolab(lines, "m.obs", Path("a.iob"), Path("a_2.obs")).size(), 2u);
    const std::vector<std::string> renormalised = ReadCrLfLines(Path("a_2.obs"));
    ASSERT_EQ(renormalised.size(), 5u);
    EXPECT_EQ(renormalised[4].substr(47, 10), "    0.0020");
}

// gama-local on the .gkf of a real reduction with two constrained points,
// and on a levelling file with a centring pair.
TEST_F(ObsConvertTest, GamaLocalAdjustsAReductionAndALevelling) {
    SKIP_WITHOUT_GAMA_LOCAL();
    Tday_obs book;
    ASSERT_TRUE(book.LoadFromFile(std::string(KESTROVA_TEST_DATA) + "/crt2obs/text_book.crt"));
    BuildTargetsAndCheck(book);
    CorrectAndReduce(book);
    const ReductionFiles files = ReductionFileNames(Path("chantier.obs"));
    WriteConsoleReductionOutputs(book, files);
    const std::vector<std::string> cor = {"1 1001 1000.000 1000.000 100.000 0.001 0.001",
                                          "1 1002 1000.000 1187.450 99.000 0.001 0.001",
                                          "0 1003", "0 2001", "0 2002", "0 2003"};
    ConvertObsToGama(ReadTextLines(files.obs), files.obs, cor, "chantier.cor", Path("chantier.gkf"));
    exports_test::GamaVerdict v = exports_test::RunGamaLocal(Path("chantier.gkf"));
    EXPECT_TRUE(v.accepted) << v.error;
    EXPECT_TRUE(v.adjusted);

    const std::vector<std::string> levelling = {
        "* Nivellement du 06/12/2026 - repères", "9 A B 0 0.0010 0 0 0", "4 A B 0.1523 0.0005 0 0 0", "",
        "4 A C 1.2500 0.0010 0 0 0", "4 C D -0.5000 0.0010 0 0 0", "4 D A -0.7490 0.0010 0 0 0"};
    const std::vector<std::string> points = {"3 A 0 0 100.000 0 0.001", "0 B 0 0 100.15", "0 C 0 0 101.25",
                                             "0 D 0 0 100.75"};
    ConvertObsToGama(levelling, "niv.obs", points, "niv.cor", Path("niv.gkf"));
    v = exports_test::RunGamaLocal(Path("niv.gkf"));
    EXPECT_TRUE(v.accepted) << v.error;
    EXPECT_TRUE(v.adjusted);
}

// The bundled example: its book reduced with the heights exported, its
// coordinate file with two fixed points, and gama-local giving back the
// known coordinates (the "*=" lines of the coordinate file) within
// millimetres.
TEST_F(ObsConvertTest, BundledExampleAdjustsBackToTheKnownCoordinates) {
    const std::string examples = std::string(KESTROVA_TEST_DATA) + "/../../examples";
    Param().export_hauteurs_brelix = "Y";
    Tday_obs book;
    book.trace.enabled = false;
    ASSERT_TRUE(book.LoadFromFile(examples + "/chantier.crt"));
    BuildTargetsAndCheck(book);
    CorrectAndReduce(book);
    ASSERT_EQ(book.stations.size(), 5u);
    for (const TStation& s : book.stations) EXPECT_TRUE(s.valid) << s.pt_sta;
    const ReductionFiles files = ReductionFileNames(Path("chantier.obs"));
    WriteConsoleReductionOutputs(book, files);
    const std::vector<std::string> cor = ReadTextLines(examples + "/chantier.cor");
    ConvertObsToGama(ReadTextLines(files.obs), files.obs, cor, "chantier.cor", Path("reseau.gkf"));

    SKIP_WITHOUT_GAMA_LOCAL();
    const exports_test::GamaVerdict v = exports_test::RunGamaLocal(Path("reseau.gkf"));
    ASSERT_TRUE(v.adjusted) << v.error;
    int known = 0;
    for (const std::string& line : cor) {
        if (line.rfind("*=", 0) != 0) continue;
        const TLineFields f = SplitLineFields(line.substr(2));
        ++known;
        double x = 0, y = 0, z = 0;
        ASSERT_TRUE(exports_test::AdjustedPoint(v.xml, f.fields[0], &x, &y, &z)) << f.fields[0];
        EXPECT_NEAR(x, TextToDoubleOr(f.fields[1], 0), 0.003) << f.fields[0];
        EXPECT_NEAR(y, TextToDoubleOr(f.fields[2], 0), 0.003) << f.fields[0];
        EXPECT_NEAR(z, TextToDoubleOr(f.fields[3], 0), 0.003) << f.fields[0];
    }
    EXPECT_EQ(known, 7);
}

// One rule for every number the three conversions read: a field that is
// not a plain finite decimal stops the conversion naming the file, the
// line and the field, and nothing is written (an earlier output stays).
TEST_F(ObsConvertTest, EveryNumericFieldStopsTheThreeConversionsTheSameWay) {
    Param().renormalisation = true;
    Param().Dp_mult = 2.0;
    struct Case {
        std::string line, field;
    };
    const std::vector<Case> cases = {
        {"6 S1 T1 99,5000 0.0012 0.0000 1.5000 1.6000", "valeur « 99,5000 » non numérique (utilisez le point décimal)"},
        {"4 A B 1,2500 0.0005 0.0000 0.0000 0.0000", "valeur « 1,2500 » non numérique (utilisez le point décimal)"},
        {"6 S1 T1 99.5000 0.0012 0.0000 1,3 1.6000", "hauteur de station « 1,3 » non numérique (utilisez le point"},
        {"6 S1 T1 99.5000 0.0012 0.0000 1.3 1.5x", "hauteur de cible « 1.5x » non numérique"},
        {"5 S1 T2 nan 0.0008 0.0000 0.0000 0.0000", "valeur « nan » non numérique"},
        {"5 S1 T2 inf 0.0008 0.0000 0.0000 0.0000", "valeur « inf » non numérique"},
        {"5 S1 T2 1e400 0.0008 0.0000 0.0000 0.0000", "valeur « 1e400 » non numérique"},
        {"3 S1 T1 100,0000 0.0010 0.0000 0.0000 0.0000", "valeur « 100,0000 » non numérique (utilisez le point"},
        {"3 S1 T1 1OO.0000 0.0010 0.0000 0.0000 0.0000", "valeur « 1OO.0000 » non numérique"},
        {"3 S1 T1 100.0000 0,001 0.0000 0.0000 0.0000", "écart type « 0,001 » non numérique (utilisez le point"},
        {"3 S1 T1 100.0000 0.0010 x 0.0000 0.0000", "sixième champ « x » non numérique"},
        {"3 S1 T1 1000000000000000 0.0010 0.0000 0.0000 0.0000", "valeur « 1000000000000000 » hors limites"},
        {"7 S1 T1 0.0000", "champ écart type vide"},
        // Longer than its slot: the whole text is judged, not a plausible prefix.
        {"3 S1 T1 100.0000 0.0010000000abc 0.0000 0.0000 0.0000", "écart type « 0.0010000000abc » non numérique"},
        {"3 S1 T1 1000000.00000000001x 0.0010 0.0000 0.0000 0.0000", "valeur « 1000000.00000000001x » non numérique"},
        {"6 S1 T1 99.5000 0.0012 0.0000 1.50000000000m 1.6000", "hauteur de station « 1.50000000000m » non"},
    };
    for (const char* name : {"old.iob", "old_2.obs", "old.gkf", "old.obs"}) WriteFile(name, {"ancien contenu"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::vector<std::string> lines = {"* mesures", "7 S1 T1 0.0000 0.0008 0.0000 0.0000 0.0000", c.line};
        const std::string expected = "Erreur de conversion dans le fichier m.obs, ligne 3 : " + c.field;
        auto check = [&](const std::function<void()>& conversion) {
            try {
                conversion();
                ADD_FAILURE() << "no error";
            } catch (const ObsConversionError& e) {
                EXPECT_EQ(std::string(e.what()).rfind(expected, 0), 0u) << e.what();
                EXPECT_NE(std::string(e.what()).find("; rien n'est écrit"), std::string::npos) << e.what();
            }
        };
        check([&] { ConvertObsToGeolab(lines, "m.obs", Path("old.iob"), Path("old_2.obs")); });
        check([&] { ConvertObsToGama(lines, "m.obs", kCor, "pts.cor", Path("old.gkf")); });
        check([&] { WriteRenormalisedObsFile(lines, "m.obs", Path("old.obs"), RenormSign::Signed); });
    }
    for (const char* name : {"old.iob", "old_2.obs", "old.gkf", "old.obs"})
        EXPECT_EQ(ReadCrLfLines(Path(name)), (std::vector<std::string>{"ancien contenu"})) << name;
    // Coordinates too.
    try {
        ConvertObsToGama({"7 S1 T1 0.0000 0.0008"}, "m.obs", {"1 S1 1000,5 2000 100 0.001 0.001"}, "pts.cor",
                         Path("old.gkf"));
        FAIL() << "no error";
    } catch (const ObsConversionError& e) {
        EXPECT_EQ(std::string(e.what()), "Erreur de conversion dans le fichier pts.cor, ligne 1 : coordonnée « 1000,5 » "
                                         "non numérique (utilisez le point décimal) ; rien n'est écrit");
    }
    try {
        ConvertObsToGama({"7 S1 T1 0.0000 0.0008"}, "m.obs", {"1 S1 1000 2000 100.00000000000x 0.001 0.001"},
                         "pts.cor", Path("old.gkf"));
        FAIL() << "no error";
    } catch (const ObsConversionError& e) {
        EXPECT_EQ(std::string(e.what()), "Erreur de conversion dans le fichier pts.cor, ligne 1 : coordonnée "
                                         "« 100.00000000000x » non numérique ; rien n'est écrit");
    }
    // A name with a blank moves every field of a coordinate line by one
    // ("P 1": x 1, y 1000, z 2000): the number left over stops it.
    try {
        ConvertObsToGama({"7 P_1 T1 0.0000 0.0008"}, "m.obs", {"0 T1", "1 P 1 1000 2000 100 0.001 0.001"}, "pts.cor",
                         Path("old.gkf"));
        FAIL() << "no error";
    } catch (const ObsConversionError& e) {
        EXPECT_EQ(std::string(e.what()), "Erreur de conversion dans le fichier pts.cor, ligne 2 : nombre « 0.001 » de "
                                         "trop après les coordonnées et leurs écarts types (un nom avec un blanc ?) ; "
                                         "rien n'est écrit");
    }
    EXPECT_EQ(ReadCrLfLines(Path("old.gkf")), (std::vector<std::string>{"ancien contenu"}));
    // A number wider than its slot loses decimals only, never digits before
    // the point (12345678901 is no 1234567890), renormalised or not.
    const ObsReading wide = ReadObsLines({"3 S1 T1 100.000000000000001 12345678901 0.0000 1.23456789012 0.0000"},
                                         RenormSign::Unsigned);
    ASSERT_EQ(wide.records.size(), 1u);
    EXPECT_EQ(wide.records[0].value, "100.000000000000");
    EXPECT_EQ(wide.records[0].sigma, "24691357802.0000");  // renormalised: twice
    EXPECT_EQ(wide.records[0].item7, "1.23456789");
}

// A line in the columns of the observation file whose name holds a blank
// is read by its columns: the blank no longer shifts the value and the
// standard deviation; the name is written with "_" and named in a warning.
// Control characters of names and comments become "?" in every output.
TEST_F(ObsConvertTest, NamesWithABlankOrAControlCharacterKeepTheirFields) {
    const std::vector<std::string> lines = {
        "* relevé\x01 du jour",
        "7 A B              1001                 0.0000     0.0008 0.0000   0.0000   0.0000 ",
        "5 A B              P 2001              12.3456     0.0008 0.0000   0.0000   0.0000 ",
        // Typed by hand: read by blanks, as always.
        "5 S1 T1 12.3456 0.0008 0.0000 1.5 1.6 x",
        "6 S\tX T1 98.7654 0.0012",
    };
    const ObsReading reading = ReadObsLines(lines, RenormSign::Unsigned);
    ASSERT_EQ(reading.records.size(), 5u);
    EXPECT_EQ(reading.records[3].from, "S1");
    EXPECT_EQ(reading.records[3].to, "T1");
    EXPECT_EQ(reading.records[1].from, "A_B");
    EXPECT_EQ(reading.records[1].to, "1001");
    EXPECT_EQ(reading.records[1].value, "0.0000");
    EXPECT_EQ(reading.records[1].sigma, "0.0008");
    EXPECT_EQ(reading.records[2].to, "P_2001");
    EXPECT_EQ(reading.records[2].value, "12.3456");
    EXPECT_EQ(reading.warnings,
              (std::vector<std::string>{"ligne 2 : le nom « A B » contient un blanc, il devient « A_B »",
                                        "ligne 3 : le nom « A B » contient un blanc, il devient « A_B »",
                                        "ligne 3 : le nom « P 2001 » contient un blanc, il devient « P_2001 »"}));
    const std::vector<std::string> renormalised = Renormalised(lines, RenormSign::Signed);
    EXPECT_EQ(renormalised, (std::vector<std::string>{
                                "* fichier créé le 06/12/2026 à 09:12:31", "", "* relevé? du jour", "",
                                "7 A_B              1001                 0.0000     0.0008     0.0000  0.0000   0.0000",
                                "5 A_B              P_2001              12.3456     0.0008     0.0000  0.0000   0.0000",
                                "5 S1               T1                  12.3456     0.0008     0.0000  1.5000   1.6000",
                                "",
                                "6 S?X              T1                  98.7654     0.0012     0.0000  0.0000   0.0000"}));
    const std::vector<std::string> iob = Geolab(lines);
    EXPECT_EQ(iob[19], "* relevé? du jour");
    EXPECT_EQ(iob[22].substr(0, 36), " DIR      A_B          1001         ");
    EXPECT_EQ(iob[23].substr(23, 6), "P_2001");
    EXPECT_EQ(iob[26].substr(10, 3), "S?X");
    std::vector<std::string> warnings;
    ConvertObsToGeolab(lines, "m.obs", Path("w.iob"), "", NoProgress(), &warnings);
    EXPECT_EQ(warnings, reading.warnings);

    // Names past 16 characters are cut in every output: two names alike in
    // their first 16 become one point, which is told once a pair; a long
    // name alone is not.
    const ObsReading cut = ReadObsLines({"4 REPERE_NIVELLEMENT_1 REPERE_NIVELLEMENT_2 0.1500 0.0005",
                                         "4 REPERE_NIVELLEMENT_1 BORNE_DU_CARREFOUR_3 0.1 0.001"},
                                        RenormSign::Unsigned);
    ASSERT_EQ(cut.records.size(), 2u);
    EXPECT_EQ(cut.records[0].from, cut.records[0].to);
    EXPECT_EQ(cut.warnings,
              (std::vector<std::string>{"ligne 1 : les noms « REPERE_NIVELLEMENT_1 » et « REPERE_NIVELLEMENT_2 » ont "
                                        "les mêmes 16 premiers caractères, ils deviennent un seul point « "
                                        "REPERE_NIVELLEME »"}));
}

// Angles laid out from their value: leading zeros, a "+" or a "-" typed
// in the file no longer push the sign out of its column, and the values
// of today's files give the same bytes.
TEST_F(ObsConvertTest, GeolabAnglesFromTheirValue) {
    const std::vector<ObsRecord> r =
        ReadObsLines({"6 S1 T1 0123.4567 0.0012", "6 S1 T1 123.4567 0.0012", "6 S1 T1 +12.3456 0.0012",
                      "6 S1 T1 12.3456 0.0012", "6 S1 T1 -12.3456 0.0012", "6 S1 T1 -0.000001 0.0012",
                      "6 S1 T1 399.99999 0.0012", "6 S1 T1 .5 0.0012", "6 S1 T1 1234.5 0.0012"},
                     RenormSign::Unsigned)
            .records;
    auto angle = [&](std::size_t i) { return GeolabObsAngleLine(" ZANG", r[i]).substr(49, 15); };
    EXPECT_EQ(angle(0), "+123 45    67.0");
    EXPECT_EQ(GeolabObsAngleLine(" ZANG", r[0]), GeolabObsAngleLine(" ZANG", r[1]));
    EXPECT_EQ(angle(2), "+ 12 34    56.0");
    EXPECT_EQ(GeolabObsAngleLine(" ZANG", r[2]), GeolabObsAngleLine(" ZANG", r[3]));
    EXPECT_EQ(angle(4), "- 12 34    56.0");
    EXPECT_EQ(angle(5), "+  0  0     0.0");  // no "-0"
    EXPECT_EQ(angle(6), "+399 99    99.9");
    EXPECT_EQ(angle(7), "+  0 50     0.0");
    EXPECT_THROW(GeolabObsAngleLine(" ZANG", r[8]), ObsValueError);
}

// A .cor point whose standard deviations are 0 is fixed, not constrained
// by a covariance of zeros; an observation whose standard deviation is 0
// is refused and one that rounds to 0 keeps the decimals it needs: every
// such .gkf is one gama-local accepts.
TEST_F(ObsConvertTest, ZeroStandardDeviationsNeverReachTheGamaFile) {
    Param().renormalisation = false;  // the sigmas as written (a renormalisation keeps 4 decimals)
    const std::vector<std::string> cor = {"1 S1 1000.000 2000.000 100.000 0 0", "1 S2 1100.000 2000.000 101.000 0 0.002",
                                          "2 S3 1000.000 2100.000 99.000 0 0", "3 S4 1100.000 2100.000 98.000 0.001 0",
                                          "0 T1 1050 2050 100"};
    const std::vector<std::string> obs = {
        "7 S1 T1 0.0000 0.0008", "5 S1 S2 100.0000 0.0008", "5 S1 S3 0.0000 0.0008", "6 S1 T1 100.0000 0.00004",
        "3 S1 T1 70.7107 0.0010", "7 S2 T1 300.0000 0.0008", "5 S2 S1 300.0000 0.0008", "3 S2 T1 70.7107 0.0010",
        "7 S3 T1 100.0000 0.0008", "5 S3 S1 200.0000 0.0008", "3 S3 T1 70.7107 0.0010"};
    const std::string gkf = Joined(Gama(obs, cor));
    EXPECT_NE(gkf.find("<point id=\"S1\"             x=\"1000.000\" y=\"2000.000\" z=\"100.000\" fix=\"xyz\"/>\n"),
              std::string::npos)
        << gkf;
    EXPECT_NE(gkf.find("<point id=\"S2\"             x=\"1100.000\" y=\"2000.000\" z=\"101.000\" fix=\"xy\" adj=\"Z\"/>"),
              std::string::npos);
    EXPECT_NE(gkf.find("<point id=\"S3\"             x=\"1000.000\" y=\"2100.000\" z=\"99.000\" fix=\"xy\" adj=\"z\"/>"),
              std::string::npos);
    EXPECT_NE(gkf.find("<point id=\"S4\"             x=\"1100.000\" y=\"2100.000\" z=\"98.000\" fix=\"z\" adj=\"xy\"/>"),
              std::string::npos);
    EXPECT_NE(gkf.find("        <coordinates>\n"
                       "            <point id=\"S2\"             z=\"101.000\" adj=\"xyZ\"/>\n"
                       "            <cov-mat dim=\"1\" band=\"0\">\n"
                       "                4.00\n"
                       "            </cov-mat>\n"),
              std::string::npos)
        << gkf;
    EXPECT_NE(gkf.find("val=\"100.0000\" stdev=\"0.4\" />"), std::string::npos) << gkf;  // 0.4 cc, not "0"
    const std::string path = Path("zero.gkf");
    WriteTextLines(path, Gama(obs, cor), FileEncoding::Cp1252);

    try {
        ConvertObsToGama({"7 S1 T1 0.0000 0.0000"}, "m.obs", cor, "pts.cor", Path("z.gkf"));
        FAIL() << "no error";
    } catch (const ObsConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("ligne 1 : écart type « 0.0000 » nul"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(Path("z.gkf")));
    // Far under a millionth of a cc or mm: gama-local refuses it as it refuses 0.
    for (const char* line : {"7 S1 T1 0.0000 0.00000000001", "3 S1 T1 100.0000 0.0000000001 0 0 0"}) {
        EXPECT_THROW(ConvertObsToGama({line}, "m.obs", cor, "pts.cor", Path("z.gkf")), ObsConversionError) << line;
        EXPECT_FALSE(std::filesystem::exists(Path("z.gkf")));
    }

    SKIP_WITHOUT_GAMA_LOCAL();
    const exports_test::GamaVerdict v = exports_test::RunGamaLocal(path);
    EXPECT_TRUE(v.accepted) << v.error;
    EXPECT_TRUE(v.adjusted) << v.error;
}

// The conversions read their records as they stream by: from a file they
// give the same outputs as from the document's lines.
TEST_F(ObsConvertTest, StreamedFromAFileAsFromTheLines) {
    const std::vector<std::string> lines = ReadTextLines(std::string(KESTROVA_TEST_DATA) + "/obsconv/reseau.obs");
    const std::vector<std::string> cor = ReadTextLines(std::string(KESTROVA_TEST_DATA) + "/obsconv/reseau.cor");
    Param().Dp_mult = 2.0;
    ConvertObsToGeolab(lines, "reseau.obs", Path("a.iob"), Path("a_2.obs"));
    ConvertObsToGama(lines, "reseau.obs", cor, "reseau.cor", Path("a.gkf"));
    TFileLineSource iob(std::string(KESTROVA_TEST_DATA) + "/obsconv/reseau.obs");
    ConvertObsToGeolab(iob, "reseau.obs", Path("b.iob"), Path("b_2.obs"), NoProgress(), nullptr);
    TFileLineSource gkf(std::string(KESTROVA_TEST_DATA) + "/obsconv/reseau.obs");
    ConvertObsToGama(gkf, "reseau.obs", cor, "reseau.cor", Path("b.gkf"), NoProgress(), nullptr);
    EXPECT_EQ(ReadFileBytes(Path("a.iob")), ReadFileBytes(Path("b.iob")));
    EXPECT_EQ(ReadCrLfLines(Path("a_2.obs")).size(), ReadCrLfLines(Path("b_2.obs")).size());
    EXPECT_EQ(ReadFileBytes(Path("a.gkf")), ReadFileBytes(Path("b.gkf")));
}

// A renormalised file is an observation file again: a height that fills
// its columns is kept apart from the field before it.
TEST_F(ObsConvertTest, RenormalisedFileReadsAgain) {
    const std::vector<std::string> lines = {"3 S1 T1 12.5000 0.0010 0.0000 -123.4560 1.6000",
                                            "6 S1 T1 99.5000 0.0012 0.0000 1.5500 1.6000"};
    const std::vector<std::string> out = Renormalised(lines, RenormSign::Signed);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[2], "3 S1               T1                  12.5000     0.0010     0.0000 -123.4560   1.6000");
    EXPECT_EQ(out[4], "6 S1               T1                  99.5000     0.0012     0.0000  1.5500   1.6000");
    const ObsReading again = ReadObsLines(out, RenormSign::Signed);
    EXPECT_EQ(again.records[2].item7, "-123.4560");
    EXPECT_EQ(again.records[4].item7, "1.5500");
}

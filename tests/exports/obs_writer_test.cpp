#include "exports/obs_writer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "export_test_support.hpp"
#include "exports/gama_writer.hpp"
#include "exports/geolab_writer.hpp"
#include "exports/obs_records.hpp"

using namespace kestrova;
using namespace exports_test;
namespace fs = std::filesystem;

namespace {

const TExportTime kTime{2026, 12, 6, 9, 12, 31};

class ObsWriterTest : public WriterTest {};

}  // namespace

TEST_F(ObsWriterTest, SingleFileSortedByCodeWithAnInvalidStation) {
    const Tday_obs book = Reduce(Concat(TwoFaceStationLines(), HotStationLines()));
    const std::vector<std::string> expected = {
        "*Données reduites",
        "* /chantier/res.obs",
        "* fichier créé le 06/12/2026 à 09:12:31",
        "",
        "*Tours d'horizon",
        "* Station n°1 S1",
        "* Temperature : 12.0 °C - Pression : 760.0 mmHg - Correction meteo : 0.0 ppm",
        "* Date/heure debut :  ",
        "* Date/heure fin   :  ",
        "* Numero de cycle : 0",
        "",
        "7 S1               T1                   0.0000     0.0008 0.0000   0.0000   0.0000 ",
        "5 S1               T2                 100.0010     0.0008 0.0000   0.0000   0.0000 ",
        " ",
        "6 S1               T1                 100.0000     0.0012 0.0000   0.0000   0.0000 ",
        "6 S1               T2                  99.0000     0.0012 0.0000   0.0000   0.0000 ",
        "",
        "3 S1               T1                  50.0000     0.0010 0.0000   0.0000   0.0000 ",
        "3 S1               T2                  80.0000     0.0010 0.0000   0.0000   0.0000 ",
        "",
        "",  // the invalid station S9 leaves only its empty line
        " ",
    };
    EXPECT_EQ(ObsFileLines(book, "/chantier/res.obs", kTime), expected);
}

TEST_F(ObsWriterTest, ObservationSortKeepsEachTargetTogetherAndModeOnlyChangesTheCodeOrder) {
    std::vector<std::string> lines = TwoFaceStationLines();
    lines[2] += " mode RL";  // T2 in face left measured without prism
    lines.push_back("  numero T3 AH_gr 150.0000 AV_gr 100.0000 Dp_m 0.0300 ppm_cste_mm 0000+000 hv_m 1.600");
    lines.push_back("  numero T3 AH_gr 350.0000 AV_gr 300.0000 Dp_m 0.0000 ppm_cste_mm 0000+000 hv_m 1.600");
    const Tday_obs book = Reduce(lines);

    auto obs = ObsFileLines(book, "x.obs", kTime);
    // code order: T2 has the mode flag, so its distance gets sigma_DpRL;
    // T3 (3 cm) has no distance line.
    EXPECT_EQ(obs[20], "3 S1               T2                  80.0000     0.0025 0.0000   0.0000   0.0000 ");
    EXPECT_EQ(obs[21], "");
    EXPECT_EQ(std::count_if(obs.begin(), obs.end(), [](const std::string& l) { return l.rfind("3 ", 0) == 0; }), 2);

    Param().tri_fichier_brelix = "obs";
    obs = ObsFileLines(book, "x.obs", kTime);
    const std::vector<std::string> block(obs.begin() + 11, obs.begin() + 21);
    const std::vector<std::string> expected = {
        "7 S1               T1                   0.0000     0.0008 0.0000   0.0000   0.0000 ",
        "6 S1               T1                 100.0000     0.0012 0.0000   0.0000   0.0000 ",
        "3 S1               T1                  50.0000     0.0010 0.0000   0.0000   0.0000 ",
        "5 S1               T2                 100.0010     0.0008 0.0000   0.0000   0.0000 ",
        "6 S1               T2                  99.0000     0.0012 0.0000   0.0000   0.0000 ",
        "3 S1               T2                  80.0000     0.0010 0.0000   0.0000   0.0000 ",
        "5 S1               T3                 150.0000     0.0008 0.0000   0.0000   0.0000 ",
        "6 S1               T3                 100.0000     0.0012 0.0000   0.0000   0.0000 ",
        " ",
        "",
    };
    EXPECT_EQ(block, expected);
}

TEST_F(ObsWriterTest, HeightsCommentsAndDecimals) {
    std::vector<std::string> lines = TwoFaceStationLines();
    lines[2] += " * 50% masqué";
    Param().angle = 5;
    Param().longueur = 3;
    Tday_obs book = Reduce(lines);

    auto obs = ObsFileLines(book, "x.obs", kTime);
    // Heights not exported: zero columns although they are known.
    EXPECT_EQ(obs[12], "5 S1               T2                100.00100    0.00080 0.0000   0.0000   0.0000  * 50% masqué");
    EXPECT_EQ(obs[18], "3 S1               T2                   80.000      0.001 0.0000   0.0000   0.0000  * 50% masqué");

    Param().export_hauteurs_brelix = "Y";
    book = Reduce(lines);
    obs = ObsFileLines(book, "x.obs", kTime);
    EXPECT_EQ(obs[11], "7 S1               T1                  0.00000    0.00080 0.0000   1.5500   1.6000 ");
    EXPECT_EQ(obs[15], "6 S1               T2                 99.00000    0.00120 0.0000   1.5500   1.7000  * 50% masqué");
}

TEST_F(ObsWriterTest, AllStationsInvalidGiveHeaderAndEmptyLines) {
    const Tday_obs book = Reduce(Concat(HotStationLines("A"), HotStationLines("B")));
    const auto obs = ObsFileLines(book, "x.obs", kTime);
    const std::vector<std::string> tail(obs.begin() + 3, obs.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"", "*Tours d'horizon", "", "", " "}));
}

TEST_F(ObsWriterTest, StationIdentifiersAreZeroFilled) {
    TStation st;
    st.DOY_debut = 34;
    st.dsec_debut = 5230;
    st.cycle = 12;
    EXPECT_EQ(ObsStationIdentifier(st), "034-05230-00012");
    st = TStation();
    st.cycle = -1;
    EXPECT_EQ(ObsStationIdentifier(st), "000-00000-000-1");
    EXPECT_EQ(ObsStationFileName("/data/suivi.obs", st), "/data/suivi/suivi_000-00000-000-1.obs");
}

TEST_F(ObsWriterTest, PerStationFilesForValidStationsOnly) {
    std::vector<std::string> lines = TwoFaceStationLines();
    lines[2] += " mode RL";
    Tday_obs book = Reduce(Concat(Concat(lines, HotStationLines()), TwoFaceStationLines()));
    book.avec_cycles = true;
    book.stations[0].cycle = 12;
    book.stations[0].DOY_debut = 34;
    book.stations[0].dsec_debut = 5230;
    book.stations[0].date_debut = "03/02/2026";
    book.stations[0].heure_debut = "01:27:10";
    book.stations[0].date_fin = "03/02/2026";
    book.stations[0].heure_fin = "01:31:02";
    book.stations[2].cycle = -1;  // no cycle attribute in the XML form

    const std::string out = Path("suivi.obs");
    std::string error;
    std::vector<std::string> written;
    ASSERT_TRUE(WriteObsFilesPerStation(book, out, &error, &written)) << error;
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0], Path("suivi/suivi_034-05230-00012.obs"));
    EXPECT_EQ(written[1], Path("suivi/suivi_000-00000-000-1.obs"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "suivi"), fs::directory_iterator()), 2);

    const auto first = ReadCrLfLines(written[0]);
    ASSERT_EQ(first.size(), 18u);
    EXPECT_EQ(first[0], "*Données reduites");
    EXPECT_EQ(first[1], "* " + out);
    EXPECT_EQ(first[3], "");
    EXPECT_EQ(first[4], "* Station n°1 S1");
    EXPECT_EQ(first[6], "* Date/heure debut : 03/02/2026 01:27:10");
    EXPECT_EQ(first[7], "* Date/heure fin   : 03/02/2026 01:31:02");
    EXPECT_EQ(first[8], "* Numero de cycle : 12");
    // The mode flag does not change sigma in a station's own file, and the
    // file ends with its last observation line.
    EXPECT_EQ(first.back(), "3 S1               T2                  80.0000     0.0010 0.0000   0.0000   0.0000 ");

    const auto third = ReadCrLfLines(written[1]);
    EXPECT_EQ(third[4], "* Station n°3 S1");
    EXPECT_EQ(third[6], "");  // no cycle: no date lines
}

TEST_F(ObsWriterTest, WriteFailureReportsAndLeavesNothing) {
    const Tday_obs book = Reduce(TwoFaceStationLines());
    std::string error;
    const std::string bad = Path("absent/res.obs");
    EXPECT_FALSE(WriteObsFile(book, bad, &error));
    EXPECT_NE(error.find(bad), std::string::npos);
    EXPECT_FALSE(fs::exists(bad));

    // A file where the per-station directory should be.
    std::ofstream(Path("serie")) << "x";
    EXPECT_FALSE(WriteObsFilesPerStation(book, Path("serie.obs"), &error));

    ASSERT_TRUE(WriteObsFile(book, Path("res.obs"), &error)) << error;
    const std::string bytes = ReadBytes(Path("res.obs"));
    EXPECT_EQ(bytes.substr(0, 19), "*Donn\xE9" "es reduites\r\n");
    EXPECT_EQ(bytes.substr(bytes.size() - 5), "\r\n \r\n");
}

// A name with a blank (an XML book's target "P 2001") would split into two
// fields of the blank-separated .obs and .iob: it is written with "_",
// named in a warning, and read back whole by the converters.
TEST_F(ObsWriterTest, NamesWithABlankAreWrittenWithAnUnderscore) {
    Tday_obs book = Reduce(TwoFaceStationLines());
    ASSERT_EQ(book.stations[0].pts_vise.size(), 2u);
    book.stations[0].pts_vise[1].pt_vis = "P 2001";
    const std::vector<std::string> obs = ObsFileLines(book, "res.obs", kTime);
    EXPECT_NE(std::find(obs.begin(), obs.end(),
                        "5 S1               P_2001             100.0010     0.0008 0.0000   0.0000   0.0000 "),
              obs.end());
    for (const std::string& line : obs) EXPECT_EQ(line.find("P 2001"), std::string::npos) << line;
    const std::vector<std::string> iob = GeolabFileLines(book);
    bool found = false;
    for (const std::string& line : iob) {
        EXPECT_EQ(line.find("P 2001"), std::string::npos) << line;
        found = found || line.find(" P_2001 ") != std::string::npos;
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(BlankNameWarnings(book),
              (std::vector<std::string>{"Station n°1 : le nom de cible « P 2001 » contient un blanc, il devient "
                                        "« P_2001 » dans les fichiers .obs et .iob"}));
    const ObsReading again = ReadObsLines(obs, RenormSign::Unsigned);
    bool read = false;
    for (const ObsRecord& r : again.records) read = read || (r.to == "P_2001" && r.value == "100.0010");
    EXPECT_TRUE(read);
    book.stations[0].pts_vise[1].pt_vis = "T2";
    EXPECT_TRUE(BlankNameWarnings(book).empty());
}

TEST_F(ObsWriterTest, APointingWithoutZenithAngleGivesNoZenithObservationInAnyFile) {
    // One face: T1 complete, T2 with a direction and a distance but no zenith
    // angle (written 0 in the book), T3 with a direction only.
    const Tday_obs book = Reduce({
        " station S1 Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.550",
        "  numero T1 AH_gr 0.0000 AV_gr 100.0000 Dp_m 50.0000 ppm_cste_mm 0000+000 hv_m 1.600",
        "  numero T2 AH_gr 100.0010 AV_gr 0.0000 Dp_m 80.0000 ppm_cste_mm 0000+000 hv_m 1.700",
        "  numero T3 AH_gr 150.0000 AV_gr 0.0000 Dp_m 0.0000 ppm_cste_mm 0000+000 hv_m 1.700",
    });
    ASSERT_EQ(book.stations.size(), 1u);
    ASSERT_TRUE(book.stations[0].valid);
    auto count = [](const std::vector<std::string>& lines, const std::string& part) {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.find(part) != std::string::npos; });
    };
    for (const char* order : {"code", "obs"}) {
        Param().tri_fichier_brelix = order;
        const std::vector<std::string> obs = ObsFileLines(book, "x.obs", kTime);
        EXPECT_EQ(count(obs, "6 S1               T1                 100.0000"), 1) << order;
        EXPECT_EQ(count(obs, "6 S1"), 1) << order;
        EXPECT_EQ(count(obs, "5 S1               T2"), 1) << order;
        EXPECT_EQ(count(obs, "3 S1               T2                  80.0000"), 1) << order;
        EXPECT_EQ(count(obs, "5 S1               T3"), 1) << order;
        const std::vector<std::string> gkf = GamaFileLines(book, "x.gkf", kTime);
        EXPECT_EQ(count(gkf, "<z-angle"), 1) << order;
        EXPECT_EQ(count(gkf, "<direction"), 3) << order;
        EXPECT_EQ(count(gkf, "<s-distance"), 2) << order;
    }
    const std::vector<std::string> iob = GeolabFileLines(book);
    EXPECT_EQ(count(iob, " ZANG ZA"), 1);
    EXPECT_EQ(count(iob, " DIR"), 3);
}

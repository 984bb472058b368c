#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/param.hpp"
#include "base/text_file.hpp"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "ini" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        ::setenv("Kestrova", dir_.c_str(), 1);
        Param() = TParam();
        LastFolder().clear();
        SetParamMessageSinks([this](const std::string& m) { infos_.push_back(m); },
                             [this](const std::string& m) { errors_.push_back(m); });
    }
    void WriteIni(const std::string& text) {
        fs::create_directories(dir_);
        std::ofstream(dir_ / "Kestrova.ini", std::ios::binary) << text;
    }
    std::string IniText() { return ReadFileBytes((dir_ / "Kestrova.ini").string()); }

    fs::path dir_;
    std::vector<std::string> infos_, errors_;
};

}  // namespace

TEST_F(IniTest, FirstStartCreatesTheFileWithEveryDefault) {
    read_ini();
    ASSERT_EQ(infos_.size(), 1u);
    EXPECT_EQ(infos_[0], "Création du fichier " + (dir_ / "Kestrova.ini").string());
    EXPECT_TRUE(errors_.empty());
    const std::string ini = IniText();
    // The folder proposed by a new file is the user's home, never a drive letter.
    EXPECT_NE(ini.find("[general]\r\ndefault_directory=" + HomeDirectory() + "\r\n"), std::string::npos);
    EXPECT_EQ(ini.find("C:\\"), std::string::npos);
    for (const char* line : {"entete_gsi=TS\r\n", "sigma_Hz=0.00080\r\n",
                             "sigma_DpRL=0.0025\r\n", "formule_meteo=Barrel_Sears\r\n", "Temp_std=285.15\r\n",
                             "nivellement=5\r\n", "ligne1= COMP ADJ\r\n", "ligne15= LDEC 4\r\n",
                             "ligne5=  <network axes-xy=\"en\" angles=\"left-handed\" >\r\n", "ligne3=\r\n",
                             "renormalisation=Y\r\n", "AH_add=0.0000\r\n", "Dn_mult=1.0000\r\n"})
        EXPECT_NE(ini.find(line), std::string::npos) << line;
    EXPECT_TRUE(Param().renormalisation);
    EXPECT_FLOAT_EQ(Param().sigma_Hz, 0.0008f);
    EXPECT_EQ(Param().geolab[0], "COMP ADJ");
}

// The values a first run holds are those every later run reads back.
TEST_F(IniTest, FirstRunAndSecondRunHoldTheSameValues) {
    read_ini();
    const TParam first = Param();
    Param() = TParam();
    read_ini();
    const TParam& second = Param();
    EXPECT_EQ(first.geolab, second.geolab);
    EXPECT_EQ(first.gnu, second.gnu);
    EXPECT_EQ(first.default_directory, second.default_directory);
    EXPECT_FLOAT_EQ(first.Temp_std, second.Temp_std);
    EXPECT_EQ(second.geolab[1], "ELIP GRS 80                 6378137  6356752.3141   0.0000   0.0000   0.0000 m");
    EXPECT_EQ(second.gnu[4], "<network axes-xy=\"en\" angles=\"left-handed\" >");
    EXPECT_EQ(infos_.size(), 1u);
}

TEST_F(IniTest, RejectedValuesTakeTheirReplacement) {
    WriteIni(
        "[import]\nentete_gsi=Leica\n"
        "[export]\ntri_fichier_brelix=obs\nexport_hauteurs_brelix=y\nuse_first_target_for_Z0_estimation=A\n"
        "[ecarttype]\nsigma_Hz=abc\nsigma_V=8e-4\nppm=2.5\n"
        "[distancemetre]\nformule_meteo=leica\nuse_meteo_entete_station=N\nlambda=  0.91  \n"
        "[decimales]\nangle=x\nlongueur=3\n"
        "[parametres_renormalisation]\nrenormalisation=n\nAH_mult=1.0005\nDp_add=zz\n");
    read_ini();
    const TParam& p = Param();
    EXPECT_TRUE(infos_.empty());
    EXPECT_EQ(p.entete_gsi, "TS");
    EXPECT_EQ(p.tri_fichier_brelix, "obs");
    EXPECT_EQ(p.export_hauteurs_brelix, "N");
    EXPECT_EQ(p.use_first_target_for_Z0_estimation, "N");
    EXPECT_FLOAT_EQ(p.sigma_Hz, 0.0008f);
    EXPECT_FLOAT_EQ(p.sigma_V, 0.0008f);
    EXPECT_EQ(p.ppm, 1);
    EXPECT_EQ(p.formule_meteo, "Barrel_Sears");
    EXPECT_EQ(p.use_meteo_entete_station, "N");
    EXPECT_FLOAT_EQ(p.lambda, 0.91f);
    EXPECT_EQ(p.angle, 4);
    EXPECT_EQ(p.longueur, 3);
    EXPECT_TRUE(p.renormalisation);  // only "N" switches it off
    EXPECT_DOUBLE_EQ(p.AH_mult, 1.0005);
    EXPECT_DOUBLE_EQ(p.Dp_add, 0.0);
    // Absent keys take their defaults.
    EXPECT_EQ(p.default_directory, HomeDirectory());
    EXPECT_EQ(p.nivellement, 5);
    EXPECT_EQ(p.geolab[13], "ANGT GRD");  // an absent header line reads like a written one
}

TEST_F(IniTest, WrittenValuesReadBackUnchanged) {
    read_ini();
    TParam& p = Param();
    p.entete_gsi = "tc800";
    p.tri_fichier_brelix = "obs";
    p.export_hauteurs_brelix = "Y";
    p.use_first_target_for_Z0_estimation = "Y";
    p.sigma_Hz = 0.0005f;
    p.sigma_DpRL = 0.003f;
    p.formule_meteo = "Leica";
    p.use_meteo_entete_station = "N";
    p.angle = 5;
    p.renormalisation = false;
    p.AV_mult = 1.25;
    p.Dn_add = -0.0012;
    LastFolder() = "/home/geo/chantier";
    write_ini();
    EXPECT_EQ(p.default_directory, "/home/geo/chantier");

    Param() = TParam();
    read_ini();
    const TParam& q = Param();
    EXPECT_EQ(q.entete_gsi, "tc800");
    EXPECT_EQ(q.tri_fichier_brelix, "obs");
    EXPECT_EQ(q.export_hauteurs_brelix, "Y");
    EXPECT_EQ(q.use_first_target_for_Z0_estimation, "Y");
    EXPECT_FLOAT_EQ(q.sigma_Hz, 0.0005f);
    EXPECT_FLOAT_EQ(q.sigma_DpRL, 0.003f);
    EXPECT_EQ(q.formule_meteo, "Leica");
    EXPECT_EQ(q.use_meteo_entete_station, "N");
    EXPECT_EQ(q.angle, 5);
    EXPECT_FALSE(q.renormalisation);
    EXPECT_DOUBLE_EQ(q.AV_mult, 1.25);
    EXPECT_DOUBLE_EQ(q.Dn_add, -0.0012);
    EXPECT_EQ(q.default_directory, "/home/geo/chantier");
    const std::string ini = IniText();
    EXPECT_NE(ini.find("sigma_Hz=0.00050\r\n"), std::string::npos);
    EXPECT_NE(ini.find("Dn_add=-0.0012\r\n"), std::string::npos);
    EXPECT_NE(ini.find("ligne1= COMP ADJ\r\n"), std::string::npos);  // header lines never rewritten
}

TEST_F(IniTest, WriteWithoutFileWritesNothing) {
    write_ini();
    EXPECT_FALSE(FileExists((dir_ / "Kestrova.ini").string()));
}

TEST_F(IniTest, UnwritableFolderIsReportedAndDefaultsStay) {
    fs::create_directories(dir_);
    ::setenv("Kestrova", (dir_ / "file_not_dir").c_str(), 1);
    std::ofstream(dir_ / "file_not_dir") << "x";
    read_ini();
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].rfind("Impossible de créer le fichier ", 0), 0u);
    EXPECT_EQ(Param().entete_gsi, "TS");
    EXPECT_TRUE(Param().renormalisation);
}

// The console as a hostile user meets it: a full disk in the middle of a
// reduction, output names that name no file, a display that does not
// answer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "e2e/run_binary.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;

namespace {

const fs::path kData = fs::path(KESTROVA_TEST_DATA) / "crt2obs";

class ReliabilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(KESTROVA_TEST_TMP) / "reliability" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "res");
        env_ = "Kestrova=" + ShellQuote((dir_ / "ini").string());
    }
    e2e::RunResult Reduce(const std::string& book, const std::string& out, const std::string& env = "") {
        return RunKestrova("-x crt2obs -i " + ShellQuote((kData / book).string()) + " -o " + ShellQuote(out),
                           env_ + " " + env, dir_);
    }
    // Every file under res/, with its bytes.
    std::map<std::string, std::string> Folder() const {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::directory_iterator(dir_ / "res")) files[e.path().filename().string()] = Slurp(e.path());
        return files;
    }
    fs::path dir_;
    std::string env_;
};

}  // namespace

TEST_F(ReliabilityTest, DiskFullOnALaterOutputLeavesTheEarlierRunWhole) {
    const std::string out = (dir_ / "res" / "chantier").string();
    ASSERT_EQ(Reduce("text_book.crt", out).status, 0);
    const auto before = Folder();
    ASSERT_EQ(before.size(), 6u);

    // Another book to the same name; every write to the .iob's temporary
    // fails as on a full disk, after the .chk, .xml, .xsl and .obs are done.
    const auto r = Reduce("xml_book.xcrt", out,
                          "LD_PRELOAD=" + ShellQuote(KESTROVA_WRITE_SHIM) + " KESTROVA_FAIL_WRITE=.chantier.iob.");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Impossible d'écrire le fichier " + out + ".iob : "), std::string::npos) << r.err;
    EXPECT_EQ(Folder(), before) << "a file of the failed run replaced one of the earlier run, or a temporary is left";

    // The same run without the fault replaces the whole set.
    ASSERT_EQ(Reduce("xml_book.xcrt", out).status, 0);
    const auto after = Folder();
    ASSERT_EQ(after.size(), 6u);
    for (const auto& [name, bytes] : after) {
        if (name != "chantier.xsl") {
            EXPECT_NE(bytes, before.at(name)) << name;  // the stylesheet never changes
        }
    }
}

TEST_F(ReliabilityTest, OutputNameThatNamesNoFileIsABadCommandLine) {
    for (const std::string& out : {std::string(), std::string("res/"), (dir_ / "res").string() + "/", std::string("res/.obs"),
                                  std::string(".")}) {
        SCOPED_TRACE(out);
        for (const char* cmd : {"crt2obs", "gsi2xcrt"}) {
            const auto r = RunKestrova(std::string("-x ") + cmd + " -i " + ShellQuote((kData / "text_book.crt").string()) +
                                           " -o " + ShellQuote(out),
                                       env_, dir_);
            EXPECT_EQ(r.status, 2) << cmd;
            EXPECT_NE(r.err.find("Nom de sortie incorrect"), std::string::npos) << r.err;
            EXPECT_NE(r.out.find("Param o : " + out + "\n"), std::string::npos) << r.out;
        }
    }
    EXPECT_TRUE(Folder().empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2) << "only res/ and ini/";
}

TEST_F(ReliabilityTest, DisplaySetButUnreachableIsReportedInsteadOfAborting) {
    int n = 73;
    while (fs::exists("/tmp/.X11-unix/X" + std::to_string(n))) ++n;
    const std::string env = "-u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY=:" + std::to_string(n) + " " + env_;
    const auto r = RunKestrova("", env, dir_);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Aucun affichage graphique"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("kestrova -x crt2obs"), std::string::npos) << r.err;
}

TEST_F(ReliabilityTest, XmlBookFaultIsNamedWithItsLine) {
    std::ofstream(dir_ / "suivi.xcrt") << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<carnet>\n<etalonnages>\n"
                                          "<etalonnage num=\"1\" serial=\"1\" Ddep=\"inf\" Dmax=\"9\" P=\"1\" "
                                          "deg_Fourier=\"0\" deg_polynome=\"0\" n_corr_interp=\"0\"/>\n"
                                          "</etalonnages>\n<stations/>\n</carnet>\n";
    const auto r = RunKestrova("-x crt2obs -i suivi.xcrt -o res/suivi", env_, dir_);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Problème de lecture du fichier Carnet suivi.xcrt : aucune station lue, rien n'est écrit\n"
                         "Lecture arrêtée : ligne 4, élément etalonnage, attribut Ddep = \"inf\" : nombre attendu\n"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(Folder().empty());
}

TEST_F(ReliabilityTest, SignalOnceTheCommitHasBegunLetsTheRunEndNormally) {
    // Each rename waits a quarter of a second: the signal comes while the
    // files are being put in place.
    const fs::path book = dir_ / "book.crt";
    fs::copy_file(fs::path(KESTROVA_TEST_DATA) / "rename/book.crt", book);
    struct Case {
        const char* signal;
        const char* on;  // the outputs' name
        std::string args;
        std::vector<std::string> files;
    };
    const std::vector<Case> cases = {
        {"TERM", "chantier", "-x crt2obs -i book.crt -o res/chantier",
         {"chantier.chk", "chantier.iob", "chantier.obs", "chantier.xml", "chantier.xsl", "chantier_out.gsi"}},
        {"INT", "book.crt", "-x rename -i book.crt --from 12 --to 12A", {}},
        {"HUP", "menu", "-x reduce -i book.crt -o res/menu", {"menu.chk", "menu.gkf", "menu.iob", "menu.obs", "menu.xml",
                                                        "menu.xsl", "menu_out.gsi"}},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        fs::remove(dir_ / "began");
        const std::string script =
            "cd " + ShellQuote(dir_.string()) + " && ( env " + env_ + " LD_PRELOAD=" + ShellQuote(KESTROVA_WRITE_SHIM) +
            " KESTROVA_SLOW_RENAME=began KESTROVA_SLOW_RENAME_ON=" + c.on + " " + ShellQuote(KESTROVA_BIN) + " " + c.args +
            " >out.txt 2>err.txt & pid=$!; while [ ! -e began ]; do sleep 0.01; done; kill -" + c.signal +
            " $pid; wait $pid; echo $? >rc.txt )";
        ASSERT_EQ(std::system(script.c_str()), 0);
        const std::string err = Slurp(dir_ / "err.txt");
        EXPECT_EQ(Slurp(dir_ / "rc.txt"), "0\n") << err;
        EXPECT_EQ(err.find("Interrompu"), std::string::npos) << err;
        for (const std::string& f : c.files) expected.push_back(f);
    }
    // Every set landed whole, no temporary and no lock left.
    std::vector<std::string> names;
    for (const auto& [name, bytes] : Folder()) names.push_back(name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_NE(Slurp(book).find(" numero       12A AH_gr"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir_ / "book.crt.backup"));
    for (const auto& e : fs::directory_iterator(dir_))
        EXPECT_EQ(e.path().filename().string().find(".lock"), std::string::npos) << e.path();
}

TEST_F(ReliabilityTest, WhatIsNotAFileOrNotANameIsRefusedByEveryCommand) {
    ASSERT_EQ(::mkfifo((dir_ / "tube").c_str(), 0600), 0);
    fs::create_directories(dir_ / "dossier");
    const std::string commands[] = {"crt2obs", "gsi2xcrt", "gsi2crt",  "gdm2crt", "gdm2xcrt", "shoot2crt",
                                    "crt2xcrt", "rename",   "gsi2na3",  "na32obs", "obs2tri",  "iob2tri",
                                    "iob2obs",  "reduce",   "obs2iob",  "obs2gkf", "renorm",   "report"};
    const std::string extra = " -c " + ShellQuote((kData / "text_book.crt").string()) + " --from 12 --to 13";
    for (const std::string& cmd : commands) {
        SCOPED_TRACE(cmd);
        // A pipe (which would block the reader) and a folder: one message.
        for (const char* input : {"tube", "dossier"}) {
            const auto r = RunKestrova("-x " + cmd + " -i " + input + " -o res/sortie" + extra, env_, dir_);
            EXPECT_EQ(r.status, 1) << input;
            EXPECT_NE(r.err.find("Impossible de lire le fichier " + std::string(input) +
                                 " : ce n'est pas un fichier ordinaire"),
                      std::string::npos)
                << r.err;
        }
        // A missing file is named in French.
        const auto missing = RunKestrova("-x " + cmd + " -i absent.crt -o res/sortie" + extra, env_, dir_);
        EXPECT_EQ(missing.status, 1);
        EXPECT_NE(missing.err.find("introuvable"), std::string::npos) << missing.err;
        EXPECT_EQ(missing.err.find("No such file"), std::string::npos) << missing.err;
    }
    // A name made of blanks names no file, as an empty one.
    for (const std::string& cmd : {"crt2obs", "reduce", "gsi2xcrt", "report"}) {
        const auto r = RunKestrova("-x " + cmd + " -i " + ShellQuote((kData / "text_book.crt").string()) +
                                       " -o ' ' ",
                                   env_, dir_);
        EXPECT_EQ(r.status, 2) << cmd;
        EXPECT_NE(r.err.find("Nom de sortie incorrect"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(Folder().empty());
}

TEST_F(ReliabilityTest, ValuesThatAreNotNumbersAreReadAsBeforeButTold) {
    std::string book = " station S1 Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.5\n"
                       "  numero T1 AH_gr 0.0000 AV_gr 100.0000 Dp_m 25.0000 ppm_cste_mm 0000+000 hv_m 1.600\n"
                       "  numero T2 AH_gr nan AV_gr 100.0000 Dp_m 25.0000 ppm_cste_mm 0000+000 hv_m 1.600\n"
                       "  numero T3 AH_gr abc AV_gr 100.0000 Dp_m 25.0000 ppm_cste_mm 0000+000 hv_m 1.600\n"
                       "  numero T4 AH_gr 132,1876 AV_gr 100.0000 Dp_m 25.0000 ppm_cste_mm 0000+000 hv_m 1.600\n"
                       "  numero T5 AH_gr\n";
    for (int n = 0; n < 20; ++n) book += "  numero T6 AH_gr 1.0 AV_gr 100.0000 Dp_m x" + std::to_string(n) + "\n";
    std::ofstream(dir_ / "book.crt") << book;
    for (const char* cmd : {"crt2obs", "reduce"}) {
        SCOPED_TRACE(cmd);
        const auto r = RunKestrova(std::string("-x ") + cmd + " -i book.crt -o res/" + cmd, env_, dir_);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("Avertissement : valeurs illisibles dans le fichier Carnet book.crt :\n"
                             "  ligne 3, AH_gr « nan » : pas un nombre, lu 0\n"
                             "  ligne 4, AH_gr « abc » : pas un nombre, lu 0\n"
                             "  ligne 5, AH_gr « 132,1876 » : pas un nombre (utilisez le point décimal), lu 0\n"
                             "  ligne 6, AH_gr sans valeur : pas un nombre, lu 0\n"
                             "  ligne 7, Dp_m « x0 » : pas un nombre, lu 0\n"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("  … et 4 autres valeurs illisibles\n"), std::string::npos) << r.err;
        // The listing names each one too, 20 a station, the rest counted.
        const std::string chk = Slurp(dir_ / "res" / (std::string(cmd) + ".chk"));
        EXPECT_NE(chk.find("Valeur illisible du fichier carnet, ligne 5, AH_gr \xab 132,1876 \xbb : pas un nombre "
                           "(utilisez le point d\xe9" "cimal), lu 0\r\n"),
                  std::string::npos);
        EXPECT_NE(chk.find("Valeur illisible du fichier carnet, ligne 22, Dp_m \xab x15 \xbb : pas un nombre, lu 0\r\n"
                           "\x85 et 4 autres valeurs illisibles dans cette station\r\n"),
                  std::string::npos);
    }
}

TEST_F(ReliabilityTest, CycleBookSetIsItsFolderWithoutStaleOrOtherForms) {
    const std::string cycles = Slurp(kData / "cycles_book.xcrt");
    const auto from = cycles.find("<station num=\"2\"");
    const auto to = cycles.find("</station>", from) + std::string("</station>").size();
    ASSERT_NE(from, std::string::npos);
    std::ofstream(dir_ / "moins.xcrt") << cycles.substr(0, from) + cycles.substr(to);
    auto reduce = [&](const fs::path& book) {
        const auto r = RunKestrova("-x reduce -i " + ShellQuote(book.string()) + " -o res/chantier", env_, dir_);
        EXPECT_EQ(r.status, 0) << r.err;
    };
    auto folder = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_ / "res" / "chantier")) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    };
    reduce(kData / "cycles_book.xcrt");
    std::ofstream(dir_ / "res" / "chantier" / "notes.txt") << "à garder\n";
    std::ofstream(dir_ / "res" / "chantier" / "chantier_ancien.obs") << "à garder\n";
    // The station removed from the book takes its file with it.
    reduce(dir_ / "moins.xcrt");
    EXPECT_EQ(folder(), (std::vector<std::string>{"chantier_000-00000-000-1.obs", "chantier_034-05230-00012.obs",
                                                  "chantier_ancien.obs", "notes.txt"}));
    EXPECT_FALSE(fs::exists(dir_ / "res" / "chantier.obs"));
    // A plain book to the same name: its .obs, and no station file left.
    reduce(kData / "text_book.crt");
    EXPECT_TRUE(fs::exists(dir_ / "res" / "chantier.obs"));
    EXPECT_EQ(folder(), (std::vector<std::string>{"chantier_ancien.obs", "notes.txt"}));
    // And back: the single .obs goes.
    reduce(kData / "cycles_book.xcrt");
    EXPECT_FALSE(fs::exists(dir_ / "res" / "chantier.obs"));
    EXPECT_EQ(folder().size(), 5u);
    // Without anything else in it, the folder goes with a plain book.
    fs::remove(dir_ / "res" / "chantier" / "notes.txt");
    fs::remove(dir_ / "res" / "chantier" / "chantier_ancien.obs");
    reduce(kData / "text_book.crt");
    EXPECT_FALSE(fs::exists(dir_ / "res" / "chantier"));
}

#include "exports/reduction_outputs.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/text_file.hpp"
#include "export_test_support.hpp"

using namespace kestrova;
using namespace exports_test;
namespace fs = std::filesystem;

namespace {

class ReductionOutputsTest : public WriterTest {};

}  // namespace

TEST_F(ReductionOutputsTest, NamesFollowTheObservationFile) {
    ReductionFiles f = ReductionFileNames("/data/res");
    EXPECT_EQ(f.obs, "/data/res.obs");
    EXPECT_EQ(f.chk, "/data/res.chk");
    EXPECT_EQ(f.xml, "/data/res.xml");
    EXPECT_EQ(f.xsl, "/data/res.xsl");
    EXPECT_EQ(f.iob, "/data/res.iob");
    EXPECT_EQ(f.gkf, "/data/res.gkf");
    EXPECT_EQ(f.gsi, "/data/res_out.gsi");

    f = ReductionFileNames("/data/v1.2/base.txt");
    EXPECT_EQ(f.obs, "/data/v1.2/base.obs");
    EXPECT_EQ(f.gsi, "/data/v1.2/base_out.gsi");
    f = ReductionFileNames("/data/v1.2/base");
    EXPECT_EQ(f.obs, "/data/v1.2/base.obs");
    f = ReductionFileNames("");
    EXPECT_EQ(f.obs, ".obs");
    EXPECT_EQ(f.gsi, "_out.gsi");
}

TEST_F(ReductionOutputsTest, ConsoleAndMenuOrders) {
    Tday_obs book = Reduce(TwoFaceStationLines());
    const ReductionFiles f = ReductionFileNames(Path("res"));
    EXPECT_EQ(WriteConsoleReductionOutputs(book, f),
              (std::vector<std::string>{f.chk, f.xml, f.xsl, f.obs, f.iob, f.gsi}));
    EXPECT_FALSE(fs::exists(f.gkf));
    EXPECT_EQ(WriteInteractiveReductionOutputs(book, f),
              (std::vector<std::string>{f.obs, f.chk, f.xml, f.xsl, f.gkf, f.iob, f.gsi}));

    book.avec_cycles = true;
    book.stations[0].cycle = 3;
    const auto written = WriteInteractiveReductionOutputs(book, f);
    ASSERT_EQ(written.size(), 7u);
    EXPECT_EQ(written[0], Path("res/res_000-00000-00003.obs"));
    EXPECT_TRUE(fs::exists(written[0]));
}

TEST_F(ReductionOutputsTest, FirstFailureStopsAndNamesTheFile) {
    const Tday_obs book = Reduce(TwoFaceStationLines());
    const ReductionFiles f = ReductionFileNames(Path("res"));
    std::ofstream(f.chk) << "ancien contenu\n";
    fs::create_directory(f.xml);  // the report cannot replace a directory
    try {
        WriteConsoleReductionOutputs(book, f);
        FAIL() << "no error";
    } catch (const TextFileError& e) {
        EXPECT_EQ(e.path(), f.xml);
        EXPECT_FALSE(e.reason().empty());
    }
    // Nothing is replaced: the listing of the earlier run stays as it was,
    // and no file of this run exists.
    EXPECT_EQ(ReadBytes(f.chk), "ancien contenu\n");
    EXPECT_FALSE(fs::exists(f.xsl));
    EXPECT_FALSE(fs::exists(f.obs));
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_NE(entry.path().filename().string().substr(0, 1), ".") << "temporary file left: " << entry.path();
}

TEST_F(ReductionOutputsTest, PerStationFailureNamesTheDirectoryOrTheStationFile) {
    Tday_obs book = Reduce(TwoFaceStationLines());
    book.avec_cycles = true;
    book.stations[0].cycle = 3;
    const ReductionFiles f = ReductionFileNames(Path("res"));

    // A file where the directory of the station files should be.
    std::ofstream(Path("res")) << "x";
    try {
        WriteInteractiveReductionOutputs(book, f);
        FAIL() << "no error";
    } catch (const TextFileError& e) {
        EXPECT_EQ(e.path(), Path("res"));
        EXPECT_EQ(e.reason().find(Path("res")), std::string::npos) << e.reason();
    }

    // A directory where a station file should be.
    fs::remove(Path("res"));
    const std::string stationFile = Path("res/res_000-00000-00003.obs");
    fs::create_directories(stationFile);
    try {
        WriteInteractiveReductionOutputs(book, f);
        FAIL() << "no error";
    } catch (const TextFileError& e) {
        EXPECT_EQ(e.path(), stationFile);
        EXPECT_EQ(e.reason().find(stationFile), std::string::npos) << e.reason();
        EXPECT_EQ(std::string(e.what()), stationFile + " : " + e.reason());
    }
    EXPECT_FALSE(fs::exists(f.chk)) << "nothing after the failing writer";

    // A later failure takes the station files back too; the station folder
    // made for the run goes with them.
    fs::remove_all(Path("res"));
    fs::create_directory(f.gsi);
    EXPECT_THROW(WriteInteractiveReductionOutputs(book, f), TextFileError);
    EXPECT_FALSE(fs::exists(Path("res")));
    EXPECT_FALSE(fs::exists(f.chk));
}

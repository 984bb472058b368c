// Console "report": the bundled example's reduction report to its HTML
// page, and the refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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

// Every reader of the console takes LF, CR LF and CR-only line ends alike:
// each command is fed the same input in the three forms and must write the
// same files and say the same things.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "e2e/run_binary.hpp"

namespace fs = std::filesystem;
using e2e::RunKestrova;
using e2e::ShellQuote;
using e2e::Slurp;

namespace {

const fs::path kData = fs::path(KESTROVA_TEST_DATA);

// The bytes with their line ends made LF, CR LF or CR alone.
std::string WithLineEnds(const std::string& bytes, const std::string& end) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        if (bytes[i] == '\n' || bytes[i] == '\r') out += end;
        else out += bytes[i];
    }
    return out;
}

struct TCommand {
    const char* name;
    std::vector<fs::path> inputs;  // the first is -i; a second is -c
    std::string out;               // -o
    std::vector<std::string> compared;  // files written, compared between the forms
};

// Lines that name the output's path or the time of the run are left out.
std::string Stable(const std::string& bytes) {
    std::string out;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        static const std::regex stamp("[0-9][0-9][/-][0-9][0-9][/-][0-9]{4}");
        const std::string line = bytes.substr(start, end - start);
        if (!std::regex_search(line, stamp) && line.find("/form_") == std::string::npos) out += line + "\n";
        start = end + 1;
    }
    return out;
}

}  // namespace

TEST(LineEnds, EveryReaderTakesTheThreeFormsAlike) {
    const fs::path root = fs::path(KESTROVA_TEST_TMP) / "line_ends";
    fs::remove_all(root);
    const std::vector<TCommand> commands = {
        {"crt2obs", {kData / "crt2obs" / "text_book.crt"}, "book", {"book.obs", "book.iob", "book_out.gsi"}},
        {"crt2xcrt", {kData / "crt2obs" / "text_book.crt"}, "book.xcrt", {"book.xcrt"}},
        {"reduce", {kData / "crt2obs" / "xml_book.xcrt"}, "xml", {"xml.obs", "xml.iob"}},
        {"gsi2crt", {kData / "gsi" / "station_set.gsi"}, "gsi.carnet", {"gsi.carnet"}},
        {"gsi2xcrt", {kData / "gsi" / "station_set.gsi"}, "gsi.xcrt", {"gsi.xcrt"}},
        {"gdm2crt", {kData / "import" / "chantier.gdm"}, "gdm.carnet", {"gdm.carnet"}},
        {"gdm2xcrt", {kData / "import" / "chantier.gdm"}, "gdm.xcrt", {"gdm.xcrt"}},
        {"shoot2crt", {kData / "import" / "surveillance.shoot"}, "suivi", {"suivi.crt", "suivi.xcrt"}},
        {"gsi2na3", {kData / "levelling" / "bffb16.gsi"}, "niv.na3", {"niv.na3"}},
        {"na32obs", {kData / "levelling" / "bffb16.na3"}, "niv", {"niv.obs", "niv.iob", "niv.gkf"}},
        {"obs2iob", {kData / "obsconv" / "reseau.obs"}, "res", {"res.iob"}},
        {"obs2gkf", {kData / "obsconv" / "reseau.obs", kData / "obsconv" / "reseau.cor"}, "res", {"res.gkf"}},
        {"renorm", {kData / "obsconv" / "reseau.obs"}, "ren", {"ren.obs"}},
        {"obs2tri", {kData / "obsconv" / "niv.obs"}, "tri.tri", {"tri.tri"}},
        {"iob2obs", {kData / "obsconv" / "niv.obs"}, "back.obs", {"back.obs"}},
    };
    const std::vector<std::pair<std::string, std::string>> forms = {{"lf", "\n"}, {"crlf", "\r\n"}, {"cr", "\r"}};
    // The ini in each form too: two length decimals, read back by gsi2crt.
    const std::string ini = "[decimales]\r\nlongueur=2\r\n";

    for (const TCommand& c : commands) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> results;
        for (const auto& [form, end] : forms) {
            const fs::path dir = root / c.name / ("form_" + form);
            fs::create_directories(dir / "ini");
            std::ofstream(dir / "ini" / "Kestrova.ini", std::ios::binary) << WithLineEnds(ini, end);
            std::string args = std::string("-x ") + c.name + " -o " + ShellQuote(c.out);
            for (std::size_t k = 0; k < c.inputs.size(); ++k) {
                const fs::path copy = dir / ("in_" + c.inputs[k].filename().string());
                std::ofstream(copy, std::ios::binary) << WithLineEnds(Slurp(c.inputs[k]), end);
                args += (k == 0 ? " -i " : " -c ") + ShellQuote(copy.string());
            }
            const auto r = RunKestrova(args, "Kestrova=" + ShellQuote((dir / "ini").string()), dir);
            EXPECT_EQ(r.status, 0) << form << " : " << r.err;
            std::string result = r.out + "\n--\n" + r.err;
            for (const std::string& file : c.compared) {
                ASSERT_TRUE(fs::exists(dir / file)) << form << " : " << file;
                result += "\n-- " + file + "\n" + Stable(Slurp(dir / file));
            }
            results.push_back(result);
        }
        // Paths of the inputs differ only by the form's folder.
        for (std::string& r : results)
            for (const auto& [form, end] : forms) {
                const std::string folder = "form_" + form;
                for (std::size_t p = r.find(folder); p != std::string::npos; p = r.find(folder, p))
                    r.replace(p, folder.size(), "form_X");
            }
        // Compared whole, shown from the first difference on.
        for (std::size_t k = 1; k < results.size(); ++k) {
            const auto diff = std::mismatch(results[0].begin(), results[0].end(), results[k].begin(), results[k].end());
            const std::size_t at = static_cast<std::size_t>(diff.first - results[0].begin());
            EXPECT_TRUE(results[k] == results[0])
                << forms[k].first << " differs from LF at byte " << at << ":\n"
                << results[0].substr(at > 200 ? at - 200 : 0, 400) << "\n---\n"
                << results[k].substr(at > 200 ? at - 200 : 0, 400);
        }
    }

    // The ini's setting was read in each form: two decimals in the book.
    for (const auto& [form, end] : forms) {
        const std::string book = Slurp(root / "gsi2crt" / ("form_" + form) / "gsi.carnet");
        EXPECT_NE(book.find(" Dp_m "), std::string::npos);
        const std::size_t dp = book.find(" Dp_m ") + 6;
        const std::string value = book.substr(dp, book.find(' ', book.find_first_not_of(' ', dp)) - dp);
        EXPECT_EQ(value.size() - value.find('.') - 1, 2u) << form << " : " << value;
    }
}

// A large text book (a file, or the lines of the editor) is read in two
// parts side by side, the second from a station line after the middle, then
// joined. Over many generated books with
// everything that ties the parts together (prisms defined in either part and
// named before or after their definition, heights redefined later, lines
// that fail part-way, over-long lines, comments and accents), the joined book
// is the book read in one part, field for field.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "base/encoding.hpp"
#include "base/line_reader.hpp"
#include "base/progress.hpp"
#include "base/text_file.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/text_reader.hpp"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

bool SameNumber(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string CalibrationKey(const TEtalonnage* e) {
    return e ? e->id + "#" + std::to_string(e->num) : std::string("null");
}

void ExpectSameBook(const Tday_obs& a, const Tday_obs& b, const std::string& what) {
    ASSERT_EQ(a.nb_stat, b.nb_stat) << what;
    ASSERT_EQ(a.nb_etal, b.nb_etal) << what;
    ASSERT_EQ(a.etalonnages.size(), b.etalonnages.size()) << what;
    for (std::size_t i = 0; i < a.etalonnages.size(); ++i) {
        EXPECT_EQ(a.etalonnages[i].id, b.etalonnages[i].id) << what;
        EXPECT_EQ(a.etalonnages[i].num, b.etalonnages[i].num) << what;
        EXPECT_TRUE(SameNumber(a.etalonnages[i].M, b.etalonnages[i].M)) << what;
    }
    ASSERT_EQ(a.hauteurs.size(), b.hauteurs.size()) << what;
    for (std::size_t i = 0; i < a.hauteurs.size(); ++i) {
        EXPECT_EQ(a.hauteurs[i].nom, b.hauteurs[i].nom) << what;
        EXPECT_TRUE(SameNumber(a.hauteurs[i].hauteur, b.hauteurs[i].hauteur)) << what;
    }
    EXPECT_EQ(a.trace.lines, b.trace.lines) << what;
    ASSERT_EQ(a.stations.size(), b.stations.size()) << what;
    for (std::size_t i = 0; i < a.stations.size(); ++i) {
        const TStation& s = a.stations[i];
        const TStation& t = b.stations[i];
        const std::string at = what + " station " + std::to_string(i);
        EXPECT_EQ(s.pt_sta, t.pt_sta) << at;
        EXPECT_TRUE(SameNumber(s.temp, t.temp) && SameNumber(s.press, t.press) && SameNumber(s.Ht, t.Ht)) << at;
        EXPECT_EQ(s.unite_temp, t.unite_temp) << at;
        EXPECT_EQ(s.unite_press, t.unite_press) << at;
        EXPECT_EQ(s.etalonnage, t.etalonnage) << at;
        EXPECT_EQ(CalibrationKey(s.calibration), CalibrationKey(t.calibration)) << at;
        EXPECT_EQ(s.ligne, t.ligne) << at;
        EXPECT_EQ(s.nb_obs, t.nb_obs) << at;
        ASSERT_EQ(s.lignes_partielles.size(), t.lignes_partielles.size()) << at;
        for (std::size_t k = 0; k < s.lignes_partielles.size(); ++k) {
            EXPECT_EQ(s.lignes_partielles[k].ligne, t.lignes_partielles[k].ligne) << at;
            EXPECT_EQ(s.lignes_partielles[k].remplacee_par, t.lignes_partielles[k].remplacee_par) << at;
        }
        ASSERT_EQ(s.obs.size(), t.obs.size()) << at;
        for (std::size_t k = 0; k < s.obs.size(); ++k) {
            const Tobs& o = s.obs[k];
            const Tobs& p = t.obs[k];
            const std::string ot = at + " pointing " + std::to_string(k);
            EXPECT_EQ(o.pt_vis, p.pt_vis) << ot;
            EXPECT_EQ(o.commentaire, p.commentaire) << ot;
            for (auto [x, y] : {std::pair{o.Hz, p.Hz}, {o.V, p.V}, {o.Dp, p.Dp}, {o.ppm, p.ppm}, {o.cste, p.cste},
                                {o.Hv, p.Hv}, {o.temp, p.temp}, {o.press, p.press}})
                EXPECT_TRUE(SameNumber(x, y)) << ot;
            EXPECT_EQ(o.cercle, p.cercle) << ot;
            EXPECT_EQ(o.indice, p.indice) << ot;
            EXPECT_EQ(o.etalonnage, p.etalonnage) << ot;
            EXPECT_EQ(CalibrationKey(o.calibration), CalibrationKey(p.calibration)) << ot;
            EXPECT_EQ(o.mode, p.mode) << ot;
        }
    }
}

class BookWriter {
public:
    explicit BookWriter(unsigned seed) : rng_(seed), seed_(seed) {}

    // Now and then a book of hundreds of stations (a reading sizes its list
    // of stations from its first 64), some starting with stations of no
    // pointing at all.
    std::string Book() {
        std::string text = "Carnet g\xE9n\xE9r\xE9 pour l'essai\r\n";
        if (seed_ % 20 == 0)
            for (int i = 0; i < 80; ++i) text += " station E" + std::to_string(i) + " Temp_deg 12.0\r\n";
        const int lines = seed_ % 10 == 0 ? 1500 + Pick(2000) : 100 + Pick(400);
        for (int i = 0; i < lines; ++i) text += Line() + (Pick(4) ? "\r\n" : "\n");
        return text;
    }

private:
    int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    std::string Prism() { return "P" + std::to_string(Pick(6)); }
    std::string Name() {
        static const char* const names[] = {"1", "002", "S1001", "0", "000", "A\xE9", "LONGNAME12345678XYZ", "7"};
        return names[Pick(8)];
    }
    std::string Decimal() { return std::to_string(Pick(400)) + "." + std::to_string(1000 + Pick(9000)); }

    std::string Line() {
        switch (Pick(20)) {
            case 0: return " point " + Name() + " hv_m " + Decimal();
            case 1: return " prisme " + (Pick(8) ? Prism() : std::string("default")) + " cste_m 0.0" + std::to_string(Pick(90));
            case 2:
            case 3: {
                std::string l = " station " + Name() + "    Temp_deg " + std::to_string(Pick(30)) + ".4 " +
                                (Pick(5) ? "Press_mmHg 7" + std::to_string(Pick(99)) + ".6" : "Press_hPa 1013.2") +
                                " ht_m 1.438";
                if (Pick(3) == 0) l += " prisme " + Prism();
                return l;
            }
            case 4: return Pick(2) ? "" : "  * remarque \xE0 part";
            case 5: {  // more than 20 fields
                std::string l = "  numero 9";
                for (int k = 0; k < 21; ++k) l += " x";
                return l;
            }
            case 6: return "  numero 5 AH_gr 1.0 AV_gr 100.0 Dp_m 10.0 ppm_cste_mm 00x9+034 hv_m 1.5";  // fails part-way
            case 7: return "  numero 6 AH_gr 2.0 AV_gr 300.0 Dp_m 12.0 ppm+mm 12.5 3 hv_m 1.5";  // fails part-way
            default: {
                std::string l = "  numero " + Name() + "    AH_gr  " + Decimal() + " AV_gr   " +
                                (Pick(2) ? "97.0722" : "302.9301") + " Dp_m  " + Decimal() +
                                (Pick(2) ? " ppm_cste_mm 0029+034" : " ppm_cste_mm -0006+034") + " hv_m    1.7010";
                if (Pick(3) == 0) l += " prisme " + Prism();
                if (Pick(10) == 0) l += " mode 1";
                if (Pick(6) == 0) l += " * vis\xE9 " + std::to_string(Pick(99));
                return l;
            }
        }
    }

    std::mt19937 rng_;
    unsigned seed_;
};

}  // namespace

TEST(TwoPartRead, SameBookAsTheReadingInOnePart) {
    const fs::path dir = fs::path(KESTROVA_TEST_TMP) / "two_part_read";
    fs::create_directories(dir);
    const std::string path = (dir / "book.crt").string();
    int twoParts = 0;
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::string text = BookWriter(seed).Book();
        if (seed % 3 == 0) text = Cp1252ToUtf8(text);
        {
            std::ofstream(path, std::ios::binary) << text;
        }
        Tday_obs one;
        one.trace.max_lines = 40;
        TTextLineReader r1(path, "<?xml");
        EXPECT_FALSE(ReadTextBookFile(one, path, r1, NoProgress(), 0));
        Tday_obs two;
        two.trace.max_lines = 40;
        TTextLineReader r2(path, "<?xml");
        if (ReadTextBookFile(two, path, r2, NoProgress(), 1)) ++twoParts;
        ExpectSameBook(one, two, "seed " + std::to_string(seed));
        // The same book held in lines (the editor's), in two parts.
        const std::vector<std::string> lines = ReadTextLines(path);
        Tday_obs fromLines;
        fromLines.trace.max_lines = 40;
        if (ReadTextBook(fromLines, lines, NoProgress(), 1)) ++twoParts;
        ExpectSameBook(one, fromLines, "lines, seed " + std::to_string(seed));
        // And as views of the lines (the editor's own text).
        const std::vector<std::string_view> views(lines.begin(), lines.end());
        Tday_obs fromViews;
        fromViews.trace.max_lines = 40;
        if (ReadTextBookViews(fromViews, views, NoProgress(), 1)) ++twoParts;
        ExpectSameBook(one, fromViews, "views, seed " + std::to_string(seed));
        Tday_obs loaded;
        loaded.trace.max_lines = 40;
        loaded.LoadFromLineViews(views);
        ExpectSameBook(one, loaded, "loaded from views, seed " + std::to_string(seed));
        // And in one pass over the file, with no scan first (no trace kept).
        Tday_obs untraced;
        untraced.trace.enabled = false;
        TTextLineReader r3(path, "<?xml");
        ReadTextBookFile(untraced, path, r3, NoProgress(), 0);
        Tday_obs onePass;
        onePass.trace.enabled = false;
        if (ReadTextBookFileOnePass(onePass, path, NoProgress(), 1)) {
            ++twoParts;
            ExpectSameBook(untraced, onePass, "one pass, seed " + std::to_string(seed));
        }
        if (HasFailure()) break;
    }
    EXPECT_GT(twoParts, 560);
    fs::remove_all(dir);
}

// A book read in one pass over the file, without a scan first, is given
// back to the usual reading when the scan decides: an XML book, a book
// with lines in both encodings (the UTF-8 ones are then Windows-1252
// too), a book keeping its trace. Through the loading of a file, the book
// is the same either way.
TEST(TwoPartRead, OnePassLeavesToTheScanWhatOnlyTheScanKnows) {
    const fs::path dir = fs::path(KESTROVA_TEST_TMP) / "one_pass_read";
    fs::create_directories(dir);
    const std::string path = (dir / "book.crt").string();
    auto write = [&](const std::string& text) { std::ofstream(path, std::ios::binary) << text; };
    std::string body;
    for (unsigned seed = 1; body.size() < 400000; ++seed) body += BookWriter(seed).Book();
    auto onePass = [&] {
        Tday_obs book;
        book.trace.enabled = false;
        return ReadTextBookFileOnePass(book, path, NoProgress(), 1);
    };
    // Windows-1252 accents only, UTF-8 accents only: read in one pass.
    write(body);
    EXPECT_TRUE(onePass());
    write(Cp1252ToUtf8(body));
    EXPECT_TRUE(onePass());
    // Both kinds: the lines were read with the wrong encoding.
    write(Cp1252ToUtf8(body) + " * \xE9t\xE9\r\n");
    EXPECT_FALSE(onePass());
    write(" * \xC3\xA9t\xC3\xA9\r\n" + body);
    EXPECT_FALSE(onePass());
    // An XML marker on the first line, or far into the file.
    write("<?xml version=\"1.0\"?>\r\n" + body);
    EXPECT_FALSE(onePass());
    write(body + " * <?xml\r\n" + body);
    EXPECT_FALSE(onePass());
    // A book keeping its trace.
    write(body);
    Tday_obs traced;
    EXPECT_FALSE(ReadTextBookFileOnePass(traced, path, NoProgress(), 1));

    // Loaded from the file (without a trace, in one pass when it can be),
    // each is the book of the usual reading.
    std::string large;  // read in one pass by the loading itself
    while (large.size() < kTwoPartReadBytes) large += body;
    for (const std::string& text :
         {large, body, Cp1252ToUtf8(body) + " * \xE9t\xE9\r\n", body + " * <?xml\r\n" + body}) {
        write(text);
        Tday_obs usual;
        usual.trace.enabled = false;
        TTextLineReader reader(path, "<?xml");
        if (!reader.MarkerFound()) ReadTextBookFile(usual, path, reader, NoProgress(), 0);
        else usual.LoadFromLines(ReadTextLines(path));
        Tday_obs loaded;
        loaded.trace.enabled = false;
        ASSERT_TRUE(loaded.LoadFromFile(path));
        ExpectSameBook(usual, loaded, "loaded, " + std::to_string(text.size()) + " bytes");
    }

    // A line too long to be read, in the second part: the error names its
    // line in the file, as the usual reading does.
    std::string faulty;
    while (faulty.size() < (std::size_t(18) << 20)) faulty += body;
    const long long longLine = std::count(faulty.begin(), faulty.end(), '\n') + 1;
    faulty += std::string(kMaxLineBytes + 10, 'x') + "\r\n" + body;
    write(faulty);
    for (const bool trace : {false, true}) {
        Tday_obs book;
        book.trace.enabled = trace;
        try {
            book.LoadFromFile(path);
            ADD_FAILURE() << "no error";
        } catch (const TextFileError& e) {
            EXPECT_NE(std::string(e.what()).find("ligne " + std::to_string(longLine) + " :"), std::string::npos)
                << e.what();
        }
    }
    fs::remove_all(dir);
}

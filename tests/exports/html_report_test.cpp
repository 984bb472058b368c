// The HTML report: well-formed, every station with its section and sketch,
// every link leading to an element that exists, and the same texts as the
// stylesheet's rendering of the same report.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>

#include "base/line_sink.hpp"
#include "exports/html_report.hpp"
#include "exports/report_reader.hpp"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

const fs::path kGolden = fs::path(KESTROVA_TEST_DATA) / "crt2obs" / "golden";
const char* const kBooks[] = {"text_book", "invalid_station", "xml_book", "cycles_book", "heights_book"};

std::string Html(const fs::path& xml) {
    TLineCollector c;
    ProduceHtmlReport(xml.string(), "out.xml", c);
    std::string s;
    for (const std::string& l : c.lines) s += l + "\n";
    return s;
}

struct Walk {
    std::vector<std::string> texts;  // visible texts outside the sketches, blanks collapsed
    std::set<std::string> ids;
    std::vector<std::string> links;  // href="#..." targets
    int svgs = 0;
};

std::string Collapse(const std::string& s) {
    std::string r;
    bool blank = false;
    for (char c : s) {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            blank = true;
            continue;
        }
        if (blank && !r.empty()) r += ' ';
        blank = false;
        r += c;
    }
    return r;
}

std::string Attr(xmlNode* n, const char* name) {
    xmlChar* v = xmlGetProp(n, BAD_CAST name);
    std::string s = v ? reinterpret_cast<char*>(v) : "";
    xmlFree(v);
    return s;
}

void WalkTree(xmlNode* n, Walk& w) {
    for (; n; n = n->next) {
        if (n->type == XML_TEXT_NODE) {
            const std::string t = Collapse(reinterpret_cast<const char*>(n->content));
            if (!t.empty()) w.texts.push_back(t);
            continue;
        }
        if (n->type != XML_ELEMENT_NODE) continue;
        const std::string name = reinterpret_cast<const char*>(n->name);
        if (name == "head") continue;
        if (name == "svg") {
            ++w.svgs;
            continue;
        }
        for (const char* key : {"id", "name"})
            if (const std::string v = Attr(n, key); !v.empty() && (key[0] == 'i' || name == "a")) w.ids.insert(v);
        if (const std::string href = Attr(n, "href"); href.size() > 1 && href[0] == '#') w.links.push_back(href.substr(1));
        WalkTree(n->children, w);
    }
}

}  // namespace

TEST(HtmlReport, WellFormedLinkedAndWithTheStylesheetTexts) {
    const bool xsltproc = std::system("command -v xsltproc >/dev/null 2>&1") == 0;
    const fs::path tmp = fs::path(KESTROVA_TEST_TMP) / "html_report";
    fs::create_directories(tmp);
    for (const char* book : kBooks) {
        SCOPED_TRACE(book);
        const fs::path xml = kGolden / book / "out.xml";
        const std::string html = Html(xml);
        for (unsigned char c : html) ASSERT_LT(c, 0x80) << "the page is ASCII";

        // Well-formed XML (and so well-formed XHTML).
        xmlDocPtr doc = xmlReadMemory(html.data(), static_cast<int>(html.size()), "report.html", nullptr, XML_PARSE_NONET);
        ASSERT_NE(doc, nullptr) << "not well-formed";
        Walk mine;
        WalkTree(xmlDocGetRootElement(doc), mine);
        xmlFreeDoc(doc);

        // Every station has its section and its sketch; every link resolves.
        std::vector<std::string> nums;
        ReadXmlReport(xml.string(), false, [](const TReportHead&) {},
                      [&](const TReportStation& st) { nums.push_back(st.attrs.Get("num")); });
        ASSERT_FALSE(nums.empty());
        EXPECT_EQ(mine.svgs, static_cast<int>(nums.size()));
        for (const std::string& n : nums) EXPECT_TRUE(mine.ids.count("station_" + n)) << n;
        EXPECT_TRUE(mine.ids.count("Top"));
        EXPECT_GE(mine.links.size(), nums.size() * 2 + 3);
        for (const std::string& l : mine.links) EXPECT_TRUE(mine.ids.count(l)) << "dangling link #" << l;

        // The same texts, in the same order, as the stylesheet gives.
        if (!xsltproc) continue;
        const fs::path rendered = tmp / (std::string(book) + ".html");
        const std::string cmd = "xsltproc '" + xml.string() + "' > '" + rendered.string() + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        htmlDocPtr ref = htmlReadFile(rendered.c_str(), nullptr, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
        ASSERT_NE(ref, nullptr);
        Walk theirs;
        WalkTree(xmlDocGetRootElement(ref), theirs);
        xmlFreeDoc(ref);
        EXPECT_EQ(mine.texts, theirs.texts);
        EXPECT_GT(mine.texts.size(), 50u);
    }
}

TEST(HtmlReport, XPathNumbersAsTheStylesheetPrintsThem) {
    EXPECT_EQ(XPathNumberText(-0.03), "-0.03");
    EXPECT_EQ(XPathNumberText(-0.0175), "-0.0175");
    EXPECT_EQ(XPathNumberText(-0.0), "0");
    EXPECT_EQ(XPathNumberText(12.0), "12");
    EXPECT_EQ(XPathNumberText(0.0), "0");
    EXPECT_EQ(XPathNumberText(-1.5), "-1.5");
    EXPECT_EQ(XPathNumberText(std::nan("")), "NaN");
}

TEST(HtmlReport, AFileThatIsNoReportIsRefusedAndNothingWritten) {
    const fs::path tmp = fs::path(KESTROVA_TEST_TMP) / "html_report_refused";
    fs::remove_all(tmp);
    fs::create_directories(tmp);
    const fs::path book = kGolden / "text_book" / "out.xsl";  // XML, but no report
    EXPECT_THROW(WriteHtmlReport(book.string(), (tmp / "x.html").string()), TReportReadError);
    EXPECT_THROW(WriteHtmlReport((tmp / "missing.xml").string(), (tmp / "y.html").string()), TReportReadError);
    const fs::path broken = tmp / "broken.xml";
    {
        std::FILE* f = std::fopen(broken.c_str(), "w");
        std::fputs("<?xml version=\"1.0\"?>\n<carnet version=\"v1\">\n<stations>\n   <station num=\"1\">\n", f);
        std::fclose(f);
    }
    try {
        WriteHtmlReport(broken.string(), (tmp / "z.html").string());
        ADD_FAILURE() << "a truncated report was accepted";
    } catch (const TReportReadError& e) {
        EXPECT_NE(std::string(e.what()).find("XML mal formé"), std::string::npos) << e.what();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp), fs::directory_iterator()), 1) << "only the input is left";
}

// The « Prismes » table of the stylesheet's rendering, as the viewer shows
// it: each row whose first cell is the id of the next calibrations gets
// that calibration's name (its id when it has none); rows of no
// calibration, the other tables and pages without that table stay as they
// are.
TEST(HtmlReport, PrismRowsNamedAfterTheirTargets) {
    auto calibration = [](std::string id, std::string nom) {
        TReportAttrs a;
        a.items = {{"id", std::move(id)}, {"nom", std::move(nom)}, {"num", "1"}};
        return a;
    };
    const std::vector<TReportAttrs> etalonnages = {calibration("default", ""), calibration("1", "Mini & <rond>"),
                                                   calibration("R&D é", "Réflecteur"), calibration("3", "Verre")};
    EXPECT_EQ(PrismLabel(etalonnages[0]), "default");
    EXPECT_EQ(PrismLabel(etalonnages[2]), "Réflecteur");

    const std::string before = "<table><tr><th>Station</th></tr>\n<tr>\n<td>1</td>\n<td>x</td>\n</tr></table>\n";
    const std::string page = before +
                             "<table>\n<tr>\n<th>Prismes</th>\n<th>Cste (m)</th>\n</tr>\n"
                             "<tr>\n<td>default</td>\n<td>0</td>\n</tr>\n"
                             "<tr>\n<td>1</td>\n<td>1</td>\n</tr>\n"
                             "<tr>\n<td>autre</td>\n<td>0</td>\n</tr>\n"
                             "<tr>\n<td>R&amp;D &#233;</td>\n<td>0</td>\n</tr>\n"
                             "<tr>\n<td>3</td>\n<td>0.1</td>\n</tr>\n</table>\n"
                             "<table><tr><td>3</td></tr></table>\n";
    const std::string named = before +
                              "<table>\n<tr>\n<th>Prismes</th>\n<th>Cste (m)</th>\n</tr>\n"
                              "<tr>\n<td>default</td>\n<td>0</td>\n</tr>\n"
                              "<tr>\n<td>Mini &amp; &lt;rond&gt;</td>\n<td>1</td>\n</tr>\n"
                              "<tr>\n<td>autre</td>\n<td>0</td>\n</tr>\n"
                              "<tr>\n<td>Réflecteur</td>\n<td>0</td>\n</tr>\n"
                              "<tr>\n<td>Verre</td>\n<td>0.1</td>\n</tr>\n</table>\n"
                              "<table><tr><td>3</td></tr></table>\n";
    EXPECT_EQ(WithPrismNames(page, etalonnages), named);
    // Rows of calibrations the list lacks stay as they are and do not shift
    // the names of the others.
    EXPECT_EQ(WithPrismNames(page, {etalonnages[1], etalonnages[3]}),
              before +
                  "<table>\n<tr>\n<th>Prismes</th>\n<th>Cste (m)</th>\n</tr>\n"
                  "<tr>\n<td>default</td>\n<td>0</td>\n</tr>\n"
                  "<tr>\n<td>Mini &amp; &lt;rond&gt;</td>\n<td>1</td>\n</tr>\n"
                  "<tr>\n<td>autre</td>\n<td>0</td>\n</tr>\n"
                  "<tr>\n<td>R&amp;D &#233;</td>\n<td>0</td>\n</tr>\n"
                  "<tr>\n<td>Verre</td>\n<td>0.1</td>\n</tr>\n</table>\n"
                  "<table><tr><td>3</td></tr></table>\n");
    EXPECT_EQ(WithPrismNames(before, etalonnages), before);
    EXPECT_EQ(WithPrismNames(page, {}), page);
}

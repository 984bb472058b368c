// The report viewer: a reduction report rendered through its stylesheet,
// links inside the report, the copy for the web browser, other XML files.
#include <algorithm>
#include <sstream>

#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>

#include "base/text_file.hpp"

#include "exports/reduction_outputs.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"
#include "shell/report_pages.hpp"
#include "shell/xml_view.hpp"
#include "shell/xslt_render.hpp"
#include "test_support.hpp"
#include "tools/calibration_editor.hpp"
#include "tools/target_assignment.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

std::vector<std::string> TwoStations() {
    std::vector<std::string> book;
    for (const char* station : {"1001", "1002"}) {
        book.push_back(std::string(" station ") + station + "     Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420");
        book.push_back("  numero 2001     AH_gr   12.3455 AV_gr  100.4137 Dp_m  187.4510 ppm_cste_mm 0000+000 hv_m    1.6000");
        book.push_back("  numero 2002     AH_gr   75.5974 AV_gr   99.1885 Dp_m  142.3375 ppm_cste_mm 0000+000 hv_m    1.6500");
        book.push_back("  numero 2002     AH_gr  275.5976 AV_gr  300.8137 Dp_m  142.3372 ppm_cste_mm 0000+000 hv_m    1.6500");
        book.push_back("  numero 2001     AH_gr  212.3461 AV_gr  299.5891 Dp_m  187.4522 ppm_cste_mm 0000+000 hv_m    1.6000");
    }
    return book;
}

// `count` stations; every fifth one has a single pointing (not valid).
std::vector<std::string> ManyStations(int count) {
    std::vector<std::string> book;
    for (int k = 1; k <= count; ++k) {
        book.push_back(" station " + std::to_string(1000 + k) + "     Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420");
        book.push_back("  numero 2001     AH_gr   12.3455 AV_gr  100.4137 Dp_m  187.4510 ppm_cste_mm 0000+000 hv_m    1.6000");
        if (k % 5 == 0) continue;
        book.push_back("  numero 2002     AH_gr   75.5974 AV_gr   99.1885 Dp_m  142.3375 ppm_cste_mm 0000+000 hv_m    1.6500");
        book.push_back("  numero 2002     AH_gr  275.5976 AV_gr  300.8137 Dp_m  142.3372 ppm_cste_mm 0000+000 hv_m    1.6500");
        book.push_back("  numero 2001     AH_gr  212.3461 AV_gr  299.5891 Dp_m  187.4522 ppm_cste_mm 0000+000 hv_m    1.6000");
    }
    return book;
}

// Writes the outputs of a reduction of `book` into `dir`; returns the
// report's path.
QString ReduceInto(const QString& dir, const std::vector<std::string>& book, const QString& name = "rapport") {
    Tday_obs day;
    day.LoadFromLines(book);
    BuildTargetsAndCheck(day);
    CorrectAndReduce(day);
    const ReductionFiles files = ReductionFileNames((dir + "/" + name + ".obs").toStdString());
    WriteInteractiveReductionOutputs(day, files);
    return QString::fromStdString(files.xml);
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Clicks the first visible link whose target is `href`; false when none
// is on screen.
bool ClickLink(QTextBrowser* view, const QString& href) {
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != href) continue;
            QTextCursor cursor(view->document());
            cursor.setPosition(fragment.position() + 1);
            const QRect rect = view->cursorRect(cursor);
            if (!view->viewport()->rect().contains(rect.center())) continue;
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
            return true;
        }
    }
    return false;
}

// Scrolls down a little at a time until a link to `href` is on screen,
// then clicks it.
bool ClickLinkScrolling(QTextBrowser* view, const QString& href) {
    for (int step = 0; step < 500; ++step) {
        if (ClickLink(view, href)) return true;
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + 20);
        QCoreApplication::processEvents();
    }
    return false;
}

// The viewer on screen at `size`, keeping at most `sections` sections,
// with the report `xml` opened.
bool ShowReport(TForm_XMLView& viewer, const QString& xml, QSize size, int sections = 8) {
    viewer.maxSections = sections;
    viewer.resize(size);
    viewer.show();
    return QTest::qWaitForWindowExposed(&viewer) && viewer.LoadFile(xml);
}

}  // namespace

class ReportViewTest : public QObject {
    Q_OBJECT
private slots:
    void reportIsRenderedThroughItsStylesheet() {
        const QString dir = ScratchDir("render");
        const QString xml = ReduceInto(dir, TwoStations());
        TForm_XMLView viewer;
        QVERIFY(viewer.LoadFile(xml));
        QCOMPARE(viewer.windowTitle(), xml);
        QVERIFY(viewer.Formatted());
        const QString text = viewer.XMLview->toPlainText();
        QVERIFY(text.contains(QString::fromUtf8("Compte rendu de verification des données terrain")));
        QVERIFY(text.contains(QString::fromUtf8("Station #2 (Point 1002) : station réduite")));
        // Sigma comes through the UTF-8 output.
        QVERIFY(text.contains(QString::fromUtf8("σHz (gons)")));
        QVERIFY(!text.contains("<carnet"));
        // Each line of the contents is laid out as a block of its own (the
        // last one keeps its line break).
        QStringList contents;
        for (QTextBlock block = viewer.XMLview->document()->begin(); block.isValid(); block = block.next())
            if (block.text().startsWith("Station #")) contents << block.text().remove(QChar::LineSeparator);
        QCOMPARE(contents, QStringList({QString::fromUtf8("Station #1 (Point 1001) : station réduite"),
                                        QString::fromUtf8("Station #2 (Point 1002) : station réduite")}));
    }

    void linksInsideTheReportScrollTheView() {
        const QString dir = ScratchDir("links");
        const QString xml = ReduceInto(dir, TwoStations());
        TForm_XMLView viewer;
        QVERIFY(ShowReport(viewer, xml, QSize(700, 300)));
        QStringList opened;
        viewer.openUrl = [&](const QUrl& url) {
            opened << url.toString();
            return true;
        };
        QScrollBar* bar = viewer.XMLview->verticalScrollBar();
        QCOMPARE(bar->value(), 0);
        QVERIFY(ClickLink(viewer.XMLview, "#station_2"));
        QTRY_VERIFY(bar->value() > 100);
        QVERIFY(ClickLink(viewer.XMLview, "#Top"));
        QTRY_VERIFY(bar->value() < 20);  // the top anchor sits below the page margin
        QVERIFY(opened.isEmpty());
    }

    void sectionsRenderedApartMakeTheWholePage() {
        // The summary and every station rendered on its own, put together,
        // are the page the stylesheet gives for the whole report.
        const QString dir = ScratchDir("sections");
        const QString xml = ReduceInto(dir, ManyStations(12));
        const XsltResult whole = RenderXmlWithStylesheet(xml.toStdString());
        QVERIFY(whole.ok);
        TReportPages pages;
        QVERIFY(pages.Open(xml.toStdString()));
        QVERIFY(pages.Split());
        QCOMPARE(pages.StationCount(), size_t(12));
        std::ostringstream out;
        pages.WriteWhole(out);
        QVERIFY(out.str() == whole.html);
        QVERIFY(pages.Head().find("station_12") != std::string::npos);  // the table of contents
        QVERIFY(pages.Head().find("name=\"station_1\"") == std::string::npos);
        QCOMPARE(pages.StationOfAnchor("station_5"), 4L);
        QCOMPARE(pages.StationOfAnchor("station_13"), -1L);
        // The summary is cut from a page holding the first station's
        // section alone, not one section per station.
        TReportSections sections;
        QVERIFY(sections.Scan(xml.toStdString()));
        TXsltRenderer full, first;
        std::string error;
        QVERIFY(full.Load(xml.toStdString(), sections.SummaryDocument(), &error));
        QVERIFY(first.LoadFirstBlockOnly(full, "station_"));
        const XsltResult summary = first.Render(sections.SummaryDocument());
        QVERIFY(summary.ok);
        QCOMPARE(Count(summary.html, "<a name=\"station_"), size_t(1));
        QCOMPARE(Count(summary.html, "<a href=\"#station_"), size_t(12));
        QCOMPARE(Count(full.Render(sections.SummaryDocument()).html, "<a name=\"station_"), size_t(12));

        // The viewer's copy for the browser is the self-contained page
        // (no stylesheet needed), with every station and its sketch.
        TForm_XMLView viewer;
        QVERIFY(viewer.LoadFile(xml));
        viewer.openUrl = [](const QUrl&) { return true; };
        const QString html = viewer.OpenInBrowser();
        QVERIFY(!html.isEmpty());
        const QByteArray page = ReadBytes(html);
        QVERIFY(page.startsWith("<!DOCTYPE html>"));
        QVERIFY(!page.contains(".xsl"));
        QCOMPARE(page.count("<svg "), 12);
        QVERIFY(page.contains("id=\"station_12\""));
    }

    void scrollingLoadsTheSectionsInTurn() {
        const QString dir = ScratchDir("scroll");
        const QString xml = ReduceInto(dir, ManyStations(30));
        TForm_XMLView viewer;
        QVERIFY(ShowReport(viewer, xml, QSize(700, 400), 4));
        QCOMPARE(viewer.FirstSection(), 0);
        QVERIFY(!viewer.Html().contains("name=\"station_3\""));
        QVERIFY(viewer.Html().contains("Station #30 (Point 1030)"));  // the whole table of contents

        // Down to the end of the report, a page at a time: the sections come
        // in order and no more than four are kept.
        QScrollBar* bar = viewer.XMLview->verticalScrollBar();
        int lastSeen = viewer.LastSection();
        for (int step = 0; step < 2000 && viewer.LastSection() < 30; ++step) {
            bar->setValue(bar->value() + bar->pageStep());
            QCoreApplication::processEvents();
            QVERIFY(viewer.LastSection() - viewer.FirstSection() < 4);
            QVERIFY(viewer.LastSection() >= lastSeen);
            lastSeen = viewer.LastSection();
        }
        QCOMPARE(viewer.LastSection(), 30);
        QVERIFY(viewer.Html().contains(QString::fromUtf8("Station n°30 - Point 1030")));
        QVERIFY(!viewer.Html().contains(QString::fromUtf8("Station n°1 - Point")));
        // Back up: the previous sections return.
        for (int step = 0; step < 2000 && viewer.FirstSection() > 20; ++step) {
            bar->setValue(bar->value() - bar->pageStep());
            QCoreApplication::processEvents();
        }
        QVERIFY(viewer.FirstSection() <= 20);
        QVERIFY(viewer.LastSection() - viewer.FirstSection() < 4);

        // A link to a station far away, then back to the summary.
        QVERIFY(ClickLinkScrolling(viewer.XMLview, "#Top"));
        QTRY_COMPARE(viewer.FirstSection(), 0);
        QVERIFY(bar->value() < 20);
        QStringList opened;
        viewer.openUrl = [&](const QUrl& url) {
            opened << url.toString();
            return true;
        };
        QVERIFY(ClickLinkScrolling(viewer.XMLview, "#station_17"));
        QTRY_VERIFY(viewer.FirstSection() <= 17 && viewer.LastSection() >= 17);
        QVERIFY(viewer.Html().contains(QString::fromUtf8("Station n°17 - Point 1017")));
        QVERIFY(viewer.Html().contains(QString::fromUtf8("Messages d'erreur")) ==
                (viewer.FirstSection() <= 15 || viewer.LastSection() >= 20));
        QVERIFY(opened.isEmpty());
    }

    void summaryComesBackAndMarksTheStationsToLookAt() {
        const QString dir = ScratchDir("summary_back");
        std::vector<std::string> book = ManyStations(30);
        // Station 1003: one face of a direction 100 cc off.
        const auto at = std::find(book.begin(), book.end(), " station 1003     Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420");
        QVERIFY(at != book.end());
        *(at + 3) = "  numero 2002     AH_gr  275.6076 AV_gr  300.8137 Dp_m  142.3372 ppm_cste_mm 0000+000 hv_m    1.6500";
        const QString xml = ReduceInto(dir, book);
        TForm_XMLView viewer;
        QVERIFY(ShowReport(viewer, xml, QSize(700, 400), 4));
        // The table of contents points at the station with the blunder, in red.
        const QString mark = QString::fromUtf8("Station #3 (Point 1003) : station réduite — 2 écarts hors tolérance</a>");
        QVERIFY2(viewer.Html().contains(mark), qPrintable(viewer.Html().left(3000)));
        QVERIFY(viewer.Html().contains("<a href=\"#station_3\" style=\"color:#c00000\">"));
        QVERIFY(viewer.Html().contains(QString::fromUtf8("Station #4 (Point 1004) : station réduite</a>")));

        // Ctrl+Home from a station far down brings the summary back.
        QVERIFY(ClickLinkScrolling(viewer.XMLview, "#station_17"));
        QTRY_VERIFY(viewer.FirstSection() > 0);
        QTest::keyClick(viewer.XMLview, Qt::Key_Home, Qt::ControlModifier);
        QTRY_COMPARE(viewer.FirstSection(), 0);
        QCOMPARE(viewer.XMLview->verticalScrollBar()->value(), 0);

        // So does the scroll bar's top, reached from the first station.
        QVERIFY(ClickLinkScrolling(viewer.XMLview, "#station_1"));
        QTRY_COMPARE(viewer.FirstSection(), 1);
        QScrollBar* bar = viewer.XMLview->verticalScrollBar();
        for (int step = 0; step < 20 && viewer.FirstSection() != 0; ++step) {
            bar->triggerAction(QAbstractSlider::SliderPageStepSub);
            QCoreApplication::processEvents();
        }
        QCOMPARE(viewer.FirstSection(), 0);
        QVERIFY(viewer.Html().contains("Station #30 (Point 1030)"));

        // A book with its own default calibration: one row in « Prismes ».
        const QString gsiBook =
            ReduceInto(dir, ReadTextLines(KESTROVA_TEST_DATA "/gsi/setup_blocks16.xcrt"), "releve");
        TForm_XMLView prisms;
        QVERIFY(ShowReport(prisms, gsiBook, QSize(700, 400), 4));
        QVERIFY(prisms.Html().contains("<td>defaut</td>"));
        QVERIFY(!prisms.Html().contains("<td>default</td>"));
    }

    void prismsAreShownByTheTargetsNames() {
        // An XML book with its own calibration, given two targets in the
        // calibration editor; the first station aims at the first target.
        const QString dir = ScratchDir("prism_names");
        const std::vector<TCible> cibles = {{"Mini & <rond>", 0.0175}, {"Réflecteur", 0.0}};
        const TToolResult edited =
            ValidateCalibration(ReadTextLines(KESTROVA_TEST_DATA "/crt2obs/xml_book.xcrt"), {cibles, {}});
        QVERIFY(edited.written);
        const auto stations = AssignmentStations(edited.lines);
        QVERIFY(stations && stations->size() >= 2);
        TAssignmentTable table(stations->size());
        table[0].assign(stations->front().pt_vis.size(), cibles[0].nom);
        const TToolResult assigned = ApplyAssignment(edited.lines, cibles, table);
        QVERIFY(assigned.written);
        const QString xml = ReduceInto(dir, assigned.lines, "cibles");

        TForm_XMLView viewer;
        QVERIFY(ShowReport(viewer, xml, QSize(700, 500), 4));
        const QString html = viewer.Html();
        const qsizetype from = html.indexOf("<th>Prismes</th>");
        QVERIFY(from >= 0);
        QStringList rows;
        const QRegularExpression cell("<tr>\\s*<td>([^<]*)</td>\\s*<td>([^<]*)</td>");
        for (auto it = cell.globalMatch(html.mid(from, html.indexOf("</table>", from) - from)); it.hasNext();) {
            const auto m = it.next();
            rows << m.captured(1) + " " + m.captured(2);
        }
        // The calibration of the book keeps its id, the default one too.
        QCOMPARE(rows, QStringList({"default 0", QString::fromUtf8("Mini &amp; &lt;rond&gt; 0.0175"),
                                    QString::fromUtf8("Réflecteur 0"), "TCRA-362514 -0.0012"}));
        QVERIFY(viewer.XMLview->toPlainText().contains("Mini & <rond>"));
    }

    void summaryIsAPageOfItsOwn() {
        // Past the summary, the summary leaves the window (a large report's
        // table of contents is not laid out again at each step); scrolling
        // keeps the line at the top of the view where it is; the summary
        // comes back through its link, as the document parsed on opening.
        const QString dir = ScratchDir("summary");
        const QString xml = ReduceInto(dir, ManyStations(40));
        TForm_XMLView viewer;
        QVERIFY(ShowReport(viewer, xml, QSize(700, 400), 4));
        const QTextDocument* opened = viewer.XMLview->document();
        QScrollBar* bar = viewer.XMLview->verticalScrollBar();
        auto topLine = [&] { return viewer.XMLview->cursorForPosition(QPoint(4, 4)).block().text(); };
        int windows = 0;
        for (int step = 0; step < 2000 && viewer.LastSection() < 12; ++step) {
            bar->setValue(bar->value() + bar->pageStep() / 2);
            const QString before = topLine();
            const int first = viewer.FirstSection(), last = viewer.LastSection();
            QCoreApplication::processEvents();
            if (viewer.FirstSection() != first || viewer.LastSection() != last) {
                ++windows;
                QCOMPARE(topLine(), before);
                QVERIFY(viewer.FirstSection() >= 1);  // from the first step past the summary on
            }
        }
        QVERIFY(windows >= 10);
        QVERIFY(viewer.FirstSection() >= 1);
        QVERIFY(!viewer.Html().contains("Station #40 (Point 1040)"));

        // Up to the first station: its link back to the summary is there,
        // the summary itself is not loaded from below.
        for (int step = 0; step < 4000 && bar->value() > 0; ++step) {
            bar->setValue(bar->value() - bar->pageStep() / 2);
            QCoreApplication::processEvents();
        }
        for (int step = 0; step < 20; ++step) QCoreApplication::processEvents();
        QCOMPARE(viewer.FirstSection(), 1);
        QCOMPARE(bar->value(), 0);
        QVERIFY(ClickLink(viewer.XMLview, "#Top"));
        QTRY_COMPARE(viewer.FirstSection(), 0);
        QVERIFY(viewer.XMLview->document() == opened);
        QVERIFY(viewer.Html().contains("Station #40 (Point 1040)"));
        QVERIFY(bar->value() < 20);
        // A station far down the contents: its title at the top of the view.
        QVERIFY(ClickLinkScrolling(viewer.XMLview, "#station_25"));
        QTRY_VERIFY(viewer.FirstSection() <= 25 && viewer.LastSection() >= 25);
        const QString title = QString::fromUtf8("Station n°25 - Point 1025");
        QTextBlock titleBlock = viewer.XMLview->document()->begin();
        while (titleBlock.isValid() && !titleBlock.text().contains(title)) titleBlock = titleBlock.next();
        QVERIFY(titleBlock.isValid());
        QTextCursor atTitle(titleBlock);
        QVERIFY(viewer.XMLview->cursorRect(atTitle).top() >= 0);
        QVERIFY(viewer.XMLview->cursorRect(atTitle).top() < 80);
        QVERIFY(ClickLinkScrolling(viewer.XMLview, "#Top"));
        QTRY_COMPARE(viewer.FirstSection(), 0);
        // The first station from the contents: shown without them.
        QVERIFY(ClickLinkScrolling(viewer.XMLview, "#station_1"));
        QTRY_COMPARE(viewer.FirstSection(), 1);
        QVERIFY(viewer.Html().contains(QString::fromUtf8("Station n°1 - Point 1001")));
        QVERIFY(!viewer.Html().contains("Station #40 (Point 1040)"));
        QVERIFY(viewer.XMLview->document() != opened);
    }

    void longContentsKeepTheViewInPlace() {
        // A window taller than the first station: at the end of the first
        // page the top of the view is still in the contents when the next
        // station comes; the contents, laid out in steps, must not leave the
        // view short of where it was.
        const QString dir = ScratchDir("long_contents");
        const QString xml = ReduceInto(dir, ManyStations(2000));
        TForm_XMLView viewer;
        QVERIFY(ShowReport(viewer, xml, QSize(700, 2600)));
        QScrollBar* bar = viewer.XMLview->verticalScrollBar();
        QTRY_VERIFY_WITH_TIMEOUT(bar->maximum() > 20000, 20000);
        for (int step = 0; step < 50 && viewer.LastSection() < 2; ++step) {
            bar->setValue(bar->maximum());
            const QString before = viewer.XMLview->cursorForPosition(QPoint(4, 4)).block().text();
            QCoreApplication::processEvents();
            if (viewer.LastSection() >= 2) {
                QCOMPARE(viewer.FirstSection(), 0);
                QCOMPARE(viewer.XMLview->cursorForPosition(QPoint(4, 4)).block().text(), before);
            }
        }
        QVERIFY(viewer.LastSection() >= 2);
    }

    void reportGoesToTheWebBrowser() {
        const QString dir = ScratchDir("browser");
        const QString xml = ReduceInto(dir, TwoStations());
        TForm_XMLView viewer;
        QVERIFY(viewer.LoadFile(xml));
        QList<QUrl> opened;
        viewer.openUrl = [&](const QUrl& url) {
            opened << url;
            return true;
        };
        viewer.OpenInBrowserAction->trigger();
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened[0].isLocalFile());
        const QByteArray html = ReadBytes(opened[0].toLocalFile());
        QVERIFY(html.contains("href=\"#station_1\""));
        QVERIFY(html.contains("station r&#233;duite"));  // the self-contained page is ASCII
        QVERIFY(opened[0].toLocalFile().endsWith("kestrova-rapport.html"));
    }

    void otherXmlFilesAreShownAsText() {
        const QString dir = ScratchDir("plain");
        WriteBytes(dir + "/liste.xml", "<?xml version=\"1.0\"?>\r\n<liste><point nom=\"A\"/></liste>\r\n");
        TForm_XMLView viewer;
        QVERIFY(viewer.LoadFile(dir + "/liste.xml"));
        QVERIFY(!viewer.Formatted());
        QVERIFY(viewer.XMLview->toPlainText().contains("<point nom=\"A\"/>"));

        // A report whose stylesheet is missing is shown as text too.
        WriteBytes(dir + "/r.xml",
                   "<?xml version=\"1.0\"?>\r\n<?xml-stylesheet href=\"absent.xsl\" type=\"text/xsl\"?>\r\n<carnet/>\r\n");
        QVERIFY(viewer.LoadFile(dir + "/r.xml"));
        QVERIFY(!viewer.Formatted());
        QVERIFY(!viewer.LastError().isEmpty());
        QVERIFY(viewer.XMLview->toPlainText().contains("<carnet/>"));

        QVERIFY(!viewer.LoadFile(dir + "/absent.xml"));
        QVERIFY(!viewer.LastError().isEmpty());

        // A long one (a large report without its stylesheet): its beginning
        // is shown, and the browser gets the whole text.
        QByteArray big = "<?xml version=\"1.0\"?>\r\n<liste>\r\n";
        for (int i = 0; i < 40000; ++i) big += "  <point nom=\"P" + QByteArray::number(i) + "\" note=\"t\xE9l\xE9\"/>\r\n";
        big += "</liste>\r\n";
        WriteBytes(dir + "/grand.xml", big);
        QVERIFY(viewer.LoadFile(dir + "/grand.xml"));
        QVERIFY(!viewer.Formatted());
        const QString shown = viewer.XMLview->toPlainText();
        QVERIFY(shown.startsWith("<?xml version=\"1.0\"?>\n<liste>\n  <point nom=\"P0\" note=\"" + QString::fromUtf8("télé")));
        QVERIFY(shown.size() < (1 << 20));
        QVERIFY(!shown.contains("P39999"));
        QVERIFY(shown.contains(QString::fromUtf8("Seul le début du fichier est affiché")));
        QList<QUrl> opened;
        viewer.openUrl = [&](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        QVERIFY(!viewer.OpenInBrowser().isEmpty());
        QCOMPARE(opened.size(), 1);
        const QByteArray whole = ReadBytes(opened[0].toLocalFile());
        QCOMPARE(whole.count('\n'), 40003);
        QVERIFY(whole.endsWith("  <point nom=\"P39999\" note=\"" + QString::fromUtf8("télé").toUtf8() + "\"/>\n</liste>\n"));
    }

    void reportInAFolderWithBlanksAndAccents() {
        const QString dir = ScratchDir(QString::fromUtf8("dossier été"));
        // The report's own name too: its stylesheet link is a URI.
        for (const char* name : {"rapport", "levé", "mon leve", "x[1]", "100%_été"}) {
            const QString xml = ReduceInto(dir, TwoStations(), QString::fromUtf8(name));
            TForm_XMLView viewer;
            QVERIFY(viewer.LoadFile(xml));
            QVERIFY2(viewer.Formatted(), qPrintable(QString::fromUtf8(name) + " : " + viewer.LastError()));
            QVERIFY(viewer.XMLview->toPlainText().contains(QString::fromUtf8("Station #2 (Point 1002) : station réduite")));
        }
    }

    void aStylesheetCannotWriteFiles() {
        // Showing a file must not let the stylesheet it names write one.
        const QString dir = ScratchDir("nowrite");
        const QString target = dir + "/ecrit.txt";
        WriteBytes(dir + "/ecrit.xsl",
                   "<?xml version=\"1.0\"?>\r\n"
                   "<xsl:stylesheet version=\"1.1\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">\r\n"
                   "<xsl:template match=\"/\"><html><body>rapport</body></html>\r\n"
                   "<xsl:document href=\"" + target.toUtf8() + "\" method=\"text\">ecrit</xsl:document>\r\n"
                   "</xsl:template></xsl:stylesheet>\r\n");
        WriteBytes(dir + "/r.xml",
                   "<?xml version=\"1.0\"?>\r\n<?xml-stylesheet href=\"ecrit.xsl\" type=\"text/xsl\"?>\r\n<carnet/>\r\n");
        TForm_XMLView viewer;
        QVERIFY(viewer.LoadFile(dir + "/r.xml"));
        QVERIFY(!QFile::exists(target));
        // The viewer still shows the file, as its text.
        QVERIFY(viewer.XMLview->toPlainText().contains("carnet"));
    }
};

QTEST_MAIN(ReportViewTest)
#include "report_view_test.moc"

// Station sketches in the report viewer: each station section shows its
// sketch, drawn from the report, with the outlying target in red.
#include <QTextDocument>
#include <QtTest>

#include "exports/reduction_outputs.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/reduction.hpp"
#include "shell/report_sketches.hpp"
#include "shell/xml_view.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

// Two stations of three targets in three rounds, both faces; in station
// 1002 the second face-left pointing of 2003 is 80 cc off.
std::vector<std::string> Book() {
    std::vector<std::string> book;
    for (const char* station : {"1001", "1002"}) {
        const bool blunder = std::string(station) == "1002";
        book.push_back(std::string(" station ") + station + "     Temp_deg 14.5 Press_mmHg 735.2  ht_m 1.5420");
        for (int round = 0; round < 3; ++round) {
            const std::string hz3 = blunder && round == 1 ? "150.0080" : "150.0000";
            book.push_back("  numero 2001     AH_gr    0.0000 AV_gr  100.0000 Dp_m  100.0000 ppm_cste_mm 0000+000 hv_m 1.6");
            book.push_back("  numero 2002     AH_gr  100.0000 AV_gr  100.0000 Dp_m   50.0000 ppm_cste_mm 0000+000 hv_m 1.6");
            book.push_back("  numero 2003     AH_gr  " + hz3 + " AV_gr  100.0000 Dp_m   80.0000 ppm_cste_mm 0000+000 hv_m 1.6");
            book.push_back("  numero 2003     AH_gr  350.0000 AV_gr  300.0000 Dp_m   80.0000 ppm_cste_mm 0000+000 hv_m 1.6");
            book.push_back("  numero 2002     AH_gr  300.0000 AV_gr  300.0000 Dp_m   50.0000 ppm_cste_mm 0000+000 hv_m 1.6");
            book.push_back("  numero 2001     AH_gr  200.0000 AV_gr  300.0000 Dp_m  100.0000 ppm_cste_mm 0000+000 hv_m 1.6");
        }
    }
    return book;
}

int RedPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(0xd0, 0x10, 0x10)) ++n;
    return n;
}

}  // namespace

class ReportSketchTest : public QObject {
    Q_OBJECT
private slots:
    void eachStationSectionShowsItsSketch() {
        const QString dir = ScratchDir("sketch");
        Tday_obs day;
        day.LoadFromLines(Book());
        BuildTargetsAndCheck(day);
        CorrectAndReduce(day);
        const ReductionFiles files = ReductionFileNames((dir + "/rapport.obs").toStdString());
        WriteInteractiveReductionOutputs(day, files);

        TForm_XMLView viewer;
        viewer.resize(900, 700);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QVERIFY(viewer.LoadFile(QString::fromStdString(files.xml)));
        QVERIFY(viewer.Html().contains("src=\"croquis:1\""));

        // The image comes from the browser's resources once laid out.
        QTextDocument* doc = viewer.XMLview->document();
        const QImage first = doc->resource(QTextDocument::ImageResource, QUrl("croquis:1")).value<QImage>();
        QVERIFY(!first.isNull());
        QVERIFY(first.width() > 600 && first.height() > 400);
        QCOMPARE(RedPixels(first), 0);  // nothing off in station 1001

        // Station 1002, reached by its link: target 2003 is drawn red.
        viewer.XMLview->anchorClicked(QUrl("#station_2"));
        QTRY_VERIFY(viewer.Html().contains("src=\"croquis:2\""));
        const QImage second = doc->resource(QTextDocument::ImageResource, QUrl("croquis:2")).value<QImage>();
        QVERIFY(!second.isNull());
        QVERIFY(RedPixels(second) > 30);

        // The plan: the station's square at the same place in both.
        QCOMPARE(first.size().width(), second.size().width());
    }

    void sketchGoesBelowTheFirstTable() {
        QCOMPARE(WithSketch("<h2>S</h2><table><tr><td>a</td></tr></table><h3>x</h3><table></table>", 4),
                 QString("<h2>S</h2><table><tr><td>a</td></tr></table><p><img src=\"croquis:4\"></p><h3>x</h3><table></table>"));
        QCOMPARE(WithSketch("<p>vide</p>", 2), QString("<p>vide</p><p><img src=\"croquis:2\"></p>"));
        QVERIFY(RenderSvg("<svg").isNull());
    }
};

QTEST_MAIN(ReportSketchTest)
#include "report_sketch_test.moc"

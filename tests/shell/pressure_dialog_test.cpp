// The hPa <-> mmHg converter driven through its widgets, offscreen.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "shell/pressure_dialog.hpp"

using namespace kestrova;

namespace {

QLineEdit* Edit(QWidget* w, const char* name) {
    auto* e = w->findChild<QLineEdit*>(name);
    if (!e) qFatal("missing edit %s", name);
    return e;
}

QPushButton* Button(QWidget* w, const char* text) {
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    qFatal("missing button %s", text);
    return nullptr;
}

void Type(QLineEdit* edit, const char* text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

}  // namespace

class PressureDialogTest : public QObject {
    Q_OBJECT
private slots:
    void captionsAndLabels() {
        TF_HPa2mmHg dialog;
        QCOMPARE(dialog.windowTitle(), QString("hPa <-> mmHg"));
        QStringList labels;
        for (QLabel* l : dialog.findChildren<QLabel*>()) labels << l->text();
        QVERIFY(labels.contains("Pression (hPa)"));
        QVERIFY(labels.contains("Pression (mmHg)"));
        QVERIFY(dialog.findChild<QPushButton*>("bt_hpa2mmhg"));
        QCOMPARE(dialog.findChild<QPushButton*>("bt_mmhg2hpa")->text(), QString("<"));
        QCOMPARE(dialog.findChild<QPushButton*>("bt_quit")->text(), QString("Fermer"));
    }

    void convertsBothWays() {
        TF_HPa2mmHg dialog;
        dialog.show();
        Type(Edit(&dialog, "lb_hpa"), "1013.25");
        QTest::mouseClick(Button(&dialog, ">"), Qt::LeftButton);
        QCOMPARE(Edit(&dialog, "lb_mmhg")->text(), QString("760.2"));
        QCOMPARE(Edit(&dialog, "lb_hpa")->text(), QString("1013.25"));

        Type(Edit(&dialog, "lb_mmhg"), "760.0");
        QTest::mouseClick(Button(&dialog, "<"), Qt::LeftButton);
        QCOMPARE(Edit(&dialog, "lb_hpa")->text(), QString("1013.0"));

        // Typed the French way, with a decimal comma; written with a point.
        Type(Edit(&dialog, "lb_mmhg"), "735,2");
        QTest::mouseClick(Button(&dialog, "<"), Qt::LeftButton);
        QCOMPARE(Edit(&dialog, "lb_hpa")->text(), QString("980.0"));
        Type(Edit(&dialog, "lb_hpa"), "980,5");
        QTest::mouseClick(Button(&dialog, ">"), Qt::LeftButton);
        QCOMPARE(Edit(&dialog, "lb_mmhg")->text(), QString("735.6"));
    }

    void textThatIsNotANumberLeavesTheOtherField() {
        TF_HPa2mmHg dialog;
        dialog.show();
        Type(Edit(&dialog, "lb_hpa"), "1000");
        Type(Edit(&dialog, "lb_mmhg"), "abc");
        QTest::mouseClick(Button(&dialog, "<"), Qt::LeftButton);
        QCOMPARE(Edit(&dialog, "lb_hpa")->text(), QString("1000"));
        Type(Edit(&dialog, "lb_hpa"), "1013.25 hPa");
        QTest::mouseClick(Button(&dialog, ">"), Qt::LeftButton);
        QCOMPARE(Edit(&dialog, "lb_mmhg")->text(), QString("abc"));
    }

    void fieldsAreKeptBetweenOpenings() {
        TF_HPa2mmHg dialog;
        QTimer::singleShot(0, &dialog, [&] {
            Type(Edit(&dialog, "lb_hpa"), "1000");
            QTest::mouseClick(Button(&dialog, ">"), Qt::LeftButton);
            QTest::mouseClick(Button(&dialog, "Fermer"), Qt::LeftButton);
        });
        dialog.exec();
        QVERIFY(!dialog.isVisible());
        QString hpa, mmHg;
        QTimer::singleShot(0, &dialog, [&] {
            hpa = Edit(&dialog, "lb_hpa")->text();
            mmHg = Edit(&dialog, "lb_mmhg")->text();
            QTest::mouseClick(Button(&dialog, "Fermer"), Qt::LeftButton);
        });
        dialog.exec();
        QCOMPARE(hpa, QString("1000"));
        QCOMPARE(mmHg, QString("750.2"));
    }
};

QTEST_MAIN(PressureDialogTest)
#include "pressure_dialog_test.moc"

// The about box, offscreen.
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "shell/about_dialog.hpp"

using namespace kestrova;

namespace {

QPushButton* Button(QWidget* w, const char* text) {
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    qFatal("missing button %s", text);
    return nullptr;
}

QString LabelText(QWidget* w, const char* name) {
    auto* l = w->findChild<QLabel*>(name);
    return l ? l->text() : QString("<missing %1>").arg(name);
}

// True when the release-notes area lies inside the window.
bool NotesVisible(QWidget* box) {
    auto* notes = box->findChild<QPlainTextEdit*>();
    return notes && notes->geometry().bottom() < box->height();
}

}  // namespace

class AboutDialogTest : public QObject {
    Q_OBJECT
private slots:
    void showsProductVersionAndDate() {
        TAboutBox box;
        box.show();
        QCOMPARE(box.windowTitle(), QString("A propos"));
        QCOMPARE(LabelText(&box, "ProductName"), QString("Kestrova"));
        QCOMPARE(LabelText(&box, "Version"), QString("v1.1.2"));
        QCOMPARE(LabelText(&box, "ReleaseDate"), QString("2018-01-12"));
        QVERIFY(box.findChild<QPlainTextEdit*>()->isReadOnly());
        QCOMPARE(box.height(), 249);
        QVERIFY(!NotesVisible(&box));
    }

    void releaseNotesToggleTheHeight() {
        TAboutBox box;
        box.show();
        QPushButton* notes = Button(&box, "Release notes");
        QTest::mouseClick(notes, Qt::LeftButton);
        QCOMPARE(box.height(), 427);
        QVERIFY(NotesVisible(&box));
        QTest::mouseClick(notes, Qt::LeftButton);
        QCOMPARE(box.height(), 249);
        QVERIFY(!NotesVisible(&box));

        // A new showing starts short again.
        QTest::mouseClick(notes, Qt::LeftButton);
        box.hide();
        box.show();
        QCOMPARE(box.height(), 249);
    }

    void okEndsTheModalRun() {
        TAboutBox box;
        QTimer::singleShot(0, &box, [&] { QTest::mouseClick(Button(&box, "OK"), Qt::LeftButton); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
    }
};

QTEST_MAIN(AboutDialogTest)
#include "about_dialog_test.moc"

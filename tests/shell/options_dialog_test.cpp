// The options dialog driven through its widgets, offscreen.
#include <functional>
#include <memory>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "base/param.hpp"
#include "shell/options_dialog.hpp"

using namespace kestrova;

namespace {

template <typename T>
T* Child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(name);
    if (!c) qFatal("missing child %s", name);
    return c;
}

QLineEdit* Edit(QWidget* w, const char* name) { return Child<QLineEdit>(w, name); }

QPushButton* Button(QWidget* w, const char* text) {
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    qFatal("missing button %s", text);
    return nullptr;
}

int CheckedItem(QWidget* dialog, const char* group) {
    QGroupBox* box = Child<QGroupBox>(dialog, group);
    const auto radios = box->findChildren<QRadioButton*>();
    for (int i = 0; i < radios.size(); ++i)
        if (radios[i]->isChecked()) return i;
    return -1;
}

QRadioButton* Item(QWidget* dialog, const char* group, int i) {
    return Child<QGroupBox>(dialog, group)->findChildren<QRadioButton*>().at(i);
}

// Runs `modal` (which enters a modal loop) and, once the dialog is up, calls
// `whileShown` then presses `button` on the dialog.
int RunModal(QDialog& dialog, const std::function<int()>& modal, const std::function<void()>& whileShown,
             const char* button) {
    QTimer::singleShot(0, &dialog, [&dialog, whileShown, button] {
        // The button is pressed even when a check fails, so the test never hangs.
        if (!dialog.isVisible()) qWarning("the dialog is not shown");
        whileShown();
        QTest::mouseClick(Button(&dialog, button), Qt::LeftButton);
    });
    return modal();
}

// Replaces the whole text of an edit from the keyboard.
void TypeInto(QLineEdit* edit, const char* text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

}  // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Param() = TParam(); }

    void layoutAndCaptions() {
        TF_opt dialog;
        QCOMPARE(dialog.windowTitle(), QString("Options"));
        QCOMPARE(dialog.size(), QSize(560, 351));
        auto* pages = dialog.findChild<QTabWidget*>();
        QVERIFY(pages);
        QCOMPARE(pages->count(), 4);
        QCOMPARE(pages->tabText(0), QString("Import gsi"));
        QCOMPARE(pages->tabText(1), QString("Export Brelix, Gnu Gama et gsi"));
        QCOMPARE(pages->tabText(2), QString("Brelix -> geolab"));
        QCOMPARE(pages->tabText(3), QString::fromUtf8("Météo"));
        QCOMPARE(pages->currentIndex(), 1);  // the second page comes first

        QCOMPARE(Item(&dialog, "RG_gis_header_format", 2)->text(),
                 QString::fromUtf8("Format Orvel (code=0, Station, Ht (m), temp, press - réduction météo par Kestrova)"));
        QCOMPARE(Child<QGroupBox>(&dialog, "gb_sigma")->title(), QString("Ecarts-types a priori"));
        QCOMPARE(Child<QCheckBox>(&dialog, "CB_ecriture_hauteurs")->text(),
                 QString("Ecrire les hauteurs de tourillons et de voyants dans les fichiers Brelix et gsi"));
        QCOMPARE(Child<QLabel>(&dialog, "Label_meteo1")->text(),
                 QString::fromUtf8("Si l'option \"utiliser la météo saisie dans l'entête des stations\" est "
                                   "cochée, Kestrova commence "));
        QVERIFY(Button(&dialog, "OK")->isDefault());
        QVERIFY(Button(&dialog, "Annuler")->isEnabled());
        QVERIFY(!Button(&dialog, "&Aide")->isEnabled());
    }

    void creationFillsEditsAndRoundsRenormalisation() {
        Param().AH_mult = 1.0005;
        Param().Dp_add = 0.12345;
        Param().Dn_mult = 1.0005;
        Param().angle = 5;
        Param().longueur = 3;
        TF_opt dialog;
        QCOMPARE(Param().AH_mult, 1.0);
        QCOMPARE(Param().Dp_add, 0.1235);  // "%.4f" of the binary 0.12345... rounds up
        QCOMPARE(Param().Dn_mult, 1.0005);
        QCOMPARE(Edit(&dialog, "Edit_AH_mult")->text(), QString("1.00"));
        QCOMPARE(Edit(&dialog, "Edit_AH_add")->text(), QString("0.0000"));
        QCOMPARE(Edit(&dialog, "Edit_Niv_mult")->text(), QString("1.00"));
        QCOMPARE(Edit(&dialog, "ed_sigmaHz")->text(), QString("0.00080"));
        QCOMPARE(Edit(&dialog, "ed_sigmaDp")->text(), QString("0.001"));
    }

    void rejectedSigmaIsPutBackOnOk() {
        TF_opt dialog;
        const int r = RunModal(
            dialog, [&] { return dialog.ShowFromMenu(); },
            [&] {
                TypeInto(Edit(&dialog, "ed_sigmaHz"), "abc");
                TypeInto(Edit(&dialog, "ed_sigmaV"), "1e-3");
                TypeInto(Edit(&dialog, "ed_sigmaDp"), "0.0030");
            },
            "OK");
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(Param().sigma_Hz, 0.0008f);
        QCOMPARE(Param().sigma_V, 0.0012f);
        QCOMPARE(Param().sigma_Dp, 0.003f);
        QCOMPARE(Edit(&dialog, "ed_sigmaHz")->text(), QString("0.0008"));
        QCOMPARE(Edit(&dialog, "ed_sigmaV")->text(), QString("0.0012"));
        QCOMPARE(Edit(&dialog, "ed_sigmaDp")->text(), QString("0.0030"));
    }

    void decimalCommasAreNumbers() {
        TF_opt dialog;
        const int r = RunModal(
            dialog, [&] { return dialog.ShowFromMenu(); },
            [&] {
                TypeInto(Edit(&dialog, "ed_sigmaHz"), "0,0005");
                TypeInto(Edit(&dialog, "ed_sigmaDp"), "0,002");
            },
            "OK");
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(Param().sigma_Hz, 0.0005f);
        QCOMPARE(Param().sigma_Dp, 0.002f);
    }

    void cancelStoresNoChoiceButKeepsRenormalisation() {
        TF_opt dialog;
        const int r = RunModal(
            dialog, [&] { return dialog.ShowFromMenu(); },
            [&] {
                QTest::mouseClick(Item(&dialog, "RG_tri_obs_brelix", 1), Qt::LeftButton);
                TypeInto(Edit(&dialog, "ed_sigmaHz"), "0.0100");
                TypeInto(Edit(&dialog, "Edit_AV_mult"), "1.5");
                TypeInto(Edit(&dialog, "Edit_Niv_add"), "0.25");
            },
            "Annuler");
        QCOMPARE(r, int(QDialog::Rejected));
        QCOMPARE(Param().tri_fichier_brelix, std::string("code"));
        QCOMPARE(Param().sigma_Hz, 0.0008f);
        QCOMPARE(Param().AV_mult, 1.5);
        QCOMPARE(Param().Dn_add, 0.25);
        // The next showing brings the radio group back to the parameter.
        dialog.show();
        QCOMPARE(CheckedItem(&dialog, "RG_tri_obs_brelix"), 0);
        dialog.reject();
    }

    void invalidRenormalisationTextIsReplacedAtOnce() {
        TF_opt dialog;
        dialog.show();
        QLineEdit* factor = Edit(&dialog, "Edit_AH_mult");
        factor->setFocus();
        factor->end(false);
        QTest::keyClick(factor, Qt::Key_X);
        QCOMPARE(factor->text(), QString("1.0000"));
        QCOMPARE(Param().AH_mult, 1.0);

        TypeInto(factor, "1.25");
        QCOMPARE(Param().AH_mult, 1.25);
        factor->selectAll();
        QTest::keyClick(factor, Qt::Key_Delete);  // cleared
        QCOMPARE(factor->text(), QString("1.2500"));
        QCOMPARE(Param().AH_mult, 1.25);

        // A negative number can be typed from its first character.
        TypeInto(Edit(&dialog, "Edit_DP_add"), "-0.002");
        QCOMPARE(Edit(&dialog, "Edit_DP_add")->text(), QString("-0.002"));
        QCOMPARE(Param().Dp_add, -0.002);
        TypeInto(Edit(&dialog, "Edit_AV_add"), "-");
        dialog.reject();
        QCOMPARE(Edit(&dialog, "Edit_AV_add")->text(), QString("0.0000"));
    }

    void renormalisationSwitchFollowsMouseAndKeyboard() {
        TF_opt dialog;
        dialog.show();
        auto* box = Child<QCheckBox>(&dialog, "CB_renormaliser");
        auto* group = Child<QGroupBox>(&dialog, "GB_param_renormalisation");
        QVERIFY(box->isChecked());
        QVERIFY(group->isEnabled());
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!Param().renormalisation);
        QVERIFY(!group->isEnabled());
        QVERIFY(!Edit(&dialog, "Edit_Niv_mult")->isEnabled());
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
        QVERIFY(Param().renormalisation);
        QVERIFY(group->isEnabled());
        dialog.reject();
        QVERIFY(Param().renormalisation);  // in force whatever the ending

        Param().renormalisation = false;
        TF_opt off;
        QVERIFY(!Child<QCheckBox>(&off, "CB_renormaliser")->isChecked());
        QVERIFY(!Child<QGroupBox>(&off, "GB_param_renormalisation")->isEnabled());
    }

    void showingSelectsItemsAndOkStoresThem() {
        Param().entete_gsi = "Leica";
        Param().use_meteo_entete_station = "N";
        Param().export_hauteurs_brelix = "Y";
        TF_opt dialog;
        const int r = RunModal(
            dialog, [&] { return dialog.ShowFromMenu(); },
            [&] {
                QCOMPARE(CheckedItem(&dialog, "RG_gis_header_format"), 2);
                QCOMPARE(CheckedItem(&dialog, "RG_meteo"), 1);
                QVERIFY(Child<QCheckBox>(&dialog, "CB_ecriture_hauteurs")->isChecked());
                QVERIFY(!Child<QCheckBox>(&dialog, "CBUseOUvPourZO")->isChecked());
                QTest::mouseClick(Child<QCheckBox>(&dialog, "CBUseOUvPourZO"), Qt::LeftButton);
            },
            "OK");
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(Param().entete_gsi, std::string("tc800"));
        QCOMPARE(Param().use_meteo_entete_station, std::string("N"));
        QCOMPARE(Param().export_hauteurs_brelix, std::string("Y"));
        QCOMPARE(Param().use_first_target_for_Z0_estimation, std::string("Y"));
    }

    void gsiConfirmationProposesTheStyle() {
        TF_opt dialog;
        auto* pages = dialog.findChild<QTabWidget*>();
        pages->setCurrentIndex(3);
        // Word 41 data 00000001 and a third word: "TS".
        const std::vector<std::string> ts = {"110001+0000000A 21.324+00000000",
                                             "410001+00000001 42....+00000004 43....+0001.544"};
        int r = RunModal(
            dialog, [&] { return dialog.Check_gsi_format(ts); },
            [&] {
                QCOMPARE(dialog.windowTitle(), QString("Veuillez confirmer le choix du format."));
                QCOMPARE(pages->tabText(pages->currentIndex()), QString("Import gsi"));
                QCOMPARE(CheckedItem(&dialog, "RG_gis_header_format"), 0);
            },
            "Annuler");
        QCOMPARE(r, int(QDialog::Rejected));
        QCOMPARE(Param().entete_gsi, std::string("TS"));

        // Short header line: "covadis"; the user picks the third item instead.
        r = RunModal(
            dialog, [&] { return dialog.Check_gsi_format({"410001+00000001 42....+00000004"}); },
            [&] {
                QCOMPARE(CheckedItem(&dialog, "RG_gis_header_format"), 1);
                QTest::mouseClick(Item(&dialog, "RG_gis_header_format", 2), Qt::LeftButton);
            },
            "OK");
        QCOMPARE(Param().entete_gsi, std::string("tc800"));

        // No "41" line: the style in force is kept; the menu restores the caption
        // and the last page shown stays selected.
        Param().entete_gsi = "covadis";
        RunModal(
            dialog, [&] { return dialog.Check_gsi_format({"110001+0000000A"}); },
            [&] { QCOMPARE(CheckedItem(&dialog, "RG_gis_header_format"), 1); }, "Annuler");
        QCOMPARE(Param().entete_gsi, std::string("covadis"));
        RunModal(
            dialog, [&] { return dialog.ShowFromMenu(); },
            [&] {
                QCOMPARE(dialog.windowTitle(), QString("Options"));
                QCOMPARE(pages->currentIndex(), 0);
                pages->setCurrentIndex(2);
            },
            "OK");
        RunModal(
            dialog, [&] { return dialog.ShowFromMenu(); }, [&] { QCOMPARE(pages->currentIndex(), 2); },
            "Annuler");
    }

    void exampleButtonsShowTheirHeaderLine() {
        TF_opt dialog;
        dialog.show();
        auto* covadis = Child<QPushButton>(&dialog, "bt_exemple_covadis");
        QCOMPARE(covadis->toolTip(), QString("410001+00000001 42....+00000004 43....+0001.544"));
        QCOMPARE(Child<QPushButton>(&dialog, "Bt_exemple_tc800")->toolTip(),
                 QString("410001+00000000 42....+00001001 43....+0001.513 44....+00000120 45....+00007600"));
        QString shown;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->accept();
            }
        });
        QTest::mouseClick(Child<QPushButton>(&dialog, "bt_exemple_TS"), Qt::LeftButton);
        QCOMPARE(shown, QString("410001+00001001 42....+00000120 43....+00007600 44....+00001458"));
        dialog.reject();
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"

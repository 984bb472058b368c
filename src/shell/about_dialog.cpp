#include "shell/about_dialog.hpp"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include "base/version.hpp"

namespace kestrova {

namespace {

constexpr int kWidth = 420;

const char* const kReleaseNotes =
    "Kestrova v1.1.2 (2018-01-12)\n"
    "\n"
    "- Réduction des carnets de terrain (.crt, .carnet, .xcrt) : fichier obs, listing chk, "
    "rapport xml et sa feuille xsl, exports Geolab, GNU Gama et gsi.\n"
    "- Conversion des fichiers gsi en carnets texte et XML, avec confirmation du format de "
    "l'entête des stations.\n"
    "- Options : écarts-types a priori, tri du fichier obs, renormalisation, choix des "
    "paramètres météo.\n"
    "- Outils : conversion hPa <-> mmHg.\n";

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(x, y, w, h);
    return label;
}

}  // namespace

// The controls are placed at fixed positions so that the short height
// simply leaves the release-notes area outside the window.
TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("A propos");
    setModal(true);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(8, 8, kWidth - 16, 180);

    auto* icon = new QLabel(panel);
    icon->setObjectName("ProgramIcon");
    QIcon appIcon = QApplication::windowIcon();
    if (appIcon.isNull()) appIcon = style()->standardIcon(QStyle::SP_ComputerIcon);
    icon->setPixmap(appIcon.pixmap(48, 48));
    icon->setGeometry(12, 12, 48, 48);

    productName_ = AddLabel(panel, "ProductName", QString(), 76, 12, 300, 28);
    QFont big = productName_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    productName_->setFont(big);
    version_ = AddLabel(panel, "Version", QString(), 76, 44, 300, 20);
    date_ = AddLabel(panel, "ReleaseDate", QString(), 76, 64, 300, 20);
    AddLabel(panel, "Comments", "Réduction de carnets de terrain topographiques", 12, 100, kWidth - 40, 20);
    AddLabel(panel, "Copyright", "Kestrova - outils de calcul pour les géomètres", 12, 122, kWidth - 40, 20);
    AddLabel(panel, "Authors", "Auteurs : l'équipe de développement Kestrova", 12, 144, kWidth - 40, 20);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    ok->setGeometry(kWidth / 2 - 170, 200, 150, 30);
    auto* notes = new QPushButton("Release notes", this);
    notes->setObjectName("ReleaseNotesButton");
    notes->setAutoDefault(false);
    notes->setGeometry(kWidth / 2 + 20, 200, 150, 30);

    releaseNotes_ = new QPlainTextEdit(this);
    releaseNotes_->setObjectName("ReleaseNotes");
    releaseNotes_->setReadOnly(true);
    releaseNotes_->setPlainText(kReleaseNotes);
    releaseNotes_->setGeometry(8, 256, kWidth - 16, kLongHeight - 256 - 8);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(notes, &QPushButton::clicked, this, &TAboutBox::ReleaseNotesClick);

    setFixedSize(kWidth, kShortHeight);
}

void TAboutBox::showEvent(QShowEvent* event) {
    productName_->setText("Kestrova");
    version_->setText(kVersion);
    date_->setText(kVersionDate);
    setFixedSize(kWidth, kShortHeight);
    QDialog::showEvent(event);
}

void TAboutBox::ReleaseNotesClick() {
    setFixedSize(kWidth, height() < 250 ? kLongHeight : kShortHeight);
}

}  // namespace kestrova

#include "shell/choix_reduc.hpp"

#include <QButtonGroup>
#include <QEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrova {

TFChoixReduc::TFChoixReduc(QWidget* parent) : QDialog(parent) {
    setObjectName("FChoixReduc");
    setWindowTitle(QString::fromUtf8("Réduction"));
    setModal(true);

    auto* coordGroup = new QGroupBox(QString::fromUtf8("Coordonnées approchées"), this);
    rb_coord = new QRadioButton(QString::fromUtf8("Je souhaite fournir un fichier de coordonnées (*.corr)"), coordGroup);
    ed_fichier = new QLineEdit(coordGroup);
    bt_parcourir = new QPushButton("Parcourir", coordGroup);
    auto* coordLayout = new QVBoxLayout(coordGroup);
    coordLayout->addWidget(rb_coord);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(ed_fichier, 1);
    fileRow->addWidget(bt_parcourir);
    coordLayout->addLayout(fileRow);

    auto* classicGroup = new QGroupBox(QString::fromUtf8("Réduction classique"), this);
    rb_classique = new QRadioButton(QString::fromUtf8("Je ne fournis pas de fichier de coordonnées"), classicGroup);
    auto* classicLayout = new QVBoxLayout(classicGroup);
    classicLayout->addWidget(rb_classique);

    // The two choices sit in different boxes but exclude each other.
    auto* choices = new QButtonGroup(this);
    choices->addButton(rb_coord);
    choices->addButton(rb_classique);
    rb_classique->setChecked(true);

    bt_annuler = new QPushButton("Annuler", this);
    bt_valider = new QPushButton("Valider", this);
    bt_valider->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bt_annuler);
    buttons->addWidget(bt_valider);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(coordGroup);
    layout->addWidget(classicGroup);
    layout->addLayout(buttons);

    connect(rb_coord, &QRadioButton::toggled, this, [this] { UpdateBrowseState(); });
    connect(bt_parcourir, &QPushButton::clicked, this, [this] { Browse(); });
    connect(bt_annuler, &QPushButton::clicked, this, [this] {
        result_ = Result::Annuler;
        reject();
    });
    connect(bt_valider, &QPushButton::clicked, this, [this] {
        result_ = Result::Valider;
        accept();
    });
    ed_fichier->installEventFilter(this);
    UpdateBrowseState();
}

TFChoixReduc::Result TFChoixReduc::Run() {
    result_ = Result::Closed;
    exec();
    return result_;
}

void TFChoixReduc::UpdateBrowseState() {
    bt_parcourir->setEnabled(rb_coord->isChecked());
}

void TFChoixReduc::Browse() {
    const QString name = QFileDialog::getOpenFileName(this, QString::fromUtf8("Fichier de coordonnées"),
                                                      ed_fichier->text());
    if (!name.isEmpty()) ed_fichier->setText(name);
}

bool TFChoixReduc::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ed_fichier && event->type() == QEvent::MouseButtonDblClick && rb_coord->isChecked()) {
        Browse();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kestrova

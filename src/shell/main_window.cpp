#include "shell/main_window.hpp"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

#include "base/param.hpp"
#include "base/text_file.hpp"
#include "base/version.hpp"
#include "shell/adjust_commands.hpp"
#include "shell/about_dialog.hpp"
#include "shell/edit_form.hpp"
#include "shell/editing_tools.hpp"
#include "shell/calibration_commands.hpp"
#include "shell/import_commands.hpp"
#include "shell/levelling_commands.hpp"
#include "shell/obs_commands.hpp"
#include "shell/options_dialog.hpp"
#include "shell/pressure_dialog.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"
#include "shell/xml_view.hpp"
#include "shell/recording_import_command.hpp"

namespace kestrova {

const char* const kGsiButtonHint =
    "Convertir un fichier Leica GSI vers le format carnet (crt) ; Trimble GDM : menu Topo, Conversion";

// Books and recordings first, all together: the dialog starts on them.
const char* const kOpenFilter =
    "Carnets et relevés|"
    "*.crt;*.carnet;*.xcrt;*.na3;*.gsi;*.rec;*.gdm;*.job;*.raw;*.shoot;*.m5;*.sdr;*.rw5|"
    "Brut(rec, gsi, gdm, raw)|*.gsi;*.rec;*.gdm;*.raw|Pivra (shoot)|*.shoot|Carnet (carnet, crt, na3)|"
    "*.carnet;*.crt;*.na3|Carnet XML (xcrt)|*.xcrt|Geolab (iob)|*.iob|Brelix (cor, obs)|*.cor;*.obs|"
    "Gnu Gama (gkf)|*.gkf|Rapport de reduction (xml)|*.xml|Tous|*.*";

TFMain_velka::TFMain_velka(std::unique_ptr<Prompts> prompts, QWidget* parent)
    : QMainWindow(parent), prompts_(std::move(prompts)) {
    setObjectName("FMain_velka");
    setWindowTitle(QString("Kestrova - %1 - %2").arg(kVersion, kVersionDate));
    if (!prompts_) prompts_ = std::make_unique<QtPrompts>();

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName("MdiArea");
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* child) { ChildActivated(child); });

    // Single dialogs, created once and reused.
    options_ = new TF_opt(this);
    pressure_ = new TF_HPa2mmHg(this);
    if (auto* real = dynamic_cast<QtPrompts*>(prompts_.get())) real->SetOptionsDialog(options_);

    BuildMenus();
    BuildToolBar();
    statusBar()->setObjectName("StatusBar1");
    RebuildMenuBar(nullptr);
    setAcceptDrops(true);

    // A client area of 900 x 600, centred on the desktop.
    resize(900, 600 + menuBar()->sizeHint().height() + ToolBar1->sizeHint().height() +
                    statusBar()->sizeHint().height());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        move(desk.center() - QPoint(width() / 2, height() / 2));
    }
}

TFMain_velka::~TFMain_velka() {
    // Documents go first: their menus may be in the menu bar.
    for (QMdiSubWindow* child : mdi_->subWindowList()) delete child;
}

void TFMain_velka::BuildMenus() {
    Fichier1 = new QMenu("&Fichier", this);
    Fichier1->setObjectName("Fichier1");
    QAction* a = Fichier1->addAction("&Nouveau", this, [this] { Nouveau1Click(); });
    a->setObjectName("Nouveau1");
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    a = Fichier1->addAction("&Ouvrir", this, [this] { Ouvrir1Click(); });
    a->setObjectName("Ouvrir1");
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    AddRecordingImportEntry(*this, *Fichier1);
    Fichier1->addSeparator();
    a = Fichier1->addAction("&Quitter", this, [this] { Quitter1Click(); });
    a->setObjectName("Quitter1");
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    Topo1 = new QMenu("&Topo", this);
    Topo1->setObjectName("Topo1");
    Conversion1 = Topo1->addMenu("&Conversion");
    Conversion1->setObjectName("Conversion1");
    GSIformatcarnet1 = Conversion1->addAction("Conversion GSI (Leica) --> format carnet (*.carnet)", this,
                                              [this] { GSIformatcarnet1Click(); });
    GSIformatcarnet1->setObjectName("GSIformatcarnet1");
    // The caption from the program's string table replaces the design one.
    GSIformatcarnet1->setText("Convert GSI (Leica) --> Notebook format (*.carnet)");
    ConversionGSILeicaformatcarnetxml1 =
        Conversion1->addAction("Conversion GSI (Leica) --> format carnet xml (*.xcrt)", this,
                               [this] { ConversionGSILeicaformatcarnetxml1Click(); });
    ConversionGSILeicaformatcarnetxml1->setObjectName("ConversionGSILeicaformatcarnetxml1");
    AddImportConversionEntries(*this);
    AddObsConversionEntries(*this);
    Topo1->addSeparator();
    Reduction1 = Topo1->addAction(QString::fromUtf8("Réduction d'un carnet de terrain (*.carnet, *.crt ou *.xcrt)"),
                                  this, [this] { Reduction1Click(); });
    Reduction1->setObjectName("Reduction1");
    Options1 = Topo1->addAction("Options", this, [this] { Options1Click(); });
    Options1->setObjectName("Options1");
    Options1->setShortcut(QKeySequence(Qt::Key_F11));
    AddEditingToolEntries(*this);
    AddCalibrationEntries(*this);

    AddLevellingEntries(*this);
    AddAdjustEntries(*this);

    Outils1 = new QMenu("Outils", this);
    Outils1->setObjectName("Outils1");
    a = Outils1->addAction("Hpa <-> mmHg", this, [this] { HPammHg1Click(); });
    a->setObjectName("HPammHg1");

    Fenetre1 = new QMenu(QString::fromUtf8("Fe&nêtre"), this);
    Fenetre1->setObjectName("Fenetre1");
    a = Fenetre1->addAction("&Cascade", this, [this] { Cascade1Click(); });
    a->setObjectName("Cascade1");
    a = Fenetre1->addAction(QString::fromUtf8("&Mosaïque"), this, [this] { Mosaique1Click(); });
    a->setObjectName("Mosaique1");
    Fenetre1->addSeparator();
    FenetreSuivante1 = Fenetre1->addAction(QString::fromUtf8("Fenêtre &suivante"), mdi_, &QMdiArea::activateNextSubWindow);
    FenetreSuivante1->setObjectName("FenetreSuivante1");
    FenetreSuivante1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    FenetrePrecedente1 = Fenetre1->addAction(QString::fromUtf8("Fenêtre &précédente"), mdi_,
                                             &QMdiArea::activatePreviousSubWindow);
    FenetrePrecedente1->setObjectName("FenetrePrecedente1");
    // Shift+Tab comes as Backtab from some keyboards.
    FenetrePrecedente1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab)});
    // The entries of the open documents follow, rebuilt each time the menu opens.
    connect(Fenetre1, &QMenu::aboutToShow, this, [this] { UpdateWindowMenu(); });

    Aide1 = new QMenu("?", this);
    Aide1->setObjectName("Aide1");
    a = Aide1->addAction("A Propos", this, [this] { APropos1Click(); });
    a->setObjectName("APropos1");
}

void TFMain_velka::BuildToolBar() {
    ToolBar1 = addToolBar("ToolBar1");
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    auto button = [this](QStyle::StandardPixmap icon, const QString& name, const QString& hint) {
        QAction* a = ToolBar1->addAction(style()->standardIcon(icon), hint);
        a->setObjectName(name);
        a->setToolTip(hint);
        a->setStatusTip(hint);  // the hint goes to the status bar
        return a;
    };
    ToolButtonNouveau = button(QStyle::SP_FileIcon, "ToolButtonNouveau", "Nouveau");
    connect(ToolButtonNouveau, &QAction::triggered, this, [this] { Nouveau1Click(); });
    ToolButtonOuvrir = button(QStyle::SP_DialogOpenButton, "ToolButtonOuvrir", "Ouvrir");
    connect(ToolButtonOuvrir, &QAction::triggered, this, [this] { Ouvrir1Click(); });
    ToolButtonSauvegarder = button(QStyle::SP_DialogSaveButton, "ToolButtonSauvegarder", "Sauvegarder");
    connect(ToolButtonSauvegarder, &QAction::triggered, this, [this] { SauvegarderClick(); });
    ToolButtonQuitter = button(QStyle::SP_DialogCloseButton, "ToolButtonQuitter", "Quitter");
    connect(ToolButtonQuitter, &QAction::triggered, this, [this] { Quitter1Click(); });
    ToolBar1->addSeparator();
    // The button converts GSI recordings only; the GDM conversion has its
    // own entries in the menu.
    gsi2crt = button(QStyle::SP_ArrowRight, "gsi2crt", QString::fromUtf8(kGsiButtonHint));
    connect(gsi2crt, &QAction::triggered, this, [this] { GSIformatcarnet1Click(); });
    ToolButtonReduc = button(QStyle::SP_FileDialogContentsView, "ToolButtonReduc", "Reduction du fichier carnet (crt)");
    connect(ToolButtonReduc, &QAction::triggered, this, [this] { Reduction1Click(); });
}

void TFMain_velka::RebuildMenuBar(TEditForm* document) {
    menu_document_ = document;
    QMenuBar* bar = menuBar();
    bar->clear();
    // Document menus first while a document is active, then the others.
    if (document) {
        bar->addMenu(document->Fichier1);
        bar->addMenu(document->Edit1);
    } else {
        bar->addMenu(Fichier1);
    }
    bar->addMenu(Topo1);
    bar->addMenu(LevellingMenu(*this));
    bar->addMenu(Outils1);
    bar->addMenu(Fenetre1);
    bar->addMenu(Aide1);
}

void TFMain_velka::ChildActivated(QMdiSubWindow* child) {
    if (!child) {
        if (mdi_->subWindowList().isEmpty()) RebuildMenuBar(nullptr);
        return;
    }
    if (auto* document = qobject_cast<TEditForm*>(child->widget())) {
        Topo1->menuAction()->setEnabled(true);
        gsi2crt->setEnabled(true);
        ToolButtonReduc->setEnabled(true);
        if (menu_document_ != document) RebuildMenuBar(document);
    } else if (qobject_cast<TForm_XMLView*>(child->widget())) {
        Topo1->menuAction()->setEnabled(false);
        gsi2crt->setEnabled(false);
        ToolButtonReduc->setEnabled(false);
        if (menu_document_) RebuildMenuBar(nullptr);
    }
    UpdateWindowMenu();
}

// ------------------------------------------------------------ operations

QList<QMdiSubWindow*> TFMain_velka::Children() const { return mdi_->subWindowList(); }

QMdiSubWindow* TFMain_velka::ActiveChild() const {
    if (QMdiSubWindow* active = mdi_->activeSubWindow()) return active;
    return mdi_->currentSubWindow();
}

TEditForm* TFMain_velka::ActiveDocument() const {
    QMdiSubWindow* child = ActiveChild();
    return child ? qobject_cast<TEditForm*>(child->widget()) : nullptr;
}

TForm_XMLView* TFMain_velka::ActiveReportViewer() const {
    QMdiSubWindow* child = ActiveChild();
    return child ? qobject_cast<TForm_XMLView*>(child->widget()) : nullptr;
}

QString DisplayCaption(const QString& path) {
    const QFileInfo info(path);
    if (!path.contains('/')) return path;  // "Untitled"
    return info.fileName() + QString::fromUtf8(" — ") + QDir::toNativeSeparators(info.path());
}

namespace {

// The full path of what a child window shows ("Untitled" for a new document).
QString ChildPath(const QMdiSubWindow* child) {
    if (auto* document = qobject_cast<TEditForm*>(child->widget())) return document->FileName();
    if (auto* viewer = qobject_cast<TForm_XMLView*>(child->widget())) return viewer->FileName();
    return child->widget() ? child->widget()->windowTitle() : QString();
}

}  // namespace

void TFMain_velka::UpdateWindowMenu() {
    for (QAction* a : window_actions_) {
        Fenetre1->removeAction(a);
        delete a;
    }
    window_actions_.clear();
    const QList<QMdiSubWindow*> children = mdi_->subWindowList();
    if (children.isEmpty()) return;
    QMdiSubWindow* active = ActiveChild();
    window_actions_ << Fenetre1->addSeparator();
    int number = 0;
    for (QMdiSubWindow* child : children) {
        ++number;
        QString caption = DisplayCaption(ChildPath(child));
        caption.replace('&', "&&");
        if (number < 10) caption = QString("&%1 %2").arg(number).arg(caption);
        QAction* a = Fenetre1->addAction(caption);
        a->setCheckable(true);
        a->setChecked(child == active);
        QPointer<QMdiSubWindow> target(child);
        connect(a, &QAction::triggered, this, [this, target] {
            if (target) mdi_->setActiveSubWindow(target);
        });
        window_actions_ << a;
    }
}

QMdiSubWindow* TFMain_velka::AddChild(QWidget* widget) {
    QMdiSubWindow* child = mdi_->addSubWindow(widget);  // deleted when closed
    // The caption starts with the file name, then its folder, so that tiled
    // windows of files with long paths are told apart. The child's own
    // caption (its path) is kept for the commands.
    auto retitle = [child] { child->setWindowTitle(DisplayCaption(ChildPath(child))); };
    child->installEventFilter(this);  // after the area's own filter: runs first
    connect(widget, &QWidget::windowTitleChanged, child, retitle);
    retitle();
    child->showMaximized();
    mdi_->setActiveSubWindow(child);
    return child;
}

TEditForm* TFMain_velka::NewDocument() {
    auto* document = new TEditForm(*prompts_);
    connect(document, &TEditForm::newRequested, this, [this] { Nouveau1Click(); });
    connect(document, &TEditForm::openRequested, this, [this] { Ouvrir1Click(); });
    connect(document, &TEditForm::quitRequested, this, [this] { Quitter1Click(); });
    connect(document, &TEditForm::reductionRequested, this, [this] { Reduction1Click(); });
    connect(document, &TEditForm::statusTextChanged, this, [this](const QString& text) { SetStatusText(text); });
    AddEditingToolContextEntries(*this, *document);
    AddRecordingImportEntry(*this, *document->Fichier1);
    AddChild(document);
    return document;
}

TEditForm* TFMain_velka::OpenAsDocument(const QString& path) {
    TEditForm* document = NewDocument();
    document->LoadFile(QFileInfo(path).absoluteFilePath());
    return document;
}

TForm_XMLView* TFMain_velka::OpenInReportViewer(const QString& path) {
    auto* viewer = new TForm_XMLView;
    viewer->warn = [this](const QString& text) { prompts_->Warning(this, text); };
    const QString full = QFileInfo(path).absoluteFilePath();
    if (!viewer->LoadFile(full))
        ReportError(QString::fromUtf8("Impossible de lire le fichier %1 :\n%2").arg(full, viewer->LastError()));
    AddChild(viewer);
    return viewer;
}

std::optional<QString> TFMain_velka::AskOutputName(const QString& title, const QString& filter,
                                                   const QString& proposed) {
    auto name = prompts_->AskSaveName(this, title, filter, proposed);
    if (name) {
        *name = QFileInfo(*name).absoluteFilePath();
        RememberFolderOf(*name);
    }
    return name;
}

QString TFMain_velka::ProposedName(const TEditForm& document, const std::string& extension) const {
    QString base = document.FileName();
    if (base == TEditForm::kUntitled && !LastFolder().empty()) base = Q(LastFolder()) + "/" + base;
    return Q(ChangeFileExt(S(base), extension));
}

void TFMain_velka::CloseDocumentsNamed(const QString& path) {
    const QString target = QFileInfo(path).absoluteFilePath();
    for (QMdiSubWindow* child : mdi_->subWindowList()) {
        QString name;
        if (auto* document = qobject_cast<TEditForm*>(child->widget()))
            name = document->FileName();
        else if (auto* viewer = qobject_cast<TForm_XMLView*>(child->widget()))
            name = viewer->FileName();
        if (!name.isEmpty() && QFileInfo(name).absoluteFilePath() == target) child->close();
    }
}

void TFMain_velka::SetStatusText(const QString& text) { statusBar()->showMessage(text); }

void TFMain_velka::ReportError(const QString& text) { prompts_->Error(this, text); }

// ------------------------------------------------------------ commands

void TFMain_velka::Nouveau1Click() { NewDocument(); }

void TFMain_velka::Ouvrir1Click() {
    const auto name = prompts_->AskOpenName(this, "Ouvrir", kOpenFilter, Q(LastFolder()));
    if (!name) return;
    RememberFolderOf(*name);
    // Only ".xml" in lower case goes to the report viewer.
    if (ExtractFileExt(S(*name)) == ".xml")
        OpenInReportViewer(*name);
    else
        OpenAsDocument(*name);
}

void TFMain_velka::Quitter1Click() {
    // Same as closing the window: modified documents are asked about and
    // the parameters are stored.
    close();
}

void TFMain_velka::SauvegarderClick() {
    QMdiSubWindow* child = ActiveChild();
    if (!child) return;
    auto* document = qobject_cast<TEditForm*>(child->widget());
    if (!document) return;
    if (!document->Modified()) {
        prompts_->Message(this, QString::fromUtf8("Fichier déjà sauvegardé !"));
        return;
    }
    document->Save1Click();
}

void TFMain_velka::Options1Click() { options_->ShowFromMenu(); }

void TFMain_velka::HPammHg1Click() { pressure_->exec(); }

void TFMain_velka::APropos1Click() {
    TAboutBox about(this);
    about.exec();
}

void TFMain_velka::Cascade1Click() { mdi_->cascadeSubWindows(); }

void TFMain_velka::Mosaique1Click() { mdi_->tileSubWindows(); }

void TFMain_velka::closeEvent(QCloseEvent* event) {
    for (QMdiSubWindow* child : mdi_->subWindowList()) {
        if (!child->close()) {
            event->ignore();
            return;
        }
    }
    write_ini();
    event->accept();
}

bool TFMain_velka::eventFilter(QObject* watched, QEvent* event) {
    // The area switches windows by itself on Ctrl held with Tab (its most
    // recent one first), which would come on top of "Fenêtre suivante":
    // those keys do not reach it.
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        qobject_cast<QMdiSubWindow*>(watched)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Control || key == Qt::Key_Tab || key == Qt::Key_Backtab) return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFMain_velka::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFMain_velka::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) OpenAsDocument(url.toLocalFile());
    event->acceptProposedAction();
}

}  // namespace kestrova

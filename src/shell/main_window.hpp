// The main window: a multi-document frame whose menu commands work on the
// active document.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QPointer>

#include "shell/prompts.hpp"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace kestrova {

class TEditForm;
class TForm_XMLView;
class TF_opt;
class TF_HPa2mmHg;

// The filter of the open dialog.
extern const char* const kOpenFilter;
// The hint of the toolbar's GSI conversion button.
extern const char* const kGsiButtonHint;
// Where the GDM conversion is, told when a GDM recording is given to the
// GSI conversion.
extern const char* const kGdmConversionPlace;

// The caption of a child window showing `path`: the file name, then its
// folder ("big.crt — /home/geo/chantier"); "Untitled" stays as it is.
QString DisplayCaption(const QString& path);

class TFMain_velka : public QMainWindow {
    Q_OBJECT
public:
    // Without `prompts`, the real dialogs are used.
    explicit TFMain_velka(std::unique_ptr<Prompts> prompts = nullptr, QWidget* parent = nullptr);
    ~TFMain_velka() override;

    Prompts& prompts() { return *prompts_; }

    // ---- Operations for the commands
    // The active child window, or none.
    QMdiSubWindow* ActiveChild() const;
    // The active document; none when there is no child or the active child
    // is a report viewer.
    TEditForm* ActiveDocument() const;
    TForm_XMLView* ActiveReportViewer() const;
    // A new empty "Untitled" document.
    TEditForm* NewDocument();
    // Opens a file as a document (shown maximised, caret at the start,
    // modified flag clear). A read error is reported; the window stays.
    TEditForm* OpenAsDocument(const QString& path);
    // Opens an XML file in a report viewer.
    TForm_XMLView* OpenInReportViewer(const QString& path);
    // The save dialog of the commands: returns the chosen path or nothing.
    std::optional<QString> AskOutputName(const QString& title, const QString& filter, const QString& proposed);
    // The active document's path with another extension.
    QString ProposedName(const TEditForm& document, const std::string& extension) const;
    // Closes (with the usual save question) every child showing `path`.
    void CloseDocumentsNamed(const QString& path);
    void SetStatusText(const QString& text);
    QList<QMdiSubWindow*> Children() const;

    // ---- Commands
    void Nouveau1Click();
    void Ouvrir1Click();
    void Quitter1Click();
    void SauvegarderClick();  // toolbar "Sauvegarder"
    void GSIformatcarnet1Click();
    void ConversionGSILeicaformatcarnetxml1Click();
    void Reduction1Click();
    void Options1Click();
    void HPammHg1Click();
    void APropos1Click();
    void Cascade1Click();
    void Mosaique1Click();
    // Lists the open windows at the end of "Fenêtre", the active one checked.
    void UpdateWindowMenu();

    // ---- Menus and toolbar (later commands add their entries here)
    QMenu* Fichier1 = nullptr;
    QMenu* Topo1 = nullptr;
    QMenu* Conversion1 = nullptr;
    QMenu* Outils1 = nullptr;
    QMenu* Fenetre1 = nullptr;
    QMenu* Aide1 = nullptr;
    QAction* FenetreSuivante1 = nullptr;    // Ctrl+Tab
    QAction* FenetrePrecedente1 = nullptr;  // Ctrl+Shift+Tab
    QAction* GSIformatcarnet1 = nullptr;
    QAction* ConversionGSILeicaformatcarnetxml1 = nullptr;
    QAction* Reduction1 = nullptr;
    QAction* Options1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QAction* ToolButtonNouveau = nullptr;
    QAction* ToolButtonOuvrir = nullptr;
    QAction* ToolButtonSauvegarder = nullptr;
    QAction* ToolButtonQuitter = nullptr;
    QAction* gsi2crt = nullptr;        // toolbar GSI conversion
    QAction* ToolButtonReduc = nullptr;  // toolbar reduction

    QMdiArea* MdiArea() const { return mdi_; }
    TF_opt* OptionsDialog() const { return options_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    QMdiSubWindow* AddChild(QWidget* widget);
    void ChildActivated(QMdiSubWindow* child);
    void RebuildMenuBar(TEditForm* document);
    void ReportError(const QString& text);

    std::unique_ptr<Prompts> prompts_;
    QMdiArea* mdi_ = nullptr;
    TF_opt* options_ = nullptr;
    TF_HPa2mmHg* pressure_ = nullptr;
    QList<QAction*> window_actions_;     // the open windows in "Fenêtre"
    QPointer<TEditForm> menu_document_;  // whose menus are in the menu bar
    bool reduction_cancelled_ = false;    // left by the "Réduction" dialog
};

}  // namespace kestrova

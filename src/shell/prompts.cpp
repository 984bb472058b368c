#include "shell/prompts.hpp"

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>

#include "shell/choix_reduc.hpp"
#include "shell/niv_dialog.hpp"
#include "shell/options_dialog.hpp"

namespace kestrova {

int Prompts::ExecDialog(QDialog& dialog) { return dialog.exec(); }

void Prompts::ShowDialog(QDialog& dialog) {
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

QString QtFileFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i];
        QStringList list = parts[i + 1].split(';');
        // "*.*" means every file; here it would only match names with a dot.
        for (QString& pattern : list)
            if (pattern == "*.*") pattern = "*";
        const QString patterns = list.join(' ');
        const QString suffix = "(" + patterns + ")";
        // "Fichier Brelix (*.obs)" already names its patterns.
        if (description.endsWith(suffix))
            entries << description;
        else
            entries << description + " " + suffix;
    }
    return entries.join(";;");
}

std::optional<QString> QtPrompts::AskOpenName(QWidget* parent, const QString& title,
                                              const QString& filter, const QString& folder) {
    const QString filters = QtFileFilter(filter);
    QString selected = filters.split(";;").contains(open_filter_) ? open_filter_ : QString();
    const QString name = QFileDialog::getOpenFileName(parent, title, folder, filters, &selected);
    if (name.isEmpty()) return std::nullopt;
    open_filter_ = selected;
    return name;
}

std::optional<QString> QtPrompts::AskSaveName(QWidget* parent, const QString& title,
                                              const QString& filter, const QString& proposed) {
    // QFileDialog asks before overwriting an existing file.
    const QString name = QFileDialog::getSaveFileName(parent, title, proposed, QtFileFilter(filter));
    if (name.isEmpty()) return std::nullopt;
    return name;
}

void QtPrompts::Message(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, "Kestrova", text, QMessageBox::Ok);
}

void QtPrompts::Error(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, "Kestrova", text, QMessageBox::Ok);
}

void QtPrompts::Warning(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, "Kestrova", text, QMessageBox::Ok);
}

Prompts::Answer QtPrompts::AskYesNoCancel(QWidget* parent, const QString& text) {
    const auto button = QMessageBox::question(parent, "Kestrova", text,
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                              QMessageBox::Yes);
    if (button == QMessageBox::Yes) return Answer::Yes;
    if (button == QMessageBox::No) return Answer::No;
    return Answer::Cancel;
}

std::optional<TNivSettings> QtPrompts::ChooseLevellingWeighting(QWidget* parent, const TNivSettings& settings) {
    TFniv dialog(parent);
    return dialog.Run(settings);
}

Prompts::ReductionChoice QtPrompts::ChooseReduction(QWidget* parent) {
    TFChoixReduc dialog(parent);
    switch (dialog.Run()) {
        case TFChoixReduc::Result::Valider: return ReductionChoice::Valider;
        case TFChoixReduc::Result::Annuler: return ReductionChoice::Annuler;
        case TFChoixReduc::Result::Closed: break;
    }
    return ReductionChoice::Closed;
}

void QtPrompts::ConfirmGsiFormat(QWidget* parent, const std::vector<std::string>& lines) {
    if (options_) {
        options_->Check_gsi_format(lines);
        return;
    }
    TF_opt dialog(parent);
    dialog.Check_gsi_format(lines);
}

std::optional<std::string> Prompts::ChooseGdmAngleUnit(QWidget*, const std::string& proposed) { return proposed; }

std::optional<std::string> QtPrompts::ChooseGdmAngleUnit(QWidget* parent, const std::string& proposed) {
    static const char* const kKeys[] = {"gon", "dms", "deg"};
    const QStringList items = {QString::fromUtf8("Grades (gon)"), QString::fromUtf8("Degrés ddd.mmss (84.0459 = 84°04'59\")"),
                               QString::fromUtf8("Degrés décimaux")};
    int current = 0;
    for (int i = 0; i < 3; ++i)
        if (proposed == kKeys[i]) current = i;
    bool ok = false;
    const QString item = QInputDialog::getItem(parent, QString::fromUtf8("Conversion GDM"),
                                               QString::fromUtf8("Unité des angles du fichier GDM :"), items, current,
                                               false, &ok);
    if (!ok) return std::nullopt;
    return std::string(kKeys[std::max(0, static_cast<int>(items.indexOf(item)))]);
}

bool QtPrompts::AskPrint(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void QtPrompts::PrinterSetup(QWidget* parent, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent);
    dialog.exec();
}

}  // namespace kestrova

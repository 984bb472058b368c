// The options dialog: created once at start, shown modally from the menu and
// as the confirmation step of the GSI conversions. What it maps and checks
// lives in app/options_logic.hpp.
#pragma once
#include <array>
#include <string>
#include <vector>

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kestrova {

class TF_opt : public QDialog {
    Q_OBJECT
public:
    explicit TF_opt(QWidget* parent = nullptr);

    // "Options" menu command: caption back to "Options", then shown modally.
    int ShowFromMenu();
    // Guesses the header style of a GSI document into entete_gsi and shows
    // the dialog on the page "Import gsi" for confirmation.
    int Check_gsi_format(const std::vector<std::string>& lines);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void OKBtnClick();
    void RenormSwitchChanged(bool ticked);
    void RenormEditChanged(int field);
    void ShowExample(const char* line);

    QString caption_;
    QTabWidget* pages_ = nullptr;
    QWidget* optionGsi_ = nullptr;
    QButtonGroup* gsiHeader_ = nullptr;
    QButtonGroup* triObs_ = nullptr;
    QButtonGroup* meteo_ = nullptr;
    QPushButton* exampleButtons_[3] = {};
    std::array<QLineEdit*, 4> sigmaEdits_{};
    QCheckBox* ecritureHauteurs_ = nullptr;
    QCheckBox* useOuvPourZ0_ = nullptr;
    QCheckBox* renormaliser_ = nullptr;
    QGroupBox* renormGroup_ = nullptr;
    std::array<QLineEdit*, 8> renormEdits_{};
};

}  // namespace kestrova

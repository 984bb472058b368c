// The "hPa <-> mmHg" converter of the "Outils" menu. Created once and shown
// modally; the two fields keep their contents between openings.
#pragma once
#include <QDialog>

class QLineEdit;

namespace kestrova {

class TF_HPa2mmHg : public QDialog {
    Q_OBJECT
public:
    explicit TF_HPa2mmHg(QWidget* parent = nullptr);

private:
    void Hpa2mmHgClick();
    void MmHg2HpaClick();

    QLineEdit* lb_hpa_ = nullptr;
    QLineEdit* lb_mmhg_ = nullptr;
};

}  // namespace kestrova

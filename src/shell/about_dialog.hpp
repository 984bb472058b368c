// The "A propos" box of the "?" menu: product name, version and date, with a
// release-notes area that the "Release notes" button shows and hides.
#pragma once
#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace kestrova {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    static constexpr int kShortHeight = 249;
    static constexpr int kLongHeight = 427;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ReleaseNotesClick();

    QLabel* productName_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* date_ = nullptr;
    QPlainTextEdit* releaseNotes_ = nullptr;
};

}  // namespace kestrova

// The report viewer: one XML reduction report shown through its stylesheet.
// The summary shows at once; each station's section is rendered when a link
// leads to it or the view scrolls to it, and only a few sections around the
// one shown are kept, so that the memory follows the part shown.
#pragma once
#include <functional>
#include <map>
#include <memory>

#include <QImage>
#include <QString>
#include <QUrl>
#include <QWidget>

class QAction;
class QTextBrowser;
class QTextDocument;

namespace kestrova {

class TReportPages;

class TForm_XMLView : public QWidget {
    Q_OBJECT
public:
    explicit TForm_XMLView(QWidget* parent = nullptr);
    ~TForm_XMLView() override;

    // Shows the file: caption = path; a report with a stylesheet is shown
    // formatted, any other XML file as its text (its first megabyte when it
    // is longer: "Ouvrir dans le navigateur" then shows it whole). False
    // when the file could not be read at all (the reason is in LastError()).
    bool LoadFile(const QString& path);

    QString FileName() const { return file_name_; }
    // The HTML shown now (the summary and the sections loaded).
    QString Html() const { return html_; }
    bool Formatted() const { return formatted_; }
    QString LastError() const { return error_; }

    // Writes the complete HTML page into a temporary file and opens it in
    // the user's web browser. Returns the path of the HTML file (empty on
    // failure or cancel).
    QString OpenInBrowser();

    // How URLs are handed to the desktop (replaced in tests).
    std::function<bool(const QUrl&)> openUrl;
    // How a problem of "Ouvrir dans le navigateur" is told (a warning box
    // unless replaced).
    std::function<void(const QString&)> warn;

    // The sections shown: 0 is the summary, k the k-th station. At most
    // `maxSections` stay loaded.
    int FirstSection() const { return first_; }
    int LastSection() const { return last_; }
    int maxSections = 8;

    QTextBrowser* XMLview = nullptr;
    QAction* OpenInBrowserAction = nullptr;

protected:
    // Ctrl+Home goes back to the summary.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FollowLink(const QUrl& url);
    // The summary, when it is not loaded, shown from its top.
    void BackToSummary();
    // Shows sections [first, last], then puts the anchor `anchor` at
    // `offset` pixels above the top of the view.
    void ShowSections(int first, int last, const QString& anchor, int offset);
    // The page of sections [first, last], which become the window's
    // (rendered sections outside it are dropped).
    QString PageHtml(int first, int last);
    // The page `html_` shown (the first page from its document kept), the
    // anchor placed as ShowSections does.
    void ShowPage(const QString& anchor, int offset);
    // Puts the anchor `anchor` at `offset` pixels above the top of the view.
    void PlaceAnchor(const QString& anchor, int offset);
    // The last section of the first page (the summary and the first station).
    int FirstPageLast() const;
    // The view's document for the pages but the first (made on first use).
    QTextDocument* OtherPages();
    // Forgets the first page's document (another file is opened).
    void DropFirstPage();
    // Loads the next or previous section when the view nears an end.
    void ExtendOnScroll();
    QString SectionHtml(int section);
    QString SectionAnchor(int section) const;
    int AnchorY(const QString& name) const;

    std::unique_ptr<TReportPages> pages_;
    std::map<int, QString> cache_;  // rendered sections of the window
    std::map<int, QImage> sketches_;  // their sketches, drawn when first shown
    int first_ = 0, last_ = -1;
    // The first page, parsed once when the report is opened and kept: a
    // large report's table of contents takes a moment to parse (0.4 s for
    // 30 000 stations), and the summary is where the reader comes back to.
    // Both documents belong to the view.
    QTextDocument* firstPage_ = nullptr;
    QTextDocument* otherPages_ = nullptr;
    bool extending_ = false;
    bool busy_ = false;

    QString file_name_;
    QString html_;
    QString error_;
    bool formatted_ = false;
};

}  // namespace kestrova

#include "shell/xml_view.hpp"

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QThread>
#include <QAction>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <QKeyEvent>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "base/line_reader.hpp"
#include "base/text_file.hpp"
#include "shell/command_runner.hpp"
#include "shell/memory_release.hpp"
#include "shell/qt_text.hpp"
#include "exports/html_report.hpp"
#include "exports/report_reader.hpp"
#include "shell/report_pages.hpp"
#include "shell/report_sketches.hpp"

namespace kestrova {

namespace {

// The part of a file that is not a report shown as text: a few thousand
// lines, laid out at once.
constexpr std::size_t kPlainTextShown = 1 << 20;

// The text of the file (UTF-8 or Windows-1252) into `target` as UTF-8,
// line by line: false when it could not be read or written.
bool WriteTextAsUtf8(const std::string& path, const std::string& target, TProgress& progress) {
    try {
        TTextLineReader reader(path);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        std::string_view line;
        std::size_t lines = 0;
        while (reader.Next(line)) {
            out.write(line.data(), static_cast<std::streamsize>(line.size())).put('\n');
            if (++lines % 4096 == 0)
                progress.Advance(static_cast<double>(reader.Position()), static_cast<double>(reader.FileBytes()));
        }
        out.close();
        return static_cast<bool>(out);
    } catch (const TextFileError&) {
        return false;
    }
}

}  // namespace

TForm_XMLView::TForm_XMLView(QWidget* parent) : QWidget(parent) {
    setObjectName("Form_XMLView");
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    warn = [this](const QString& text) { QMessageBox::warning(this, "Kestrova", text, QMessageBox::Ok); };

    auto* browser = new TReportBrowser(this);
    // Each station's sketch is drawn when its section is first shown.
    browser->sketch = [this](int section) {
        if (!pages_ || section < 1) return QImage();
        auto it = sketches_.find(section);
        if (it == sketches_.end())
            it = sketches_.emplace(section, RenderSvg(pages_->StationSketchSvg(static_cast<std::size_t>(section - 1)))).first;
        return it->second;
    };
    XMLview = browser;
    XMLview->setObjectName("XMLview");
    // Links are followed here: anchors inside the report scroll the view,
    // other links go to the desktop.
    XMLview->setOpenLinks(false);
    connect(XMLview, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { FollowLink(url); });
    // Near either end of the loaded sections, the next one is loaded (after
    // the scroll itself is over).
    connect(XMLview->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        QTimer::singleShot(0, this, [this] { ExtendOnScroll(); });
    });
    // The summary leaves the window past it and is not loaded again by
    // scrolling up (see ExtendOnScroll); the scroll bar's top, reached by
    // the user (wheel, keys, arrows or the slider), brings it back.
    connect(XMLview->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int) {
        QTimer::singleShot(0, this, [this] {
            if (first_ == 1 && XMLview->verticalScrollBar()->value() == 0) BackToSummary();
        });
    });
    XMLview->installEventFilter(this);
    XMLview->viewport()->installEventFilter(this);
    // And when the layout of a long document reaches its end while the view
    // is already near it (see ExtendOnScroll).
    connect(XMLview->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] {
        QTimer::singleShot(0, this, [this] { ExtendOnScroll(); });
    });

    OpenInBrowserAction = new QAction("Ouvrir dans le navigateur", this);
    OpenInBrowserAction->setObjectName("OpenInBrowser");
    OpenInBrowserAction->setStatusTip("Afficher ce rapport dans le navigateur web");
    connect(OpenInBrowserAction, &QAction::triggered, this, [this] { OpenInBrowser(); });

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addAction(OpenInBrowserAction);

    XMLview->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(XMLview, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* menu = XMLview->createStandardContextMenu(pos);
        menu->addSeparator();
        menu->addAction(OpenInBrowserAction);
        menu->popup(XMLview->viewport()->mapToGlobal(pos));
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(XMLview, 1);
}

TForm_XMLView::~TForm_XMLView() = default;

bool TForm_XMLView::LoadFile(const QString& path) {
    file_name_ = path;
    setWindowTitle(path);
    error_.clear();
    html_.clear();
    cache_.clear();
    sketches_.clear();
    first_ = 0;
    last_ = -1;
    DropFirstPage();
    XMLview->document()->setBaseUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath() + "/"));

    auto pages = std::make_unique<TReportPages>();
    bool rendered = false;
    // The first page of a report in parts (its summary and first station)
    // is parsed on the worker too: a large report's table of contents
    // takes a moment (0.4 s for 38 000 stations). Its document is made
    // like the view's own and handed over to the window's thread.
    std::unique_ptr<QTextDocument> firstPage;
    const QTextDocument* own = XMLview->document();
    const QFont font = own->defaultFont();
    const QString styleSheet = own->defaultStyleSheet();
    const qreal margin = own->documentMargin();
    const QTextOption option = own->defaultTextOption();
    const QUrl base = own->baseUrl();
    QThread* window = thread();
    // Another XML file, or a report without its stylesheet, is shown as its
    // text: read here too, and only its beginning when it is long (a report
    // of 100 000 pointings laid out as text froze the window for seconds and
    // took some forty times its size).
    std::vector<std::string> plain;
    bool plainCut = false;
    std::optional<std::string> plainError;
    busy_ = true;
    const bool finished = RunWithProgress(this, QString::fromUtf8("Ouverture du rapport"), [&](TProgress& progress) {
        rendered = pages->Open(S(path), progress);
        if (!rendered) {
            try {
                plain = ReadTextStart(S(path), kPlainTextShown, plainCut);
            } catch (const TextFileError& error) {
                plainError = error.reason();
            }
            return;
        }
        if (!pages->Split()) return;
        // The view is not shown yet: nothing else uses these members
        // meanwhile.
        pages_ = std::move(pages);
        html_ = PageHtml(0, pages_->StationCount() > 0 ? 1 : 0);
        auto page = std::make_unique<QTextDocument>();
        page->setDefaultFont(font);
        page->setDefaultStyleSheet(styleSheet);
        page->setDocumentMargin(margin);
        page->setDefaultTextOption(option);
        page->setBaseUrl(base);
        page->setHtml(html_);
        page->moveToThread(window);
        firstPage = std::move(page);
    });
    busy_ = false;
    ReleaseFreedMemory();  // the summary's documents
    if (!finished) {
        formatted_ = false;
        pages_.reset();
        XMLview->clear();
        error_ = QString::fromUtf8("ouverture annulée");
        return false;
    }
    if (rendered) {
        formatted_ = true;
        if (firstPage) {
            firstPage_ = firstPage.release();
            firstPage_->setParent(XMLview);
            ShowPage("Top", 0);
        } else {
            pages_ = std::move(pages);
            html_ = Q(pages_->Whole());
            XMLview->setHtml(html_);
        }
        return true;
    }
    // Not a report with a usable stylesheet: show the XML text itself.
    formatted_ = false;
    pages_.reset();
    if (plainError) {
        XMLview->clear();
        error_ = Q(*plainError);
        return false;
    }
    std::string text;
    for (const std::string& line : plain) text.append(line).append("\n");
    if (plainCut)
        text += "[...]\nSeul le début du fichier est affiché : « Ouvrir dans le navigateur » le montre en entier.\n";
    plain.clear();
    XMLview->setPlainText(Q(text));
    error_ = Q(pages->Error());
    return true;
}

QString TForm_XMLView::SectionAnchor(int section) const {
    return section == 0 ? QString("Top") : Q(pages_->AnchorOf(static_cast<std::size_t>(section - 1)));
}

namespace {

// The summary as the view lays it out: each line of a list of links (the
// table of contents, "<a href=...>...</a><br>" one after the other) in a
// block of its own, the same to the eye. As lines of a single block, the
// thousands of lines of a large report's contents are laid out together
// at every change (a fifth of a second for 100 000 pointings).
QString SummaryForView(const std::string& head) {
    QString html = Q(head);
    html.replace(QLatin1String("<br><a href=\"#"), QLatin1String("<div></div><a href=\"#"));
    return html;
}

}  // namespace

QString TForm_XMLView::SectionHtml(int section) {
    if (section == 0) return SummaryForView(pages_->Head());
    auto it = cache_.find(section);
    if (it == cache_.end())
        it = cache_.emplace(section, WithSketch(Q(pages_->StationHtml(static_cast<std::size_t>(section - 1))), section))
                 .first;
    return it->second;
}

int TForm_XMLView::AnchorY(const QString& name) const {
    QTextDocument* doc = XMLview->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor() && format.anchorNames().contains(name))
                return static_cast<int>(doc->documentLayout()->blockBoundingRect(block).top());
        }
    }
    return -1;
}

void TForm_XMLView::ShowSections(int first, int last, const QString& anchor, int offset) {
    html_ = PageHtml(first, last);
    ShowPage(anchor, offset);
}

int TForm_XMLView::FirstPageLast() const { return pages_ && pages_->StationCount() > 0 ? 1 : 0; }

QTextDocument* TForm_XMLView::OtherPages() {
    if (!otherPages_) {
        // Set up as the view's own document was.
        const QTextDocument* like = XMLview->document();
        otherPages_ = new QTextDocument(XMLview);
        otherPages_->setDefaultFont(like->defaultFont());
        otherPages_->setDefaultStyleSheet(like->defaultStyleSheet());
        otherPages_->setDocumentMargin(like->documentMargin());
        otherPages_->setDefaultTextOption(like->defaultTextOption());
    }
    otherPages_->setBaseUrl(XMLview->document()->baseUrl());
    return otherPages_;
}

void TForm_XMLView::DropFirstPage() {
    if (!firstPage_) return;
    if (XMLview->document() == firstPage_) XMLview->setDocument(OtherPages());
    delete firstPage_;
    firstPage_ = nullptr;
}

QString TForm_XMLView::PageHtml(int first, int last) {
    const int count = static_cast<int>(pages_->StationCount());
    first_ = std::max(0, first);
    last_ = std::min(count, last);
    // Rendered sections outside the window are dropped.
    for (auto it = cache_.begin(); it != cache_.end();)
        it = it->first < first_ || it->first > last_ ? cache_.erase(it) : std::next(it);
    for (auto it = sketches_.begin(); it != sketches_.end();)
        it = it->first < first_ || it->first > last_ ? sketches_.erase(it) : std::next(it);

    QString html = first_ == 0 ? QString() : QString("<html><body>");
    for (int s = first_; s <= last_; ++s) html += SectionHtml(s);
    html += last_ == count ? Q(pages_->Tail()) : QString("</body></html>");
    return html;
}

void TForm_XMLView::ShowPage(const QString& anchor, int offset) {
    extending_ = true;
    if (firstPage_ && first_ == 0 && last_ == FirstPageLast()) {
        // The view keeps documents it did not make: both stay.
        if (XMLview->document() != firstPage_) XMLview->setDocument(firstPage_);
    } else {
        if (XMLview->document() == firstPage_) XMLview->setDocument(OtherPages());
        XMLview->setHtml(html_);
    }
    PlaceAnchor(anchor, offset);
    extending_ = false;
}

void TForm_XMLView::PlaceAnchor(const QString& anchor, int offset) {
    QScrollBar* bar = XMLview->verticalScrollBar();
    // The summary's anchor sits below the page margin: its section starts
    // at the very top.
    const int y = anchor == "Top" ? 0 : AnchorY(anchor);
    if (y < 0 || y + offset <= 0) {
        bar->setValue(0);
        return;
    }
    const int target = y + offset;
    // A long page is laid out in steps once it is set, and the scroll bar
    // only covers what is laid out: the page is laid out down to a screen
    // below the place first, else the view would stop short of it, in the
    // middle of what comes before.
    XMLview->document()->documentLayout()->hitTest(QPointF(0, target + XMLview->viewport()->height()),
                                                   Qt::FuzzyHit);
    bar->setValue(target);
}

void TForm_XMLView::ExtendOnScroll() {
    if (!pages_ || !pages_->Split() || extending_ || busy_) return;
    const int count = static_cast<int>(pages_->StationCount());
    QScrollBar* bar = XMLview->verticalScrollBar();
    const int value = bar->value();
    const int margin = bar->pageStep();
    // A long document is laid out in steps after it is set, and the scroll
    // bar only covers what is laid out so far: until its last block is
    // laid out, the end of the bar is not the end of the loaded sections
    // (in a large report's contents, every scroll would otherwise load one
    // more section and set the whole window again).
    const QTextBlock lastBlock = XMLview->document()->lastBlock();
    const bool laidOut = lastBlock.isValid() && lastBlock.layout() && lastBlock.layout()->lineCount() > 0;
    const bool nearEnd = laidOut && value >= bar->maximum() - margin && last_ < count;
    // The summary is not loaded again from below: each station's section
    // begins with a link back to it, and a large report's table of contents
    // would have to be laid out down to the first station to keep the view
    // in place.
    const bool nearStart = value <= margin && first_ > 1;
    if (!nearEnd && !nearStart) return;

    // The section at the top of the view stays where it is on screen.
    int top = first_;
    int topY = 0;
    for (int s = first_; s <= last_; ++s) {
        const int y = s == 0 ? 0 : AnchorY(SectionAnchor(s));
        if (y >= 0 && y <= value) {
            top = s;
            topY = y;
        }
    }
    int first = first_, last = last_;
    if (nearEnd) {
        ++last;
        // Past the summary, the summary goes: a large report's table of
        // contents would be parsed and laid out again at every step.
        if (first == 0 && top > 0) first = 1;
        if (last - first + 1 > maxSections) first = std::min(top, last - maxSections + 1);
    } else {
        --first;
        if (last - first + 1 > maxSections) last = std::max(top, first + maxSections - 1);
    }
    ShowSections(first, last, SectionAnchor(top), value - topY);
}

bool TForm_XMLView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Home && (key->modifiers() & Qt::ControlModifier)) {
            BackToSummary();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm_XMLView::BackToSummary() {
    if (busy_) return;
    if (pages_ && pages_->Split() && first_ != 0) {
        ShowSections(0, FirstPageLast(), "Top", 0);
        return;
    }
    XMLview->verticalScrollBar()->setValue(0);
}

void TForm_XMLView::FollowLink(const QUrl& url) {
    if (url.isRelative() && url.path().isEmpty() && url.hasFragment()) {
        const QString name = url.fragment();
        if (pages_ && pages_->Split()) {
            const int count = static_cast<int>(pages_->StationCount());
            int section = -1;
            if (name == "Top") section = 0;
            else if (name == "Bottom") section = count;
            else if (const long k = pages_->StationOfAnchor(S(name)); k >= 0) section = static_cast<int>(k) + 1;
            // A station's section is shown without the summary before it
            // (a large report's contents would be laid out down to it).
            if (section >= 0 && (section < first_ || section > last_ || (first_ == 0 && section > 0))) {
                // A section not loaded: a new window around it.
                const int first = section == 0 ? 0 : std::max(1, section - 1);
                ShowSections(first, std::min(count, std::max(section + 1, first + 1)), name, 0);
                return;
            }
        }
        XMLview->scrollToAnchor(name);
        return;
    }
    openUrl(XMLview->document()->baseUrl().resolved(url));
}

QString TForm_XMLView::OpenInBrowser() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString base = QDir(folder).filePath("kestrova-" + QFileInfo(file_name_).completeBaseName());
    const bool report = formatted_ && pages_;
    const QString target = base + (report ? ".html" : ".txt");
    bool written = false;
    bool finished = false;
    busy_ = true;
    try {
        finished = RunWithProgress(this, "Ouvrir dans le navigateur", [&](TProgress& progress) {
            if (!report) {
                // The whole text of the file, not only the part shown.
                written = WriteTextAsUtf8(S(file_name_), S(target), progress);
                return;
            }
            // A reduction report becomes the self-contained page with its
            // sketches; another document keeps its stylesheet's page.
            try {
                WriteHtmlReport(S(file_name_), S(target), progress);
                written = true;
                return;
            } catch (const TReportReadError&) {
            }
            std::ofstream out(S(target), std::ios::binary | std::ios::trunc);
            pages_->WriteWhole(out, progress);
            out.close();
            written = static_cast<bool>(out);
        });
    } catch (const std::exception&) {
        written = false;
    }
    busy_ = false;
    if (!finished || !written) {
        QFile::remove(target);
        if (finished) warn(QString::fromUtf8("Impossible d'écrire la page %1 pour le navigateur.").arg(target));
        return QString();
    }
    // Without a browser the page is still there: say where.
    if (!openUrl(QUrl::fromLocalFile(target)))
        warn(QString::fromUtf8("Aucun navigateur n'a pu être lancé.\nLa page est écrite dans :\n%1")
                 .arg(QDir::toNativeSeparators(target)));
    return target;
}

}  // namespace kestrova

#include "shell/edit_form.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciprinter.h>

#include "base/changed_span.hpp"
#include "base/encoding.hpp"
#include "base/line_sink.hpp"
#include "base/param.hpp"
#include "base/text_file.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"
#include "shell/command_runner.hpp"
#include "shell/memory_release.hpp"
#include "shell/prompts.hpp"
#include "shell/qt_text.hpp"

namespace kestrova {

void RememberFolderOf(const QString& path) {
    LastFolder() = S(QFileInfo(path).absolutePath());
}

// ---------------------------------------------------------------- comments

std::string ToggleCommentLine(const std::string& line) {
    const std::string trimmed = Trim(line);
    if (trimmed.empty()) return line;
    if (trimmed[0] == '*') return trimmed.substr(1);
    return "*" + trimmed;
}

std::vector<std::string> ToggleCommentBlock(const std::vector<std::string>& lines) {
    std::vector<std::string> result = lines;
    if (lines.empty()) return result;
    // A blank first line gives no direction: the block is then treated as
    // one without "*" and gets commented.
    const std::string first = Trim(lines.front());
    const bool uncomment = !first.empty() && first[0] == '*';
    for (std::string& line : result) {
        const std::string trimmed = Trim(line);
        if (trimmed.empty()) continue;
        const bool commented = trimmed[0] == '*';
        if (uncomment && commented)
            line = trimmed.substr(1);
        else if (!uncomment && !commented)
            line = "*" + trimmed;
    }
    return result;
}

// ------------------------------------------------------------------ editor

namespace {

// From this size on, a document is too large for QScintilla's support of
// assistive technologies: it counts the document's characters up to the
// caret at each move of the caret and up to each change of the text (a
// third of a second each near the end of a monitoring book of 100 MB,
// a second per key typed there). The text changes are then not told to
// the window (the window itself does not use them), and the editor shows
// itself to assistive technologies as a plain editable field.
constexpr long kAccessibleTextUpTo = 8L << 20;

// The accessible side of an editor holding a large document; QScintilla's
// own for the others.
QAccessibleInterface* LargeEditorAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String(TEditor::staticMetaObject.className())) return nullptr;
    auto* editor = qobject_cast<TEditor*>(object);
    if (!editor || !editor->LargeDocument()) return nullptr;
    return new QAccessibleWidget(editor, QAccessible::EditableText);
}

}  // namespace

TEditor::TEditor(QWidget* parent) : QsciScintilla(parent) {
    setObjectName("editor");
    UseDocumentWithoutStyles();
    setUtf8(true);
    setEolMode(QsciScintilla::EolUnix);
    QFont font("Courier New", 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    setFont(font);
    setMarginsFont(font);
    setMarginType(0, QsciScintilla::NumberMargin);
    setMarginLineNumbers(0, true);
    // Installed after QScintilla's own factory (which the first editor
    // installs): Qt asks the last installed first.
    static const bool factory = (QAccessible::installFactory(LargeEditorAccessible), true);
    static_cast<void>(factory);
    digitWidth_ = QFontMetrics(font).horizontalAdvance("0");
    setMarginWidth(0, 5 * digitWidth_);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { FollowDocumentSize(); });
    setTabWidth(8);
    // The horizontal scroll bar follows the longest line shown, not a fixed
    // width of 2000 pixels.
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    SendScintilla(SCI_SETRECTANGULARSELECTIONMODIFIER, SCMOD_ALT);
    // Ctrl+D deletes the selection (menu "&Supprimer"), it must not
    // duplicate the line as the editor would by default.
    if (QsciCommand* duplicate = standardCommands()->boundTo(QKeyCombination(Qt::CTRL | Qt::Key_D).toCombined())) duplicate->setKey(0);
}

void TEditor::UseDocumentWithoutStyles() {
    // The editor has no lexer: every character shows in the default style,
    // and a document created without style bytes does not keep a second
    // byte per character (100 MB for a monitoring book).
    const long document = SendScintilla(SCI_CREATEDOCUMENT, 0UL, static_cast<long>(SC_DOCUMENTOPTION_STYLES_NONE));
    if (document) AdoptDocument(reinterpret_cast<void*>(document));
}

void TEditor::FollowDocumentSize() {
    // The line-number margin grows with the number of lines (a monitoring
    // book has millions): one digit more than the largest number.
    const int digits = static_cast<int>(QString::number(lines()).size()) + 1;
    if (digits != marginDigits_) {
        marginDigits_ = digits;
        setMarginWidth(0, std::max(digits, 5) * digitWidth_);
    }
    const bool large = SendScintilla(SCI_GETLENGTH) > kAccessibleTextUpTo;
    if (large != large_) {
        large_ = large;
        // The accessible side made for the other size is dropped: the next
        // one asked for is made for this size.
        if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(this))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(accessible));
        // An insertion or a deletion comes with flags (who made it, an
        // undo step) that the mask must leave out too: a change is told
        // when any of its bits is in the mask.
        constexpr unsigned long kNoTextChanges = SC_MOD_CHANGESTYLE | SC_MOD_CHANGEFOLD | SC_MOD_CHANGEMARKER |
                                                 SC_MOD_CHANGEINDICATOR | SC_MOD_CHANGELINESTATE | SC_MOD_CHANGEMARGIN |
                                                 SC_MOD_CHANGEANNOTATION | SC_MOD_LEXERSTATE | SC_MOD_CHANGETABSTOPS;
        SendScintilla(SCI_SETMODEVENTMASK, large ? kNoTextChanges : static_cast<unsigned long>(SC_MODEVENTMASKALL));
    }
}

void TEditor::AdoptDocument(void* document) {
    // The settings the editor put on its document go to the new one. The
    // old document is released here; the editor never hands its document
    // to another view (QsciScintilla::document()/setDocument()), which
    // would still name the old one.
    const long eol = SendScintilla(SCI_GETEOLMODE);
    const long codePage = SendScintilla(SCI_GETCODEPAGE);
    const long tabWidth = SendScintilla(SCI_GETTABWIDTH);
    const long indent = SendScintilla(SCI_GETINDENT);
    const long useTabs = SendScintilla(SCI_GETUSETABS);
    const long tabIndents = SendScintilla(SCI_GETTABINDENTS);
    const long backspaceUnindents = SendScintilla(SCI_GETBACKSPACEUNINDENTS);
    SendScintilla(SCI_SETDOCPOINTER, 0UL, document);  // the view takes a reference
    SendScintilla(SCI_RELEASEDOCUMENT, 0UL, document);
    SendScintilla(SCI_SETEOLMODE, static_cast<unsigned long>(eol));
    SendScintilla(SCI_SETCODEPAGE, static_cast<unsigned long>(codePage));
    SendScintilla(SCI_SETTABWIDTH, static_cast<unsigned long>(tabWidth));
    SendScintilla(SCI_SETINDENT, static_cast<unsigned long>(indent));
    SendScintilla(SCI_SETUSETABS, static_cast<unsigned long>(useTabs));
    SendScintilla(SCI_SETTABINDENTS, static_cast<unsigned long>(tabIndents));
    SendScintilla(SCI_SETBACKSPACEUNINDENTS, static_cast<unsigned long>(backspaceUnindents));
    FollowDocumentSize();
}

void TEditor::SetColumnMode(bool on) {
    column_mode_ = on;
    // The first call gives the current selection the shape of the mode but
    // also makes plain cursor keys extend the selection; the same call
    // again keeps the shape and ends that. Mouse drags and shifted keys
    // then select in the mode (see the event handlers below).
    SendScintilla(SCI_SETSELECTIONMODE, on ? SC_SEL_RECTANGLE : SC_SEL_STREAM);
    SendScintilla(SCI_SETSELECTIONMODE, on ? SC_SEL_RECTANGLE : SC_SEL_STREAM);
}

int TEditor::SelectionStart() const {
    return static_cast<int>(SendScintilla(SCI_GETSELECTIONSTART));
}

int TEditor::SelectionEnd() const {
    return static_cast<int>(SendScintilla(SCI_GETSELECTIONEND));
}

int TEditor::LineOfPosition(int position) const {
    return static_cast<int>(SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
}

// The editor starts a rectangular mouse selection with Ctrl held (Alt on
// macOS), as window managers keep Alt-drags for themselves.
static QMouseEvent WithRectangleModifier(const QMouseEvent* e) {
#if defined(Q_OS_MAC)
    const Qt::KeyboardModifier modifier = Qt::AltModifier;
#else
    const Qt::KeyboardModifier modifier = Qt::ControlModifier;
#endif
    return QMouseEvent(e->type(), e->position(), e->scenePosition(), e->globalPosition(), e->button(),
                       e->buttons(), e->modifiers() | modifier, e->pointingDevice());
}

void TEditor::mousePressEvent(QMouseEvent* event) {
    if (column_mode_ && event->button() == Qt::LeftButton) {
        QMouseEvent altered = WithRectangleModifier(event);
        QsciScintilla::mousePressEvent(&altered);
        return;
    }
    QsciScintilla::mousePressEvent(event);
}

void TEditor::mouseMoveEvent(QMouseEvent* event) {
    if (column_mode_ && (event->buttons() & Qt::LeftButton)) {
        QMouseEvent altered = WithRectangleModifier(event);
        QsciScintilla::mouseMoveEvent(&altered);
        return;
    }
    QsciScintilla::mouseMoveEvent(event);
}

void TEditor::keyPressEvent(QKeyEvent* event) {
    if (column_mode_ && (event->modifiers() & Qt::ShiftModifier) && !(event->modifiers() & Qt::ControlModifier)) {
        switch (event->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_Left:
            case Qt::Key_Right:
            case Qt::Key_Home:
            case Qt::Key_End:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown: {
                QKeyEvent altered(event->type(), event->key(), event->modifiers() | Qt::AltModifier, event->text(),
                                  event->isAutoRepeat(), static_cast<quint16>(event->count()));
                QsciScintilla::keyPressEvent(&altered);
                return;
            }
            default: break;
        }
    }
    QsciScintilla::keyPressEvent(event);
}

void TEditor::dragEnterEvent(QDragEnterEvent* event) {
    // Files dropped on a document are opened by the main window.
    if (event->mimeData()->hasUrls()) {
        event->ignore();
        return;
    }
    QsciScintilla::dragEnterEvent(event);
}

// ----------------------------------------------------------------- printer

namespace {

// Prints the buffer with a header holding the document's name and a footer
// holding the page number.
class TDocumentPrinter : public QsciPrinter {
public:
    explicit TDocumentPrinter(const TEditForm& form) : form_(form) {
        setPageMargins(QMarginsF(25, 25, 15, 25), QPageLayout::Millimeter);
        setCopyCount(1);
        setMagnification(-2);  // 10-point buffer printed at 8 points
    }

    void formatPage(QPainter& painter, bool drawing, QRect& area, int pagenr) override {
        QFont font("Arial", 8);
        font.setStyleHint(QFont::SansSerif);
        painter.setFont(font);
        const int band = painter.fontMetrics().height() * 2;
        if (drawing) {
            painter.drawText(area.left(), area.top(), area.width(), band, Qt::AlignLeft | Qt::AlignTop,
                             form_.FileName());
            painter.drawText(area.left(), area.bottom() - band, area.width(), band,
                             Qt::AlignRight | Qt::AlignBottom, QString("Page %1").arg(pagenr));
        }
        area.setTop(area.top() + band);
        area.setBottom(area.bottom() - band);
    }

private:
    const TEditForm& form_;
};

}  // namespace

// ------------------------------------------------------------------- form

TEditForm::TEditForm(Prompts& prompts, QWidget* parent) : QWidget(parent), prompts_(prompts) {
    setObjectName("EditForm");
    Editor = new TEditor(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Editor);
    setWindowTitle(kUntitled);
    BuildMenus();
    setFocusProxy(Editor);
}

TEditForm::~TEditForm() {
    // The menus are not children of the form (they live in the menu bar
    // while the document is active).
    delete Fichier1;
    delete Edit1;
    delete PopupMenu1;
}

void TEditForm::BuildMenus() {
    Fichier1 = new QMenu("&Fichier");
    Fichier1->setObjectName("File1");
    QAction* a = Fichier1->addAction("&Nouveau", this, [this] { emit newRequested(); });
    a->setObjectName("new1");
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    a = Fichier1->addAction("&Ouvrir", this, [this] { emit openRequested(); });
    a->setObjectName("Open1");
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    a = Fichier1->addAction("&Fermer", this, [this] { window() == this ? close() : parentWidget()->close(); });
    a->setObjectName("Close1");
    a = Fichier1->addAction("&Sauver", this, [this] { Save1Click(); });
    a->setObjectName("Save1");
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    a = Fichier1->addAction("S&auver sous", this, [this] { Saveas1Click(); });
    a->setObjectName("Saveas1");
    Fichier1->addSeparator();
    a = Fichier1->addAction("&Imprimer", this, [this] { Print1Click(); });
    a->setObjectName("Print1");
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    a = Fichier1->addAction("Configuration de l'impression", this, [this] { Printersetup1Click(); });
    a->setObjectName("Printersetup1");
    Fichier1->addSeparator();
    a = Fichier1->addAction("&Quitter", this, [this] { emit quitRequested(); });
    a->setObjectName("Exit1");
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    Edit1 = new QMenu("&Editer");
    Edit1->setObjectName("Edit1");
    Cut1 = Edit1->addAction("Cou&per", this, [this] { Cut1Click(); });
    Cut1->setObjectName("Cut1");
    Cut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    Copy1 = Edit1->addAction("&Copier", this, [this] { Copy1Click(); });
    Copy1->setObjectName("Copy1");
    Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    Paste1 = Edit1->addAction("Co&ller", this, [this] { Paste1Click(); });
    Paste1->setObjectName("Paste1");
    Paste1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    Delete1 = Edit1->addAction("&Supprimer", this, [this] { Delete1Click(); });
    Delete1->setObjectName("Delete1");
    Delete1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    Edit1->addSeparator();
    Selectall1 = Edit1->addAction(QString::fromUtf8("T&out sélectionner"), this, [this] { Selectall1Click(); });
    Selectall1->setObjectName("Selectall1");
    Selectall1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    Edit1->addSeparator();
    Selectionparbloc = Edit1->addAction(QString::fromUtf8("Sélection par bloc"), this, [this] { SelectionparblocClick(); });
    Selectionparbloc->setObjectName("Selectionparbloc");
    Selectionparbloc->setCheckable(true);
    Selectionparbloc->setShortcut(QKeySequence(Qt::Key_F9));
    desactive = Edit1->addAction(QString::fromUtf8("Active/Désactive la ligne"), this, [this] { desactiveClick(); });
    desactive->setObjectName("desactive");
    desactive->setShortcut(QKeySequence(Qt::Key_F4));
    connect(Edit1, &QMenu::aboutToShow, this, [this] { Edit1Click(); });

    PopupMenu1 = new QMenu;
    PopupMenu1->setObjectName("PopupMenu1");
    Cut2 = PopupMenu1->addAction("Cu&t", this, [this] { Cut1Click(); });
    Copy2 = PopupMenu1->addAction("&Copy", this, [this] { Copy1Click(); });
    Paste2 = PopupMenu1->addAction("&Paste", this, [this] { Paste1Click(); });
    PopupMenu1->addSeparator();
    a = PopupMenu1->addAction(QString::fromUtf8("Réduction d'un carnet de terrain (*.crt ou *.xcrt)"), this,
                              [this] { emit reductionRequested(); });
    a->setObjectName("Reduction1");
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { Edit1Click(); });
    // The entries are also kept current between showings, so that their
    // keys (Ctrl+D has no other binding) follow the selection and the
    // clipboard as they are when the key is pressed.
    connect(Editor, &QsciScintilla::selectionChanged, this, [this] { UpdateSelectionEntries(); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdatePasteEntries(); });
    Edit1Click();

    Editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Editor, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(Editor->mapToGlobal(pos)); });
}

void ToEditorLineEnds(std::string& text) {
    // In place: the text only shrinks, except for the line end added to a
    // last line that has none.
    std::size_t out = 0, start = 0;
    const std::size_t size = text.size();
    while (start < size) {
        // The file layer's line ends: LF, CR LF or a CR alone.
        std::size_t length = 0;
        std::size_t end = FindLineEnd(text, start, length);
        if (end == std::string::npos) end = size;
        const std::size_t nl = end + (length == 0 ? 0 : length - 1);
        if (out != start) std::memmove(text.data() + out, text.data() + start, end - start);
        out += end - start;
        if (out < size)
            text[out] = '\n';
        else
            text.push_back('\n');
        ++out;
        start = nl + 1;
    }
    text.resize(out);
}

void EditorTextPieces(std::string_view bytes, std::size_t pieceBytes,
                      const std::function<void(std::string_view)>& piece) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const bool utf8 = IsValidUtf8(bytes);
    std::string text;
    text.reserve(pieceBytes + pieceBytes / 4);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t length = 0;
        const std::size_t found = FindLineEnd(bytes, start, length);
        const std::size_t end = found == std::string_view::npos ? bytes.size() : found;
        const std::size_t nl = found == std::string_view::npos ? found : found + length - 1;
        if (utf8)
            text.append(bytes.substr(start, end - start));
        else
            AppendCp1252AsUtf8(text, bytes.substr(start, end - start));
        text.push_back('\n');
        start = nl == std::string_view::npos ? bytes.size() : nl + 1;
        if (text.size() >= pieceBytes) {
            piece(text);
            text.clear();
        }
    }
    if (!text.empty()) piece(text);
}

// Scintilla's interface for building a document away from the window's
// thread (SCI_CREATELOADER), as Scintilla declares it: the document is
// filled piece by piece on any thread, then shown by the editor. Not in an
// unnamed namespace: a class no other file could derive from would have
// its calls bound by the compiler to the pure functions.
class ScintillaLoader {
public:
    virtual int Release() = 0;
    virtual int AddData(const char* data, std::ptrdiff_t length) = 0;  // 0 when taken
    virtual void* ConvertToDocument() = 0;

protected:
    ~ScintillaLoader() = default;
};

bool TEditForm::LoadFile(const QString& path) {
    file_name_ = path;
    setWindowTitle(path);
    // The file is read, decoded and made into a document off the window's
    // thread (a book of 100 MB takes a moment), without undo history; the
    // editor then shows that document. Only the file's bytes and the
    // document are in memory, never the decoded text whole.
    auto* loader = reinterpret_cast<ScintillaLoader*>(Editor->SendScintilla(
        QsciScintillaBase::SCI_CREATELOADER, static_cast<unsigned long>(std::max<qint64>(0, QFileInfo(path).size())),
        static_cast<long>(QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE)));
    bool ok = true;
    bool loaded = false;
    try {
        loaded = RunWithProgress(this, QString::fromUtf8("Ouverture du fichier"), [&](TProgress& progress) {
            progress.Stage("Lecture de " + S(path));
            const std::string bytes = ReadFileBytes(S(path));
            std::size_t done = 0;
            EditorTextPieces(bytes, std::size_t(1) << 20, [&](std::string_view piece) {
                if (!loader || loader->AddData(piece.data(), static_cast<std::ptrdiff_t>(piece.size())) != 0)
                    throw std::bad_alloc();
                done += piece.size();
                progress.Advance(static_cast<double>(done), static_cast<double>(bytes.size()));
            });
        });
    } catch (const TextFileError& error) {
        prompts_.Error(this, QString::fromUtf8("Impossible de lire le fichier %1 :\n%2").arg(path, Q(error.reason())));
        ok = false;
    } catch (...) {
        if (loader) loader->Release();
        throw;
    }
    if (loader && loaded && ok) {
        Editor->AdoptDocument(loader->ConvertToDocument());
        Editor->SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1UL);  // a loader's document has none
    } else {
        if (loader) loader->Release();
        Editor->SendScintilla(QsciScintillaBase::SCI_CLEARALL);
    }
    ReleaseFreedMemory();
    Editor->setCursorPosition(0, 0);
    Editor->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    Editor->setModified(false);
    return ok;
}

std::vector<std::string_view> SplitEditorLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\n' && c != '\r') continue;
        lines.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    // A final line break ends the last line, it does not start a new one.
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

TReadOnlyWhile::TReadOnlyWhile(TEditor& editor) : editor_(editor), was_(editor.isReadOnly()) {
    editor_.setReadOnly(true);
}

TReadOnlyWhile::~TReadOnlyWhile() { editor_.setReadOnly(was_); }

std::string_view TEditForm::Text() const {
    // Scintilla moves its gap to the end and hands out its contiguous
    // buffer (UTF-8): no copy of a large document through a QString.
    const auto* data = reinterpret_cast<const char*>(
        static_cast<std::intptr_t>(Editor->SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER)));
    const auto length = static_cast<std::size_t>(Editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    return data ? std::string_view(data, length) : std::string_view();
}

std::vector<std::string> TEditForm::Lines() const {
    // The lines as the editor shows and numbers them, so that line n here
    // is line n of the caret and of ReplaceLine.
    const std::vector<std::string_view> views = SplitEditorLines(Text());
    return std::vector<std::string>(views.begin(), views.end());
}

int TEditForm::LineCount() const {
    const auto length = static_cast<long>(Editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    if (length == 0) return 0;
    // A final line break ends the last line, it does not start a new one.
    const auto last = static_cast<char>(
        Editor->SendScintilla(QsciScintillaBase::SCI_GETCHARAT, static_cast<unsigned long>(length - 1)));
    const auto lines = static_cast<int>(Editor->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT));
    return last == '\n' || last == '\r' ? lines - 1 : lines;
}

std::string TEditForm::LineAt(int index) const {
    if (index < 0 || index >= LineCount()) return {};
    const long start = Editor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(index));
    const long end = Editor->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(index));
    if (end <= start) return {};
    // Only this range is made contiguous, not the whole buffer.
    const auto* data = reinterpret_cast<const char*>(static_cast<std::intptr_t>(Editor->SendScintilla(
        QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), static_cast<long>(end - start))));
    return data ? std::string(data, static_cast<std::size_t>(end - start)) : std::string();
}

std::optional<std::vector<std::string>> TEditForm::LinesForCommand() {
    const TReadOnlyWhile frozen(*Editor);
    const std::string_view text = Text();
    std::vector<std::string> lines;
    const bool done = RunWithProgress(this, QString::fromUtf8("Lecture du document"), [&](TProgress& progress) {
        progress.Stage("Lecture de " + S(file_name_));
        const std::vector<std::string_view> views = SplitEditorLines(text);
        lines.reserve(views.size());
        for (std::size_t i = 0; i < views.size(); ++i) {
            if (i % 65536 == 0) progress.Advance(static_cast<double>(i), static_cast<double>(views.size()));
            lines.emplace_back(views[i]);
        }
    });
    if (!done) return std::nullopt;
    return lines;
}

std::string JoinEditorLines(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 1;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

void TEditForm::SetLines(const std::vector<std::string>& lines) { SetText(JoinEditorLines(lines)); }

namespace {

// Beyond this many runs of changed lines, the one span that holds them all
// is replaced: each replacement moves the editor's gap.
constexpr std::size_t kMostReplacedRuns = 20000;

}  // namespace

void TEditForm::SetText(std::string_view text) {
    int line = 0, index = 0;
    Editor->getCursorPosition(&line, &index);
    // setText would empty the undo history; replacements keep it (and do
    // not depend on the selection mode). Only the lines that differ are
    // replaced, as one step of the undo: a rename or an insertion in a
    // large book then costs the lines it changes, not a copy of the whole
    // book into the undo.
    const std::vector<TChangedSpan> runs = ChangedLineRuns(Text(), text, kMostReplacedRuns);
    Editor->FollowDocumentSize();
    Editor->beginUndoAction();
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {  // from the end: the earlier positions hold
        Editor->SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(run->oldStart),
                              static_cast<long>(run->oldEnd));
        Editor->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET,
                              static_cast<unsigned long>(run->newEnd - run->newStart), text.data() + run->newStart);
    }
    Editor->endUndoAction();
    Editor->FollowDocumentSize();
    Editor->setCursorPosition(std::min(line, Editor->lines() - 1), 0);
}

void TEditForm::ReplaceLine(int index, const std::string& text) {
    if (index < 0 || index >= Editor->lines()) return;
    Editor->beginUndoAction();
    ReplaceLineText(index, text);
    Editor->endUndoAction();
}

void TEditForm::ReplaceLineText(int index, const std::string& text) {
    const long start = Editor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(index));
    const long end = Editor->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(index));
    Editor->SendScintilla(QsciScintillaBase::SCI_SETTARGETSTART, static_cast<unsigned long>(start));
    Editor->SendScintilla(QsciScintillaBase::SCI_SETTARGETEND, static_cast<unsigned long>(end));
    Editor->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, static_cast<unsigned long>(text.size()), text.c_str());
}

void TEditForm::InsertLines(int index, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    index = std::clamp(index, 0, Editor->lines());
    long position;
    std::string text = JoinEditorLines(lines);
    if (index >= Editor->lines()) {
        position = Editor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        // The last line has no line break: put one before the new lines.
        const std::string last = S(Editor->text(Editor->lines() - 1));
        if (!last.empty()) {
            text = "\n" + text;
            text.pop_back();
        }
    } else {
        position = Editor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(index));
    }
    Editor->beginUndoAction();
    Editor->SendScintilla(QsciScintillaBase::SCI_INSERTTEXT, static_cast<unsigned long>(position), text.c_str());
    Editor->endUndoAction();
}

void TEditForm::RemoveLine(int index) {
    if (index < 0 || index >= LineCount()) return;
    const long start = Editor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(index));
    // The start of the next line; past the last line, the end of the text.
    const long end = Editor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(index + 1));
    Editor->beginUndoAction();
    Editor->SendScintilla(QsciScintillaBase::SCI_DELETERANGE, static_cast<unsigned long>(start), end - start);
    Editor->endUndoAction();
}

int TEditForm::CaretLine() const {
    int line = 0, index = 0;
    Editor->getCursorPosition(&line, &index);
    return line + 1;
}

int TEditForm::CaretColumn() const {
    int line = 0, index = 0;
    Editor->getCursorPosition(&line, &index);
    const QByteArray bytes = Editor->text(line).toUtf8().left(index);
    return QString::fromUtf8(bytes).size() + 1;
}

bool TEditForm::Modified() const { return Editor->isModified(); }

bool TEditForm::WriteTo(const QString& path) {
    // Written from the editor's own buffer on a worker, line by line, as
    // WriteTextLines writes them (a book of 100 MB blocked the window half
    // a second, and its lines were copied whole first). A cancel leaves the
    // file as it was.
    try {
        const TReadOnlyWhile frozen(*Editor);
        const std::string_view text = Text();
        const bool written = RunWithProgress(this, QString::fromUtf8("Enregistrement du fichier"), [&](TProgress& progress) {
            progress.Stage("Écriture de " + S(path));
            const std::vector<std::string_view> lines = SplitEditorLines(text);
            TAtomicTextFile file(S(path), FileEncoding::Cp1252);
            file.StopOnCancel(progress);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                file.Add(lines[i]);
                if (i % 65536 == 0) progress.Advance(static_cast<double>(i), static_cast<double>(lines.size()));
            }
            file.Commit();
        });
        if (!written) return false;
    } catch (const TextFileError& error) {
        prompts_.Error(this, QString::fromUtf8("Impossible d'écrire le fichier %1 :\n%2").arg(path, Q(error.reason())));
        return false;
    }
    Editor->setModified(false);
    return true;
}

bool TEditForm::Save1Click() {
    if (file_name_ == kUntitled) return Saveas1Click();
    return WriteTo(file_name_);
}

bool TEditForm::Saveas1Click() {
    QString proposed = file_name_;
    if (proposed == kUntitled && !LastFolder().empty()) proposed = Q(LastFolder()) + "/" + kUntitled;
    const auto name = prompts_.AskSaveName(this, "Sauver sous", "Plain text files (*.txt)|*.txt|All files|*.*",
                                           proposed);
    if (!name) return false;
    RememberFolderOf(*name);
    file_name_ = QFileInfo(*name).absoluteFilePath();
    setWindowTitle(QFileInfo(*name).fileName());
    return Save1Click();
}

QsciPrinter& TEditForm::Printer() {
    if (!printer_) printer_ = std::make_unique<TDocumentPrinter>(*this);
    return *printer_;
}

void TEditForm::Print1Click() {
    QsciPrinter& printer = Printer();
    printer.setDocName(windowTitle());
    if (!prompts_.AskPrint(this, printer)) return;
    if (printer.printRange(Editor) < 0)
        prompts_.Error(this, QString::fromUtf8("Impossible d'imprimer le document %1.").arg(file_name_));
}

void TEditForm::Printersetup1Click() { prompts_.PrinterSetup(this, Printer()); }

void TEditForm::Cut1Click() { Editor->cut(); }
void TEditForm::Copy1Click() { Editor->copy(); }
void TEditForm::Paste1Click() { Editor->paste(); }
void TEditForm::Delete1Click() { Editor->removeSelectedText(); }
void TEditForm::Selectall1Click() { Editor->selectAll(); }

void TEditForm::Edit1Click() {
    UpdatePasteEntries();
    UpdateSelectionEntries();
}

void TEditForm::UpdatePasteEntries() {
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool canPaste = clip && clip->hasText();
    Paste1->setEnabled(canPaste);
    Paste2->setEnabled(canPaste);
}

void TEditForm::UpdateSelectionEntries() {
    const bool hasSelection = Editor->hasSelectedText();
    for (QAction* action : {Cut1, Cut2, Copy1, Copy2, Delete1}) action->setEnabled(hasSelection);
}

void TEditForm::SelectionparblocClick() {
    const bool column = !Editor->ColumnMode();
    Editor->SetColumnMode(column);
    Selectionparbloc->setChecked(column);
}

void TEditForm::desactiveClick() {
    const int start = Editor->SelectionStart();
    const int end = Editor->SelectionEnd();
    if (start == end) {
        const int line = CaretLine() - 1;
        std::string text = S(Editor->text(line));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        const std::string toggled = ToggleCommentLine(text);
        if (toggled != text) {
            ReplaceLineText(line, toggled);
            Editor->SendScintilla(QsciScintillaBase::SCI_GOTOPOS,
                                  Editor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)));
        }
    } else {
        const int first = Editor->LineOfPosition(start);
        const int last = Editor->LineOfPosition(end);
        emit statusTextChanged(QString::fromUtf8("Début : %1 - Fin : %2").arg(first + 1).arg(last + 1));
        std::vector<std::string> block;
        for (int i = first; i <= last; ++i) {
            std::string text = S(Editor->text(i));
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
            block.push_back(text);
        }
        const std::vector<std::string> toggled = ToggleCommentBlock(block);
        Editor->beginUndoAction();
        for (size_t i = 0; i < block.size(); ++i)
            if (toggled[i] != block[i]) ReplaceLineText(first + static_cast<int>(i), toggled[i]);
        Editor->endUndoAction();
    }
    // The edits themselves set the modified flag.
}

void TEditForm::closeEvent(QCloseEvent* event) {
    if (Modified()) {
        switch (prompts_.AskYesNoCancel(this, QString("Save changes to %1?").arg(file_name_))) {
            case Prompts::Answer::Yes:
                // A cancelled save-as or a failed write keeps the document.
                if (!Save1Click()) {
                    event->ignore();
                    return;
                }
                break;
            case Prompts::Answer::No: break;
            case Prompts::Answer::Cancel: event->ignore(); return;
        }
    }
    event->accept();
}

}  // namespace kestrova

// A document window: the lines of one text file in an editable buffer.
#pragma once
#include <optional>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QWidget>
#include <Qsci/qsciscintilla.h>

class QAction;
class QMenu;
class QsciPrinter;

namespace kestrova {

class Prompts;

// The text buffer: QScintilla with a column-selection mode in which mouse
// drags and shifted cursor keys select rectangles.
class TEditor : public QsciScintilla {
    Q_OBJECT
public:
    explicit TEditor(QWidget* parent = nullptr);

    bool ColumnMode() const { return column_mode_; }
    void SetColumnMode(bool on);

    // Selection as absolute positions; equal when nothing is selected.
    int SelectionStart() const;
    int SelectionEnd() const;
    // 0-based line holding a position.
    int LineOfPosition(int position) const;
    // Shows `document` (a Scintilla document made by a loader, with its one
    // reference, which the editor takes over) with the editor's settings.
    void AdoptDocument(void* document);
    // Fits the line-number margin and the text-change events to the
    // document's size; run after each change of the document.
    void FollowDocumentSize();
    // The document is too large for QScintilla's support of assistive
    // technologies (see FollowDocumentSize).
    bool LargeDocument() const { return large_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;

private:
    void UseDocumentWithoutStyles();

    bool column_mode_ = false;
    int marginDigits_ = 0;
    int digitWidth_ = 8;  // of the margin's font, in pixels
    bool large_ = false;
};

class TEditForm : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kUntitled = "Untitled";

    explicit TEditForm(Prompts& prompts, QWidget* parent = nullptr);
    ~TEditForm() override;

    TEditor* Editor = nullptr;

    // Full path of the file, or "Untitled".
    QString FileName() const { return file_name_; }
    QString Caption() const { return windowTitle(); }

    // Loads a file: file name and caption become the path, the caret goes
    // to the start and the modified flag is cleared. A file that cannot be
    // read is reported and leaves the document empty; returns false then.
    bool LoadFile(const QString& path);

    // The lines of the buffer, in order, without line ends.
    std::vector<std::string> Lines() const;
    // How many there are, and one of them (0-based), without a copy of the
    // whole buffer.
    int LineCount() const;
    std::string LineAt(int index) const;
    // The same, copied on a worker behind the progress dialog (a document
    // of a million lines takes a tenth of a second and more): for the
    // commands that hand the lines to their own worker. Nothing when the
    // copy was cancelled.
    std::optional<std::vector<std::string>> LinesForCommand();
    // The whole buffer (UTF-8) in place, without a copy: valid until the
    // document next changes (see TReadOnlyWhile). Its lines, as Lines()
    // cuts them, are SplitEditorLines(Text()).
    std::string_view Text() const;
    // The tools' edits of the buffer. Each is one step of the undo and an
    // edit like typing: the document becomes modified, and undoing back to
    // the last save makes it unmodified again.
    //
    // Replaces the whole buffer (only the runs of lines that differ).
    void SetLines(const std::vector<std::string>& lines);
    // The same with the lines already joined by JoinEditorLines (on a
    // worker, for a large document).
    void SetText(std::string_view text);
    // Replaces one line (0-based).
    void ReplaceLine(int index, const std::string& text);
    // Inserts lines before line `index` (0-based).
    void InsertLines(int index, const std::vector<std::string>& lines);
    // Removes one line (0-based) with its line end, the others untouched.
    void RemoveLine(int index);

    int CaretLine() const;    // 1-based
    int CaretColumn() const;  // 1-based, in characters

    bool Modified() const;

    // The document's menus, shown in the main window while it is active.
    QMenu* Fichier1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* PopupMenu1 = nullptr;  // context menu
    QAction* Selectionparbloc = nullptr;
    QAction* desactive = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* Selectall1 = nullptr;
    QAction* Cut2 = nullptr;    // context menu "Cu&t"
    QAction* Copy2 = nullptr;   // context menu "&Copy"
    QAction* Paste2 = nullptr;  // context menu "&Paste"

    // Handlers of the document menus.
    bool Save1Click();
    bool Saveas1Click();
    void Print1Click();
    void Printersetup1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void Delete1Click();
    void Selectall1Click();
    void SelectionparblocClick();
    void desactiveClick();
    // Enables the clipboard entries of the "&Editer" and context menus.
    void Edit1Click();

    QsciPrinter& Printer();

signals:
    void newRequested();
    void openRequested();
    void quitRequested();
    void reductionRequested();
    void statusTextChanged(const QString& text);

protected:
    // FormCloseQuery: the save question of a modified document.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void UpdatePasteEntries();
    void UpdateSelectionEntries();
    bool WriteTo(const QString& path);
    // Replaces one line's text as an edit (sets the modified flag).
    void ReplaceLineText(int index, const std::string& text);

    Prompts& prompts_;
    QString file_name_ = kUntitled;
    std::unique_ptr<QsciPrinter> printer_;
};

// The lines of an editor's text as the editor shows and numbers them:
// CR LF, LF and a lone CR all end a line; a final line break ends the last
// line, it does not start a new one.
std::vector<std::string_view> SplitEditorLines(std::string_view text);
// The buffer's text of these lines: each followed by a line end.
std::string JoinEditorLines(const std::vector<std::string>& lines);

// Makes a document read-only for its lifetime, then gives it back its
// former state: while a worker reads the document's Text(), neither the
// user nor the program can change it (an edit would move the buffer).
class TReadOnlyWhile {
public:
    explicit TReadOnlyWhile(TEditor& editor);
    ~TReadOnlyWhile();
    TReadOnlyWhile(const TReadOnlyWhile&) = delete;
    TReadOnlyWhile& operator=(const TReadOnlyWhile&) = delete;

private:
    TEditor& editor_;
    bool was_;
};

// A file's decoded text as the editor holds it, changed in place: every
// line ended by one LF (a CR before an LF is dropped), the last line too;
// the same as the lines of the file (base/text_file.hpp) each followed by
// "\n".
void ToEditorLineEnds(std::string& text);

// The same text made from the file's bytes (UTF-8 or Windows-1252, as
// DecodeFileText) and handed out in pieces of about `pieceBytes` that end
// at line ends: the whole decoded text never sits in memory.
void EditorTextPieces(std::string_view bytes, std::size_t pieceBytes,
                      const std::function<void(std::string_view)>& piece);

// Comment toggle of lines [first, last] (0-based) of a buffer: returns the
// new lines. The trimmed first line decides: when it begins with "*", the
// "*" is taken off every line that has one; otherwise "*" is put in front of
// every line that has none. Changed lines are stored trimmed, blank lines and
// lines already in the wanted state are left exactly as they were.
std::vector<std::string> ToggleCommentBlock(const std::vector<std::string>& lines);
// The same for the caret line alone (no selection): the trimmed line with
// "*" added or removed; a blank line stays as it is.
std::string ToggleCommentLine(const std::string& line);

}  // namespace kestrova

// Documents: open, edit, save, save as, close question, comment toggle,
// column selection, clipboard entries, printing, quitting.
#include <random>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QStatusBar>
#include <QtTest>
#include <Qsci/qsciprinter.h>

#include "base/param.hpp"
#include "base/encoding.hpp"
#include "base/text_file.hpp"
#include "shell/edit_form.hpp"
#include "shell/xml_view.hpp"
#include "test_support.hpp"

using namespace kestrova;
using namespace kestrova::testing;

namespace {

std::vector<std::string> Lines(std::initializer_list<const char*> l) { return {l.begin(), l.end()}; }

// Selects from (line1, index1) to (line2, index2), 0-based.
void Select(TEditForm* doc, int line1, int index1, int line2, int index2) {
    doc->Editor->setSelection(line1, index1, line2, index2);
}

// Puts the caret as a click would (vertical moves keep its column).
void PlaceCaret(TEditForm* doc, int line, int index) {
    doc->Editor->setCursorPosition(line, index);
    doc->Editor->SendScintilla(QsciScintillaBase::SCI_CHOOSECARETX);
}

QStringList MenuTitles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* a : bar->actions()) titles << a->text();
    return titles;
}

}  // namespace

class DocumentsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { LastFolder().clear(); }

    void openedFileKeepsPathCaptionAndLines() {
        const QString dir = ScratchDir("open");
        const QString path = dir + "/book.crt";
        // Windows-1252 "é" and CR LF, as field books come from the field.
        WriteBytes(path, QByteArray(" station 1001 * rep\xe8re\r\n  numero 1002\r\n"));
        Shell shell;
        TEditForm* doc = shell.main->OpenAsDocument(path);
        QCOMPARE(doc->FileName(), path);
        QCOMPARE(doc->Caption(), path);
        QVERIFY(!doc->Modified());
        QCOMPARE(doc->CaretLine(), 1);
        QCOMPARE(doc->Lines(), Lines({" station 1001 * repère", "  numero 1002"}));
        QCOMPARE(shell.main->ActiveDocument(), doc);
        QVERIFY(shell.main->ActiveChild()->isMaximized());

        // Typing marks the document; saving writes Windows-1252 CR LF and
        // clears the mark.
        doc->Editor->setFocus();
        doc->Editor->setCursorPosition(1, 0);
        QTest::keyClicks(doc->Editor, "X");
        QVERIFY(doc->Modified());
        QVERIFY(doc->Save1Click());
        QVERIFY(!doc->Modified());
        QCOMPARE(ReadBytes(path), QByteArray(" station 1001 * rep\xe8re\r\nX  numero 1002\r\n"));

        // Characters of the code page and beyond it: the bytes of
        // WriteTextLines for the document's lines.
        doc->SetLines({"€ 20 ‰ ő\tfin", "", "dernière"});
        QVERIFY(doc->Save1Click());
        const QByteArray saved = ReadBytes(path);
        QVERIFY(saved.startsWith("\x80 20 \x89 "));
        QCOMPARE(saved, QByteArray::fromStdString(EncodeTextLines(doc->Lines(), FileEncoding::Cp1252)));
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    void unreadableFileLeavesAnEmptyDocumentAndAMessage() {
        const QString path = ScratchDir("unreadable") + "/missing.crt";
        Shell shell;
        TEditForm* doc = shell.main->OpenAsDocument(path);
        QCOMPARE(doc->Caption(), path);
        QVERIFY(doc->Lines().empty());
        QCOMPARE(shell.prompts->errors.size(), 1);
        QVERIFY(shell.prompts->errors[0].contains(path));
    }

    void untitledDocumentGoesThroughSaveAs() {
        const QString dir = ScratchDir("saveas");
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        QCOMPARE(doc->Caption(), QString("Untitled"));
        QCOMPARE(doc->FileName(), QString("Untitled"));

        // Toolbar "Sauvegarder" on an unmodified document.
        shell.main->SauvegarderClick();
        QCOMPARE(shell.prompts->messages, QStringList{QString::fromUtf8("Fichier déjà sauvegardé !")});

        QTest::keyClicks(doc->Editor, "ligne");
        shell.prompts->names.push_back(dir + "/nouveau.txt");
        shell.main->SauvegarderClick();
        QCOMPARE(shell.prompts->dialogs.back().filter, QString("Plain text files (*.txt)|*.txt|All files|*.*"));
        QCOMPARE(doc->Caption(), QString("nouveau.txt"));
        QCOMPARE(doc->FileName(), dir + "/nouveau.txt");
        QCOMPARE(ReadBytes(dir + "/nouveau.txt"), QByteArray("ligne\r\n"));
        QVERIFY(!doc->Modified());
        QCOMPARE(QString::fromStdString(LastFolder()), dir);

        // Save as proposes the current name; cancelling changes nothing.
        QTest::keyClicks(doc->Editor, "2");
        shell.prompts->names.push_back(std::nullopt);
        QVERIFY(!doc->Saveas1Click());
        QCOMPARE(shell.prompts->dialogs.back().proposed, dir + "/nouveau.txt");
        QVERIFY(doc->Modified());
        QCOMPARE(ReadBytes(dir + "/nouveau.txt"), QByteArray("ligne\r\n"));
    }

    void closeQuestionAnswers() {
        const QString dir = ScratchDir("close");
        const QString path = dir + "/a.obs";
        WriteBytes(path, "1 2 3\r\n");
        Shell shell;
        TEditForm* doc = shell.main->OpenAsDocument(path);
        QTest::keyClicks(doc->Editor, "Z");

        // Cancel keeps the window and its changes.
        shell.prompts->answers.push_back(Prompts::Answer::Cancel);
        QVERIFY(!shell.main->ActiveChild()->close());
        QCOMPARE(shell.prompts->questions.last(), "Save changes to " + path + "?");
        QCOMPARE(shell.main->Children().size(), 1);
        QCOMPARE(doc->Lines(), Lines({"Z1 2 3"}));

        // No closes without writing.
        shell.prompts->answers.push_back(Prompts::Answer::No);
        QVERIFY(shell.main->ActiveChild()->close());
        QCOMPARE(shell.main->Children().size(), 0);
        QCOMPARE(ReadBytes(path), QByteArray("1 2 3\r\n"));

        // Yes on an untitled document whose save-as is cancelled keeps it.
        TEditForm* untitled = shell.main->NewDocument();
        QTest::keyClicks(untitled->Editor, "texte");
        shell.prompts->answers.push_back(Prompts::Answer::Yes);
        shell.prompts->names.push_back(std::nullopt);
        QVERIFY(!shell.main->ActiveChild()->close());
        QCOMPARE(shell.main->Children().size(), 1);
        QVERIFY(untitled->Modified());

        // Yes with a name saves and closes.
        shell.prompts->answers.push_back(Prompts::Answer::Yes);
        shell.prompts->names.push_back(dir + "/texte.txt");
        QVERIFY(shell.main->ActiveChild()->close());
        QCOMPARE(ReadBytes(dir + "/texte.txt"), QByteArray("texte\r\n"));
        QVERIFY(shell.prompts->unexpected.isEmpty());
    }

    void openDialogChoosesViewerOnlyForLowerCaseXml() {
        const QString dir = ScratchDir("openxml");
        WriteBytes(dir + "/r.xml", "<?xml version=\"1.0\"?>\r\n<carnet/>\r\n");
        WriteBytes(dir + "/R2.XML", "<?xml version=\"1.0\"?>\r\n<carnet/>\r\n");
        Shell shell;
        shell.prompts->names.push_back(std::nullopt);
        shell.main->Ouvrir1Click();
        QCOMPARE(shell.main->Children().size(), 0);
        QCOMPARE(shell.prompts->dialogs.back().filter, QString(kOpenFilter));

        shell.prompts->names.push_back(dir + "/r.xml");
        shell.main->Ouvrir1Click();
        QVERIFY(shell.main->ActiveReportViewer() != nullptr);
        QVERIFY(shell.main->ActiveDocument() == nullptr);
        QCOMPARE(shell.main->ActiveChild()->widget()->windowTitle(), dir + "/r.xml");
        QCOMPARE(shell.main->ActiveChild()->windowTitle(), DisplayCaption(dir + "/r.xml"));
        QCOMPARE(QString::fromStdString(LastFolder()), dir);

        // The next open dialog starts in the last folder.
        shell.prompts->names.push_back(dir + "/R2.XML");
        shell.main->Ouvrir1Click();
        QCOMPARE(shell.prompts->dialogs.back().proposed, dir);
        QVERIFY(shell.main->ActiveDocument() != nullptr);
        QCOMPARE(shell.main->ActiveDocument()->Lines(), Lines({"<?xml version=\"1.0\"?>", "<carnet/>"}));
    }

    void commentToggleOnTheCaretLine() {
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        doc->SetLines(Lines({"  numero 1002  AH_gr 1.0  ", "  *numero 1003"}));
        doc->Editor->setModified(false);
        QVERIFY(!doc->Modified());
        doc->Editor->setCursorPosition(0, 3);
        doc->desactiveClick();
        QCOMPARE(doc->Lines()[0], std::string("*numero 1002  AH_gr 1.0"));
        QVERIFY(doc->Modified());
        doc->desactiveClick();
        QCOMPARE(doc->Lines()[0], std::string("numero 1002  AH_gr 1.0"));
        doc->Editor->setCursorPosition(1, 0);
        doc->desactiveClick();
        QCOMPARE(doc->Lines()[1], std::string("numero 1003"));
        QCOMPARE(doc->Lines().size(), size_t(2));
    }

    void commentToggleOverABlock() {
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        doc->SetLines(Lines({"head", " * a ", "  b  ", "", "*c", "tail"}));
        // From inside line 2 to inside line 5: the first line has "*".
        Select(doc, 1, 2, 4, 1);
        doc->desactiveClick();
        QCOMPARE(shell.main->statusBar()->currentMessage(), QString::fromUtf8("Début : 2 - Fin : 5"));
        QCOMPARE(doc->Lines(), Lines({"head", " a", "  b  ", "", "c", "tail"}));
        QVERIFY(doc->Modified());

        // First line without "*": every line without one gets it, the
        // others stay exactly as they were.
        doc->SetLines(Lines({" x ", "  *y ", "", "z"}));
        Select(doc, 0, 0, 3, 1);
        doc->desactiveClick();
        QCOMPARE(shell.main->statusBar()->currentMessage(), QString::fromUtf8("Début : 1 - Fin : 4"));
        QCOMPARE(doc->Lines(), Lines({"*x", "  *y ", "", "*z"}));

        // A blank first line gives no direction: the block gets commented.
        doc->SetLines(Lines({"", "*p", "q"}));
        Select(doc, 0, 0, 2, 1);
        doc->desactiveClick();
        QCOMPARE(doc->Lines(), Lines({"", "*p", "*q"}));
    }

    // The tools write into the document as the user types: each change
    // sets the modified flag and is one step of the undo; undone back to
    // the saved text, the document is no longer modified.
    void writingIntoTheDocumentIsAnEdit() {
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        doc->SetLines(Lines({"a", "b"}));
        QVERIFY(doc->Modified());
        doc->Editor->setModified(false);  // as if saved
        doc->ReplaceLine(1, "B");
        QVERIFY(doc->Modified());
        doc->InsertLines(1, Lines({"x", "y"}));
        doc->InsertLines(10, Lines({"end"}));
        doc->RemoveLine(0);
        QCOMPARE(doc->Lines(), Lines({"x", "y", "B", "end"}));
        QVERIFY(doc->Modified());
        for (int i = 0; i < 3; ++i) doc->Editor->undo();
        QCOMPARE(doc->Lines(), Lines({"a", "B"}));
        QVERIFY(doc->Modified());
        doc->Editor->undo();
        QCOMPARE(doc->Lines(), Lines({"a", "b"}));
        QVERIFY(!doc->Modified());
        doc->Editor->redo();
        QVERIFY(doc->Modified());
    }

    void wholeTextGivenAgainReplacesItsChangedLinesAsOneUndoStep() {
        // A book larger than what the editor shows to assistive
        // technologies as text (whose offsets cost a count of the whole
        // document at each move of the caret).
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        std::vector<std::string> lines;
        for (int i = 0; i < 120000; ++i)
            lines.push_back("  numero " + std::to_string(i) + "    AH_gr  235.6423 AV_gr   99.5242 Dp_m  492.8914 hv_m 1.7710");
        doc->SetLines(lines);
        QVERIFY(doc->Editor->LargeDocument());
        QAccessibleInterface* plain = QAccessible::queryAccessibleInterface(doc->Editor);
        QVERIFY(plain && !plain->textInterface());
        // A point renamed on lines far apart, as the rename tool gives the
        // whole book back.
        std::vector<std::string> renamed = lines;
        for (const int i : {7, 60000, 119999}) renamed[static_cast<std::size_t>(i)] += " prisme P2";
        doc->SetLines(renamed);
        QCOMPARE(doc->Lines(), renamed);
        QVERIFY(doc->Modified());  // an edit like any other
        doc->Editor->undo();
        QCOMPARE(doc->Lines(), lines);
        doc->Editor->redo();
        QCOMPARE(doc->Lines(), renamed);
        // Made small again: QScintilla's text side for assistive
        // technologies comes back.
        doc->SetLines({"a", "b"});
        QCOMPARE(doc->Lines(), Lines({"a", "b"}));
        QAccessibleInterface* text = QAccessible::queryAccessibleInterface(doc->Editor);
        QVERIFY(text && text->textInterface());
    }

    void blockSelectionToggleSelectsColumns() {
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        doc->SetLines(Lines({"abcdefgh", "ijklmnop", "qrstuvwx"}));
        QAction* entry = doc->Edit1->findChild<QAction*>("Selectionparbloc");
        QVERIFY(entry == doc->Selectionparbloc);
        QVERIFY(!entry->isChecked());

        // A shifted cursor move selects a stream in normal mode.
        doc->Editor->setFocus();
        QTest::qWait(20);  // let the editor lay out its lines
        PlaceCaret(doc, 0, 2);
        QTest::keyClick(doc->Editor, Qt::Key_Down, Qt::ShiftModifier);
        QVERIFY(!doc->Editor->SendScintilla(QsciScintillaBase::SCI_SELECTIONISRECTANGLE));
        QCOMPARE(doc->Editor->selectedText(), QString("cdefgh\nij"));

        entry->trigger();
        QVERIFY(entry->isChecked());
        QVERIFY(doc->Editor->ColumnMode());
        PlaceCaret(doc, 0, 2);
        QTest::keyClick(doc->Editor, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(doc->Editor, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(doc->Editor, Qt::Key_Right, Qt::ShiftModifier);
        QVERIFY(doc->Editor->SendScintilla(QsciScintillaBase::SCI_SELECTIONISRECTANGLE));
        doc->Editor->copy();
        QVERIFY(QApplication::clipboard()->text().startsWith("cd"));
        QVERIFY(QApplication::clipboard()->text().contains("kl"));
        QVERIFY(!QApplication::clipboard()->text().contains("efgh"));

        // Plain cursor keys still move without selecting.
        QTest::keyClick(doc->Editor, Qt::Key_Left);
        QTest::keyClick(doc->Editor, Qt::Key_Left);
        QVERIFY(!doc->Editor->hasSelectedText());

        entry->trigger();
        QVERIFY(!entry->isChecked());
        QVERIFY(!doc->Editor->ColumnMode());
        PlaceCaret(doc, 0, 2);
        QTest::keyClick(doc->Editor, Qt::Key_Down, Qt::ShiftModifier);
        QVERIFY(!doc->Editor->SendScintilla(QsciScintillaBase::SCI_SELECTIONISRECTANGLE));
    }

    void mouseDragSelectsColumnsInBlockMode() {
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        doc->SetLines(Lines({"abcdefgh", "ijklmnop", "qrstuvwx"}));
        doc->SelectionparblocClick();
        QTest::qWait(20);
        QWidget* viewport = doc->Editor->viewport();
        auto point = [&](int line, int index) {
            const long pos = doc->Editor->positionFromLineIndex(line, index);
            const int x = int(doc->Editor->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0ul, pos));
            const int y = int(doc->Editor->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0ul, pos));
            return QPoint(x + 1, y + 3);
        };
        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, point(0, 1));
        QMouseEvent move(QEvent::MouseMove, point(2, 4), viewport->mapToGlobal(point(2, 4)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, point(2, 4));
        QVERIFY(doc->Editor->SendScintilla(QsciScintillaBase::SCI_SELECTIONISRECTANGLE));
        doc->Editor->copy();
        const QString copied = QApplication::clipboard()->text();
        QVERIFY2(copied.startsWith("bcd") && copied.contains("jkl") && copied.contains("rst"), qPrintable(copied));
    }

    void clipboardEntriesFollowSelectionAndClipboard() {
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        doc->SetLines(Lines({"abc"}));
        QApplication::clipboard()->clear();
        doc->Edit1Click();
        QVERIFY(!doc->Cut1->isEnabled());
        QVERIFY(!doc->Copy2->isEnabled());
        QVERIFY(!doc->Delete1->isEnabled());
        QVERIFY(!doc->Paste1->isEnabled());
        QVERIFY(!doc->Paste2->isEnabled());

        Select(doc, 0, 0, 0, 2);
        doc->Copy1Click();
        emit doc->PopupMenu1->aboutToShow();
        QVERIFY(doc->Cut2->isEnabled());
        QVERIFY(doc->Copy1->isEnabled());
        QVERIFY(doc->Delete1->isEnabled());
        QVERIFY(doc->Paste1->isEnabled());
        QCOMPARE(QApplication::clipboard()->text(), QString("ab"));

        doc->Delete1Click();
        QCOMPARE(doc->Lines(), Lines({"c"}));
        doc->Paste1Click();
        QCOMPARE(doc->Lines(), Lines({"abc"}));
        doc->Selectall1Click();
        doc->Cut1Click();
        QVERIFY(doc->Lines().empty());

        // Ctrl+D deletes the selection instead of duplicating the line.
        doc->SetLines(Lines({"xyz"}));
        Select(doc, 0, 0, 0, 1);
        doc->Delete1->trigger();
        QCOMPARE(doc->Lines(), Lines({"yz"}));
    }

    void editKeysFollowTheSelectionWithoutTheMenu() {
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        doc->SetLines(Lines({"abc def"}));
        shell.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(shell.main.get()));
        doc->Editor->setFocus();
        // The menu was last shown without a selection.
        emit doc->Edit1->aboutToShow();
        QVERIFY(!doc->Delete1->isEnabled());
        // A selection made afterwards: Ctrl+D deletes it.
        Select(doc, 0, 0, 0, 3);
        QVERIFY(doc->Delete1->isEnabled());
        QVERIFY(doc->Cut2->isEnabled());
        QTest::keyClick(doc->Editor, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(doc->Lines(), Lines({" def"}));
        QVERIFY(!doc->Delete1->isEnabled());
        // Text put on the clipboard enables the paste entries.
        QApplication::clipboard()->clear();
        QVERIFY(!doc->Paste1->isEnabled());
        QApplication::clipboard()->setText("xyz");
        QVERIFY(doc->Paste1->isEnabled());
        QVERIFY(doc->Paste2->isEnabled());
    }

    void lineCountAndLineAtAgreeWithLines() {
        // One line at a time (the line editor's steps on a large book): the
        // same count and lines as the whole copy, whatever the line ends.
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        std::mt19937 random(11);
        const char alphabet[] = {'a', ' ', '\r', '\n', '\r', '\n', 'z'};
        for (int round = 0; round < 400; ++round) {
            std::string text(random() % 20, ' ');
            for (char& c : text) c = alphabet[random() % sizeof alphabet];
            doc->Editor->SendScintilla(QsciScintillaBase::SCI_SETTEXT, static_cast<unsigned long>(0), text.c_str());
            const std::vector<std::string> lines = doc->Lines();
            QCOMPARE(doc->LineCount(), static_cast<int>(lines.size()));
            for (int i = 0; i < doc->LineCount(); ++i) QCOMPARE(doc->LineAt(i), lines[static_cast<std::size_t>(i)]);
            QCOMPARE(doc->LineAt(doc->LineCount()), std::string());
        }
    }

    void openedTextIsTheFileLinesEachEndedByLf() {
        // The editor's text is made in place from the decoded file: the same
        // as the file's lines each followed by LF, over generated texts of
        // CR, LF, blanks and letters (CR LF pairs, lone CRs, empty lines,
        // a last line with or without its end).
        std::mt19937 random(7);
        const char alphabet[] = {'a', ' ', '\r', '\n', '\r', '\n', 'z'};
        for (int round = 0; round < 3000; ++round) {
            std::string text(random() % 24, ' ');
            for (char& c : text) c = alphabet[random() % sizeof alphabet];
            std::string expected;
            for (const std::string& line : SplitTextLines(text)) expected += line + "\n";
            std::string made = text;
            ToEditorLineEnds(made);
            QCOMPARE(QByteArray::fromStdString(made), QByteArray::fromStdString(expected));
        }
        // The document is made from the file's bytes in pieces: the same
        // text as the decoded file with its line ends made LF, for UTF-8
        // and Windows-1252 bytes, a BOM or none, pieces of any size.
        const char bytes[] = {'a', ' ', '\r', '\n', '\r', '\n', 'z', '\xE9', '\xC3', '\xA9', '\x80'};
        for (int round = 0; round < 3000; ++round) {
            std::string file = round % 5 == 0 ? "\xEF\xBB\xBF" : "";
            const std::size_t size = random() % 40;
            const std::size_t kinds = round % 2 ? sizeof bytes : 7;  // ASCII only, or with accents
            for (std::size_t i = 0; i < size; ++i) file += bytes[random() % kinds];
            std::string expected = DecodeFileText(file);
            ToEditorLineEnds(expected);
            std::string made;
            const std::size_t piece = 1 + random() % 12;
            EditorTextPieces(file, piece, [&](std::string_view text) {
                QVERIFY(!text.empty() && text.back() == '\n');
                made.append(text);
            });
            QCOMPARE(QByteArray::fromStdString(made), QByteArray::fromStdString(expected));
        }

        // A document keeps the text only: no style byte per character (it
        // has no lexer), and the editor's settings hold on that document.
        const QString path = ScratchDir("styles") + "/book.crt";
        WriteBytes(path, "a\tb\r\n\r\nc rep\xe8re");
        Shell shell;
        TEditForm* doc = shell.main->OpenAsDocument(path);
        QCOMPARE(doc->Lines(), Lines({"a\tb", "", "c repère"}));
        TEditor* editor = doc->Editor;
        QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETDOCUMENTOPTIONS),
                 long(QsciScintillaBase::SC_DOCUMENTOPTION_STYLES_NONE));
        QCOMPARE(editor->SendScintilla(QsciScintillaBase::SCI_GETCODEPAGE), long(QsciScintillaBase::SC_CP_UTF8));
        QCOMPARE(editor->eolMode(), QsciScintilla::EolUnix);
        QCOMPARE(editor->tabWidth(), 8);
        editor->setFocus();
        editor->setCursorPosition(2, 0);
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClicks(editor, "X");
        QCOMPARE(doc->Lines(), Lines({"a\tb", "", "", "Xc repère"}));
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(doc->Lines(), Lines({"a\tb", "", "c repère"}));
        QVERIFY(!doc->Modified());
    }

    void linesEndedByALoneCarriageReturn() {
        // An old recorder's file: CR alone ends each line. The lines of the
        // document are the lines the editor shows and numbers.
        const QString dir = ScratchDir("cr");
        const QString path = dir + "/releve.crt";
        WriteBytes(path, "a 1\rb 2\r c 3\r");
        Shell shell;
        TEditForm* doc = shell.main->OpenAsDocument(path);
        QCOMPARE(doc->Lines(), Lines({"a 1", "b 2", " c 3"}));
        doc->Editor->setCursorPosition(1, 0);
        QCOMPARE(doc->CaretLine(), 2);
        doc->desactiveClick();
        doc->ReplaceLine(2, "C 3");
        QCOMPARE(doc->Lines(), Lines({"a 1", "*b 2", "C 3"}));
        QVERIFY(doc->Save1Click());
        QCOMPARE(ReadBytes(path), QByteArray("a 1\r\n*b 2\r\nC 3\r\n"));
    }

    void contextMenuHoldsClipboardAndReduction() {
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        QStringList texts;
        for (QAction* a : doc->PopupMenu1->actions())
            if (!a->isSeparator()) texts << a->text();
        QCOMPARE(texts, (QStringList{"Cu&t", "&Copy", "&Paste",
                                     QString::fromUtf8("Réduction d'un carnet de terrain (*.crt ou *.xcrt)"),
                                     "Modifier l'observation", QString::fromUtf8("Ajouter une ligne d'entête")}));
        // Its reduction entry runs the reduction command: a modified
        // document is refused.
        QTest::keyClicks(doc->Editor, "x");
        doc->PopupMenu1->findChild<QAction*>("Reduction1")->trigger();
        QCOMPARE(shell.prompts->messages, QStringList{QString::fromUtf8("Veuillez sauvegarder avant de lancer la réduction")});
    }

    void printingWritesThePages() {
        const QString dir = ScratchDir("print");
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        std::vector<std::string> many;
        for (int i = 0; i < 150; ++i) many.push_back("  numero " + std::to_string(1000 + i) + " AH_gr 12.3456");
        doc->SetLines(many);
        const QString pdf = dir + "/doc.pdf";
        shell.prompts->print = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        doc->Print1Click();
        const QByteArray bytes = ReadBytes(pdf);
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY(bytes.count("/Type /Page\n") + bytes.count("/Type /Page ") + bytes.count("/Type /Page>") >= 1);
        const QMarginsF margins = doc->Printer().pageLayout().margins(QPageLayout::Millimeter);
        QCOMPARE(qRound(margins.left()), 25);
        QCOMPARE(qRound(margins.right()), 15);
        QCOMPARE(qRound(margins.top()), 25);
        QCOMPARE(qRound(margins.bottom()), 25);

        // A cancelled print dialog prints nothing.
        QFile::remove(pdf);
        shell.prompts->print = [](QPrinter&) { return false; };
        doc->Print1Click();
        QVERIFY(!QFile::exists(pdf));
    }

    void documentMenusReplaceTheMainFileMenu() {
        const QString dir = ScratchDir("menus");
        WriteBytes(dir + "/r.xml", "<?xml version=\"1.0\"?>\r\n<a/>\r\n");
        Shell shell;
        QMenuBar* bar = shell.main->menuBar();
        QCOMPARE(MenuTitles(bar), (QStringList{"&Fichier", "&Topo", "Ni&vellement", "Outils", QString::fromUtf8("Fe&nêtre"), "?"}));
        QCOMPARE(bar->actions()[0]->menu(), shell.main->Fichier1);

        TEditForm* doc = shell.main->NewDocument();
        QCOMPARE(MenuTitles(bar),
                 (QStringList{"&Fichier", "&Editer", "&Topo", "Ni&vellement", "Outils", QString::fromUtf8("Fe&nêtre"), "?"}));
        QCOMPARE(bar->actions()[0]->menu(), doc->Fichier1);
        QStringList fileEntries;
        for (QAction* a : doc->Fichier1->actions())
            if (!a->isSeparator()) fileEntries << a->text() + "=" + a->shortcut().toString();
        QCOMPARE(fileEntries, (QStringList{"&Nouveau=Ctrl+N", "&Ouvrir=Ctrl+O", QString::fromUtf8("&Importer un relevé…="),
                                           "&Fermer=", "&Sauver=Ctrl+S",
                                           "S&auver sous=", "&Imprimer=Ctrl+P", "Configuration de l'impression=",
                                           "&Quitter=Ctrl+Q"}));

        shell.main->OpenInReportViewer(dir + "/r.xml");
        QCOMPARE(bar->actions()[0]->menu(), shell.main->Fichier1);
        QCOMPARE(MenuTitles(bar).size(), 6);

        shell.main->MdiArea()->setActiveSubWindow(shell.main->Children()[0]);
        QCOMPARE(bar->actions()[1]->menu(), doc->Edit1);

        for (QMdiSubWindow* child : shell.main->Children()) child->close();
        QCOMPARE(bar->actions()[0]->menu(), shell.main->Fichier1);
    }

    void droppedFilesOpenAsDocuments() {
        const QString dir = ScratchDir("drop");
        WriteBytes(dir + "/a.xml", "x\r\n");
        WriteBytes(dir + "/b.crt", "y\r\n");
        Shell shell;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dir + "/a.xml"), QUrl::fromLocalFile(dir + "/b.crt")});
        const QPoint at = shell.main->MdiArea()->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(shell.main.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(shell.main.get(), &drop);
        const auto children = shell.main->Children();
        QCOMPARE(children.size(), 2);
        // Whatever the extension, a dropped file is a document.
        QCOMPARE(children[0]->widget()->windowTitle(), dir + "/a.xml");
        QVERIFY(qobject_cast<TEditForm*>(children[0]->widget()));
        QCOMPARE(qobject_cast<TEditForm*>(children[1]->widget())->Lines(), Lines({"y"}));
    }

    void filesDroppedOnADocumentOpenToo() {
        const QString dir = ScratchDir("drop_doc");
        WriteBytes(dir + "/c.crt", "z\r\n");
        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        doc->SetLines(Lines({"texte"}));
        QTest::qWait(20);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dir + "/c.crt")});
        QWidget* viewport = doc->Editor->viewport();
        const QPoint at = viewport->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        // A maximised document covers the whole client area: the drop
        // reaches the main window, which opens the file.
        QVERIFY(enter.isAccepted());
        QCOMPARE(shell.main->Children().size(), 2);
        QCOMPARE(shell.main->ActiveDocument()->Lines(), Lines({"z"}));
        QCOMPARE(doc->Lines(), Lines({"texte"}));
    }

    void quittingAsksAndStoresTheParameters() {
        const QString dir = ScratchDir("quit");
        // The ini of this test lives in its scratch folder.
        qputenv("Kestrova", (dir + "/ini").toUtf8());
        const QString ini = QString::fromStdString(IniFilePath());
        QFile::remove(ini);
        QDir().mkpath(QFileInfo(ini).absolutePath());
        read_ini();  // creates the file with the defaults
        QVERIFY(QFile::exists(ini));

        Shell shell;
        TEditForm* doc = shell.main->NewDocument();
        QTest::keyClicks(doc->Editor, "pas fini");
        LastFolder() = dir.toStdString();

        // One Cancel keeps everything running and writes nothing.
        shell.prompts->answers.push_back(Prompts::Answer::Cancel);
        shell.main->Quitter1Click();
        QVERIFY(shell.main->isVisible());
        QCOMPARE(shell.main->Children().size(), 1);
        QVERIFY(!ReadBytes(ini).contains(dir.toUtf8()));

        shell.prompts->answers.push_back(Prompts::Answer::No);
        shell.main->Quitter1Click();
        QVERIFY(!shell.main->isVisible());
        QVERIFY(ReadBytes(ini).contains("default_directory=" + dir.toUtf8()));
    }
};

QTEST_MAIN(DocumentsTest)
#include "documents_test.moc"

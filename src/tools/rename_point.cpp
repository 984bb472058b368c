#include "tools/rename_point.hpp"

#include <algorithm>

#include "base/encoding.hpp"
#include "base/format.hpp"
#include "base/output_set.hpp"
#include "base/text_file.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"
#include "tools/line_words.hpp"

namespace kestrova {

namespace {

const char* const kLevelName = "W I L D  N A 2 0 0 0";

std::string Word(const TLineFields& f, int n) {  // n from 1
    if (n < 1 || n > f.count) return {};
    return f.fields[static_cast<size_t>(n - 1)];
}

bool IsKeyword(const std::string& word) {
    for (const char* k : {"numero", "AH_gr", "AV_gr", "Dp_m", "ppm_cste_mm", "hv_m", "prisme"})
        if (word == k) return true;
    return false;
}

// The words of a line joined again by single blanks (the values
// right-aligned in 9 characters when asked), the second one replaced by
// `name`; the comment follows as it was.
std::string Rebuild(const std::string& line, const std::string& name, bool alignValues) {
    TLineWords w = SplitLineWords(line);
    if (w.words.size() > 1) w.words[1] = name;
    std::string out;
    for (size_t n = 0; n < w.words.size(); ++n) {
        if (n > 0) out += ' ';
        out += (alignValues && !IsKeyword(w.words[n])) ? Format("%9s", w.words[n]) : w.words[n];
    }
    if (w.hasComment) out += " *" + w.comment;
    return Trim(out);
}

// One line of a text field book after the renaming.
std::string RenameTextLine(const std::string& line, const std::string& from, const std::string& to,
                           const TRenameOptions& options, int& renamed) {
    const TLineFields f = SplitLineFields(line);
    const std::string first = Word(f, 1);
    if (first != "station" && first != "numero") return line;
    const bool named = Word(f, 2) == from;
    if (first == "station") {
        if (!options.stations) return Trim(line);
        if (named) ++renamed;
        return Rebuild(line, named ? to : Word(f, 2), false);
    }
    if (!options.targets) return " " + Trim(line);
    if (named) ++renamed;
    return " " + Rebuild(line, named ? to : Word(f, 2), true);
}

// Line `index` (from 0) of a levelling book after the renaming.
std::string RenameLevellingLine(std::size_t index, const std::string& line, const std::string& from,
                                const std::string& to, int& renamed) {
    if (index < 7 || line.find("code") != std::string::npos || Trim(Utf8Left(line, 9)) != from) return line;
    ++renamed;
    return Format("%9s", to) + Utf8Mid(line, 9);
}

// How a book file is written: its encoding and BOM; line ends are kept
// line by line.
struct TBookBytes {
    bool utf8 = false;
    std::size_t bom = 0;  // 3 when the file begins with a UTF-8 BOM
};

TBookBytes LookAtBytes(std::string_view bytes) {
    TBookBytes b;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") b.bom = 3;
    b.utf8 = IsValidUtf8(bytes.substr(b.bom));
    return b;
}

// The lines of a file's bytes, each with its own line end ("\r\n", "\n",
// a lone "\r", or "" for a last line without one), as the file layer
// splits them (FindLineEnd).
class TByteLines {
public:
    explicit TByteLines(std::string_view bytes) : bytes_(bytes) {}
    bool Next(std::string_view& line, std::string_view& end) {
        if (pos_ >= bytes_.size()) return false;
        std::size_t length = 0;
        std::size_t stop = FindLineEnd(bytes_, pos_, length);
        if (stop == std::string_view::npos) {
            stop = bytes_.size();
            length = 0;
        }
        line = bytes_.substr(pos_, stop - pos_);
        end = bytes_.substr(stop, length);
        pos_ = stop + length;
        return true;
    }
    std::size_t Position() const { return pos_; }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

std::string DecodeLine(const TBookBytes& style, std::string_view bytes) {
    return style.utf8 ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

std::string EncodeLine(const TBookBytes& style, const std::string& text) {
    return style.utf8 ? text : Utf8ToCp1252(text);
}

std::vector<std::string> RenameText(const std::vector<std::string>& lines, const std::string& from,
                                    const std::string& to, const TRenameOptions& options, int& renamed) {
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const std::string& line : lines) out.push_back(RenameTextLine(line, from, to, options, renamed));
    return out;
}

std::vector<std::string> RenameLevelling(const std::vector<std::string>& lines, const std::string& from,
                                         const std::string& to, int& renamed) {
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) out.push_back(RenameLevellingLine(i, lines[i], from, to, renamed));
    return out;
}

}  // namespace

TRenameBook DetectRenameBook(const std::vector<std::string>& lines) {
    const size_t n = std::min<size_t>(7, lines.size());
    for (size_t i = 0; i < n; ++i) {
        const std::string t = Trim(lines[i]);
        if (StartsWith(t, "station") || StartsWith(t, "numero")) return TRenameBook::Text;
    }
    if (lines.size() > 5)
        for (size_t i = 0; i < n; ++i)
            if (lines[i].find(kLevelName) != std::string::npos) return TRenameBook::Levelling;
    // A field book whose first station comes after a longer heading (prism
    // and height definitions, comments), as the readers take it.
    for (size_t i = n; i < lines.size(); ++i) {
        const std::string_view t = TrimView(lines[i]);
        if (StartsWith(t, "station") || StartsWith(t, "numero")) return TRenameBook::Text;
    }
    return TRenameBook::Other;
}

TRenamePreset RenamePreset(const std::vector<std::string>& lines, int caret) {
    TRenamePreset p;
    p.book = DetectRenameBook(lines);
    if (caret < 0 || caret >= static_cast<int>(lines.size())) return p;
    const std::string& line = lines[static_cast<size_t>(caret)];
    if (p.book == TRenameBook::Text) {
        const TLineFields f = SplitLineFields(line);
        const std::string first = Word(f, 1);
        if (first == "station" || first == "numero") p.name = Word(f, 2);
    } else if (p.book == TRenameBook::Levelling) {
        // The check boxes have no meaning in a levelling book.
        p.choicesEnabled = false;
        if (caret >= 7 && line.find("code") == std::string::npos) p.name = Trim(Utf8Left(line, 9));
    }
    return p;
}

std::optional<std::vector<std::string>> RenamePoint(const std::vector<std::string>& lines, const std::string& from,
                                                    const std::string& to, const TRenameOptions& options,
                                                    int* renamed) {
    const std::string oldName = Trim(CleanFieldText(from));
    const std::string newName = Trim(CleanFieldText(to));
    if (oldName.empty() || newName.empty()) return std::nullopt;
    int count = 0;
    std::optional<std::vector<std::string>> out;
    switch (DetectRenameBook(lines)) {
        case TRenameBook::Text: out = RenameText(lines, oldName, newName, options, count); break;
        case TRenameBook::Levelling: out = RenameLevelling(lines, oldName, newName, count); break;
        case TRenameBook::Other: break;
    }
    if (renamed) *renamed = count;
    return out;
}

std::string BackupName(const std::string& path) { return path + ".backup"; }

std::string NewNameProblem(TRenameBook book, std::string_view to) {
    const std::string name = Trim(to);
    bool bad = false;
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F || c == ';' || (c == '*' && book == TRenameBook::Text)) bad = true;
    }
    const std::string shown = "« " + PrintableText(name) + " »";
    if (bad)
        return "Nouveau nom " + shown + " refusé : un nom de point ne contient ni blanc, ni caractère de contrôle, ni « ; »" +
               (book == TRenameBook::Text ? ", ni « * »" : "");
    const std::size_t room = book == TRenameBook::Levelling ? 9 : 16;
    if (Utf8Length(name) > room)
        return "Nouveau nom " + shown + " refusé : " + std::to_string(room) + " caractères au plus pour un point " +
               (book == TRenameBook::Levelling ? "du carnet de nivellement" : "du carnet de terrain");
    return {};
}

TRenameFileResult RenameBookFile(const std::string& path, const std::string& from, const std::string& to,
                                 const TRenameOptions& options, TProgress& progress) {
    TRenameFileResult result;
    const std::string oldName = Trim(CleanFieldText(from));
    const std::string newName = Trim(CleanFieldText(to));
    TOutputSet outputs;
    outputs.LockOn(path);
    outputs.LockNow();  // no other run changes the book until this one has written it
    const std::string bytes = ReadFileBytes(path);
    const TBookBytes style = LookAtBytes(bytes);
    const std::string_view body = std::string_view(bytes).substr(style.bom);

    // The kind of book, from its first lines.
    {
        std::vector<std::string> first;
        TByteLines lines(body);
        std::string_view line, end;
        while (first.size() < 8 && lines.Next(line, end)) first.push_back(DecodeLine(style, line));
        result.book = DetectRenameBook(first);
        // A field book whose first station comes after a longer heading.
        while (result.book == TRenameBook::Other && lines.Next(line, end)) {
            const std::string_view t = TrimView(line);
            if (StartsWith(t, "station") || StartsWith(t, "numero")) result.book = TRenameBook::Text;
        }
    }
    if (result.book == TRenameBook::Other || oldName.empty() || newName.empty()) return result;
    result.refused = NewNameProblem(result.book, to);
    // A Windows-1252 book cannot hold every character: the name would
    // come back with "?" in it.
    if (result.refused.empty() && !style.utf8 && Cp1252ToUtf8(Utf8ToCp1252(newName)) != newName)
        result.refused = "Nouveau nom « " + PrintableText(newName) +
                         " » refusé : un de ses caractères n'existe pas dans le codage Windows-1252 du carnet";
    if (!result.refused.empty()) return result;

    TAtomicFile& backup = outputs.AddBytes(BackupName(path));
    backup.Write(bytes);
    TAtomicFile& book = outputs.AddBytes(path);
    std::string block = std::string(bytes, 0, style.bom);
    constexpr std::size_t kBlock = std::size_t(1) << 20;
    TByteLines lines(body);
    std::string_view line, end;
    for (std::size_t index = 0; lines.Next(line, end); ++index) {
        const std::string text = DecodeLine(style, line);
        const std::string renamed = result.book == TRenameBook::Text
                                        ? RenameTextLine(text, oldName, newName, options, result.renamed)
                                        : RenameLevellingLine(index, text, oldName, newName, result.renamed);
        if (renamed == text)
            block.append(line);  // its own bytes
        else
            block += EncodeLine(style, renamed);
        block.append(end);
        if (block.size() >= kBlock) {
            book.Write(block);
            block.clear();
            progress.Advance(static_cast<double>(lines.Position()), static_cast<double>(body.size()));
            progress.ThrowIfCancelled();
        }
    }
    book.Write(block);
    if (result.renamed == 0) return result;  // nothing to write
    outputs.Commit();
    return result;
}

void WriteRenamedBook(const std::string& path, const std::vector<std::string>& before,
                      const std::vector<std::string>& after) {
    TOutputSet outputs;
    outputs.LockOn(path);
    outputs.LockNow();
    TBookBytes style;
    std::string lineEnd = "\r\n";
    std::string bytes;
    const bool exists = FileExists(path);
    if (exists) {
        bytes = ReadFileBytes(path);
        style = LookAtBytes(bytes);
        std::size_t length = 0;
        const std::size_t end = FindLineEnd(bytes, 0, length);
        if (end != std::string::npos) lineEnd = bytes.substr(end, length);
    }
    TAtomicFile& backup = outputs.AddBytes(BackupName(path));
    backup.Write(exists ? bytes : EncodeTextLines(before, FileEncoding::Cp1252));
    std::string().swap(bytes);
    TAtomicFile& book = outputs.AddBytes(path);
    std::string block = style.bom ? std::string("\xEF\xBB\xBF") : std::string();
    for (const std::string& line : after) {
        block += EncodeLine(style, line);
        block += lineEnd;
        if (block.size() >= (std::size_t(1) << 20)) {
            book.Write(block);
            block.clear();
        }
    }
    book.Write(block);
    outputs.Commit();
}

}  // namespace kestrova

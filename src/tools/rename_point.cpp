#include "tools/rename_point.hpp"

#include <algorithm>

#include "base/format.hpp"
#include "base/output_set.hpp"
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

std::vector<std::string> RenameText(const std::vector<std::string>& lines, const std::string& from,
                                    const std::string& to, const TRenameOptions& options, int& renamed) {
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const std::string& line : lines) {
        const TLineFields f = SplitLineFields(line);
        const std::string first = Word(f, 1);
        const bool named = Word(f, 2) == from;
        if (first == "station") {
            if (options.stations) {
                if (named) ++renamed;
                out.push_back(Rebuild(line, named ? to : Word(f, 2), false));
            } else {
                out.push_back(Trim(line));
            }
        } else if (first == "numero") {
            if (options.targets) {
                if (named) ++renamed;
                out.push_back(" " + Rebuild(line, named ? to : Word(f, 2), true));
            } else {
                out.push_back(" " + Trim(line));
            }
        } else {
            out.push_back(line);
        }
    }
    return out;
}

std::vector<std::string> RenameLevelling(const std::vector<std::string>& lines, const std::string& from,
                                         const std::string& to, int& renamed) {
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (i < 7 || line.find("code") != std::string::npos || Trim(Utf8Left(line, 9)) != from) {
            out.push_back(line);
            continue;
        }
        out.push_back(Format("%9s", to) + Utf8Mid(line, 9));
        ++renamed;
    }
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

void WriteRenamedBook(const std::string& path, const std::vector<std::string>& before,
                      const std::vector<std::string>& after) {
    TOutputSet outputs;
    TLineSink& backup = outputs.Add(BackupName(path));
    for (const std::string& line : before) backup.Add(line);
    TLineSink& book = outputs.Add(path);
    for (const std::string& line : after) book.Add(line);
    outputs.Commit();
}

}  // namespace kestrova

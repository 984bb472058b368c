#include "tools/line_editor.hpp"

#include <algorithm>

#include "base/format.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"
#include "tools/line_words.hpp"

namespace kestrova {

namespace {

// Word n (from 1) of a split line, empty beyond the count.
std::string Word(const TLineFields& f, int n) {
    if (n < 1 || n > f.count) return {};
    return f.fields[static_cast<size_t>(n - 1)];
}

bool IsNumber(const std::string& text) { return IsNumericText(text, true); }

std::string FirstWord(const std::string& line) {
    const TLineFields f = SplitLineFields(line);
    return Word(f, 1);
}

}  // namespace

TEditorMode DetectEditorMode(const std::vector<std::string>& lines) {
    if (lines.empty()) return TEditorMode::None;
    if (Trim(Utf8Left(lines.front(), 5)) == "<?xml") return TEditorMode::Xml;
    const size_t n = std::min<size_t>(7, lines.size());
    for (size_t i = 0; i < n; ++i) {
        const std::string t = Trim(lines[i]);
        if (StartsWith(t, "station") || StartsWith(t, "numero")) return TEditorMode::Text;
    }
    return TEditorMode::None;
}

TObsView ShowTextLine(const std::vector<std::string>& lines, int index) {
    if (lines.empty()) return TObsView{};
    index = std::clamp(index, 0, static_cast<int>(lines.size()) - 1);
    return ShowTextLine(lines[static_cast<size_t>(index)], index, static_cast<int>(lines.size()));
}

TObsView ShowTextLine(const std::string& line, int index, int lineCount) {
    TObsView view;
    view.index = index;
    view.canPrevious = index > 0;
    view.canNext = index + 1 < lineCount;
    // The fields come from the words before the comment: a comment is never
    // shown (and written back) as a prism name or a height.
    const TLineWords w = SplitLineWords(line);
    const int count = static_cast<int>(w.words.size());
    auto word = [&](int n) { return n >= 1 && n <= count ? w.words[static_cast<size_t>(n - 1)] : std::string(); };
    const std::string first = FirstWord(line);
    TObsFields& f = view.fields;
    if (first == "numero" || Trim(line).empty()) {
        view.layout = TObsLayout::Observation;
        f.Numligne = std::to_string(index + 1);
        f.Ptvise = word(2);
        f.Ah = word(4);
        f.Av = word(6);
        f.Dp = word(8);
        f.ppm = word(10);
        if (count > 10) f.Hv = word(12);
        if (count > 12) f.prisme = word(14);
    } else if (first == "station") {
        view.layout = TObsLayout::Station;
        f.Numligne = std::to_string(index + 1);
        f.Ptvise = word(2);
        f.Ah = word(4);
        f.Av = word(6);
        f.Dp = word(8);
        if (count > 8) f.prisme = word(10);
    } else if (first == "prisme") {
        view.layout = TObsLayout::Prism;
        f.Numligne = std::to_string(index + 1);
        f.Ptvise = word(2);
        f.Ah = word(4);
    }
    return view;
}

TObsEdit ValidateTextLine(const std::string& line, const TObsFields& f) {
    TObsEdit edit;
    const std::string first = FirstWord(line);
    auto tooLong = [](const std::string& text, size_t max) { return Utf8Length(text) > max; };
    if (first == "numero" || Trim(line).empty()) {
        if (Utf8Length(f.Ptvise) >= 10) edit.messages.push_back("Attention : Nom du point visé trop grand");
        if (tooLong(f.Ah, 9) || !IsNumber(f.Ah)) edit.messages.push_back("Attention : Angle horizontal incohérent");
        if (tooLong(f.Av, 9) || !IsNumber(f.Av)) edit.messages.push_back("Attention : Angle vertical incohérent");
        if (tooLong(f.Dp, 9) || !IsNumber(f.Dp)) edit.messages.push_back("Attention : Distance incohérente");
        if (!IsNumber(f.Hv)) edit.messages.push_back("Attention : Hauteur incohérente");
        if (!edit.messages.empty()) return edit;
        std::string out = " numero " + Format("%9s", f.Ptvise) + " AH_gr " + Format("%9s", f.Ah) + " AV_gr " +
                          Format("%9s", f.Av) + " Dp_m " + Format("%9s", f.Dp) + " ppm_cste_mm " +
                          Format("%9s", f.ppm) + " hv_m " + Format("%9s", f.Hv);
        if (!Trim(f.prisme).empty()) out += " prisme " + Format("%9s", f.prisme);
        // What the form does not show stays: the words after the prism
        // ("mode" flags) and the comment.
        const TLineWords w = SplitLineWords(line);
        for (size_t n = 14; n < w.words.size(); ++n) out += " " + w.words[n];
        if (w.hasComment) out += " *" + w.comment;
        edit.line = out;
    } else if (first == "station") {
        if (Utf8Length(f.Ptvise) >= 10) edit.messages.push_back("Attention : Nom de station trop grand");
        if (tooLong(f.Ah, 4) || !IsNumber(f.Ah))
            edit.messages.push_back("Attention : Température incohérente. Unité demandée: degrés Celsius (°C)");
        if (Utf8Length(f.Av) != 5 || !IsNumber(f.Av))
            edit.messages.push_back(
                "Attention : Pression incohérente. Unité demandée: millimètres de mercure (mmHg)");
        if (tooLong(f.Dp, 6) || !IsNumber(f.Dp)) edit.messages.push_back("Attention : Hauteur appareil incohérente");
        if (!edit.messages.empty()) return edit;
        // The height keeps at most five characters: "1.5432" is written "1.543".
        std::string height = f.Dp;
        if (Utf8Length(height) == 6) height = Utf8Left(height, 5);
        std::string out = "station " + f.Ptvise + " Temp_deg " + f.Ah + " Press_mmHg " + f.Av + " ht_m " + height;
        // The station's prism and comment are kept.
        if (!Trim(f.prisme).empty()) out += " prisme " + Trim(f.prisme);
        const TLineWords w = SplitLineWords(line);
        if (w.hasComment) out += " *" + w.comment;
        edit.line = out;
    }
    return edit;
}

}  // namespace kestrova

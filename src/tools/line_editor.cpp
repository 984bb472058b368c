#include "tools/line_editor.hpp"

#include <algorithm>
#include <cctype>

#include "base/decimal_comma.hpp"
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

TEditorMode EditorModeOfFirstLine(const std::string& firstLine) {
    return Trim(Utf8Left(firstLine, 5)) == "<?xml" ? TEditorMode::Xml : TEditorMode::Text;
}

TEditorMode DetectEditorMode(int lineCount, const std::function<std::string(int)>& lineAt,
                             const std::string& fileName) {
    if (lineCount > 0 && EditorModeOfFirstLine(lineAt(0)) == TEditorMode::Xml) return TEditorMode::Xml;
    // The readers take a book's station and pointing lines wherever they
    // are: a book may open with a long header, notes, prisms and heights.
    for (int i = 0; i < lineCount; ++i) {
        const std::string t = Trim(lineAt(i));
        if (StartsWith(t, "station") || StartsWith(t, "numero")) return TEditorMode::Text;
    }
    const size_t dot = fileName.rfind('.');
    const size_t slash = fileName.find_last_of("/\\");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        std::string extension = fileName.substr(dot);
        for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (extension == ".crt" || extension == ".carnet") return TEditorMode::Text;
    }
    return TEditorMode::None;
}

TEditorMode DetectEditorMode(const std::vector<std::string>& lines, const std::string& fileName) {
    return DetectEditorMode(static_cast<int>(lines.size()), [&](int i) { return lines[static_cast<size_t>(i)]; },
                            fileName);
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
        view.pressureUnit = word(5).find("Press_hPa") != std::string::npos ? "hPa" : "mmHg";
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

namespace {

// The words of a line rebuilt: `words` with the value of each field that
// changed put at its place, keywords filled in where the line had none.
struct TRebuilt {
    std::vector<std::string> words;
    void Set(size_t at, const std::string& value, const char* keyword) {
        if (words.size() <= at) words.resize(at + 1);
        if (words[at - 1].empty()) words[at - 1] = keyword;
        words[at] = value;
    }
    // Takes out a keyword and its value (a prism cleared by the user).
    void Erase(size_t at) {
        if (words.size() > at) words.erase(words.begin() + static_cast<long>(at - 1), words.begin() + static_cast<long>(at + 1));
    }
};

// A value typed in a numeric field: blanks around it dropped, a decimal
// comma made a point.
std::string TypedNumber(const std::string& text) { return WithDecimalPoint(Trim(text)); }

// A name is one word of the line: empty, or with a blank or a "*" inside,
// it would shift the words that follow or start a comment.
bool BadName(const std::string& name) {
    const std::string t = Trim(name);
    return t.empty() || t.find_first_of(" \t*") != std::string::npos;
}

// The packed "ppm_cste_mm" text as the book reader takes it apart: the
// correction in 4 characters (after a "-" when negative), then the constant
// in millimetres with its sign ("0012+000", "-0005-034"). Anything else ("0",
// "12") makes the reader drop the whole pointing.
bool ReadablePackedPpm(const std::string& text) {
    auto integer = [](std::string_view t) {
        if (!t.empty() && (t[0] == '+' || t[0] == '-')) t.remove_prefix(1);
        return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const std::string_view t = text;
    const std::size_t start = !t.empty() && t[0] == '-' ? 1 : 0;
    if (t.size() < start + 5 || t.size() > start + 8) return false;
    return integer(t.substr(start, 4)) && integer(t.substr(start + 4, 4));
}

}  // namespace

TObsEdit ValidateTextLine(const std::string& line, const TObsFields& typed) {
    TObsEdit edit;
    const std::string first = FirstWord(line);
    auto tooLong = [](const std::string& text, size_t max) { return Utf8Length(text) > max; };
    const bool fresh = Trim(line).empty();
    const TObsView shown = ShowTextLine(line, 0, 1);
    const TObsFields& was = shown.fields;
    // A field is checked and written when the user changed it; on a new
    // line every field is.
    auto changed = [&](const std::string TObsFields::*field) { return fresh || typed.*field != was.*field; };
    auto number = [&](const std::string TObsFields::*field) {
        return changed(field) ? TypedNumber(typed.*field) : was.*field;
    };
    const TLineWords w = SplitLineWords(line);
    TRebuilt r{w.words};
    bool anyChange = fresh;
    if (first == "numero" || fresh) {
        const std::string ah = number(&TObsFields::Ah), av = number(&TObsFields::Av), dp = number(&TObsFields::Dp);
        const std::string hv = number(&TObsFields::Hv);
        if (changed(&TObsFields::Ptvise) && Utf8Length(typed.Ptvise) >= 10)
            edit.messages.push_back("Attention : Nom du point visé trop grand");
        else if (changed(&TObsFields::Ptvise) && BadName(typed.Ptvise))
            edit.messages.push_back("Attention : Nom du point visé incohérent (vide, ou avec un blanc ou une *)");
        if (changed(&TObsFields::Ah) && (tooLong(ah, 9) || !IsNumber(ah)))
            edit.messages.push_back("Attention : Angle horizontal incohérent");
        if (changed(&TObsFields::Av) && (tooLong(av, 9) || !IsNumber(av)))
            edit.messages.push_back("Attention : Angle vertical incohérent");
        if (changed(&TObsFields::Dp) && (tooLong(dp, 9) || !IsNumber(dp)))
            edit.messages.push_back("Attention : Distance incohérente");
        const bool packedPpm = w.words.size() < 9 || Trim(w.words[8]).empty() || w.words[8] == "ppm_cste_mm";
        if (changed(&TObsFields::ppm) && packedPpm && !Trim(typed.ppm).empty() && !ReadablePackedPpm(Trim(typed.ppm)))
            edit.messages.push_back("Attention : Ppm incohérent (correction en 4 chiffres puis constante signée en mm, "
                                    "par exemple 0012+000)");
        if (changed(&TObsFields::Hv) && !IsNumber(hv)) edit.messages.push_back("Attention : Hauteur incohérente");
        if (changed(&TObsFields::prisme) && !Trim(typed.prisme).empty() && BadName(typed.prisme))
            edit.messages.push_back("Attention : Nom du prisme incohérent (avec un blanc ou une *)");
        if (!edit.messages.empty()) return edit;
        struct Value {
            size_t at;
            const std::string TObsFields::*field;
            std::string text;
            const char* keyword;
        };
        const Value values[] = {{1, &TObsFields::Ptvise, Trim(typed.Ptvise), "numero"}, {3, &TObsFields::Ah, ah, "AH_gr"},
                                {5, &TObsFields::Av, av, "AV_gr"},           {7, &TObsFields::Dp, dp, "Dp_m"},
                                {9, &TObsFields::ppm, typed.ppm, "ppm_cste_mm"}, {11, &TObsFields::Hv, hv, "hv_m"}};
        for (const Value& v : values) {
            if (!changed(v.field)) continue;
            anyChange = true;
            r.Set(v.at, v.text, v.keyword);
        }
        if (changed(&TObsFields::prisme)) {
            anyChange = true;
            if (!Trim(typed.prisme).empty()) r.Set(13, Trim(typed.prisme), "prisme");
            else if (r.words.size() > 13 && r.words[12] == "prisme") r.Erase(13);
        }
        if (!anyChange) return edit;
        // The reader takes the words by position: a word left empty would
        // let the next one take its place (an empty ppm on a new line made
        // its height 0). A missing keyword is the layout's; a missing value
        // is what the reader takes for an absent one: no correction and no
        // constant for the packed text, 0 for the others.
        static const char* const kKeywords[] = {"numero", "AH_gr", "AV_gr", "Dp_m", "ppm_cste_mm", "hv_m", "prisme"};
        for (size_t i = 0; i < r.words.size() && i < 14; ++i) {
            if (!Trim(r.words[i]).empty()) continue;
            if (i % 2 == 0) r.words[i] = kKeywords[i / 2];
            else r.words[i] = i == 9 && r.words[8] == "ppm_cste_mm" ? "0000+000" : "0";
        }
        // The layout: " numero", then each keyword followed by its value
        // right-aligned in 9 characters; the words after the prism and the
        // comment as they were.
        std::string out;
        for (size_t i = 0; i < r.words.size(); ++i)
            out += " " + (i % 2 == 1 && i < 14 ? Format("%9s", r.words[i]) : r.words[i]);
        if (w.hasComment) out += " *" + w.comment;
        edit.line = out;
    } else if (first == "station") {
        const bool hPa = shown.pressureUnit == "hPa";
        const std::string temp = number(&TObsFields::Ah), press = number(&TObsFields::Av);
        const std::string height = number(&TObsFields::Dp);
        if (changed(&TObsFields::Ptvise) && Utf8Length(typed.Ptvise) >= 10)
            edit.messages.push_back("Attention : Nom de station trop grand");
        else if (changed(&TObsFields::Ptvise) && BadName(typed.Ptvise))
            edit.messages.push_back("Attention : Nom de station incohérent (vide, ou avec un blanc ou une *)");
        if (changed(&TObsFields::Ah) && (tooLong(temp, 4) || !IsNumber(temp)))
            edit.messages.push_back("Attention : Température incohérente. Unité demandée: degrés Celsius (°C)");
        // A pressure in mmHg is written with one decimal (760.1); one in hPa
        // (980.5, 1013.2) takes a character more.
        if (changed(&TObsFields::Av)) {
            const size_t length = Utf8Length(press);
            if (!hPa && (length != 5 || !IsNumber(press)))
                edit.messages.push_back(
                    "Attention : Pression incohérente. Unité demandée: millimètres de mercure (mmHg)");
            if (hPa && (length < 5 || length > 6 || !IsNumber(press)))
                edit.messages.push_back("Attention : Pression incohérente. Unité demandée: hectopascals (hPa)");
        }
        if (changed(&TObsFields::Dp) && (tooLong(height, 6) || !IsNumber(height)))
            edit.messages.push_back("Attention : Hauteur appareil incohérente");
        if (changed(&TObsFields::prisme) && !Trim(typed.prisme).empty() && BadName(typed.prisme))
            edit.messages.push_back("Attention : Nom du prisme incohérent (avec un blanc ou une *)");
        if (!edit.messages.empty()) return edit;
        struct Value {
            size_t at;
            const std::string TObsFields::*field;
            std::string text;
            const char* keyword;
        };
        const Value values[] = {{1, &TObsFields::Ptvise, Trim(typed.Ptvise), "station"},
                                {3, &TObsFields::Ah, temp, "Temp_deg"},
                                {5, &TObsFields::Av, press, hPa ? "Press_hPa" : "Press_mmHg"},
                                {7, &TObsFields::Dp, height, "ht_m"}};
        for (const Value& v : values) {
            if (!changed(v.field)) continue;
            anyChange = true;
            r.Set(v.at, v.text, v.keyword);
        }
        if (changed(&TObsFields::prisme)) {
            anyChange = true;
            if (!Trim(typed.prisme).empty()) r.Set(9, Trim(typed.prisme), "prisme");
            else if (r.words.size() > 9 && r.words[8] == "prisme") r.Erase(9);
        }
        if (!anyChange) return edit;
        // The words joined by one blank; the station's other pairs, its
        // units and its comment kept.
        std::string out;
        for (size_t i = 0; i < r.words.size(); ++i) out += (i ? " " : "") + r.words[i];
        if (w.hasComment) out += " *" + w.comment;
        edit.line = out;
    }
    return edit;
}

}  // namespace kestrova

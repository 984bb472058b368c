#include "levelling/na3_reader.hpp"

#include <cmath>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

double Number(const std::string& word, const char* what, std::vector<std::string>* unreadable) {
    if (IsNumericText(word, false)) {
        if (const auto v = TextToDouble(word, false)) return *v;
        // A lone sign or point passes the number test: 0, as before.
        if (word.find_first_of("0123456789") == std::string::npos) return 0.0;
    }
    // Not a number ("abc"), or one the number test lets through but no
    // conversion reads ("1,48125").
    if (unreadable && !word.empty()) unreadable->push_back(Format("%s \"%s\"", what, word));
    return 0.0;
}

}  // namespace

std::string NotANa3BookMessage() {
    return "Aucune ligne de carnet de nivellement (ligne \"Code=\" ou ligne de lecture : point, lecture arrière, "
           "lecture avant...) dans le fichier : ce n'est pas un carnet .na3, rien n'est écrit.";
}

bool IsNa3RunLine(std::string_view line) {
    const TLineFields f = SplitLineFields(line);
    return f.count > 0 && f.fields[0] == "Code=";
}

bool ReadNa3Row(std::string_view line, Tobs_niv& obs, std::vector<std::string>* unreadable) {
    const TLineFields f = SplitLineFields(line);
    if (f.count == 0) return false;
    obs = Tobs_niv{};
    obs.name = f.fields[0];
    obs.backsight = Number(f.fields[1], "lecture arrière", unreadable);
    obs.foresight = Number(f.fields[2], "lecture avant", unreadable);
    obs.intermediate = Number(f.fields[3], "lecture rayonnée", unreadable);
    const double count = Number(f.fields[4], "nombre de mesures", unreadable);
    obs.count = std::fabs(count) < 2e9 ? static_cast<int>(count) : 0;
    obs.emq = Number(f.fields[6], "E.M.Q.", unreadable);
    obs.distance = Number(f.fields[8], "distance", unreadable);
    obs.altitude = Number(f.fields[9], "altitude", unreadable);
    return true;
}

bool HasReading(const Tobs_niv& o) {
    return std::fabs(o.backsight) + std::fabs(o.foresight) + std::abs(o.count) + std::fabs(o.intermediate) +
               std::fabs(o.emq) + std::fabs(o.distance) >=
           1e-6;
}

TNa3BookReader::Step TNa3BookReader::AddLine(std::string_view line, Tobs_niv& obs) {
    Step step;
    if (++lineNumber_ <= 6) return step;  // the header
    const TLineFields f = SplitLineFields(line);
    if (f.count == 0) return step;  // blank, a "*" note, or more than 20 words
    ++textLines_;
    if (f.fields[0] == "Code=") {
        ++bookLines_;
        ++runs_;
        step.opensRun = true;
        return step;
    }
    // A book row has its backsight and foresight columns, numbers both
    // (a lone sign or point passes the number test: a digit is asked for).
    auto number = [](const std::string& w) {
        return IsNumericText(w, false) && w.find_first_of("0123456789") != std::string::npos;
    };
    const bool bookRow = number(f.fields[1]) && number(f.fields[2]);
    if (bookRow) ++bookLines_;
    unreadable_.clear();
    if (!ReadNa3Row(line, obs, warnings_ ? &unreadable_ : nullptr)) return step;
    // Words of a row that read 0; a foreign line (a remark) is only counted.
    if (bookRow || HasReading(obs))
        for (const std::string& u : unreadable_)
            warnings_->Add(Format("ligne %d : %s n'est pas un nombre, lu 0", lineNumber_, u));
    if (!HasReading(obs)) return step;
    if (runs_ == 0) {
        ++runs_;
        step.opensRun = true;
    }
    step.reading = true;
    return step;
}

TRunList ReadNa3Book(const std::vector<std::string>& lines) {
    TRunList runs;
    TNa3BookReader reader;
    Tobs_niv obs;
    for (const std::string& line : lines) {
        const auto step = reader.AddLine(line, obs);
        if (step.opensRun) runs.emplace_back(line, Tcheminement{});
        if (step.reading) runs.back().second.observations.emplace_back(line, obs);
    }
    return runs;
}

}  // namespace kestrova

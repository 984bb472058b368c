#include "levelling/na3_reader.hpp"

#include <cmath>

#include "base/numbers.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

double Number(const std::string& word) { return IsNumericText(word, false) ? TextToDoubleOr(word, 0.0, false) : 0.0; }

}  // namespace

bool IsNa3RunLine(std::string_view line) {
    const TLineFields f = SplitLineFields(line);
    return f.count > 0 && f.fields[0] == "Code=";
}

bool ReadNa3Row(std::string_view line, Tobs_niv& obs) {
    const TLineFields f = SplitLineFields(line);
    if (f.count == 0) return false;
    obs = Tobs_niv{};
    obs.name = f.fields[0];
    obs.backsight = Number(f.fields[1]);
    obs.foresight = Number(f.fields[2]);
    obs.intermediate = Number(f.fields[3]);
    const double count = Number(f.fields[4]);
    obs.count = std::fabs(count) < 2e9 ? static_cast<int>(count) : 0;
    obs.emq = Number(f.fields[6]);
    obs.distance = Number(f.fields[8]);
    obs.altitude = Number(f.fields[9]);
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
    if (IsNa3RunLine(line)) {
        ++runs_;
        step.opensRun = true;
        return step;
    }
    if (!ReadNa3Row(line, obs) || !HasReading(obs)) return step;
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

#include "levelling/turning_points.hpp"

#include "levelling/niv_records.hpp"

namespace kestrova {

void TTurningPoints::StartRun() {
    start_ = true;
    intermediate_ = false;
}

bool TTurningPoints::Add(const Tobs_niv& r, Tdeniv& out) {
    last_ = r.name;
    if (start_) {
        start_ = false;
        n_ = 1;
        v_ = r.emq * r.emq;
        d_ = r.distance;
        if (!intermediate_) {
            from_ = r.name;
            fromTurning_ = IsTurningPoint(from_);
            s_ = r.backsight;
            return false;
        }
        // From the intermediate point, with r's values already counted once.
        from_ = kept_.name;
        fromTurning_ = false;  // a turning point never closes a difference
        s_ = kept_.intermediate;
    }
    if (IsTurningPoint(r.name)) {
        s_ += r.backsight - r.foresight;
        v_ += r.emq * r.emq;
        d_ += r.distance;
        ++n_;
        return false;
    }
    start_ = true;
    if (r.intermediate != 0.0) {
        intermediate_ = true;
        kept_ = r;
        s_ -= r.intermediate;
    } else {
        intermediate_ = false;
        s_ -= r.foresight;
    }
    v_ += r.emq * r.emq;
    d_ += r.distance;
    ++n_;
    out = Tdeniv{};
    out.from = from_;
    out.to = r.name == from_ ? "!ERROR!" : r.name;
    out.dh = s_;
    out.sigma = DenivSigma(settings_, v_, d_, n_);
    return true;
}

void EliminateTurningPoints(TRunList& runs, const TNivSettings& settings) {
    TTurningPoints tp(settings);
    for (auto& [label, run] : runs) {
        tp.StartRun();
        run.denivs.clear();
        Tdeniv d;
        for (const auto& [line, obs] : run.observations)
            if (tp.Add(obs, d) && !tp.FromTurningPoint()) run.denivs.emplace_back(BrelixRecord(d), d);
    }
}

}  // namespace kestrova

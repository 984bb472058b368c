#include "exports/residuals.hpp"

#include "fieldbook/reduction.hpp"

namespace kestrova {

std::vector<TPointingResidual> ComputeResiduals(const TStation& st, bool withZ0) {
    std::vector<TPointingResidual> res(st.obs.size());
    if (st.obs.empty() || st.pts_vise.empty()) return res;
    const Tobs* first = st.obs.data();
    const double ref1 = CircleReferenceDirection(st.pts_vise[0], 1);
    const double ref2 = CircleReferenceDirection(st.pts_vise[0], 2);
    const double z0Term = (withZ0 && st.cercles) ? (400.0 - st.Z0) * 5000.0 : 0.0;
    // Target by target, each of its pointings where it sits in the list of
    // the station.
    for (std::size_t t = 0; t < st.pts_vise.size(); ++t) {
        const TPt_vise& target = st.pts_vise[t];
        for (int c = 1; c <= 2; ++c) {
            for (const Tobs* o : c == 1 ? target.obsC1 : target.obsC2) {
                const std::ptrdiff_t i = o - first;
                if (i < 0 || static_cast<std::size_t>(i) >= res.size()) continue;
                TPointingResidual& r = res[static_cast<std::size_t>(i)];
                r.target = static_cast<int>(t);
                r.circle = c;
                const double d = o->Hz - (c == 1 ? ref1 : ref2) - target.Hz;
                // Already in [0, 400) mostly: the call only for the others.
                double x = d >= 0.0 && d <= 399.99995 ? d : NormaliseAngle(d);
                if (x >= 200.0) x -= 400.0;
                r.dHz = x * 10000.0;
                if (c == 1)
                    r.dV = (o->V - target.V) * 10000.0 + z0Term;
                else
                    r.dV = (400.0 - o->V - target.V) * 10000.0 - z0Term;
                r.dDp = (o->Dp - target.Dp) * 1000.0;
            }
        }
    }
    return res;
}

}  // namespace kestrova

#include "exports/residuals.hpp"

#include "fieldbook/reduction.hpp"

namespace kestrova {

std::vector<TPointingResidual> ComputeResiduals(const TStation& st, bool withZ0) {
    std::vector<TPointingResidual> res(st.obs.size());
    if (st.obs.empty()) return res;
    const Tobs* first = st.obs.data();
    for (std::size_t t = 0; t < st.pts_vise.size(); ++t) {
        for (int c = 1; c <= 2; ++c) {
            const auto& list = c == 1 ? st.pts_vise[t].obsC1 : st.pts_vise[t].obsC2;
            for (const Tobs* o : list) {
                const std::ptrdiff_t i = o - first;
                if (i < 0 || static_cast<std::size_t>(i) >= res.size()) continue;
                res[static_cast<std::size_t>(i)].target = static_cast<int>(t);
                res[static_cast<std::size_t>(i)].circle = c;
            }
        }
    }
    if (st.pts_vise.empty()) return res;
    const double ref1 = CircleReferenceDirection(st.pts_vise[0], 1);
    const double ref2 = CircleReferenceDirection(st.pts_vise[0], 2);
    const double z0Term = (withZ0 && st.cercles) ? (400.0 - st.Z0) * 5000.0 : 0.0;
    for (std::size_t i = 0; i < st.obs.size(); ++i) {
        TPointingResidual& r = res[i];
        if (r.target < 0) continue;
        const Tobs& o = st.obs[i];
        const TPt_vise& t = st.pts_vise[static_cast<std::size_t>(r.target)];
        double x = NormaliseAngle(o.Hz - (r.circle == 1 ? ref1 : ref2) - t.Hz);
        if (x >= 200.0) x -= 400.0;
        r.dHz = x * 10000.0;
        if (r.circle == 1)
            r.dV = (o.V - t.V) * 10000.0 + z0Term;
        else
            r.dV = (400.0 - o.V - t.V) * 10000.0 - z0Term;
        r.dDp = (o.Dp - t.Dp) * 1000.0;
    }
    return res;
}

}  // namespace kestrova

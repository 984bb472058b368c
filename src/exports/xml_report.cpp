#include "exports/xml_report.hpp"

#include <cstdint>
#include <cstring>

#include "base/param.hpp"
#include "base/version.hpp"
#include "exports/export_common.hpp"
#include "exports/residuals.hpp"
#include "exports/xml_text.hpp"

namespace kestrova {

namespace {

constexpr double kHPaPerMmHgReport = 1.3329167214840152611;

// One element line built attribute by attribute: ` name="value"`, the
// value escaped. The line is built in a block kept from line to line.
class Element {
public:
    template <std::size_t N>
    Element(TLineText& line, const char (&indentAndName)[N]) : text_(line) {
        text_.Clear().Text(indentAndName);
    }
    template <std::size_t N>
    Element& Text(const char (&name)[N], std::string_view value) {
        Open(name);
        AppendXmlText(text_, value);
        text_.Char('"');
        return *this;
    }
    template <std::size_t N>
    Element& Fixed(const char (&name)[N], double value, int decimals) {
        Open(name);
        text_.Fixed(value, decimals).Char('"');
        return *this;
    }
    template <std::size_t N>
    Element& Fixed(const char (&name)[N], double value, int decimals, TFixedMemo& memo) {
        Open(name);
        text_.Fixed(value, decimals, 0, memo).Char('"');
        return *this;
    }
    template <std::size_t N>
    Element& Int(const char (&name)[N], long long value) {
        Open(name);
        text_.Int(value).Char('"');
        return *this;
    }
    template <std::size_t N>
    Element& Empty(const char (&name)[N]) {
        Open(name);
        text_.Char('"');
        return *this;
    }
    template <std::size_t N>
    const TLineText& Close(const char (&end)[N]) {
        return text_.Text(end);
    }
    // The attributes `add` appends, copied from `memo` when its key is
    // `key` (the same values: the same text), else appended and kept.
    template <typename Key, typename Add>
    Element& Kept(TTextMemo<Key>& memo, const Key& key, Add add) {
        if (memo.Holds(key)) {
            memo.AppendTo(text_);
        } else {
            const std::size_t start = text_.Size();
            add(*this);
            memo.Keep(key, text_, start);
        }
        return *this;
    }

private:
    // ` name="`: one room check, then the bytes.
    template <std::size_t N>
    void Open(const char (&name)[N]) {
        char* p = text_.ExtendPlain(N + 2);  // the names are identifiers
        p[0] = ' ';
        std::memcpy(p + 1, name, N - 1);
        p[N] = '=';
        p[N + 1] = '"';
    }
    TLineText& text_;
};

// What the distance attributes of a raw pointing are made of.
struct TDistanceKey {
    std::uint64_t ppm = 0, calibrationCorrection = 0;  // the values' bits
    const TEtalonnage* calibration = nullptr;
    bool operator==(const TDistanceKey&) const = default;
};

std::uint64_t BitsOf(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

const char* YesNo(bool b) { return b ? "Y" : "N"; }

void AppendStation(TLineSink& out, const TStation& st, int k, int a, int l, TLineText& line) {
    int nbC1 = 0, nbC2 = 0;
    for (const Tobs& o : st.obs) (o.V < 200.0 ? nbC1 : nbC2)++;
    const std::string& formula = Param().formule_meteo;

    Element head(line, "   <station");
    head.Int("num", k)
        .Text("pt_sta", st.pt_sta)
        .Fixed("temp", st.temp, 1)
        .Fixed("press_mmHg", st.press, 1)
        .Fixed("press_hPa", st.press * kHPaPerMmHgReport, 1)
        .Text("formule_meteo", formula)
        .Fixed("ppm", st.ppm, 1)
        .Fixed("Z0", st.Z0, a)
        .Fixed("SigmaZ0", st.SigmaZ0, a)
        .Fixed("Ht", st.Ht, l)
        .Int("num_ligne", st.ligne)
        .Text("valid", YesNo(st.valid));
    if (st.valid)
        head.Text("cercles", st.cercles ? "2" : "1").Text("fermeture", YesNo(st.fermeture)).Int("NbPointes", st.NbPointes);
    else
        head.Empty("cercles").Empty("fermeture").Empty("NbPointes");
    head.Int("NbPointesC1", nbC1).Int("NbPointesC2", nbC2);
    out.Add(head.Close(">"));

    // Raw pointings in field-book order.
    out.Add("      <rawdata>");
    struct {
        TTextMemo<TDistanceKey> distance;
        TFixedMemo height;  // mostly the same from pointing to pointing
    } memo;
    const std::vector<TPointingResidual> res =
        st.valid ? ComputeResiduals(st, true) : std::vector<TPointingResidual>();
    for (std::size_t i = 0; i < st.obs.size(); ++i) {
        const Tobs& o = st.obs[i];
        const bool dist = HasDistance(o.Dp);
        Element e(line, "         <obs");
        e.Text("pt_vis", o.pt_vis).Fixed("Hz", o.Hz, a).Fixed("V", o.V, a);
        if (dist)
            e.Fixed("Dp", o.Dp, l);
        else
            e.Empty("Dp");
        if (st.valid && res[i].target >= 0)
            e.Fixed("dHz", res[i].dHz, 0).Fixed("dV", res[i].dV, 0);
        else
            e.Empty("dHz").Empty("dV");
        if (st.valid && dist) {
            if (res[i].target >= 0)
                e.Fixed("dDp", res[i].dDp, 1);
            else
                e.Empty("dDp");
            // The same correction, constant and calibration from pointing to
            // pointing, mostly: their four attributes are copied.
            const TDistanceKey key{BitsOf(o.ppm), BitsOf(o.c_etal), o.calibration};
            e.Kept(memo.distance, key, [&](Element& d) {
                d.Fixed("ppm", o.ppm, 1).Fixed("c_etal", o.c_etal, l);
                if (o.calibration)
                    d.Int("etalonnage", o.calibration->num).Text("id_etalonnage", o.calibration->id);
                else
                    d.Empty("etalonnage").Empty("id_etalonnage");
            });
        } else {
            e.Empty("dDp").Empty("ppm").Empty("c_etal").Empty("etalonnage").Empty("id_etalonnage");
        }
        e.Fixed("Hv", o.Hv, l, memo.height);
        out.Add(e.Close("/>"));
    }
    out.Add("      </rawdata>");

    out.Add("      <CheckNobs>");
    for (const TPt_vise& t : st.pts_vise) {
        Element e(line, "         <Nobs");
        out.Add(e.Text("pt_vis", t.pt_vis).Int("NObsC1", t.NObsC1).Int("NObsC2", t.NObsC2).Close("/>"));
    }
    out.Add("      </CheckNobs>");

    out.Add("      <Logs>");
    for (const std::string& m : st.logs) {
        Element e(line, "         <log");
        out.Add(e.Text("mess", m).Close("/>"));
    }
    out.Add("      </Logs>");

    out.Add("      <Data_Ok>");
    if (st.valid) {
        for (const TPt_vise& t : st.pts_vise) {
            Element e(line, "         <obs");
            e.Text("pt_vis", t.pt_vis).Fixed("Hz", t.Hz, a).Fixed("V", t.V, a);
            if (HasDistance(t.Dp))
                e.Fixed("Dp", t.Dp, l);
            else
                e.Empty("Dp");
            out.Add(e.Close("/>"));
        }
    }
    out.Add("      </Data_Ok>");
    out.Add("   </station>");
}

}  // namespace

void ProduceXmlReport(const Tday_obs& book, const std::string& stylesheetName, TLineSink& out) {
    const TParam& p = Param();
    const int a = p.angle;
    const int l = p.longueur;
    TLineText line;
    out.Add(R"(<?xml version="1.0" encoding="ISO-8859-1"?>)");
    // The link is a URI: a name with accents, blanks or brackets is
    // percent-encoded, which also leaves nothing to escape for XML.
    out.Add("<?xml-stylesheet href=\"" + UriFileName(stylesheetName) + "\" type=\"text/xsl\"?>");
    out.Add(std::string("<carnet version=\"") + kVersion + "\">");

    out.Add("<etalonnages>");
    for (const TEtalonnage& c : book.etalonnages) {
        Element e(line, "    <etalonnage");
        e.Text("id", c.id);
        // The target's name, when the calibration editor gave one.
        if (!c.nom.empty()) e.Text("nom", c.nom);
        e.Int("num", c.num);
        e.Empty("serial").Empty("methode").Text("P", "3.000").Text("Ddep", "0.0").Text("Dmax", "9999.99");
        e.Fixed("M", c.M, l);
        e.Text("deg_Fourier", "0").Text("deg_polynome", "0").Text("n_corr_interp", "0");
        e.Text("lambda_um", "0.85").Text("T0_K", "285.15").Text("P0_mmHg", "760.0");
        out.Add(e.Close(">"));
        out.Add("        <Coeff_Fourier/>");
        out.Add("        <Coeff_Polynome/>");
        out.Add("        <Coeff_corr_interp/>");
        out.Add("    </etalonnage>");
    }
    out.Add("</etalonnages>");

    Element stations(line, "<stations");
    stations.Fixed("Z0", book.Z0, a)
        .Fixed("SigmaZ0", book.SigmaZ0, a)
        .Fixed("SigmaHz", static_cast<double>(p.sigma_Hz), a)
        .Fixed("SigmaV", static_cast<double>(p.sigma_V), a)
        .Fixed("SigmaDp", static_cast<double>(p.sigma_Dp), l)
        .Text("export_hauteurs_brelix", p.export_hauteurs_brelix)
        .Text("use_meteo_entete_station", p.use_meteo_entete_station)
        .Text("use_first_target_for_Z0_estimation", p.use_first_target_for_Z0_estimation);
    out.Add(stations.Close(">"));
    for (std::size_t i = 0; i < book.stations.size(); ++i)
        AppendStation(out, book.stations[i], static_cast<int>(i) + 1, a, l, line);
    out.Add("</stations>");
    out.Add("</carnet>");
}

std::vector<std::string> XmlReportLines(const Tday_obs& book, const std::string& stylesheetName) {
    TLineCollector c;
    ProduceXmlReport(book, stylesheetName, c);
    return std::move(c.lines);
}

bool WriteXmlReport(const Tday_obs& book, const std::string& path, std::string* error) {
    const std::string xsl = ExtractFileName(ChangeFileExt(path, ".xsl"));
    return WriteLinesAtomically(path, FileEncoding::Latin1Xml, error,
                                [&](TLineSink& sink) { ProduceXmlReport(book, xsl, sink); });
}

}  // namespace kestrova

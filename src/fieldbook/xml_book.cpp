#include "fieldbook/xml_book.hpp"

#include <algorithm>
#include <climits>
#include <optional>
#include <pugixml.hpp>
#include <stdexcept>

#include "base/encoding.hpp"
#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/param.hpp"
#include "base/text_helpers.hpp"
#include "base/utf8.hpp"
#include "fieldbook/text_reader.hpp"

namespace kestrova {

namespace {

// `offset`: where the faulty element starts in the parsed text, -1 when
// unknown; the reader turns it into a line number.
class XmlBookError : public std::runtime_error {
public:
    explicit XmlBookError(const std::string& what, std::ptrdiff_t offset = -1)
        : std::runtime_error(what), offset(offset) {}
    std::ptrdiff_t offset;
};

// The children that count as entries: elements and texts; comments,
// processing instructions and declarations are skipped.
bool IsEntry(const pugi::xml_node& n) {
    const pugi::xml_node_type t = n.type();
    return t == pugi::node_element || t == pugi::node_pcdata || t == pugi::node_cdata;
}

template <typename F>
void ForEachEntry(const pugi::xml_node& parent, F&& f) {
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (IsEntry(c)) f(c);
}

int CountEntries(const pugi::xml_node& parent) {
    int n = 0;
    ForEachEntry(parent, [&](const pugi::xml_node&) { ++n; });
    return n;
}

std::string ElementName(const pugi::xml_node& n) {
    return n.type() == pugi::node_element ? std::string(n.name()) : std::string("#text");
}

// Names the element, the attribute and, when it is there, its value.
[[noreturn]] void Fail(const pugi::xml_node& n, const char* attr, const char* what) {
    const pugi::xml_attribute a = n.attribute(attr);
    const std::string value = a ? Format(" = \"%s\"", Utf8Left(a.value(), 40)) : std::string();
    throw XmlBookError(Format("élément %s, attribut %s%s : %s", ElementName(n), attr, value, what), n.offset_debug());
}

// Line (from 1) of a position in the text.
long long LineAt(const std::string& text, std::ptrdiff_t offset) {
    if (offset < 0) return 0;
    const auto end = text.begin() + std::min<std::ptrdiff_t>(offset, static_cast<std::ptrdiff_t>(text.size()));
    return 1 + std::count(text.begin(), end, '\n');
}

// Raw text of an attribute; empty when absent.
const char* Raw(const pugi::xml_node& n, const char* name) { return n.attribute(name).value(); }

std::optional<std::string> Optional(const pugi::xml_node& n, const char* name) {
    const pugi::xml_attribute a = n.attribute(name);
    if (!a) return std::nullopt;
    return std::string(a.value());
}

std::string Required(const pugi::xml_node& n, const char* name) {
    const pugi::xml_attribute a = n.attribute(name);
    if (!a) Fail(n, name, "absent");
    return a.value();
}

std::optional<long long> IntegerText(std::string_view text) { return TextToInt(Trim(text)); }

// Integer attributes hold 32-bit integers: a text beyond that range is not
// an integer text (it would otherwise wrap to an unrelated number).
long long ToInteger(const pugi::xml_node& n, const char* name, const std::string& text) {
    const auto v = IntegerText(text);
    if (!v || *v < INT_MIN || *v > INT_MAX) Fail(n, name, "entier attendu");
    return *v;
}

// Conversion without a number test: a text that is not a number ends the reading.
double ToReal(const pugi::xml_node& n, const char* name, const std::string& text) {
    const auto v = TextToDouble(Trim(text), true);
    if (!v) Fail(n, name, "nombre attendu");
    return *v;
}

int RequiredInt(const pugi::xml_node& n, const char* name) {
    return static_cast<int>(ToInteger(n, name, Required(n, name)));
}

double RequiredReal(const pugi::xml_node& n, const char* name) {
    return ToReal(n, name, Required(n, name));
}

int OptionalInt(const pugi::xml_node& n, const char* name, int fallback) {
    const auto t = Optional(n, name);
    return t ? static_cast<int>(ToInteger(n, name, *t)) : fallback;
}

double OptionalReal(const pugi::xml_node& n, const char* name, double fallback) {
    const auto t = Optional(n, name);
    return t ? ToReal(n, name, *t) : fallback;
}

// Station values: a number without exponent, else the fallback. Blanks
// around the number are not part of it: the GDM route writes "%-8.1f"
// texts ("18.0    "), whose weather and heights must not read as the
// defaults.
double StationValue(const pugi::xml_node& n, const char* name, double fallback) {
    return TextToDoubleOr(Trim(Required(n, name)), fallback, false);
}

// Pointing values: a number with exponent, else 0.
double PointingValue(const pugi::xml_node& n, const char* name) {
    return TextToDoubleOr(Trim(Required(n, name)), 0.0, true);
}

// Largest coefficient table a calibration may declare. Real calibrations
// hold a few Fourier or polynomial terms and at most some hundreds of
// interpolation nodes; a larger count comes from a damaged file, and sizing
// the tables by it could exhaust the memory.
constexpr int kMaxCoefficients = 10000;

int DeclaredCount(const pugi::xml_node& n, const char* name) {
    const int v = RequiredInt(n, name);
    if (v > kMaxCoefficients) Fail(n, name, "nombre de coefficients trop grand");
    return v;
}

int Count(int declared) { return declared < 0 ? 0 : declared; }

const TEtalonnage* FindByNum(const Tday_obs& book, long long num) {
    for (const TEtalonnage& e : book.etalonnages)
        if (e.num == num) return &e;
    return nullptr;
}

const TEtalonnage* FindById(const Tday_obs& book, std::string_view id) {
    for (const TEtalonnage& e : book.etalonnages)
        if (e.id == id) return &e;
    return nullptr;
}

void ReadCalibration(Tday_obs& book, const pugi::xml_node& node) {
    TEtalonnage& e = book.AddEtalonnage();
    ++book.nb_etal;
    book.trace.Append(Format("Lecture de l'étalonnage #%d", static_cast<int>(book.etalonnages.size()) - 1));

    if (auto id = Optional(node, "id")) e.id = *id;
    if (auto nom = Optional(node, "nom")) e.nom = *nom;
    if (auto m = Optional(node, "methode")) e.methode = *m;
    e.num = RequiredInt(node, "num");
    e.serial = RequiredInt(node, "serial");
    e.Ddep = RequiredReal(node, "Ddep");
    e.Dmax = RequiredReal(node, "Dmax");
    e.P = RequiredReal(node, "P");
    e.M = OptionalReal(node, "M", 0.0);
    e.lambda = OptionalReal(node, "lambda_um", ParamToDouble(Param().lambda));
    // T0_C wins over T0_K.
    e.T0 = OptionalReal(node, "T0_K", ParamToDouble(Param().Temp_std));
    if (auto c = Optional(node, "T0_C")) e.T0 = ToReal(node, "T0_C", *c) + 273.15;
    e.P0 = OptionalReal(node, "P0_mmHg", ParamToDouble(Param().pression_std));
    e.deg_Fourier = DeclaredCount(node, "deg_Fourier");
    e.deg_polynome = DeclaredCount(node, "deg_polynome");
    e.n_corr_interp = DeclaredCount(node, "n_corr_interp");
    e.A.assign(static_cast<size_t>(Count(e.deg_Fourier)), 0.0);
    e.B.assign(static_cast<size_t>(Count(e.deg_Fourier)), 0.0);
    e.Q.assign(static_cast<size_t>(Count(e.deg_polynome)), 0.0);
    e.dist.assign(static_cast<size_t>(Count(e.n_corr_interp)), 0.0);
    e.corr.assign(static_cast<size_t>(Count(e.n_corr_interp)), 0.0);

    // Coefficients outside the declared counts are ignored.
    if (const pugi::xml_node fourier = node.child("Coeff_Fourier")) {
        ForEachEntry(fourier, [&](const pugi::xml_node& c) {
            const long long k = ToInteger(c, "degre", Required(c, "degre"));
            const double a = RequiredReal(c, "A");
            const double b = RequiredReal(c, "B");
            if (k >= 1 && k <= static_cast<long long>(e.A.size())) {
                e.A[static_cast<size_t>(k - 1)] = a;
                e.B[static_cast<size_t>(k - 1)] = b;
            }
        });
    }
    if (const pugi::xml_node poly = node.child("Coeff_Polynome")) {
        ForEachEntry(poly, [&](const pugi::xml_node& c) {
            const long long d = ToInteger(c, "degre", Required(c, "degre"));
            const double q = RequiredReal(c, "Q");
            if (d >= 1 && d <= static_cast<long long>(e.Q.size())) e.Q[static_cast<size_t>(d - 1)] = q;
        });
    }
    if (const pugi::xml_node interp = node.child("Coeff_corr_interp")) {
        size_t i = 0;
        ForEachEntry(interp, [&](const pugi::xml_node& c) {
            const double dist = RequiredReal(c, "dist");
            const double corr = RequiredReal(c, "corr");
            if (i < e.dist.size()) {
                e.dist[i] = dist;
                e.corr[i] = corr;
            }
            ++i;
        });
    }
    InitRefractivities(e);
}

void ReadPointing(Tday_obs& book, TStation& s, const pugi::xml_node& station, const pugi::xml_node& node,
                  int n) {
    TTraceLog& trace = book.trace;
    if (trace.Accepting()) {
        trace.Append(std::string("  ") + Raw(node, "pt_vis") + " Hz=" + Raw(node, "Hz") + " V=" +
                     Raw(node, "V") + " Dp=" + Raw(node, "Dp") + " Hv=" + Raw(node, "Hv") + " ppm=" +
                     Raw(node, "ppm") + " cste=" + Raw(node, "cste"));
        trace.Append(Format("nb_obs=%d", n));
    }
    Tobs& o = s.obs[static_cast<size_t>(n)];
    o.pt_vis = NormaliseTargetName(Required(node, "pt_vis"));
    o.indice = n;
    o.Hz = PointingValue(node, "Hz");
    o.V = PointingValue(node, "V");
    o.Dp = PointingValue(node, "Dp");
    o.Hv = PointingValue(node, "Hv");
    o.ppm = PointingValue(node, "ppm");
    o.cste = PointingValue(node, "cste");
    o.cercle = o.V >= 200.0 ? 2 : 1;
    if (auto t = Optional(node, "temp"))
        o.temp = ToReal(node, "temp", *t);
    else
        o.temp = ToReal(station, "temp", Required(station, "temp"));
    if (auto p = Optional(node, "press"))
        o.press = ToReal(node, "press", *p);
    else
        o.press = ToReal(station, "press", Required(station, "press"));
    o.unite_temp = "deg";
    o.unite_press = "mmHg";
    // The distance mode and the comment of a pointing converted from a
    // text book ("mode RL", "* remark").
    o.mode = static_cast<bool>(node.attribute("mode"));
    if (auto c = Optional(node, "commentaire")) o.commentaire = Utf8Left(" *" + *c, 100);

    o.etalonnage = s.etalonnage;
    if (auto t = Optional(node, "etalonnage")) {
        const auto v = IntegerText(*t);
        if (v && FindByNum(book, *v)) o.etalonnage = static_cast<int>(*v);
    }
    if (auto id = Optional(node, "id_etalonnage")) {
        if (const TEtalonnage* e = FindById(book, *id)) o.etalonnage = e->num;
    }

    if (trace.Accepting()) {
        const int code = n == 0 ? 7 : 5;
        trace.Append(Format("     code : %d", code));
        trace.Append(Format("  code=%d Hz=%10.5f V=%10.5f Dp=%10.4f Hv=%10.5f ppm=%10.5f cste=%10.5f etalonnage=%d",
                            code, o.Hz, o.V, o.Dp, o.Hv, o.ppm, o.cste, o.etalonnage));
    }
}

void ReadStation(Tday_obs& book, const pugi::xml_node& node) {
    book.trace.Append(Raw(node, "pt_sta"));
    const pugi::xml_node rawdata = node.child("rawdata");
    const int pos = static_cast<int>(book.stations.size());
    book.nb_stat = pos;
    book.stations.emplace_back();
    book.trace.Append(Format("nb_stat=%d", pos));
    TStation& s = book.stations.back();

    s.ligne = -1;
    s.pt_sta = NormaliseStationName(Required(node, "pt_sta"), false);
    s.temp = StationValue(node, "temp", 12.0);
    s.press = StationValue(node, "press", 760.1);
    s.Ht = StationValue(node, "Ht", 0.0);
    s.unite_temp = "deg";
    s.unite_press = "mmHg";
    s.etalonnage = -1;
    if (auto t = Optional(node, "etalonnage")) {
        const auto v = IntegerText(*t);
        if (v && FindByNum(book, *v)) s.etalonnage = static_cast<int>(*v);
    }
    if (auto id = Optional(node, "id_etalonnage")) {
        s.etalonnage = 0;
        if (const TEtalonnage* e = FindById(book, *id)) s.etalonnage = e->num;
    }
    if (auto t = Optional(node, "date_debut")) s.date_debut = *t;
    if (auto t = Optional(node, "heure_debut")) s.heure_debut = *t;
    if (auto t = Optional(node, "date_fin")) s.date_fin = *t;
    if (auto t = Optional(node, "heure_fin")) s.heure_fin = *t;
    s.DOY_debut = OptionalInt(node, "DOY_debut", 0);
    s.dsec_debut = OptionalInt(node, "dsec_debut", 0);
    s.DOY_fin = OptionalInt(node, "DOY_fin", 0);
    s.dsec_fin = OptionalInt(node, "dsec_fin", 0);
    if (node.attribute("cycle")) book.avec_cycles = true;
    s.cycle = OptionalInt(node, "cycle", -1);
    s.logs.clear();

    if (!rawdata) throw XmlBookError(Format("station %s sans rawdata", s.pt_sta), node.offset_debug());
    const int count = CountEntries(rawdata);
    book.trace.Append(Format("XRawData nb de noeuds : %d", count));
    s.obs.resize(static_cast<size_t>(count));
    s.nb_obs = count;
    int n = 0;
    ForEachEntry(rawdata, [&](const pugi::xml_node& c) { ReadPointing(book, s, node, c, n++); });
}

void TraceCalibrations(Tday_obs& book) {
    TTraceLog& t = book.trace;
    if (!t.Accepting()) return;
    int p = 0;
    for (const TEtalonnage& e : book.etalonnages) {
        t.Append(Format("Etalonnage #%d", p++));
        t.Append(Format("Num = %d", e.num));
        t.Append(Format("Serial = %d", e.serial));
        t.Append(Format("Ddep = %.3f", e.Ddep));
        t.Append(Format("Dmax = %.3f", e.Dmax));
        t.Append(Format("Etalonnage par serie de Fourier (%d noeuds)", e.deg_Fourier));
        for (size_t k = 0; k < e.A.size() && t.Accepting(); ++k)
            t.Append(Format("A(%d)=%30.16f B(%d)=%30.16f", k + 1, e.A[k], k + 1, e.B[k]));
        t.Append(Format("Etalonnage polynomial (%d noeuds)", e.deg_polynome));
        for (size_t k = 0; k < e.Q.size() && t.Accepting(); ++k) t.Append(Format("Q(%d)=%30.16f ", k + 1, e.Q[k]));
        t.Append(Format("Etalonnage interpole (%d noeuds)", e.n_corr_interp));
        for (size_t i = 0; i < e.dist.size() && t.Accepting(); ++i)
            t.Append(Format("Dist_ref(%d)=%30.16f Corr_interp(%d)=%30.16f", i, e.dist[i], i, e.corr[i]));
        t.Append(Format("lambda=%.4f", e.lambda));
        t.Append(Format("T0=%.2f", e.T0));
        t.Append(Format("P0=%.2f", e.P0));
        t.Append(Format("NG0=%.4f", e.NG0));
        t.Append(Format("N0=%.4f", e.N0));
        t.Append(" ");
    }
}

void ReadEntries(Tday_obs& book, const pugi::xml_node& root, TProgress& progress);

void ReadDocument(Tday_obs& book, const std::vector<std::string>& lines, pugi::xml_document& doc, TProgress& progress) {
    std::string text;
    size_t size = 0;
    for (const std::string& l : lines) size += l.size() + 1;
    text.reserve(size);
    for (const std::string& l : lines) {
        text += l;
        text += '\n';
    }
    // The file layer already decoded the text: the buffer is UTF-8 whatever
    // the declaration says.
    const pugi::xml_parse_result r =
        doc.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_declaration,
                        pugi::encoding_utf8);
    if (!r) throw XmlBookError(Format("ligne %d : document XML invalide (%s)", LineAt(text, r.offset), r.description()));
    const pugi::xml_node root = doc.document_element();

    book.nb_etal = 0;
    book.AddEtalonnage();
    book.nb_etal = 1;

    try {
        ReadEntries(book, root, progress);
    } catch (const XmlBookError& e) {
        if (e.offset < 0) throw;
        throw XmlBookError(Format("ligne %d, %s", LineAt(text, e.offset), e.what()));
    }
    TraceCalibrations(book);
}

void ReadEntries(Tday_obs& book, const pugi::xml_node& root, TProgress& progress) {
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) continue;
        const std::string_view name = child.name();
        if (name == "etalonnages") {
            ForEachEntry(child, [&](const pugi::xml_node& c) { ReadCalibration(book, c); });
        } else if (name == "stations") {
            const int count = CountEntries(child);
            book.trace.Append(Format("XStations nb de noeuds : %d", count));
            int done = 0;
            ForEachEntry(child, [&](const pugi::xml_node& c) {
                progress.Advance(done++, count);
                ReadStation(book, c);
            });
            book.nb_stat = static_cast<int>(book.stations.size());
        }
    }
}

// A name as an attribute value: markup characters escaped, a tabulation as
// a character reference (a raw one would read back as a blank), and the
// other control characters, which XML cannot hold, as "?".
std::string AttributeText(std::string_view text) {
    std::string r;
    for (char c : XmlEscape(text)) {
        if (c == '\t')
            r += "&#9;";
        else if (static_cast<unsigned char>(c) < 0x20)
            r += '?';
        else
            r += c;
    }
    return r;
}

}  // namespace

bool ReadXmlBook(Tday_obs& book, const std::vector<std::string>& lines, TProgress& progress) {
    book.trace.Append("Réduction d'un fichier carnet XML");
    book.nb_stat = -1;
    bool ok = true;
    progress.Stage("Lecture du carnet");
    try {
        pugi::xml_document doc;
        ReadDocument(book, lines, doc, progress);
    } catch (const TCancelled&) {
        throw;
    } catch (const std::exception& e) {
        ok = false;
        book.trace.Append(std::string("Erreur de lecture du carnet XML : ") + e.what());
        book.erreur_lecture = e.what();
        // Keep the stations read completely; the one being read is dropped.
        const size_t complete = book.nb_stat < 0 ? 0 : static_cast<size_t>(book.nb_stat);
        if (book.stations.size() > complete) book.stations.resize(complete);
    }
    // Resolved even after an error, so that every station and pointing read
    // has a calibration.
    book.ResolveCalibrations();
    return ok;
}

std::vector<std::string> TextToXmlBook(const std::vector<std::string>& lines, std::vector<int>* unreadLines) {
    Tday_obs book;
    book.nb_stat = 0;
    AddDefaultCalibration(book);

    std::vector<std::string> out;
    out.emplace_back("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    out.emplace_back("<carnet>");
    out.emplace_back("   <etalonnages>");
    out.emplace_back("   </etalonnages>");
    out.emplace_back("   <stations>");

    int stationCounter = 0;
    int pointingCounter = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        bool read = false;
        try {
            read = ReadTextLine(book, lines[i], stationCounter, static_cast<int>(i), pointingCounter);
        } catch (const std::exception&) {
            // Same per-line guard as the text reader.
        }
        if (!read && unreadLines) unreadLines->push_back(static_cast<int>(i) + 1);
    }

    // The decimals of "%.*f": a negative count means none given (6).
    auto decimals = [](int d) { return d < 0 ? 6 : d; };
    const int angle = decimals(Param().angle);
    const int longueur = decimals(Param().longueur);
    out.reserve(out.size() + book.stations.size() * 6);
    int num = 0;
    for (const TStation& s : book.stations) {
        out.push_back(Format("      <station num=\"%d\" pt_sta=\"%s\" temp=\"%.1f\" press=\"%.1f\" Ht=\"%.4f\" "
                             "etalonnage=\"0\" >",
                             ++num, AttributeText(s.pt_sta), s.temp, s.press, s.Ht));
        out.emplace_back("         <rawdata>");
        for (const Tobs& o : s.obs) {
            std::string l = "            <obs pt_vis=\"";
            l += AttributeText(o.pt_vis);
            l += "\" Hz=\"" + FormatFixed(o.Hz, angle);
            l += "\"  V=\"" + FormatFixed(o.V, angle);
            l += "\" Dp=\"" + FormatFixed(o.Dp, longueur);
            l += "\" Hv=\"" + FormatFixed(o.Hv, longueur);
            l += Format("\" ppm=\"%.1f\" cste=\"%.3f\"/>", o.ppm, o.cste);
            out.push_back(std::move(l));
        }
        out.emplace_back("         </rawdata>");
        out.emplace_back("      </station>");
    }
    out.emplace_back("   </stations>");
    out.emplace_back("</carnet>");
    return out;
}

}  // namespace kestrova

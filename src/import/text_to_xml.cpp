#include "import/text_to_xml.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

#include "base/format.hpp"
#include "base/line_sink.hpp"
#include "base/numbers.hpp"
#include "base/param.hpp"
#include "base/text_helpers.hpp"
#include "fieldbook/model.hpp"
#include "fieldbook/text_reader.hpp"
#include "import/xml_attribute.hpp"

namespace kestrova {

namespace {

constexpr std::size_t kMaxNamedLines = 20;
// Comment lines met inside a station are kept back until the next pointing
// or station; past this many they go out at once.
constexpr std::size_t kMaxHeldComments = 1000;

// A value with the decimals of the format at least, and as many more as
// it needs to read back as the same number (a pressure in hPa turned into
// mmHg, an angle with more decimals than the ini's): the XML book then
// reduces exactly as the text book.
std::string CarriedFixed(double value, int decimals) {
    for (int d = std::max(decimals, 0); d <= 17; ++d) {
        const std::string t = FormatFixed(value, d);
        if (t.find_first_of("eE*") != std::string::npos) return t;
        if (const auto back = TextToDouble(t, false); back && *back == value) return t;
    }
    return FormatFixed(value, 17);
}

// Text of an XML comment: no "--" inside, no control character.
std::string CommentText(std::string_view text) {
    std::string r;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') c = '?';
        if (c == '-' && !r.empty() && r.back() == '-') r += ' ';
        r += c;
    }
    return r;
}

bool Contains(std::string_view text, std::string_view word) { return text.find(word) != std::string_view::npos; }

bool IsCommentLine(const TLineFieldViews& f) { return f.count == 0 && f.fields[0].empty() && !f.comment.empty(); }

std::string_view Keyword(const TLineFieldViews& f) { return f.fields[0]; }

struct TPrism {
    std::string id;
    int num = 0;
    double M = 0.0;
    std::string comment;
};

// What the first reading gathers.
struct TSurvey {
    std::vector<TPrism> prisms;
    std::unordered_map<std::string, double> heights;  // the last definition of a name wins
    long long stationLines = 0;
    long long bookLines = 0;
    long long foreignLines = 0;
    // Values the book reads as a default because they are not numbers
    // ("ligne 12, champ Hz : \"abc\""), the first kMaxNamedLines of them.
    std::vector<std::string> notNumbers;
    long long notNumberCount = 0;
};

bool IsNumber(std::string_view text) {
    const auto v = TextToDouble(text, true);
    return v && std::isfinite(*v);
}

// Notes a field of a book line that the reading takes as a default.
void CheckNumber(TSurvey& s, long long line, const char* field, std::string_view text) {
    if (IsNumber(text)) return;
    ++s.notNumberCount;
    if (s.notNumbers.size() < kMaxNamedLines)
        s.notNumbers.push_back(text.empty() ? Format("ligne %d, champ %s absent", line, field)
                                            : Format("ligne %d, champ %s : \"%s\"", line, field, text));
}

// The numbers of a station or pointing line, which the reading would turn
// into defaults (0, 760.1) without a word.
void CheckNumbers(TSurvey& s, const TLineFieldViews& f, long long line) {
    if (f.fields[0] == "numero") {
        CheckNumber(s, line, "Hz", f.fields[3]);
        CheckNumber(s, line, "V", f.fields[5]);
        CheckNumber(s, line, "Dp", f.fields[7]);
        if (f.count > 11 && !f.fields[11].empty()) CheckNumber(s, line, "hv", f.fields[11]);
        return;
    }
    for (int i = 0; i + 1 < f.count; i += 2) {
        const std::string_view key = f.fields[static_cast<std::size_t>(i)];
        for (const char* k : {"Temp_deg", "Press_hPa", "Press_mmHg", "ht_m"})
            if (key.find(k) != std::string_view::npos) CheckNumber(s, line, k, f.fields[static_cast<std::size_t>(i + 1)]);
    }
}

TSurvey Survey(const TBookLineSource& next) {
    TSurvey s;
    Tday_obs scratch;
    scratch.trace.enabled = false;
    AddDefaultCalibration(scratch);
    int stationCounter = 0, pointingCounter = 0;
    TLineFieldViews f;
    std::string_view line;
    for (long long n = 1; next(line); ++n) {
        if (line.find('\0') != std::string_view::npos)
            throw TextToXmlError(Format("ligne %d : octet nul : le fichier est binaire ou encodé en UTF-16, un carnet "
                                        "texte (.crt, .carnet) est attendu.",
                                        n));
        SplitLineFields(line, f);
        const std::string_view k = Keyword(f);
        if (k == "station" || k == "numero") {
            ++s.bookLines;
            if (k == "station") ++s.stationLines;
            CheckNumbers(s, f, n);
        } else if (k == "prisme" || k == "point") {
            ++s.bookLines;
            const std::size_t before = scratch.hauteurs.size();
            try {
                ReadTextLine(scratch, line, stationCounter, static_cast<int>(n - 1), pointingCounter);
            } catch (const std::exception&) {
            }
            // The height of a "point" line is its fourth field whatever the
            // third says; the constant of a "prisme" line follows "cste_m".
            if (k == "point" || Contains(f.fields[2], "cste_m")) CheckNumber(s, n, k == "point" ? "hv_m" : "cste_m", f.fields[3]);
            if (k == "prisme") {
                const TEtalonnage& e = scratch.etalonnages.back();
                s.prisms.push_back(TPrism{e.id, e.num, e.M, std::string(f.comment)});
            } else if (scratch.hauteurs.size() > before) {
                s.heights[scratch.hauteurs.back().nom] = scratch.hauteurs.back().hauteur;
                scratch.hauteurs.clear();
            }
        } else if (!k.empty()) {
            ++s.foreignLines;
        }
    }
    if (s.stationLines == 0)
        throw TextToXmlError("Aucune ligne « station » dans le fichier : un carnet texte (.crt, .carnet) fait de lignes "
                             "« station » suivies de leurs lignes « numero » est attendu.");
    return s;
}

// The second reading: the book line by line into the XML book.
class TXmlBookWriter {
public:
    TXmlBookWriter(const TSurvey& survey, TLineSink& sink) : survey_(survey), sink_(sink) {
        book_.trace.enabled = false;
        AddDefaultCalibration(book_);
        const int angle = Param().angle;
        const int longueur = Param().longueur;
        angle_ = angle < 0 ? 6 : angle;
        length_ = longueur < 0 ? 6 : longueur;
        sink_.Add("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
        sink_.Add("<carnet>");
    }

    void Add(std::string_view line, long long number) {
        SplitLineFields(line, f_);
        const std::string_view k = Keyword(f_);
        if (IsCommentLine(f_)) {
            Comment(f_.comment);
            return;
        }
        if (k == "station") {
            CloseStation();
            book_.stations.clear();
            stationCounter_ = 0;
            pointingCounter_ = 0;
        }
        bool read = false;
        try {
            read = ReadTextLine(book_, line, stationCounter_, static_cast<int>(number - 1), pointingCounter_);
        } catch (const std::exception&) {
            // Same per-line guard as the text reader.
        }
        if (k == "station") {
            OpenStation(book_.stations.back(), f_.comment);
        } else if (k == "numero" && !book_.stations.empty()) {
            if (pointingCounter_ > 0) {
                pending_ = false;
                WritePointing(book_.stations.back().obs[0], ModeOf(f_));
                pointingCounter_ = 0;
            } else {
                pending_ = true;  // read in part: the next pointing line takes its place
                mode_ = ModeOf(f_);
            }
        } else if (k == "point") {
            book_.hauteurs.clear();  // applied from the first reading
            Comment(" " + Trim(line));
        } else if (k != "prisme" && k != "numero" && !k.empty()) {
            // A line the book ignores (a note, a header) is kept as it stood.
            Comment(" " + Trim(line));
        }
        if (!read) {
            ++report_.unreadCount;
            if (report_.unreadLines.size() < kMaxNamedLines) report_.unreadLines.push_back(static_cast<int>(number));
        }
    }

    TextToXmlReport Finish() {
        CloseStation();
        StartStations();
        FlushComments(6);
        sink_.Add("   </stations>");
        sink_.Add("</carnet>");
        return std::move(report_);
    }

private:
    // The mode word of a pointing line ("mode RL"), if it has one.
    static std::optional<std::string> ModeOf(const TLineFieldViews& f) {
        for (int k = 0; k <= f.count / 2; ++k)
            if (f.fields[static_cast<std::size_t>(2 * k)] == "mode")
                return std::string(f.fields[static_cast<std::size_t>(2 * k + 1)]);
        return std::nullopt;
    }

    void Comment(std::string_view text) {
        if (!stationsStarted_) {
            sink_.Add("   <!--" + CommentText(text) + " -->");
            return;
        }
        held_.push_back("<!--" + CommentText(text) + " -->");
        if (held_.size() >= kMaxHeldComments) FlushComments(stationOpen_ ? 12 : 6);
    }

    void FlushComments(int indent) {
        for (const std::string& c : held_) sink_.Add(std::string(static_cast<std::size_t>(indent), ' ') + c);
        held_.clear();
    }

    // The calibrations, then the stations element.
    void StartStations() {
        if (stationsStarted_) return;
        stationsStarted_ = true;
        sink_.Add("   <etalonnages>");
        for (const TPrism& p : survey_.prisms) {
            std::string l = "      <etalonnage";
            AppendXmlAttribute(l, "id", p.id);
            l += Format(" num=\"%d\" serial=\"0\" Ddep=\"0\" Dmax=\"0\" P=\"0\"", p.num);
            AppendXmlAttribute(l, "M", CarriedFixed(p.M, 4));
            l += " deg_Fourier=\"0\" deg_polynome=\"0\" n_corr_interp=\"0\"";
            if (!p.comment.empty()) AppendXmlAttribute(l, "commentaire", p.comment);
            l += "/>";
            sink_.Add(l);
        }
        sink_.Add("   </etalonnages>");
        sink_.Add("   <stations>");
    }

    double Height(const std::string& name, double value) const {
        const auto it = survey_.heights.find(name);
        return it == survey_.heights.end() ? value : it->second;
    }

    void OpenStation(const TStation& s, std::string_view comment) {
        StartStations();
        FlushComments(6);
        std::string l = Format("      <station num=\"%d\" pt_sta=\"", ++report_.stations);
        l += AttributeValue(s.pt_sta);
        l += "\" temp=\"" + CarriedFixed(s.temp, 1);
        l += "\" press=\"" + CarriedFixed(s.press, 1);
        l += "\" Ht=\"" + CarriedFixed(Height(s.pt_sta, s.Ht), 4);
        l += "\" etalonnage=\"" + std::to_string(s.etalonnage >= 0 ? s.etalonnage : 0) + "\"";
        if (!comment.empty()) AppendXmlAttribute(l, "commentaire", comment);
        l += " >";
        sink_.Add(l);
        sink_.Add("         <rawdata>");
        stationOpen_ = true;
    }

    void WritePointing(const Tobs& o, const std::optional<std::string>& mode) {
        FlushComments(12);
        std::string l = "            <obs pt_vis=\"";
        l += AttributeValue(o.pt_vis);
        l += "\" Hz=\"" + CarriedFixed(o.Hz, angle_);
        l += "\"  V=\"" + CarriedFixed(o.V, angle_);
        l += "\" Dp=\"" + CarriedFixed(o.Dp, length_);
        l += "\" Hv=\"" + CarriedFixed(Height(o.pt_vis, o.Hv), length_);
        l += "\" ppm=\"" + CarriedFixed(o.ppm, 1);
        l += "\" cste=\"" + CarriedFixed(o.cste, 3) + "\"";
        if (o.etalonnage >= 0) l += " etalonnage=\"" + std::to_string(o.etalonnage) + "\"";
        if (o.mode) AppendXmlAttribute(l, "mode", mode.value_or(""));
        if (!o.commentaire.empty()) {
            std::string_view c = o.commentaire.view();
            if (c.substr(0, 2) == " *") c.remove_prefix(2);
            AppendXmlAttribute(l, "commentaire", c);
        }
        l += "/>";
        sink_.Add(l);
        ++report_.pointings;
    }

    void CloseStation() {
        if (!stationOpen_) return;
        if (pending_) {
            pending_ = false;
            WritePointing(book_.stations.back().obs[0], mode_);
        }
        sink_.Add("         </rawdata>");
        sink_.Add("      </station>");
        stationOpen_ = false;
    }

    static std::string AttributeValue(std::string_view text) {
        std::string l;
        AppendXmlAttribute(l, "x", text);
        return l.substr(4, l.size() - 5);  // ` x="` ... `"`
    }

    const TSurvey& survey_;
    TLineSink& sink_;
    Tday_obs book_;  // the calibrations read so far and the current station, holding one pointing
    TLineFieldViews f_;
    int stationCounter_ = 0, pointingCounter_ = 0;
    int angle_ = 4, length_ = 4;
    bool stationsStarted_ = false;
    bool stationOpen_ = false;
    bool pending_ = false;  // a pointing read in part waits in the station's slot
    std::optional<std::string> mode_;  // the mode word of that pointing
    std::vector<std::string> held_;
    TextToXmlReport report_;
};

}  // namespace

TextToXmlReport WriteTextBookAsXml(const TBookLineSource& first, const TBookLineSource& second, TLineSink& sink) {
    const TSurvey survey = Survey(first);
    TXmlBookWriter writer(survey, sink);
    std::string_view line;
    for (long long n = 1; second(line); ++n) writer.Add(line, n);
    TextToXmlReport r = writer.Finish();
    if (!r.unreadLines.empty()) {
        r.unreadWarning =
            Format("Lecture du carnet incomplète à la ligne %d : ligne lue en partie", r.unreadLines.front());
        const long long others = r.unreadCount - 1;
        if (others == 1) r.unreadWarning += " (et 1 autre ligne)";
        else if (others > 1) r.unreadWarning += Format(" (et %d autres lignes)", others);
        r.unreadWarning += ".";
    }
    if (survey.notNumberCount > 0) {
        std::string list;
        for (const std::string& n : survey.notNumbers) list += (list.empty() ? "" : " ; ") + n;
        r.numberWarning = Format("Valeurs qui ne sont pas des nombres, lues comme valeurs par défaut : %s", list);
        if (survey.notNumberCount > static_cast<long long>(survey.notNumbers.size()))
            r.numberWarning += Format(" (et %d autres)", survey.notNumberCount - static_cast<long long>(survey.notNumbers.size()));
        r.numberWarning += ".";
    }
    if (survey.foreignLines > survey.bookLines)
        r.warnings.push_back(Format("%d lignes sur %d ne sont pas des lignes de carnet (station, numero, prisme, point) "
                                    "et sont ignorées.",
                                    survey.foreignLines, survey.foreignLines + survey.bookLines));
    return r;
}

TextToXmlResult ConvertTextBookToXml(const std::vector<std::string>& lines) {
    auto source = [&lines]() {
        return [&lines, i = std::size_t(0)](std::string_view& line) mutable {
            if (i >= lines.size()) return false;
            line = lines[i++];
            return true;
        };
    };
    TLineCollector collector;
    TextToXmlReport report = WriteTextBookAsXml(source(), source(), collector);
    TextToXmlResult r;
    r.xml = std::move(collector.lines);
    r.unreadLines = std::move(report.unreadLines);
    r.warning = std::move(report.unreadWarning);
    r.warnings = std::move(report.warnings);
    if (!report.numberWarning.empty()) r.warnings.insert(r.warnings.begin(), report.numberWarning);
    return r;
}

}  // namespace kestrova

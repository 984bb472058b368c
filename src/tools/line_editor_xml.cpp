// The observation line editor on XML books: each `station` and `obs`
// element stands on a line of its own; the element of a line is found in
// the parsed book by the position of its start tag.
#include <algorithm>
#include <optional>
#include <unordered_map>
#include <string_view>

#include <pugixml.hpp>

#include "base/decimal_comma.hpp"
#include "base/encoding.hpp"
#include "base/numbers.hpp"
#include "base/text_helpers.hpp"
#include "tools/line_editor.hpp"

namespace kestrova {

namespace {

bool IsEditable(const std::string& line) {
    const std::string name = XmlElementName(line);
    return name == "obs" || name == "station";
}

// The book parsed from its lines, with the line of every element's start tag.
class TXmlLines {
public:
    explicit TXmlLines(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            lineStart_.push_back(text_.size());
            text_ += line;
            text_ += '\n';
        }
        // A book broken further down still gives the elements before the fault.
        result_ = doc_.load_buffer(text_.data(), text_.size(), pugi::parse_default, pugi::encoding_utf8);
    }
    bool Parsed() const { return static_cast<bool>(result_); }
    std::string Error() const { return result_.description(); }

    int LineOf(pugi::xml_node node) const {
        const ptrdiff_t offset = node.offset_debug();
        if (offset < 0) return -1;
        const auto it = std::upper_bound(lineStart_.begin(), lineStart_.end(), static_cast<size_t>(offset));
        return static_cast<int>(it - lineStart_.begin()) - 1;
    }

    // The element whose start tag is on line `index`.
    pugi::xml_node ElementOn(int index) const {
        pugi::xml_node found;
        Walk(doc_, [&](pugi::xml_node n) {
            if (!found && n.type() == pugi::node_element && LineOf(n) == index) found = n;
        });
        return found;
    }

    // Calls f on every node, in document order.
    template <typename F>
    void ForEachNode(F&& f) const {
        Walk(doc_, f);
    }

private:
    template <typename F>
    static void Walk(pugi::xml_node node, F&& f) {
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
            f(c);
            Walk(c, f);
        }
    }

    std::string text_;
    std::vector<size_t> lineStart_;
    pugi::xml_document doc_;
    pugi::xml_parse_result result_;
};

// Where the start tag of a line ends (one past its ">"), quotes respected;
// the line's end when the tag does not end on it.
size_t StartTagEnd(const std::string& line, size_t open) {
    const size_t end = XmlTagEnd(line, open);
    return end == std::string_view::npos ? line.size() : end;
}

// The line with its start tag rewritten from the element's attributes; the
// rest of the line stays, the indentation follows the book's rule.
std::string RewriteStartTag(const std::string& line, pugi::xml_node element) {
    const size_t open = line.find('<');
    if (open == std::string::npos) return line;
    const size_t end = StartTagEnd(line, open);
    const std::string oldTag = line.substr(open, end - open);
    const bool selfClosing = oldTag.size() >= 2 && oldTag.compare(oldTag.size() - 2, 2, "/>") == 0;
    std::string tag = "<" + std::string(element.name());
    for (pugi::xml_attribute a : element.attributes()) tag += " " + std::string(a.name()) + "=\"" + XmlEscape(a.value()) + "\"";
    // The closing of the tag keeps its spelling ("/>" or " />").
    const bool spaced = selfClosing && oldTag.size() >= 3 && oldTag[oldTag.size() - 3] == ' ';
    tag += selfClosing ? (spaced ? " />" : "/>") : ">";
    return IndentXmlLine(line.substr(0, open) + tag + line.substr(end));
}

void SetAttribute(pugi::xml_node element, const char* name, const std::string& value) {
    pugi::xml_attribute a = element.attribute(name);
    if (!a) a = element.append_attribute(name);
    a.set_value(value.c_str());
}

std::string Attribute(pugi::xml_node element, const char* name) { return element.attribute(name).value(); }

}  // namespace

std::string XmlElementName(const std::string& line) {
    const size_t open = line.find('<');
    if (open == std::string::npos) return {};
    size_t end = open + 1;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    return line.substr(open + 1, end - open - 1);
}

std::string IndentXmlLine(const std::string& line) {
    const std::string name = XmlElementName(line);
    auto base = [](const std::string& n) {
        std::string b = n;
        if (!b.empty() && b.front() == '/') b.erase(0, 1);
        while (!b.empty() && (b.back() == '>' || b.back() == '/')) b.pop_back();
        return b;
    };
    const std::string b = base(name);
    int indent = -1;
    if (b == "obs" && name.front() != '/')
        indent = 12;
    else if (b == "rawdata")
        indent = 9;
    else if (b == "station")
        indent = 6;
    else if (b == "stations")
        indent = 3;
    if (indent < 0) return line;
    return std::string(static_cast<size_t>(indent), ' ') + TrimLeft(line);
}

std::optional<int> XmlShownIndex(const std::vector<std::string>& lines, int index, int direction) {
    const int n = static_cast<int>(lines.size());
    if (n == 0) return std::nullopt;
    index = std::clamp(index, 0, n - 1);
    const int step = direction < 0 ? -1 : 1;
    for (int i = index; i >= 0 && i < n; i += step)
        if (IsEditable(lines[static_cast<size_t>(i)])) return i;
    for (int i = index - step; i >= 0 && i < n; i -= step)
        if (IsEditable(lines[static_cast<size_t>(i)])) return i;
    return std::nullopt;
}

namespace {

// The view of line `index`, its element given by `elementOn` (called only
// for a `station` or `obs` line).
template <typename ElementOn>
TObsView ShowXmlLineWith(const std::vector<std::string>& lines, int index, ElementOn&& elementOn) {
    TObsView view;
    view.index = index;
    if (index < 0 || index >= static_cast<int>(lines.size())) return view;
    for (int i = index - 1; i >= 0 && !view.canPrevious; --i) view.canPrevious = IsEditable(lines[static_cast<size_t>(i)]);
    for (size_t i = static_cast<size_t>(index) + 1; i < lines.size() && !view.canNext; ++i)
        view.canNext = IsEditable(lines[i]);
    const std::string name = XmlElementName(lines[static_cast<size_t>(index)]);
    if (name != "obs" && name != "station") return view;
    view.layout = name == "obs" ? TObsLayout::XmlObservation : TObsLayout::XmlStation;
    TObsFields& f = view.fields;
    f.Numligne = std::to_string(index + 1);
    const pugi::xml_node e = elementOn();
    if (!e) return view;
    if (name == "obs") {
        f.Ptvise = Attribute(e, "pt_vis");
        f.Ah = Attribute(e, "Hz");
        f.Av = Attribute(e, "V");
        f.Dp = Attribute(e, "Dp");
        f.Hv = Attribute(e, "Hv");
        f.ppm = Attribute(e, "ppm");
    } else {
        f.Ptvise = Attribute(e, "pt_sta");
        f.Ah = Attribute(e, "temp");
        f.Av = Attribute(e, "press");
        f.Dp = Attribute(e, "Ht");
        f.ppm = e.attribute("etalonnage") ? Attribute(e, "etalonnage") : Attribute(e, "id_etalonnage");
    }
    return view;
}

// Validation of line `index`, its element given by `elementOn` and the
// reason of a failed parse by `error`.
template <typename ElementOn, typename Error>
TObsEdit ValidateXmlLineWith(const std::vector<std::string>& lines, int index, const TObsFields& f,
                             ElementOn&& elementOn, Error&& error) {
    TObsEdit edit;
    if (index < 0 || index >= static_cast<int>(lines.size())) return edit;
    const std::string& line = lines[static_cast<size_t>(index)];
    const std::string name = XmlElementName(line);
    if (name != "obs" && name != "station") return edit;
    const pugi::xml_node e = elementOn();
    if (!e || e.name() != name) {
        edit.messages.push_back("Carnet XML illisible (" + error() + ") : ligne non modifiée");
        return edit;
    }
    // Only what the user changed is written: an attribute shown as it is
    // stays (an absent one is not added empty), and a line without any
    // change stays byte for byte. A number typed with a decimal comma is
    // written with a point.
    bool changed = false;
    auto set = [&](const char* attribute, const std::string& typed, bool numeric) {
        const pugi::xml_attribute a = e.attribute(attribute);
        if (a ? typed == a.value() : typed.empty()) return;
        SetAttribute(e, attribute, numeric ? WithDecimalPoint(typed) : typed);
        changed = true;
    };
    if (name == "station") {
        set("pt_sta", f.Ptvise, false);
        set("temp", f.Ah, true);
        set("press", f.Av, true);
        set("Ht", f.Dp, true);
    } else {
        set("pt_vis", f.Ptvise, false);
        set("Hz", f.Ah, true);
        set("V", f.Av, true);
        set("Dp", f.Dp, true);
        set("Hv", f.Hv, true);
        set("ppm", f.ppm, true);
    }
    if (changed) edit.line = RewriteStartTag(line, e);
    return edit;
}

}  // namespace

TObsView ShowXmlLine(const std::vector<std::string>& lines, int index) {
    std::optional<TXmlLines> book;  // parsed only for an element's line, and kept while it is read
    return ShowXmlLineWith(lines, index, [&] { return book.emplace(lines).ElementOn(index); });
}

TObsEdit ValidateXmlLine(const std::vector<std::string>& lines, int index, const TObsFields& f) {
    std::optional<TXmlLines> book;
    return ValidateXmlLineWith(
        lines, index, f, [&] { return book.emplace(lines).ElementOn(index); }, [&] { return book->Error(); });
}

struct TXmlBookLines::TParsed {
    explicit TParsed(const std::vector<std::string>& lines) : book(lines) {
        // The first element whose start tag is on each line, as ElementOn.
        book.ForEachNode([&](pugi::xml_node n) {
            if (n.type() == pugi::node_element) elementOn.emplace(book.LineOf(n), n);
        });
    }
    pugi::xml_node ElementOn(int index) const {
        const auto it = elementOn.find(index);
        return it == elementOn.end() ? pugi::xml_node() : it->second;
    }
    TXmlLines book;
    std::unordered_map<int, pugi::xml_node> elementOn;
};

TXmlBookLines::TXmlBookLines(std::vector<std::string> lines)
    : lines_(std::move(lines)), parsed_(std::make_unique<TParsed>(lines_)) {}

TXmlBookLines::~TXmlBookLines() = default;

std::optional<int> TXmlBookLines::ShownIndex(int index, int direction) const {
    return XmlShownIndex(lines_, index, direction);
}

TObsView TXmlBookLines::Show(int index) const {
    return ShowXmlLineWith(lines_, index, [&] { return parsed_->ElementOn(index); });
}

TObsEdit TXmlBookLines::Validate(int index, const TObsFields& fields) {
    TObsEdit edit = ValidateXmlLineWith(
        lines_, index, fields, [&] { return parsed_->ElementOn(index); }, [&] { return parsed_->book.Error(); });
    if (edit.line) lines_[static_cast<size_t>(index)] = *edit.line;
    return edit;
}

TXmlInsertion AddXmlObservation(const std::vector<std::string>& lines, int index) {
    TXmlInsertion r;
    if (index < 0 || index >= static_cast<int>(lines.size())) return r;
    const std::string name = XmlElementName(lines[static_cast<size_t>(index)]);
    if (name != "obs" && name != "station") return r;
    const TXmlLines book(lines);
    const pugi::xml_node current = book.ElementOn(index);
    if (!current || current.name() != name) {
        r.message = "Carnet XML illisible (" + book.Error() + ") : aucune observation ajoutée";
        return r;
    }
    // Where the new element goes and which observations follow it.
    pugi::xml_node after;  // the observation it follows, none for the first
    pugi::xml_node rawdata;
    int afterLine = index;
    if (name == "obs") {
        after = current;
        rawdata = current.parent();
    } else {
        rawdata = current.first_child();
        while (rawdata && rawdata.type() != pugi::node_element) rawdata = rawdata.next_sibling();
        if (!rawdata || book.LineOf(rawdata) < 0) {
            r.message = "La station n'a pas d'élément rawdata : aucune observation ajoutée";
            return r;
        }
        afterLine = book.LineOf(rawdata);
    }
    // Numbered observations: the new one takes the next number.
    bool numbered = false;
    long long num = 1;
    if (after) {
        if (const auto n = TextToInt(Attribute(after, "num"))) {
            numbered = true;
            num = *n + 1;
        }
    } else {
        for (pugi::xml_node o = rawdata.child("obs"); o && !numbered; o = o.next_sibling("obs"))
            numbered = static_cast<bool>(o.attribute("num"));
    }
    r.lines = lines;
    if (numbered) {
        pugi::xml_node o = after ? after.next_sibling() : rawdata.first_child();
        for (; o; o = o.next_sibling()) {
            if (o.type() != pugi::node_element) continue;
            const auto n = TextToInt(Attribute(o, "num"));
            const int at = book.LineOf(o);
            if (!n || at < 0) continue;
            o.attribute("num").set_value(std::to_string(*n + 1).c_str());
            r.lines[static_cast<size_t>(at)] = RewriteStartTag(r.lines[static_cast<size_t>(at)], o);
        }
    }
    std::string element = "<obs ";
    if (numbered) element += "num=\"" + std::to_string(num) + "\" ";
    element += "pt_vis=\"\" Hz=\"\" V=\"\" Dp=\"\" Hv=\"\" ppm=\"\" cste=\"\"/>";
    r.index = afterLine + 1;
    r.lines.insert(r.lines.begin() + r.index, IndentXmlLine(element));
    return r;
}

}  // namespace kestrova

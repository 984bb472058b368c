#include "exports/sketch_svg.hpp"

#include "base/format.hpp"
#include "exports/xml_text.hpp"

namespace kestrova {

namespace {

std::string N(double v) {
    std::string s = FormatFixed(v, 1);
    return s == "-0.0" ? "0.0" : s;
}

struct Palette {
    const char* ink;       // lines and labels
    const char* target;    // target markers
    const char* off;       // beyond the limit
    const char* bar;       // residual bars within the limit
    const char* faint;     // grid, ring
};

const Palette kValid{"#222222", "#1f4e9a", "#d01010", "#5b7fb8", "#b8b8b8"};
const Palette kGrey{"#8a8a8a", "#9a9a9a", "#9a9a9a", "#b0b0b0", "#d0d0d0"};

}  // namespace

std::string SketchSvg(const TStationSketch& s, const std::string& id) {
    const Palette& p = s.valid ? kValid : kGrey;
    std::string o;
    o.reserve(4096 + 600 * s.targets.size());
    auto line = [&](const std::string& l) {
        o += l;
        o += '\n';
    };
    line("<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"croquis\"" +
         (id.empty() ? std::string() : " id=\"" + XmlTextAscii(id) + "\"") + " width=\"" + N(s.width) +
         "\" height=\"" + N(s.height) + "\" viewBox=\"0 0 " + N(s.width) + " " + N(s.height) +
         "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"11\">");
    line("<title>" + XmlTextAscii("Croquis de la station " + s.name) + "</title>");
    line("<rect x=\"0\" y=\"0\" width=\"" + N(s.width) + "\" height=\"" + N(s.height) +
         "\" fill=\"#ffffff\" stroke=\"" + p.faint + "\"/>");

    // Plan: range rings, the north (opening) line, the ring of targets
    // without a distance, the scale bar.
    if (s.pixelsPerMetre > 0 && s.scaleMetres > 0) {
        for (double r = s.scaleMetres; r * s.pixelsPerMetre <= 152; r += s.scaleMetres)
            line("<circle cx=\"" + N(s.cx) + "\" cy=\"" + N(s.cy) + "\" r=\"" + N(r * s.pixelsPerMetre) +
                 "\" fill=\"none\" stroke=\"#eeeeee\"/>");
    }
    if (s.ringRadius > 0)
        line("<circle class=\"anneau\" cx=\"" + N(s.cx) + "\" cy=\"" + N(s.cy) + "\" r=\"" + N(s.ringRadius) +
             "\" fill=\"none\" stroke=\"" + p.faint + "\" stroke-dasharray=\"4 3\"/>");
    line("<line x1=\"" + N(s.cx) + "\" y1=\"" + N(s.cy) + "\" x2=\"" + N(s.cx) + "\" y2=\"" + N(s.cy - 200) +
         "\" stroke=\"" + p.faint + "\" stroke-dasharray=\"2 3\"/>");
    line("<text x=\"" + N(s.cx + 4) + "\" y=\"" + N(s.cy - 202) + "\" fill=\"" + p.ink + "\">0 gon</text>");
    if (s.scalePixels > 0) {
        const std::string y = N(s.scaleY), x1 = N(s.scaleX), x2 = N(s.scaleX + s.scalePixels);
        line("<g class=\"echelle\" stroke=\"" + std::string(p.ink) + "\">");
        line("<line x1=\"" + x1 + "\" y1=\"" + y + "\" x2=\"" + x2 + "\" y2=\"" + y + "\" stroke-width=\"2\"/>");
        line("<line x1=\"" + x1 + "\" y1=\"" + N(s.scaleY - 4) + "\" x2=\"" + x1 + "\" y2=\"" + N(s.scaleY + 4) + "\"/>");
        line("<line x1=\"" + x2 + "\" y1=\"" + N(s.scaleY - 4) + "\" x2=\"" + x2 + "\" y2=\"" + N(s.scaleY + 4) + "\"/>");
        line("</g>");
        line("<text x=\"" + N(s.scaleX + s.scalePixels + 6) + "\" y=\"" + N(s.scaleY + 4) + "\" fill=\"" + p.ink +
             "\">" + Format("%g", s.scaleMetres) + " m</text>");
    }

    // Sight lines, then the targets and their names.
    for (const TSketchTarget& t : s.targets)
        line("<line x1=\"" + N(s.cx) + "\" y1=\"" + N(s.cy) + "\" x2=\"" + N(t.px) + "\" y2=\"" + N(t.py) +
             "\" stroke=\"" + (t.off ? p.off : p.faint) + "\"" + (t.hasDistance ? "" : " stroke-dasharray=\"3 3\"") +
             "/>");
    for (const TSketchTarget& t : s.targets) {
        const char* colour = t.off ? p.off : p.target;
        if (t.opening)
            line("<path class=\"ouverture\" d=\"M " + N(t.px) + " " + N(t.py - 7) + " L " + N(t.px + 6) + " " +
                 N(t.py + 5) + " L " + N(t.px - 6) + " " + N(t.py + 5) + " Z\" fill=\"" + colour + "\"/>");
        else
            line("<circle class=\"cible\" cx=\"" + N(t.px) + "\" cy=\"" + N(t.py) + "\" r=\"4\" fill=\"" + colour +
                 "\"/>");
        const bool left = t.px < s.cx - 1;
        line("<text x=\"" + N(left ? t.px - 7 : t.px + 7) + "\" y=\"" + N(t.py - 5) + "\"" +
             (left ? " text-anchor=\"end\"" : "") + " fill=\"" + colour + "\"" +
             (t.off || t.opening ? " font-weight=\"bold\"" : "") + ">" + XmlTextAscii(t.name) + "</text>");
    }
    // The station.
    line("<rect x=\"" + N(s.cx - 5) + "\" y=\"" + N(s.cy - 5) + "\" width=\"10\" height=\"10\" fill=\"none\" stroke=\"" +
         p.ink + "\" stroke-width=\"2\"/>");
    line("<text x=\"" + N(s.cx + 8) + "\" y=\"" + N(s.cy + 16) + "\" fill=\"" + p.ink + "\" font-weight=\"bold\">" +
         XmlTextAscii(s.name) + "</text>");

    // Residual panel.
    if (!s.targets.empty() && s.valid) {
        const char* titles[3] = {"dHz (cc)", "dV (cc)", "dDp (mm)"};
        const double top = s.targets.front().rowY;
        const double bottom = s.targets.back().rowY + s.targets.back().rowHeight;
        for (int q = 0; q < 3; ++q) {
            line("<text x=\"" + N(s.cellX[q]) + "\" y=\"" + N(top - 20) + "\" text-anchor=\"middle\" fill=\"" + p.ink +
                 "\">" + titles[q] + "</text>");
            line("<text x=\"" + N(s.cellX[q]) + "\" y=\"" + N(top - 7) +
                 "\" text-anchor=\"middle\" font-size=\"9\" fill=\"#777777\">&#177;" + Format("%.0f", s.span[q]) +
                 "</text>");
            line("<line x1=\"" + N(s.cellX[q]) + "\" y1=\"" + N(top) + "\" x2=\"" + N(s.cellX[q]) + "\" y2=\"" +
                 N(bottom) + "\" stroke=\"#999999\"/>");
        }
        for (std::size_t i = 0; i < s.targets.size(); ++i) {
            const TSketchTarget& t = s.targets[i];
            if (i % 2 == 1)
                line("<rect x=\"" + N(s.panelX) + "\" y=\"" + N(t.rowY) + "\" width=\"" + N(s.width - s.panelX - 6) +
                     "\" height=\"" + N(t.rowHeight) + "\" fill=\"#f3f3f3\"/>");
            line("<text x=\"" + N(s.panelX + 2) + "\" y=\"" + N(t.rowY + t.rowHeight / 2 + 4) + "\" fill=\"" +
                 (t.off ? p.off : p.ink) + "\"" + (t.off ? " font-weight=\"bold\"" : "") + ">" + XmlTextAscii(t.name) +
                 "</text>");
            for (int q = 0; q < 3; ++q) {
                const TSketchCell& c = t.cells[q];
                if (!c.any) continue;
                std::string g = "<g class=\"ecarts\"><title>" + XmlTextAscii(t.name) + " " + titles[q] + " : max " +
                                Format("%.1f", c.largest);
                if (c.count > c.bars.size()) g += Format(" (%d plus grands sur %d)", (int)c.bars.size(), (int)c.count);
                line(g + "</title>");
                for (const TSketchBar& b : c.bars)
                    line("<rect x=\"" + N(b.x) + "\" y=\"" + N(b.y) + "\" width=\"" + N(b.width < 0.5 ? 0.5 : b.width) +
                         "\" height=\"" + N(b.height) + "\" fill=\"" + (b.off ? p.off : p.bar) + "\"/>");
                line("</g>");
            }
        }
        // The limits, as ticks on both sides of each column.
        const double lim[3] = {s.limits.hz, s.limits.v, s.limits.dp};
        for (int q = 0; q < 3; ++q) {
            if (!(lim[q] > 0) || lim[q] > s.span[q]) continue;
            for (int sign : {-1, 1}) {
                const std::string x = N(s.cellX[q] + sign * lim[q] / s.span[q] * s.cellHalf);
                line("<line x1=\"" + x + "\" y1=\"" + N(top) + "\" x2=\"" + x + "\" y2=\"" + N(bottom) +
                     "\" stroke=\"#e8a0a0\" stroke-dasharray=\"2 2\"/>");
            }
        }
    }

    // Caption, then the messages of an invalid station.
    double y = s.captionY;
    const std::size_t fixed = s.caption.size() - s.messages.size();
    for (std::size_t i = 0; i < s.caption.size(); ++i, y += 15)
        line("<text x=\"8\" y=\"" + N(y) + "\" fill=\"" + (i < fixed ? std::string(p.ink) : std::string("#b03030")) +
             "\">" + XmlTextAscii(s.caption[i]) + "</text>");
    line("</svg>");
    return o;
}

}  // namespace kestrova

// Station sketches in the report viewer: the viewer's browser hands the
// images of its "croquis:" links to a hook, and each station section gets
// the image of its sketch below its first table. The sketch is the SVG of
// the HTML report, rendered with Qt SVG.
#pragma once
#include <functional>

#include <QImage>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QVariant>

namespace kestrova {

// A text browser whose images of the "croquis" scheme come from `sketch`
// (the URL's path is the section number).
class TReportBrowser : public QTextBrowser {
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;
    std::function<QImage(int section)> sketch;

    QVariant loadResource(int type, const QUrl& name) override;
};

// The URL of section `section`'s sketch.
QString SketchUrl(int section);

// `html` (a station section) with the image of its sketch after its first
// table (at the end when it has none).
QString WithSketch(const QString& html, int section);

// An SVG drawing as an image of its own size; a null image when the SVG
// cannot be read.
QImage RenderSvg(const std::string& svg);

}  // namespace kestrova

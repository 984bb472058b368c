#include "shell/report_sketches.hpp"

#include <QPainter>
#include <QSvgRenderer>
#include <QTextDocument>

namespace kestrova {

QVariant TReportBrowser::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::ImageResource && name.scheme() == "croquis" && sketch) {
        bool ok = false;
        const int section = name.path().toInt(&ok);
        if (ok) {
            const QImage image = sketch(section);
            if (!image.isNull()) return image;
        }
        return QVariant();
    }
    return QTextBrowser::loadResource(type, name);
}

QString SketchUrl(int section) { return "croquis:" + QString::number(section); }

QString WithSketch(const QString& html, int section) {
    const QString image = "<p><img src=\"" + SketchUrl(section) + "\"></p>";
    const int table = html.indexOf("</table>", 0, Qt::CaseInsensitive);
    if (table < 0) return html + image;
    QString out = html;
    out.insert(table + 8, image);
    return out;
}

QImage RenderSvg(const std::string& svg) {
    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    if (!renderer.isValid()) return QImage();
    const QSize size = renderer.defaultSize();
    if (size.isEmpty()) return QImage();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    renderer.render(&painter);
    return image;
}

}  // namespace kestrova

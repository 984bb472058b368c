#include "shell/xml_view.hpp"

#include <QAction>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

#include "base/text_file.hpp"
#include "shell/qt_text.hpp"
#include "shell/xslt_render.hpp"

namespace kestrova {

TForm_XMLView::TForm_XMLView(QWidget* parent) : QWidget(parent) {
    setObjectName("Form_XMLView");
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    XMLview = new QTextBrowser(this);
    XMLview->setObjectName("XMLview");
    // Links are followed here: anchors inside the report scroll the view,
    // other links go to the desktop.
    XMLview->setOpenLinks(false);
    connect(XMLview, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { FollowLink(url); });

    OpenInBrowserAction = new QAction("Ouvrir dans le navigateur", this);
    OpenInBrowserAction->setObjectName("OpenInBrowser");
    OpenInBrowserAction->setStatusTip("Afficher ce rapport dans le navigateur web");
    connect(OpenInBrowserAction, &QAction::triggered, this, [this] { OpenInBrowser(); });

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addAction(OpenInBrowserAction);

    XMLview->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(XMLview, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu* menu = XMLview->createStandardContextMenu(pos);
        menu->addSeparator();
        menu->addAction(OpenInBrowserAction);
        menu->popup(XMLview->viewport()->mapToGlobal(pos));
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(XMLview, 1);
}

bool TForm_XMLView::LoadFile(const QString& path) {
    file_name_ = path;
    setWindowTitle(path);
    error_.clear();
    XMLview->document()->setBaseUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath() + "/"));

    const XsltResult rendered = RenderXmlWithStylesheet(S(path));
    if (rendered.ok) {
        formatted_ = true;
        html_ = Q(rendered.html);
        XMLview->setHtml(html_);
        return true;
    }
    // Not a report with a usable stylesheet: show the XML text itself.
    formatted_ = false;
    html_.clear();
    try {
        std::string text;
        for (const std::string& line : ReadTextLines(S(path))) text += line + "\n";
        XMLview->setPlainText(Q(text));
        error_ = Q(rendered.error);
        return true;
    } catch (const TextFileError& error) {
        XMLview->clear();
        error_ = Q(error.reason());
        return false;
    }
}

void TForm_XMLView::FollowLink(const QUrl& url) {
    if (url.isRelative() && url.path().isEmpty() && url.hasFragment()) {
        XMLview->scrollToAnchor(url.fragment());
        return;
    }
    openUrl(XMLview->document()->baseUrl().resolved(url));
}

QString TForm_XMLView::OpenInBrowser() {
    QString content = html_;
    QString suffix = ".html";
    if (!formatted_) {
        content = XMLview->toPlainText();
        suffix = ".txt";
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString target = QDir(folder).filePath("kestrova-" + QFileInfo(file_name_).completeBaseName() + suffix);
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return QString();
    file.write(content.toUtf8());
    file.close();
    openUrl(QUrl::fromLocalFile(target));
    return target;
}

}  // namespace kestrova

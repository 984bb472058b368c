// The report viewer: one XML reduction report shown through its stylesheet.
#pragma once
#include <functional>

#include <QString>
#include <QUrl>
#include <QWidget>

class QAction;
class QTextBrowser;

namespace kestrova {

class TForm_XMLView : public QWidget {
    Q_OBJECT
public:
    explicit TForm_XMLView(QWidget* parent = nullptr);

    // Shows the file: caption = path; a report with a stylesheet is shown
    // formatted, any other XML file as its text. False when the file could
    // not be read at all (the reason is in LastError()).
    bool LoadFile(const QString& path);

    QString FileName() const { return file_name_; }
    QString Html() const { return html_; }
    bool Formatted() const { return formatted_; }
    QString LastError() const { return error_; }

    // Writes the shown HTML into a temporary file and opens it in the
    // user's web browser. Returns the path of the HTML file (empty on
    // failure).
    QString OpenInBrowser();

    // How URLs are handed to the desktop (replaced in tests).
    std::function<bool(const QUrl&)> openUrl;

    QTextBrowser* XMLview = nullptr;
    QAction* OpenInBrowserAction = nullptr;

private:
    void FollowLink(const QUrl& url);

    QString file_name_;
    QString html_;
    QString error_;
    bool formatted_ = false;
};

}  // namespace kestrova

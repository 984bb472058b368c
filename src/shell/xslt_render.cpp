#include "shell/xslt_render.hpp"

#include <cstdarg>
#include <cstdio>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/security.h>
#include <libxslt/xsltutils.h>

namespace kestrova {

namespace {

// Collects the messages libxml2 and libxslt would print on stderr.
void CollectError(void* context, const char* format, ...) {
    auto* text = static_cast<std::string*>(context);
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    *text += buffer;
}

struct ErrorCapture {
    explicit ErrorCapture(std::string* text) {
        xmlSetGenericErrorFunc(text, CollectError);
        xsltSetGenericErrorFunc(text, CollectError);
    }
    ~ErrorCapture() {
        xmlSetGenericErrorFunc(nullptr, nullptr);
        xsltSetGenericErrorFunc(nullptr, nullptr);
    }
};

// A report only needs reading: a stylesheet named by an XML file the user
// opens may not write files, create folders or use the network.
void ForbidWritesAndNetwork() {
    static const bool done = [] {
        xsltSecurityPrefsPtr prefs = xsltNewSecurityPrefs();
        xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
        xsltSetSecurityPrefs(prefs, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
        xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
        xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
        // Used by the stylesheet loading and by every transformation.
        xsltSetDefaultSecurityPrefs(prefs);
        return true;
    }();
    (void)done;
}

}  // namespace

XsltResult RenderXmlWithStylesheet(const std::string& path) {
    XsltResult result;
    std::string messages;
    ErrorCapture capture(&messages);
    ForbidWritesAndNetwork();

    xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
    if (!doc) {
        result.error = "document XML illisible" + (messages.empty() ? std::string() : " : " + messages);
        return result;
    }
    xsltStylesheetPtr style = xsltLoadStylesheetPI(doc);
    if (!style) {
        xmlFreeDoc(doc);
        result.error = "feuille de style introuvable" + (messages.empty() ? std::string() : " : " + messages);
        return result;
    }
    // The viewer reads UTF-8 whatever the stylesheet declares.
    if (style->encoding) xmlFree(style->encoding);
    style->encoding = xmlStrdup(reinterpret_cast<const xmlChar*>("UTF-8"));

    xmlDocPtr html = xsltApplyStylesheet(style, doc, nullptr);
    if (html) {
        xmlChar* bytes = nullptr;
        int size = 0;
        if (xsltSaveResultToString(&bytes, &size, html, style) == 0) {
            result.ok = true;
            if (bytes) result.html.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
        } else {
            result.error = "transformation impossible";
        }
        if (bytes) xmlFree(bytes);
        xmlFreeDoc(html);
    } else {
        result.error = "transformation impossible" + (messages.empty() ? std::string() : " : " + messages);
    }
    xsltFreeStylesheet(style);
    xmlFreeDoc(doc);
    return result;
}

}  // namespace kestrova

#include "shell/xslt_render.hpp"

#include <cstdarg>
#include <cstdio>
#include <set>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/tree.h>
#include <libxslt/transform.h>
#include <libxslt/xslt.h>
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

namespace {

// The transformation of a parsed document; sets result.ok or result.error.
void Transform(xsltStylesheetPtr style, xmlDocPtr doc, const std::string& messages, XsltResult& result) {
    xmlDocPtr html = xsltApplyStylesheet(style, doc, nullptr);
    if (!html) {
        result.error = "transformation impossible" + (messages.empty() ? std::string() : " : " + messages);
        return;
    }
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
}

xmlDocPtr ParseText(const std::string& path, const std::string& xml) {
    return xmlReadMemory(xml.data(), static_cast<int>(xml.size()), path.c_str(), nullptr,
                         XML_PARSE_NONET | XML_PARSE_HUGE);
}

bool IsXslNode(const xmlNode* node) {
    return node->type == XML_ELEMENT_NODE && node->ns && node->ns->href && xmlStrEqual(node->ns->href, XSLT_NAMESPACE);
}

// A literal element of the page whose "name" attribute starts with `prefix`.
bool IsAnchorElement(xmlNode* node, const std::string& prefix) {
    if (node->type != XML_ELEMENT_NODE || IsXslNode(node)) return false;
    xmlChar* name = xmlGetNoNsProp(node, BAD_CAST "name");
    if (!name) return false;
    const bool match = xmlStrncmp(name, BAD_CAST prefix.c_str(), static_cast<int>(prefix.size())) == 0;
    xmlFree(name);
    return match;
}

// The xsl:for-each nearest above every anchor element below `node`.
void FindAnchorLoops(xmlNode* node, const std::string& prefix, std::set<xmlNode*>& loops) {
    for (xmlNode* child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        if (IsAnchorElement(child, prefix)) {
            xmlNode* loop = child->parent;
            while (loop && !(IsXslNode(loop) && xmlStrEqual(loop->name, BAD_CAST "for-each"))) loop = loop->parent;
            if (loop) loops.insert(loop);
        }
        FindAnchorLoops(child, prefix, loops);
    }
}

// Each loop selects the first of its nodes only; false when there is none
// to narrow.
bool NarrowToFirst(const std::set<xmlNode*>& loops) {
    if (loops.empty()) return false;
    for (xmlNode* loop : loops) {
        xmlChar* select = xmlGetNoNsProp(loop, BAD_CAST "select");
        if (!select) return false;
        const std::string first = "(" + std::string(reinterpret_cast<const char*>(select)) + ")[1]";
        xmlFree(select);
        xmlSetProp(loop, BAD_CAST "select", BAD_CAST first.c_str());
    }
    return true;
}

}  // namespace

TXsltRenderer::~TXsltRenderer() {
    if (style_) xsltFreeStylesheet(static_cast<xsltStylesheetPtr>(style_));
}

bool TXsltRenderer::Load(const std::string& path, const std::string& xml, std::string* error) {
    std::string messages;
    ErrorCapture capture(&messages);
    ForbidWritesAndNetwork();
    path_ = path;
    xmlDocPtr doc = ParseText(path, xml);
    if (!doc) {
        if (error) *error = "document XML illisible" + (messages.empty() ? std::string() : " : " + messages);
        return false;
    }
    xsltStylesheetPtr style = xsltLoadStylesheetPI(doc);
    xmlFreeDoc(doc);
    if (!style) {
        if (error) *error = "feuille de style introuvable" + (messages.empty() ? std::string() : " : " + messages);
        return false;
    }
    if (style->encoding) xmlFree(style->encoding);
    style->encoding = xmlStrdup(reinterpret_cast<const xmlChar*>("UTF-8"));
    if (style_) xsltFreeStylesheet(static_cast<xsltStylesheetPtr>(style_));
    style_ = style;
    return true;
}

bool TXsltRenderer::LoadFirstBlockOnly(const TXsltRenderer& full, const std::string& anchorPrefix) {
    const auto* source = static_cast<xsltStylesheetPtr>(full.style_);
    // A stylesheet embedded in the report has no file of its own.
    if (!source || !source->doc || !source->doc->URL) return false;
    std::string messages;
    ErrorCapture capture(&messages);
    ForbidWritesAndNetwork();
    xmlDocPtr doc = xmlReadFile(reinterpret_cast<const char*>(source->doc->URL), nullptr,
                                XSLT_PARSE_OPTIONS | XML_PARSE_NONET);
    if (!doc) return false;
    std::set<xmlNode*> loops;
    if (xmlNode* root = xmlDocGetRootElement(doc)) FindAnchorLoops(root, anchorPrefix, loops);
    if (!NarrowToFirst(loops)) {
        xmlFreeDoc(doc);
        return false;
    }
    xsltStylesheetPtr style = xsltParseStylesheetDoc(doc);  // owns doc from here
    if (!style) {
        xmlFreeDoc(doc);
        return false;
    }
    if (style->encoding) xmlFree(style->encoding);
    style->encoding = xmlStrdup(reinterpret_cast<const xmlChar*>("UTF-8"));
    if (style_) xsltFreeStylesheet(static_cast<xsltStylesheetPtr>(style_));
    style_ = style;
    path_ = full.path_;
    return true;
}

XsltResult TXsltRenderer::Render(const std::string& xml) const {
    XsltResult result;
    if (!style_) {
        result.error = "feuille de style introuvable";
        return result;
    }
    std::string messages;
    ErrorCapture capture(&messages);
    xmlDocPtr doc = ParseText(path_, xml);
    if (!doc) {
        result.error = "document XML illisible" + (messages.empty() ? std::string() : " : " + messages);
        return result;
    }
    Transform(static_cast<xsltStylesheetPtr>(style_), doc, messages, result);
    xmlFreeDoc(doc);
    return result;
}

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

    Transform(style, doc, messages, result);
    xsltFreeStylesheet(style);
    xmlFreeDoc(doc);
    return result;
}

}  // namespace kestrova

#include "exports/report_reader.hpp"

#include <cerrno>

#include <sys/stat.h>

#include <cstring>
#include <memory>

#include <libxml/xmlreader.h>

#include "base/system_error.hpp"

namespace kestrova {

const std::string& TReportAttrs::Get(std::string_view name) const {
    static const std::string empty;
    for (const auto& [n, v] : items)
        if (n == name) return v;
    return empty;
}

namespace {

struct ReaderDeleter {
    void operator()(xmlTextReader* r) const { xmlFreeTextReader(r); }
};

std::string Str(const xmlChar* s) { return s ? reinterpret_cast<const char*>(s) : ""; }

bool Is(xmlTextReaderPtr r, const char* name) {
    const xmlChar* n = xmlTextReaderConstLocalName(r);
    return n && std::strcmp(reinterpret_cast<const char*>(n), name) == 0;
}

TReportAttrs Attributes(xmlTextReaderPtr r) {
    TReportAttrs a;
    if (xmlTextReaderMoveToFirstAttribute(r) == 1) {
        do a.items.emplace_back(Str(xmlTextReaderConstName(r)), Str(xmlTextReaderConstValue(r)));
        while (xmlTextReaderMoveToNextAttribute(r) == 1);
        xmlTextReaderMoveToElement(r);
    }
    return a;
}

// The residuals of a raw pointing alone.
TReportAttrs Residuals(xmlTextReaderPtr r) {
    TReportAttrs a;
    if (xmlTextReaderMoveToFirstAttribute(r) == 1) {
        do {
            const xmlChar* n = xmlTextReaderConstName(r);
            const char* name = reinterpret_cast<const char*>(n);
            if (n && name[0] == 'd' && (!std::strcmp(name, "dHz") || !std::strcmp(name, "dV") || !std::strcmp(name, "dDp")))
                a.items.emplace_back(name, Str(xmlTextReaderConstValue(r)));
        } while (xmlTextReaderMoveToNextAttribute(r) == 1);
        xmlTextReaderMoveToElement(r);
    }
    return a;
}

enum class TBodies { None, All, Residuals };

void CollectError(void* ctx, xmlErrorPtr e) {
    auto* text = static_cast<std::string*>(ctx);
    if (!e || !text->empty()) return;
    std::string m = e->message ? e->message : "erreur XML";
    while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
    *text = "ligne " + std::to_string(e->line) + " : " + m;
}

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_COMPACT;

void Walk(xmlTextReaderPtr r, const std::string& path, double size, TBodies what,
          const std::function<void(const TReportHead&)>& onHead,
          const std::function<void(const TReportStation&)>& onStation, TProgress& progress) {
    std::string error;
    xmlTextReaderSetStructuredErrorHandler(r, CollectError, &error);
    const bool bodies = what != TBodies::None;

    auto fail = [&](const std::string& why) { throw TReportReadError(path + " : " + why); };
    const std::string notReport = "ce fichier n'est pas un compte rendu de réduction";

    TReportHead head;
    bool headSent = false, rootSeen = false;
    TReportStation station;
    enum class Part { None, Raw, Nobs, Logs, Reduced } part = Part::None;
    bool inStation = false;
    long count = 0;

    int ret;
    while ((ret = xmlTextReaderRead(r)) == 1) {
        const int type = xmlTextReaderNodeType(r);
        const int depth = xmlTextReaderDepth(r);
        if (type == XML_READER_TYPE_ELEMENT) {
            const bool empty = xmlTextReaderIsEmptyElement(r) == 1;
            if (depth == 0) {
                if (!Is(r, "carnet")) fail(notReport);
                rootSeen = true;
                head.version = Attributes(r).Get("version");
            } else if (depth == 2 && Is(r, "etalonnage")) {
                head.etalonnages.push_back(Attributes(r));
            } else if (depth == 1 && Is(r, "stations")) {
                head.stations = Attributes(r);
                if (!headSent) onHead(head);
                headSent = true;
            } else if (depth == 2 && Is(r, "station") && headSent) {
                station = TReportStation();
                station.attrs = Attributes(r);
                part = Part::None;
                if (empty) {
                    onStation(station);
                    if (++count % 64 == 0) progress.Advance(static_cast<double>(xmlTextReaderByteConsumed(r)), size);
                } else {
                    inStation = true;
                }
            } else if (inStation && bodies && depth == 3) {
                part = Is(r, "rawdata")                ? Part::Raw
                       : what == TBodies::Residuals ? Part::None
                       : Is(r, "CheckNobs") ? Part::Nobs
                       : Is(r, "Logs")      ? Part::Logs
                       : Is(r, "Data_Ok")   ? Part::Reduced
                                            : Part::None;
            } else if (inStation && bodies && depth == 4) {
                switch (part) {
                    case Part::Raw:
                        if (Is(r, "obs"))
                            station.raw.push_back(what == TBodies::Residuals ? Residuals(r) : Attributes(r));
                        break;
                    case Part::Nobs:
                        if (Is(r, "Nobs")) station.nobs.push_back(Attributes(r));
                        break;
                    case Part::Logs:
                        if (Is(r, "log")) station.logs.push_back(Attributes(r).Get("mess"));
                        break;
                    case Part::Reduced:
                        if (Is(r, "obs")) station.reduced.push_back(Attributes(r));
                        break;
                    case Part::None:
                        break;
                }
            }
        } else if (type == XML_READER_TYPE_END_ELEMENT) {
            if (inStation && depth == 2) {
                inStation = false;
                onStation(station);
                station = TReportStation();
                if (++count % 64 == 0) progress.Advance(static_cast<double>(xmlTextReaderByteConsumed(r)), size);
            } else if (inStation && bodies && depth == 3) {
                part = Part::None;
            }
        }
    }
    if (ret != 0) fail(error.empty() ? "XML mal formé" : "XML mal formé, " + error);
    if (!rootSeen || !headSent) fail(notReport);
}

}  // namespace

void ReadXmlReport(const std::string& path, bool bodies, const std::function<void(const TReportHead&)>& onHead,
                   const std::function<void(const TReportStation&)>& onStation, TProgress& progress) {
    struct stat sb {};
    if (::stat(path.c_str(), &sb) != 0)
        throw TReportReadError("Impossible de lire le compte rendu " + path + " : " + SystemErrorText(errno));
    if (!S_ISREG(sb.st_mode))
        throw TReportReadError("Impossible de lire le compte rendu " + path + " : ce n'est pas un fichier ordinaire");
    std::unique_ptr<xmlTextReader, ReaderDeleter> holder(xmlReaderForFile(path.c_str(), nullptr, kParseOptions));
    if (!holder) throw TReportReadError("Impossible de lire le compte rendu " + path);
    Walk(holder.get(), path, static_cast<double>(sb.st_size), bodies ? TBodies::All : TBodies::None, onHead, onStation,
         progress);
}

void ReadXmlReportResiduals(const std::string& path, const std::function<void(const TReportHead&)>& onHead,
                            const std::function<void(const TReportStation&)>& onStation, TProgress& progress) {
    struct stat sb {};
    if (::stat(path.c_str(), &sb) != 0)
        throw TReportReadError("Impossible de lire le compte rendu " + path + " : " + SystemErrorText(errno));
    if (!S_ISREG(sb.st_mode))
        throw TReportReadError("Impossible de lire le compte rendu " + path + " : ce n'est pas un fichier ordinaire");
    std::unique_ptr<xmlTextReader, ReaderDeleter> holder(xmlReaderForFile(path.c_str(), nullptr, kParseOptions));
    if (!holder) throw TReportReadError("Impossible de lire le compte rendu " + path);
    Walk(holder.get(), path, static_cast<double>(sb.st_size), TBodies::Residuals, onHead, onStation, progress);
}

void ReadXmlReportText(const std::string& xml, const std::string& name, bool bodies,
                       const std::function<void(const TReportHead&)>& onHead,
                       const std::function<void(const TReportStation&)>& onStation) {
    std::unique_ptr<xmlTextReader, ReaderDeleter> holder(
        xmlReaderForMemory(xml.data(), static_cast<int>(xml.size()), name.c_str(), nullptr, kParseOptions));
    if (!holder) throw TReportReadError("Impossible de lire le compte rendu " + name);
    Walk(holder.get(), name, static_cast<double>(xml.size()), bodies ? TBodies::All : TBodies::None, onHead, onStation,
         NoProgress());
}

}  // namespace kestrova

#include "exports/gama_local.hpp"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <pugixml.hpp>

namespace exports_test {

namespace fs = std::filesystem;

std::string GamaLocalPath() {
    if (const char* env = std::getenv("GAMA_LOCAL"); env && *env) return ::access(env, X_OK) == 0 ? env : "";
    if (const char* path = std::getenv("PATH")) {
        std::stringstream dirs(path);
        std::string dir;
        while (std::getline(dirs, dir, ':')) {
            const fs::path candidate = fs::path(dir.empty() ? "." : dir) / "gama-local";
            if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
        }
    }
    return {};
}

GamaVerdict RunGamaLocal(const std::string& gkf) {
    GamaVerdict v;
    const std::string out = gkf + ".gama.xml";
    const std::string text = gkf + ".gama.txt";
    fs::remove(out);
    const std::string cmd = "'" + GamaLocalPath() + "' '" + gkf + "' --text '" + text + "' --xml '" + out +
                            "' >/dev/null 2>&1";
    (void)std::system(cmd.c_str());
    std::ifstream f(out, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    v.xml = s.str();
    pugi::xml_document doc;
    if (v.xml.empty() || !doc.load_string(v.xml.c_str())) {
        v.error = "pas de sortie XML";
        return v;
    }
    if (pugi::xml_node error = doc.find_node([](pugi::xml_node n) { return std::string(n.name()) == "error"; })) {
        v.error = error.child("description").text().get();
        v.error += " (ligne " + std::string(error.child("lineNumber").text().get()) + ")";
        return v;
    }
    v.accepted = true;
    v.adjusted = doc.find_node([](pugi::xml_node n) { return std::string(n.name()) == "coordinates"; });
    return v;
}

bool AdjustedPoint(const std::string& xml, const std::string& id, double* x, double* y, double* z) {
    pugi::xml_document doc;
    if (!doc.load_string(xml.c_str())) return false;
    pugi::xml_node adjusted =
        doc.find_node([](pugi::xml_node n) { return std::string(n.name()) == "coordinates"; }).child("adjusted");
    for (pugi::xml_node p : adjusted.children("point")) {
        if (p.child("id").text().get() != id) continue;
        // gama-local writes plain numbers ("1000.12345"); strtod under the
        // C locale of the test program reads them.
        // Constrained points have upper-case coordinate names.
        auto value = [&](const char* lower, const char* upper) {
            pugi::xml_node n = p.child(lower);
            return std::strtod((n ? n : p.child(upper)).text().get(), nullptr);
        };
        *x = value("x", "X");
        *y = value("y", "Y");
        *z = value("z", "Z");
        return true;
    }
    return false;
}

}  // namespace exports_test

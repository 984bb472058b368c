#include "adjust/gama_locate.hpp"

#include <unistd.h>

#include <cstdlib>
#include <sys/stat.h>

#include "adjust/child_process.hpp"
#include "base/param.hpp"
#include "base/profile.hpp"

namespace kestrova {

const char* const kGamaLocalAbsent =
    "gama-local, le programme d'ajustement de GNU Gama, est introuvable : ni la clé gama_local du fichier "
    "Kestrova.ini (section [general]), ni la variable d'environnement GAMA_LOCAL, ni le PATH ne le donnent. "
    "Il s'installe avec le paquet gama de la distribution (apt-get install gama) ou se construit depuis "
    "https://www.gnu.org/software/gama/ ; indiquez ensuite son chemin par gama_local=CHEMIN ou GAMA_LOCAL.";

namespace {

bool Executable(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindGamaLocal(const std::string& iniValue, const char* envValue, const char* pathValue) {
    // A place that is set but wrong is not passed over silently for the
    // next one: the user meant that program.
    if (!iniValue.empty()) return Executable(iniValue) ? iniValue : std::string();
    if (envValue && *envValue) return Executable(envValue) ? std::string(envValue) : std::string();
    if (!pathValue) return {};
    const std::string path = pathValue;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find(':', start);
        std::string dir = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/gama-local";
        if (Executable(candidate)) return candidate;
        if (end == std::string::npos) return {};
        start = end + 1;
    }
}

std::string FindGamaLocal() {
    TProfile ini(IniFilePath());
    ini.Load();
    return FindGamaLocal(ini.ReadString("general", "gama_local", ""), std::getenv("GAMA_LOCAL"),
                         std::getenv("PATH"));
}

std::string GamaLocalAbsentText(const std::string& iniValue, const char* envValue) {
    std::string wrong;
    if (!iniValue.empty())
        wrong = "La clé gama_local du fichier Kestrova.ini donne « " + iniValue + " »";
    else if (envValue && *envValue)
        wrong = "La variable d'environnement GAMA_LOCAL donne « " + std::string(envValue) + " »";
    if (wrong.empty()) return kGamaLocalAbsent;
    return wrong + ", qui n'est pas un programme exécutable.\n" + kGamaLocalAbsent;
}

std::string GamaLocalAbsentText() {
    TProfile ini(IniFilePath());
    ini.Load();
    return GamaLocalAbsentText(ini.ReadString("general", "gama_local", ""), std::getenv("GAMA_LOCAL"));
}

std::string GamaLocalVersion(const std::string& program, TProgress& progress) {
    const ChildResult r = RunChild({program, "--version"}, progress);
    // "gama-local (GNU Gama) 2.24 / GNU C/C++ 12.2"
    const std::string& text = r.output.empty() ? r.errors : r.output;
    const std::size_t mark = text.find("(GNU Gama)");
    if (mark == std::string::npos) return {};
    std::size_t b = mark + 10;
    while (b < text.size() && text[b] == ' ') ++b;
    std::size_t e = b;
    while (e < text.size() && text[e] != ' ' && text[e] != '\n' && text[e] != '\r') ++e;
    return text.substr(b, e - b);
}

}  // namespace kestrova

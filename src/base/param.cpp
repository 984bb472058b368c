#include "base/param.hpp"

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <sys/stat.h>

#include "base/format.hpp"
#include "base/numbers.hpp"
#include "base/profile.hpp"
#include "base/text_file.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) : std::string("/");
}

const std::array<const char*, 15> kGeolabHeaderDefaults = {
    " COMP ADJ",
    " ELIP GRS 80                 6378137  6356752.3141   0.0000   0.0000   0.0000 m",
    " MAXI         15",
    " CONF YES YES YES YES NO",
    " PSOL NO  YES",
    " PMIS NO  NO",
    " PRES YES NO",
    " PADJ NO  YES NO  NO  NO  NO",
    " VARF YES YES NO",
    " RTST TAU MAX",
    " LUNT m    1.000000000000",
    " CONV    0.00010",
    " CLEV     95.000",
    " ANGT GRD",
    " LDEC 4",
};

const std::array<const char*, 9> kGnuHeaderDefaults = {
    "<?xml version=\"1.0\" ?>",
    "<!DOCTYPE gama-local SYSTEM \"gama-local.dtd\">",
    "",
    "<gama-local version=\"2.0\">",
    "  <network axes-xy=\"en\" angles=\"left-handed\" >",
    "    <points-observations>",
    "    </points-observations>",
    "  </network>",
    "</gama-local>",
};

TParam::TParam() {
    // The ini service gives values back without their surrounding blanks:
    // the in-memory defaults are the trimmed texts, so that a first run
    // and the later ones write the same header lines.
    for (size_t i = 0; i < geolab.size(); ++i) geolab[i] = Trim(kGeolabHeaderDefaults[i]);
    for (size_t i = 0; i < gnu.size(); ++i) gnu[i] = Trim(kGnuHeaderDefaults[i]);
}

TParam& Param() {
    static TParam param;
    return param;
}

std::string& LastFolder() {
    static std::string folder;
    return folder;
}

namespace {

ParamMessageSink& InfoSink() {
    static ParamMessageSink sink = [](const std::string& m) { std::cerr << m << "\n"; };
    return sink;
}

ParamMessageSink& ErrorSink() {
    static ParamMessageSink sink = [](const std::string& m) { std::cerr << m << "\n"; };
    return sink;
}

void MakeDirectories(const std::string& dir) {
    if (dir.empty()) return;
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = dir.find('/', pos + 1);
        partial = dir.substr(0, pos);
        if (!partial.empty()) ::mkdir(partial.c_str(), 0755);
    }
}

std::string IniDirectory() {
    const char* env = std::getenv("Kestrova");
    if (env && *env) return env;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.config";
    }
    return base + "/Kestrova";
}

std::string ChoiceOr(const std::string& value, std::initializer_list<const char*> accepted, const char* fallback) {
    for (const char* a : accepted)
        if (value == a) return value;
    return fallback;
}

float ReadFloat(const TProfile& ini, const char* section, const char* key, const char* def) {
    const std::string v = ini.ReadString(section, key, def);
    const auto d = TextToDouble(v, true);
    return static_cast<float>(d ? *d : *TextToDouble(def, true));
}

int ReadInt(const TProfile& ini, const char* section, const char* key, int def) {
    const std::string v = ini.ReadString(section, key, std::to_string(def));
    if (!IsNumericText(v, true)) return def;
    // A numeric text that is not an integer ("2.5") keeps the default.
    const auto i = TextToInt(v);
    return i ? static_cast<int>(*i) : def;
}

double ReadDouble(const TProfile& ini, const char* section, const char* key, double def) {
    const std::string v = ini.ReadString(section, key, FormatFixedSignificant(def, 4, 8));
    return TextToDoubleOr(v, def, true);
}

std::string Fixed4(double v) { return FormatFixedSignificant(v, 4, 8); }

struct RenormKey {
    const char* key;
    double TParam::*field;
};

const RenormKey kRenormKeys[] = {
    {"AH_add", &TParam::AH_add}, {"AH_mult", &TParam::AH_mult}, {"AV_add", &TParam::AV_add},
    {"AV_mult", &TParam::AV_mult}, {"Dp_add", &TParam::Dp_add}, {"Dp_mult", &TParam::Dp_mult},
    {"Dn_add", &TParam::Dn_add}, {"Dn_mult", &TParam::Dn_mult},
};

void ReadExisting(TProfile& ini, TParam& p) {
    const TParam d;  // the defaults
    p.default_directory = ini.ReadString("general", "default_directory", d.default_directory);
    p.entete_gsi = ChoiceOr(ini.ReadString("import", "entete_gsi", "TS"), {"TS", "covadis", "tc800"}, "TS");
    p.angles_gdm = ChoiceOr(ini.ReadString("import", "angles_gdm", "gon"), {"gon", "dms", "deg"}, "gon");
    p.tri_fichier_brelix = ChoiceOr(ini.ReadString("export", "tri_fichier_brelix", "code"), {"code", "obs"}, "code");
    p.export_hauteurs_brelix = ChoiceOr(ini.ReadString("export", "export_hauteurs_brelix", "N"), {"Y", "N"}, "N");
    p.use_first_target_for_Z0_estimation =
        ChoiceOr(ini.ReadString("export", "use_first_target_for_Z0_estimation", "N"), {"Y", "N"}, "N");
    p.use_meteo_entete_station =
        ChoiceOr(ini.ReadString("distancemetre", "use_meteo_entete_station", "Y"), {"Y", "N"}, "Y");
    p.sigma_Hz = ReadFloat(ini, "ecarttype", "sigma_Hz", "0.00080");
    p.sigma_V = ReadFloat(ini, "ecarttype", "sigma_V", "0.00120");
    p.sigma_Dp = ReadFloat(ini, "ecarttype", "sigma_Dp", "0.0010");
    p.sigma_DpRL = ReadFloat(ini, "ecarttype", "sigma_DpRL", "0.0025");
    p.ppm = ReadInt(ini, "ecarttype", "ppm", 1);
    p.formule_meteo =
        ChoiceOr(ini.ReadString("distancemetre", "formule_meteo", "Barrel_Sears"), {"Barrel_Sears", "Leica"}, "Barrel_Sears");
    p.lambda = ReadFloat(ini, "distancemetre", "lambda", "0.85");
    p.pression_std = ReadFloat(ini, "distancemetre", "pression_std", "760.0");
    p.Temp_std = ReadFloat(ini, "distancemetre", "Temp_std", "285.15");
    p.angle = ReadInt(ini, "decimales", "angle", 4);
    p.longueur = ReadInt(ini, "decimales", "longueur", 4);
    p.nivellement = ReadInt(ini, "decimales", "nivellement", 5);
    for (size_t i = 0; i < p.geolab.size(); ++i)
        p.geolab[i] = ini.ReadString("entete_fichier_geolab", "ligne" + std::to_string(i + 1), kGeolabHeaderDefaults[i]);
    for (size_t i = 0; i < p.gnu.size(); ++i)
        p.gnu[i] = ini.ReadString("entete_fichier_gnu", "ligne" + std::to_string(i + 1), kGnuHeaderDefaults[i]);
    p.renormalisation = ini.ReadString("parametres_renormalisation", "renormalisation", "Y") != "N";
    for (const auto& k : kRenormKeys)
        p.*k.field = ReadDouble(ini, "parametres_renormalisation", k.key, d.*k.field);
}

void CreateWithDefaults(TProfile& ini, TParam& p, const std::string& path) {
    p = TParam();
    ini.WriteString("general", "default_directory", p.default_directory);
    ini.WriteString("import", "entete_gsi", p.entete_gsi);
    ini.WriteString("import", "angles_gdm", p.angles_gdm);
    ini.WriteString("export", "tri_fichier_brelix", p.tri_fichier_brelix);
    ini.WriteString("export", "export_hauteurs_brelix", p.export_hauteurs_brelix);
    ini.WriteString("export", "use_first_target_for_Z0_estimation", p.use_first_target_for_Z0_estimation);
    ini.WriteString("distancemetre", "use_meteo_entete_station", p.use_meteo_entete_station);
    ini.WriteString("ecarttype", "sigma_Hz", "0.00080");
    ini.WriteString("ecarttype", "sigma_V", "0.00120");
    ini.WriteString("ecarttype", "sigma_Dp", "0.0010");
    ini.WriteString("ecarttype", "sigma_DpRL", "0.0025");
    ini.WriteString("ecarttype", "ppm", "1");
    ini.WriteString("distancemetre", "formule_meteo", p.formule_meteo);
    ini.WriteString("distancemetre", "lambda", "0.85");
    ini.WriteString("distancemetre", "pression_std", "760.0");
    ini.WriteString("distancemetre", "Temp_std", "285.15");
    ini.WriteString("decimales", "angle", "4");
    ini.WriteString("decimales", "longueur", "4");
    ini.WriteString("decimales", "nivellement", "5");
    for (size_t i = 0; i < kGeolabHeaderDefaults.size(); ++i)
        ini.WriteString("entete_fichier_geolab", "ligne" + std::to_string(i + 1), kGeolabHeaderDefaults[i]);
    for (size_t i = 0; i < kGnuHeaderDefaults.size(); ++i)
        ini.WriteString("entete_fichier_gnu", "ligne" + std::to_string(i + 1), kGnuHeaderDefaults[i]);
    ini.WriteString("parametres_renormalisation", "renormalisation", "Y");
    for (const auto& k : kRenormKeys) ini.WriteString("parametres_renormalisation", k.key, Fixed4(p.*k.field));
    try {
        ini.Flush();
    } catch (const TextFileError&) {
        ErrorSink()("Impossible de créer le fichier " + path);
    }
}

}  // namespace

void SetParamMessageSinks(ParamMessageSink info, ParamMessageSink error) {
    if (info) InfoSink() = std::move(info);
    if (error) ErrorSink() = std::move(error);
}

std::string IniFilePath() { return IniDirectory() + "/Kestrova.ini"; }

void read_ini() {
    const std::string path = IniFilePath();
    TProfile ini(path);
    if (FileExists(path)) {
        try {
            ini.Load();
        } catch (const TextFileError&) {
            // An unreadable file behaves like an empty one: every key takes its default.
        }
        ReadExisting(ini, Param());
        return;
    }
    MakeDirectories(IniDirectory());
    InfoSink()("Création du fichier " + path);
    CreateWithDefaults(ini, Param(), path);
}

void write_ini() {
    const std::string path = IniFilePath();
    if (!FileExists(path)) return;
    TProfile ini(path);
    try {
        ini.Load();
    } catch (const TextFileError&) {
        return;
    }
    TParam& p = Param();
    p.default_directory = LastFolder();
    ini.WriteString("general", "default_directory", LastFolder());
    ini.WriteString("import", "entete_gsi", p.entete_gsi);
    ini.WriteString("import", "angles_gdm", p.angles_gdm);
    ini.WriteString("export", "tri_fichier_brelix", p.tri_fichier_brelix);
    ini.WriteString("export", "export_hauteurs_brelix", p.export_hauteurs_brelix);
    ini.WriteString("export", "use_first_target_for_Z0_estimation", p.use_first_target_for_Z0_estimation);
    ini.WriteString("ecarttype", "sigma_Hz", Format("%.5f", p.sigma_Hz));
    ini.WriteString("ecarttype", "sigma_V", Format("%.5f", p.sigma_V));
    ini.WriteString("ecarttype", "sigma_Dp", Format("%.5f", p.sigma_Dp));
    ini.WriteString("ecarttype", "sigma_DpRL", Format("%.5f", p.sigma_DpRL));
    ini.WriteString("ecarttype", "ppm", Format("%d", p.ppm));
    ini.WriteString("distancemetre", "formule_meteo", p.formule_meteo);
    ini.WriteString("distancemetre", "lambda", Format("%.5f", p.lambda));
    ini.WriteString("distancemetre", "pression_std", Format("%.1f", p.pression_std));
    ini.WriteString("distancemetre", "Temp_std", Format("%.2f", p.Temp_std));
    ini.WriteString("distancemetre", "use_meteo_entete_station", p.use_meteo_entete_station);
    ini.WriteString("decimales", "angle", Format("%d", p.angle));
    ini.WriteString("decimales", "longueur", Format("%d", p.longueur));
    ini.WriteString("decimales", "nivellement", Format("%d", p.nivellement));
    ini.WriteString("parametres_renormalisation", "renormalisation", p.renormalisation ? "Y" : "N");
    for (const auto& k : kRenormKeys) ini.WriteString("parametres_renormalisation", k.key, Fixed4(p.*k.field));
    try {
        ini.Flush();
    } catch (const TextFileError&) {
        // Storing the parameters at exit never stops the program.
    }
}

}  // namespace kestrova

// The parameter set of the process and its ini file "Kestrova.ini".
#pragma once
#include <array>
#include <functional>
#include <string>

namespace kestrova {

// The user's home folder ($HOME; "/" when it is not set): the folder a new
// ini file proposes.
std::string HomeDirectory();

struct TParam {
    // general
    std::string default_directory = HomeDirectory();
    // import
    std::string entete_gsi = "TS";  // "TS", "covadis" or "tc800"
    std::string angles_gdm = "gon";  // unit of GDM angles: "gon", "dms" (ddd.mmss) or "deg"
    // export
    std::string tri_fichier_brelix = "code";  // "code" or "obs"
    std::string export_hauteurs_brelix = "N";  // "Y" or "N"
    std::string use_first_target_for_Z0_estimation = "N";
    // distancemetre
    std::string use_meteo_entete_station = "Y";
    std::string formule_meteo = "Barrel_Sears";  // or "Leica"
    float lambda = 0.85f;          // micrometres
    float pression_std = 760.0f;   // mmHg
    float Temp_std = 285.15f;      // kelvin
    // ecarttype
    float sigma_Hz = 0.0008f;    // gons
    float sigma_V = 0.0012f;     // gons
    float sigma_Dp = 0.0010f;    // metres
    float sigma_DpRL = 0.0025f;  // metres
    int ppm = 1;
    // decimales
    int angle = 4;
    int longueur = 4;
    int nivellement = 5;
    // entete_fichier_geolab ligne1..ligne15 (index 0..14), trimmed
    std::array<std::string, 15> geolab;
    // entete_fichier_gnu ligne1..ligne9 (index 0..8), trimmed
    std::array<std::string, 9> gnu;
    // parametres_renormalisation
    bool renormalisation = true;
    double AH_add = 0.0, AH_mult = 1.0;
    double AV_add = 0.0, AV_mult = 1.0;
    double Dp_add = 0.0, Dp_mult = 1.0;
    double Dn_add = 0.0, Dn_mult = 1.0;

    TParam();
};

// Default header lines exactly as written into a new ini file.
extern const std::array<const char*, 15> kGeolabHeaderDefaults;
extern const std::array<const char*, 9> kGnuHeaderDefaults;

// The one parameter set of the process.
TParam& Param();

// The last folder of the program run (written as default_directory).
std::string& LastFolder();

// Path of "Kestrova.ini": directory from the environment variable
// "Kestrova", else $XDG_CONFIG_HOME/Kestrova (default ~/.config/Kestrova).
std::string IniFilePath();

// Where read_ini sends "Création du fichier ..." and "Impossible de créer
// le fichier ...": stderr by default, a message box in interactive mode.
using ParamMessageSink = std::function<void(const std::string&)>;
void SetParamMessageSinks(ParamMessageSink info, ParamMessageSink error);

// Loads the file into Param(), or creates it with the defaults.
void read_ini();
// Stores the editable parameters into the existing file.
void write_ini();

}  // namespace kestrova

#include "base/system_error.hpp"

#include <cerrno>
#include <cstring>

namespace kestrova {

namespace {

struct TReason {
    int err;
    const char* text;
};

constexpr TReason kReasons[] = {
    {ENOENT, "fichier ou dossier introuvable"},
    {EISDIR, "c'est un dossier, pas un fichier"},
    {EACCES, "accès refusé (droits insuffisants)"},
    {ENOSPC, "plus de place sur le disque"},
    {EROFS, "disque en lecture seule"},
    {ENOTDIR, "un élément du chemin n'est pas un dossier"},
};

}  // namespace

std::string SystemErrorText(int err) {
    for (const TReason& r : kReasons)
        if (r.err == err) return r.text;
    return std::strerror(err);
}

std::string FrenchSystemReason(const std::string& reason) {
    for (const TReason& r : kReasons)
        if (reason == std::strerror(r.err)) return r.text;
    return reason;
}

}  // namespace kestrova

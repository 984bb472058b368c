#include "console/window_loader.hpp"

#include <dlfcn.h>
#include <unistd.h>

#include <iostream>

namespace kestrova {

namespace {

constexpr const char* kModuleName = "kestrova-window.so";

// The folder of the running executable ("" when it cannot be told).
std::string ExecutableFolder() {
    std::string path(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return {};
    path.resize(static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

int RunWindow(int argc, char** argv, const std::vector<std::string>& files) {
    const std::string folder = ExecutableFolder();
    std::string tried;
    for (const std::string& candidate : {folder + "/" + kModuleName, folder + "/../lib/kestrova/" + kModuleName}) {
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            tried += std::string("\n  ") + ::dlerror();
            continue;
        }
        using TEntry = int (*)(int, char**, const std::vector<std::string>*);
        if (auto entry = reinterpret_cast<TEntry>(::dlsym(module, "KestrovaRunWindow")))
            return entry(argc, argv, &files);
        tried += "\n  " + candidate + " : KestrovaRunWindow absent";
    }
    std::cerr << "La fenêtre de Kestrova ne peut pas s'ouvrir : module " << kModuleName << " introuvable." << tried
              << "\nEn mode console : kestrova -x crt2obs -i ENTREE -o SORTIE (kestrova --help)\n";
    return 1;
}

}  // namespace kestrova

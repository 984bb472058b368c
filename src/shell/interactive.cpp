#include "shell/interactive.hpp"

#include <iostream>

namespace kestrova {

int RunInteractive(int, char**, const std::vector<std::string>&) {
    std::cerr << "Kestrova : le mode interactif n'est pas encore disponible dans cette version ; "
                 "utilisez le mode console (kestrova --help).\n";
    return 2;
}

}  // namespace kestrova

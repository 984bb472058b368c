// The parameter file Kestrova.ini as every run reads it: what a run stores
// back is what the next run reads (storing twice gives the same file), and
// a small field book reduces with those parameters into well-formed
// outputs (decimals, sigmas and sort orders all come from the file).
// seeds: tests/data/**/*.ini examples/*.ini
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "base/param.hpp"
#include "book_checks.hpp"

namespace {

std::string IniBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string ReadAndStore() {
    kestrova::Param() = kestrova::TParam();
    kestrova::read_ini();
    kestrova::write_ini();
    return IniBytes(kestrova::IniFilePath());
}

const std::vector<std::string> kBook = {
    " station S1 Temp_deg 12.0 Press_mmHg 760.0 ht_m 1.550 prisme P1",
    " prisme P1 cste_m 0.0175",
    "  numero T1 AH_gr 0.0000 AV_gr 100.0000 Dp_m 50.0000 ppm_cste_mm 0000+000 hv_m 1.600",
    "  numero T2 AH_gr 100.0010 AV_gr 99.0000 Dp_m 80.0000 ppm_cste_mm 0000+000 hv_m 1.700 *mode",
    "  numero T2 AH_gr 300.0010 AV_gr 301.0000 Dp_m 80.0000 ppm_cste_mm 0000+000 hv_m 1.700",
    "  numero T1 AH_gr 200.0000 AV_gr 300.0000 Dp_m 50.0000 ppm_cste_mm 0000+000 hv_m 1.600",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kestrova;
    static const std::string dir = [] {
        const std::string d = fuzz::ScratchPath("ini");
        ::mkdir(d.c_str(), 0777);
        ::setenv("Kestrova", d.c_str(), 1);
        SetParamMessageSinks([](const std::string&) {}, [](const std::string&) {});
        return d;
    }();
    const std::string_view bytes = fuzz::Bytes(data, size);
    std::ofstream(IniFilePath(), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));

    const std::string first = ReadAndStore();
    const std::string second = ReadAndStore();
    // Compared for ASCII files only: Windows-1252 bytes stored back may
    // happen to form UTF-8 ("ÅŠ" is C5 8A, read again as "Ŋ"), the
    // detection rule of every text file.
    bool ascii = true;
    for (unsigned char c : bytes) ascii = ascii && c < 0x80;
    if (ascii) FUZZ_CHECK(first == second, "le fichier stocké n'est pas relu tel quel");

    Tday_obs book;
    book.trace.enabled = false;
    book.LoadFromLines(kBook);
    fuzz::ReduceAndCheckOutputs(book);
    return 0;
}

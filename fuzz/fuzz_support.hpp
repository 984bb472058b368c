// What every fuzz target shares: the input decoded as the file layer
// decodes a file, the checks that must hold (a failed check aborts, and
// libFuzzer keeps the input), and the outputs of a reduced book.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "base/encoding.hpp"
#include "base/line_sink.hpp"
#include "base/text_file.hpp"

namespace fuzz {

#define FUZZ_CHECK(condition, what)                                                        \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            std::fprintf(stderr, "FUZZ_CHECK failed: %s (%s:%d): %s\n", #condition, __FILE__, \
                         __LINE__, std::string(what).c_str());                              \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

inline std::string_view Bytes(const uint8_t* data, size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

// The lines ReadTextLines gives for a file holding these bytes.
inline std::vector<std::string> Lines(std::string_view bytes) {
    return kestrova::SplitTextLines(kestrova::DecodeFileText(bytes));
}

inline std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) {
        text += l;
        text += '\n';
    }
    return text;
}

// The program's XML (UTF-8 lines) is well formed.
inline void CheckXmlParses(const std::vector<std::string>& lines, const char* what) {
    const std::string text = Joined(lines);
    pugi::xml_document doc;
    const pugi::xml_parse_result r = doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    FUZZ_CHECK(r, std::string(what) + " : " + r.description() + " at " + std::to_string(r.offset));
}

// A scratch file for the targets that go through the file layer, as the
// console does (in /dev/shm when there is one: faster).
inline std::string ScratchPath(const char* name) {
    static const std::string dir = [] {
        const char* shm = "/dev/shm";
        std::string d = (std::getenv("TMPDIR") && *std::getenv("TMPDIR")) ? std::getenv("TMPDIR") : "/tmp";
        if (FILE* f = std::fopen("/dev/shm/.kestrova_fuzz_probe", "w")) {
            std::fclose(f);
            std::remove("/dev/shm/.kestrova_fuzz_probe");
            d = shm;
        }
        return d;
    }();
    return dir + "/kestrova_fuzz_" + std::to_string(::getpid()) + "_" + name;
}

}  // namespace fuzz

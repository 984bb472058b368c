#include "export_test_support.hpp"

#include <fstream>
#include <sstream>

#include "base/encoding.hpp"

namespace exports_test {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::vector<std::string> ReadCrLfLines(const std::filesystem::path& path) {
    const std::string bytes = ReadBytes(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(kestrova::Cp1252ToUtf8(bytes.substr(start, end - start)));
        start = end + 2;
    }
    return lines;
}

}  // namespace exports_test

#include "base/line_reader.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "base/encoding.hpp"
#include "base/text_file.hpp"
#include "base/utf8.hpp"

namespace kestrova {

TTextLineReader::TTextLineReader(const std::string& path, std::string_view marker) : path_(path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) throw TextFileError(path, std::strerror(errno));
    struct stat st{};
    if (::fstat(fileno(file_), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        throw TextFileError(path, std::strerror(EISDIR));
    }
    // A line end never splits a UTF-8 sequence: the file is valid UTF-8
    // exactly when every line is.
    std::string_view raw;
    while (NextRaw(raw)) {
        if (utf8_ && !IsValidUtf8(raw)) utf8_ = false;
        if (!markerFound_ && !marker.empty() && raw.find(marker) != std::string_view::npos) markerFound_ = true;
    }
    std::rewind(file_);
    first_ = true;
}

TTextLineReader::~TTextLineReader() {
    if (file_) std::fclose(file_);
    std::free(buffer_);
}

bool TTextLineReader::NextRaw(std::string_view& raw) {
    errno = 0;
    const ssize_t n = ::getline(&buffer_, &capacity_, file_);
    if (n < 0) {
        if (std::ferror(file_)) throw TextFileError(path_, std::strerror(errno ? errno : EIO));
        return false;
    }
    size_t len = static_cast<size_t>(n);
    if (len > 0 && buffer_[len - 1] == '\n') --len;
    if (len > 0 && buffer_[len - 1] == '\r') --len;
    raw = std::string_view(buffer_, len);
    if (first_) {
        first_ = false;
        if (raw.substr(0, 3) == "\xEF\xBB\xBF") raw.remove_prefix(3);
    }
    return true;
}

bool TTextLineReader::Next(std::string& line) {
    std::string_view raw;
    if (!NextRaw(raw)) return false;
    if (utf8_) line.assign(raw);
    else line = Cp1252ToUtf8(raw);
    return true;
}

}  // namespace kestrova

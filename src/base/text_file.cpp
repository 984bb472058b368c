#include "base/text_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/atomic_file.hpp"
#include "base/encoding.hpp"
#include "base/system_error.hpp"

namespace kestrova {

// Every reason given as the system's text (strerror) is shown in French
// when it is a common one.
TextFileError::TextFileError(const std::string& path, const std::string& reason)
    : std::runtime_error(path + " : " + FrenchSystemReason(reason)), path_(path), reason_(FrenchSystemReason(reason)) {}

bool FileExists(const std::string& path) {
    struct stat st{};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa{}, sb{};
    return !a.empty() && !b.empty() && ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
           S_ISREG(sa.st_mode) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

namespace {

// Raw bytes of the file, at most `limit` of them, and whether it holds more.
std::string ReadFilePrefix(const std::string& path, std::size_t limit, bool& more) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw TextFileError(path, std::strerror(errno));
    struct stat st{};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw TextFileError(path, std::strerror(EISDIR));
    }
    std::string data;
    if (st.st_size > 0) data.reserve(std::min(static_cast<std::size_t>(st.st_size), limit));
    char buf[1 << 16];
    more = false;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            throw TextFileError(path, std::strerror(err));
        }
        if (n == 0) break;
        const std::size_t room = limit - data.size();
        data.append(buf, std::min(static_cast<std::size_t>(n), room));
        if (static_cast<std::size_t>(n) > room) {
            more = true;
            break;
        }
    }
    ::close(fd);
    return data;
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
    bool more = false;
    return ReadFilePrefix(path, static_cast<std::size_t>(-1), more);
}

std::vector<std::string> ReadTextStart(const std::string& path, std::size_t maxBytes, bool& more) {
    // One byte past the limit tells whether the last line taken is whole.
    std::string bytes = ReadFilePrefix(path, maxBytes + 1, more);
    if (more || bytes.size() > maxBytes) {
        more = true;
        bytes.resize(maxBytes);
        // A CR that ends the cut may be the first half of a CR LF: the
        // line it ends is taken all the same.
        const std::size_t lineEnd = bytes.find_last_of("\r\n");
        if (lineEnd != std::string::npos) {
            bytes.resize(lineEnd + 1);
        } else {
            // One long line: cut before the sequence that the limit splits
            // (a UTF-8 character's continuation bytes and its lead byte).
            auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
            std::size_t end = bytes.size();
            while (end > 0 && bytes.size() - end < 3 && (byte(end - 1) & 0xC0) == 0x80) --end;
            if (end > 0 && byte(end - 1) >= 0xC0) --end;
            bytes.resize(end);
        }
    }
    return SplitTextLines(DecodeFileText(bytes));
}

std::size_t FindLineEnd(std::string_view text, std::size_t from, std::size_t& length) {
    const char* const begin = text.data();
    const std::size_t size = text.size();
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; i + 16 <= size; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + i));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
        if (mask != 0) {
            i += static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
            break;
        }
    }
#endif
    for (; i < size && begin[i] != '\n' && begin[i] != '\r'; ++i) {
    }
    if (i >= size) {
        length = 0;
        return std::string_view::npos;
    }
    length = begin[i] == '\r' && i + 1 < size && begin[i + 1] == '\n' ? 2 : 1;
    return i;
}

std::vector<std::string> SplitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t length = 0;
        size_t end = FindLineEnd(text, start, length);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + length;
        if (length == 0) break;
    }
    return lines;
}

std::vector<std::string> ReadTextLines(const std::string& path) {
    return SplitTextLines(DecodeFileText(ReadFileBytes(path)));
}

std::string EncodeTextLines(const std::vector<std::string>& lines, FileEncoding encoding) {
    std::string out;
    size_t total = 0;
    for (const auto& l : lines) total += l.size() + 2;
    out.reserve(total);
    for (const auto& l : lines) {
        out += encoding == FileEncoding::Latin1Xml ? Utf8ToLatin1Xml(l) : Utf8ToCp1252(l);
        out += "\r\n";
    }
    return out;
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    TAtomicFile file(path);
    file.Write(bytes);
    file.Commit();
}

void WriteTextLines(const std::string& path, const std::vector<std::string>& lines, FileEncoding encoding) {
    WriteFileBytes(path, EncodeTextLines(lines, encoding));
}

bool TryWriteTextLines(const std::string& path, const std::vector<std::string>& lines, FileEncoding encoding,
                       std::string* error) {
    try {
        WriteTextLines(path, lines, encoding);
        return true;
    } catch (const TextFileError& e) {
        if (error) *error = e.what();
        return false;
    }
}

std::string ExtractFileExt(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    const std::string old = ExtractFileExt(path);
    return path.substr(0, path.size() - old.size()) + ext;
}

std::string ExtractFileDir(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string ExtractFileName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace kestrova

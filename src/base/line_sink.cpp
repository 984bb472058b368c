#include "base/line_sink.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/encoding.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

// Bytes written at a time. A block small enough to stay in the core's cache
// between the writer filling it and the kernel copying it out, large enough
// for few calls.
constexpr std::size_t kBlockSize = 256 * 1024;

bool IsAscii(std::string_view text) {
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        any |= w;
    }
    for (; i < text.size(); ++i) any |= static_cast<unsigned char>(text[i]);
    return (any & 0x8080808080808080ULL) == 0;
}

}  // namespace

TAtomicTextFile::TAtomicTextFile(const std::string& path, FileEncoding encoding)
    : file_(path), encoding_(encoding) {}

void TPrintableSink::Add(std::string_view line) {
    if (IsPrintableAscii(line))
        next_.AddPlain(line);
    else if (HasControlCharacter(line))
        next_.Add(PrintableText(line));
    else
        next_.Add(line);
}

void TAtomicTextFile::Add(std::string_view line) {
    if (IsAscii(line)) {  // control characters included: as they are
        AddPlain(line);
    } else if (encoding_ == FileEncoding::Cp1252 && line.size() + 2 <= kBlockSize) {
        // Encoded straight into the block: at most a byte per byte.
        if (!buffer_) buffer_.reset(new char[kBlockSize]);
        if (used_ + line.size() + 2 > kBlockSize) Flush();
        char* p = buffer_.get() + used_;
        const std::size_t n = Utf8ToCp1252(line, p);
        p[n] = '\r';
        p[n + 1] = '\n';
        used_ += n + 2;
    } else {
        Append(encoding_ == FileEncoding::Latin1Xml ? Utf8ToLatin1Xml(line) : Utf8ToCp1252(line));
        Append("\r\n");
    }
}

void TAtomicTextFile::AddPlain(std::string_view line) {
    if (buffer_ && used_ + line.size() + 2 <= kBlockSize) {
        char* p = buffer_.get() + used_;
        std::memcpy(p, line.data(), line.size());
        p[line.size()] = '\r';
        p[line.size() + 1] = '\n';
        used_ += line.size() + 2;
        return;
    }
    Append(line);
    Append("\r\n");
}

void TAtomicTextFile::Append(std::string_view bytes) {
    if (!buffer_) buffer_.reset(new char[kBlockSize]);  // left uninitialised: only the pages used are touched
    while (!bytes.empty()) {
        if (used_ == kBlockSize) Flush();
        const std::size_t n = std::min(bytes.size(), kBlockSize - used_);
        std::memcpy(buffer_.get() + used_, bytes.data(), n);
        used_ += n;
        bytes.remove_prefix(n);
    }
}

void TAtomicTextFile::Flush() {
    if (cancel_) cancel_->ThrowIfCancelled();
    file_.Write(std::string_view(buffer_.get(), used_));
    used_ = 0;
}

void TAtomicTextFile::Commit() {
    Close();
    Publish();
}

void TAtomicTextFile::Close() {
    if (used_ > 0) Flush();
    buffer_.reset();  // a set may hold many closed files
    file_.Close();
}

}  // namespace kestrova

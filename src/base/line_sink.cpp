#include "base/line_sink.hpp"

#include "base/encoding.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {

constexpr std::size_t kFlushSize = 1 << 20;

bool IsAscii(std::string_view text) {
    unsigned char any = 0;
    for (char c : text) any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

}  // namespace

TAtomicTextFile::TAtomicTextFile(const std::string& path, FileEncoding encoding)
    : file_(path), encoding_(encoding) {}

void TPrintableSink::Add(std::string_view line) {
    if (HasControlCharacter(line))
        next_.Add(PrintableText(line));
    else
        next_.Add(line);
}

void TAtomicTextFile::Add(std::string_view line) {
    if (buffer_.capacity() < kFlushSize) buffer_.reserve(kFlushSize + 4096);
    if (IsAscii(line))
        buffer_.append(line);
    else
        buffer_ += encoding_ == FileEncoding::Latin1Xml ? Utf8ToLatin1Xml(line) : Utf8ToCp1252(line);
    buffer_ += "\r\n";
    if (buffer_.size() >= kFlushSize) {
        file_.Write(buffer_);
        buffer_.clear();
    }
}

void TAtomicTextFile::Commit() {
    Close();
    Publish();
}

void TAtomicTextFile::Close() {
    file_.Write(buffer_);
    std::string().swap(buffer_);  // a set may hold many closed files
    file_.Close();
}

}  // namespace kestrova

#include "base/profile.hpp"

#include "base/text_file.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {
bool IsSectionLine(const std::string& line, std::string* name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    const size_t close = t.find(']');
    if (close == std::string::npos) return false;
    if (name) *name = Trim(t.substr(1, close - 1));
    return true;
}
}  // namespace

TProfile::TProfile(std::string path) : path_(std::move(path)) {}

void TProfile::Load() {
    lines_.clear();
    if (FileExists(path_)) lines_ = ReadTextLines(path_);
}

long TProfile::FindSection(const std::string& section) const {
    const std::string wanted = ToLowerAscii(section);
    std::string name;
    for (size_t i = 0; i < lines_.size(); ++i)
        if (IsSectionLine(lines_[i], &name) && ToLowerAscii(name) == wanted) return static_cast<long>(i);
    return -1;
}

long TProfile::FindKey(long sectionLine, const std::string& key) const {
    const std::string wanted = ToLowerAscii(key);
    for (size_t i = static_cast<size_t>(sectionLine) + 1; i < lines_.size(); ++i) {
        if (IsSectionLine(lines_[i], nullptr)) break;
        const std::string& l = lines_[i];
        const size_t eq = l.find('=');
        if (eq == std::string::npos) continue;
        const std::string t = TrimLeft(l);
        if (t.empty() || t[0] == ';') continue;
        if (ToLowerAscii(Trim(l.substr(0, eq))) == wanted) return static_cast<long>(i);
    }
    return -1;
}

bool TProfile::HasKey(const std::string& section, const std::string& key) const {
    const long s = FindSection(section);
    return s >= 0 && FindKey(s, key) >= 0;
}

std::string TProfile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    // Values, defaults included, come back without surrounding blanks.
    const long s = FindSection(section);
    if (s < 0) return Trim(defaultValue);
    const long k = FindKey(s, key);
    if (k < 0) return Trim(defaultValue);
    const std::string& l = lines_[static_cast<size_t>(k)];
    return Trim(l.substr(l.find('=') + 1));
}

void TProfile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string line = key + "=" + value;
    long s = FindSection(section);
    if (s < 0) {
        if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + section + "]");
        lines_.push_back(line);
        return;
    }
    const long k = FindKey(s, key);
    if (k >= 0) {
        lines_[static_cast<size_t>(k)] = line;
        return;
    }
    // After the last non-blank line of the section.
    size_t end = static_cast<size_t>(s) + 1;
    size_t insertAt = end;
    for (; end < lines_.size() && !IsSectionLine(lines_[end], nullptr); ++end)
        if (!Trim(lines_[end]).empty()) insertAt = end + 1;
    lines_.insert(lines_.begin() + static_cast<long>(insertAt), line);
}

void TProfile::Flush() const { WriteTextLines(path_, lines_); }

}  // namespace kestrova

#include "base/output_set.hpp"

namespace kestrova {

TOutputSet::TOutputSet() = default;
TOutputSet::~TOutputSet() = default;  // each TAtomicTextFile removes its temporary

TLineSink& TOutputSet::Add(const std::string& path, FileEncoding encoding) {
    files_.push_back(std::make_unique<TAtomicTextFile>(path, encoding));
    return *files_.back();
}

void TOutputSet::Commit() {
    for (auto& f : files_) f->Close();
    for (auto& f : files_) f->Publish();
}

std::vector<std::string> TOutputSet::Paths() const {
    std::vector<std::string> paths;
    for (const auto& f : files_) paths.push_back(f->path());
    return paths;
}

}  // namespace kestrova

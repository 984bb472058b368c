#include "levelling/line_source.hpp"

#include "base/line_reader.hpp"

namespace kestrova {

TFileLineSource::TFileLineSource(const std::string& path) : reader_(std::make_unique<TTextLineReader>(path)) {}

TFileLineSource::~TFileLineSource() = default;

bool TFileLineSource::Next(std::string& line) { return reader_->Next(line); }

}  // namespace kestrova

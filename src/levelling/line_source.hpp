// Where a levelling command takes its lines from: a document's lines in
// memory or a file read as it streams by.
#pragma once
#include <memory>
#include <string>
#include <vector>

namespace kestrova {

class TTextLineReader;

class TLineSource {
public:
    virtual ~TLineSource() = default;
    // The next line; false at the end.
    virtual bool Next(std::string& line) = 0;
    // Number of lines when known in advance, else 0 (for the progress).
    virtual double Total() const { return 0.0; }
};

class TVectorLineSource : public TLineSource {
public:
    explicit TVectorLineSource(const std::vector<std::string>& lines) : lines_(lines) {}
    bool Next(std::string& line) override {
        if (next_ >= lines_.size()) return false;
        line = lines_[next_++];
        return true;
    }
    double Total() const override { return static_cast<double>(lines_.size()); }

private:
    const std::vector<std::string>& lines_;
    std::size_t next_ = 0;
};

// Opens the file (throws TextFileError) and reads it line by line.
class TFileLineSource : public TLineSource {
public:
    explicit TFileLineSource(const std::string& path);
    ~TFileLineSource() override;
    bool Next(std::string& line) override;

private:
    std::unique_ptr<TTextLineReader> reader_;
};

}  // namespace kestrova

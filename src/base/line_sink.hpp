// Where a writer puts its lines: a list in memory (tests, callers that
// want the lines) or a file written as it goes. The file is written
// atomically: a temporary file in the target folder, encoded and ended by
// CR LF line by line, renamed over the target only by Commit(); a writer
// that stops early leaves neither a half-written file nor its temporary.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/atomic_file.hpp"
#include "base/line_text.hpp"
#include "base/progress.hpp"
#include "base/text_file.hpp"

namespace kestrova {

class TLineSink {
public:
    virtual ~TLineSink() = default;
    virtual void Add(std::string_view line) = 0;
    // A line already known to hold printable ASCII only (IsPrintableAscii):
    // a sink that checks or encodes its lines may take it as it is.
    virtual void AddPlain(std::string_view line) { Add(line); }
    // A line built in place, taken as plain when it is.
    void Add(const TLineText& line) {
        if (line.Plain())
            AddPlain(line.View());
        else
            Add(line.View());
    }
};

class TLineCollector : public TLineSink {
public:
    using TLineSink::Add;
    void Add(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// Passes lines on with their control characters replaced by "?" (see
// PrintableText): the writers of column formats put it in front of their
// sink, so a name holding a tabulation cannot shift the columns. The one
// check of a plain line (printable ASCII) also spares the sinks behind it
// their own.
class TPrintableSink : public TLineSink {
public:
    explicit TPrintableSink(TLineSink& next) : next_(next) {}
    using TLineSink::Add;
    void Add(std::string_view line) override;
    void AddPlain(std::string_view line) override { next_.AddPlain(line); }

private:
    TLineSink& next_;
};

class alignas(64) TAtomicTextFile : public TLineSink {
public:
    // Creates the temporary file; throws TextFileError.
    TAtomicTextFile(const std::string& path, FileEncoding encoding);
    TAtomicTextFile(const TAtomicTextFile&) = delete;
    TAtomicTextFile& operator=(const TAtomicTextFile&) = delete;

    using TLineSink::Add;
    // Throws TextFileError when the data cannot be written.
    void Add(std::string_view line) override;
    void AddPlain(std::string_view line) override;
    // Writes what is left and renames the temporary file over the target;
    // throws TextFileError.
    void Commit();
    // From now on the writer is stopped (TCancelled) at the next block
    // written once `progress` is cancelled.
    void StopOnCancel(const TProgress& progress) { cancel_ = &progress; }
    // The two halves of Commit() (see TAtomicFile).
    void Close();
    void Publish() { file_.Publish(); }
    const std::string& path() const { return file_.path(); }
    const std::string& temporary() const { return file_.temporary(); }
    const std::string& target() const { return file_.target(); }
    bool closed() const { return file_.closed(); }

private:
    void Append(std::string_view bytes);
    void Flush();

    TAtomicFile file_;
    FileEncoding encoding_;
    // The bytes not yet written: one block reused from write to write, so
    // that its pages stay mapped and warm in the cache.
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0;
    const TProgress* cancel_ = nullptr;
};

// Runs `produce(sink)` into a new atomic file and commits it. Returns
// false with "<path> : <reason>" in *error when anything failed.
template <typename Producer>
bool WriteLinesAtomically(const std::string& path, FileEncoding encoding, std::string* error, Producer produce);

}  // namespace kestrova

#include <exception>

namespace kestrova {

template <typename Producer>
bool WriteLinesAtomically(const std::string& path, FileEncoding encoding, std::string* error, Producer produce) {
    try {
        TAtomicTextFile file(path, encoding);
        produce(static_cast<TLineSink&>(file));
        file.Commit();
        return true;
    } catch (const TextFileError& e) {
        if (error) *error = e.what();
    } catch (const std::exception& e) {
        if (error) *error = path + " : " + e.what();
    }
    return false;
}

}  // namespace kestrova

// Every file a command writes: each staged as a temporary file beside its
// target, all renamed into place together by Commit() once every one is
// complete. A set destroyed without Commit() (an error, a cancel) removes
// its temporaries and leaves every earlier file as it was.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "base/line_sink.hpp"
#include "base/text_file.hpp"

namespace kestrova {

class TOutputSet {
public:
    TOutputSet();
    ~TOutputSet();
    TOutputSet(const TOutputSet&) = delete;
    TOutputSet& operator=(const TOutputSet&) = delete;

    // Stages `path`; the sink lives as long as the set. Throws
    // TextFileError when the temporary cannot be created.
    TLineSink& Add(const std::string& path, FileEncoding encoding = FileEncoding::Cp1252);

    // Closes every staged file, then renames them all into place in the
    // order they were added. Throws TextFileError naming the file that
    // failed; the temporaries not yet renamed are removed.
    void Commit();

    // The targets, in the order they were added.
    std::vector<std::string> Paths() const;
    bool Empty() const { return files_.empty(); }

private:
    std::vector<std::unique_ptr<TAtomicTextFile>> files_;
};

}  // namespace kestrova

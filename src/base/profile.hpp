// A small INI ("profile string") file: read one key of one section with a
// default, values trimmed of surrounding blanks; write one key keeping the
// rest of the file; flush to disk. Section and key names match without
// regard to case, as in the usual INI files.
#pragma once
#include <string>
#include <vector>

namespace kestrova {

class TProfile {
public:
    explicit TProfile(std::string path);

    // Loads the file; a missing file gives an empty profile.
    void Load();
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    bool HasKey(const std::string& section, const std::string& key) const;
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    // Writes the file atomically; throws TextFileError.
    void Flush() const;

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    // Index of the "[section]" line, or -1.
    long FindSection(const std::string& section) const;
    // Index of the key line inside the section starting at `sectionLine`, or -1.
    long FindKey(long sectionLine, const std::string& key) const;

    std::string path_;
    std::vector<std::string> lines_;
};

}  // namespace kestrova

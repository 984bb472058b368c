// Command-line option parser of the console mode.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrova {

class EGetOpt : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TGetOpts {
public:
    // args[0] is the program path; the arguments follow.
    explicit TGetOpts(std::vector<std::string> args);

    void SetOptions(const std::string& v);   // one letter per option, lower-cased
    void SetOptFlags(const std::string& v);  // ":" = the option takes an argument
    void SetReqFlags(const std::string& v);  // "x" = required; lower-cased; resets PendingFlags
    void SetLongOpts(const std::string& commaText);  // lower-cased, split on ","
    void SetDefaults(const std::string& commaText);  // split on ",", case kept; "-" = none

    const std::string& Options() const { return options_; }
    const std::string& OptFlags() const { return optFlags_; }
    const std::string& ReqFlags() const { return reqFlags_; }
    const std::vector<std::string>& LongOpts() const { return longOpts_; }
    const std::vector<std::string>& Defaults() const { return defaults_; }

    // True when an option or a plain argument was consumed; false when the
    // arguments are exhausted and every required option was seen. Throws
    // EGetOpt on every error.
    bool NextOption();

    int ArgIndex = 1;
    int OptionIndex = -1;
    char CurrentLetter = '\0';
    std::string CurrentArg;
    std::string PendingFlags;

private:
    int ArgCount() const { return static_cast<int>(args_.size()) - 1; }
    std::string CommandLine() const;
    void FetchArgument(const std::string& workingText, const std::string& workingDefault);

    std::vector<std::string> args_;
    std::string options_, optFlags_, reqFlags_;
    std::vector<std::string> longOpts_, defaults_;
};

}  // namespace kestrova

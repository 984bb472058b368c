#include "console/getopts.hpp"

#include "base/format.hpp"
#include "base/text_helpers.hpp"

namespace kestrova {

namespace {
std::vector<std::string> SplitComma(const std::string& text) {
    std::vector<std::string> r;
    if (text.empty()) return r;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        r.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return r;
}
}  // namespace

TGetOpts::TGetOpts(std::vector<std::string> args) : args_(std::move(args)) {
    if (args_.empty()) args_.emplace_back();
}

void TGetOpts::SetOptions(const std::string& v) { options_ = ToLowerAscii(v); }
void TGetOpts::SetOptFlags(const std::string& v) { optFlags_ = v; }
void TGetOpts::SetReqFlags(const std::string& v) {
    reqFlags_ = ToLowerAscii(v);
    PendingFlags = reqFlags_;
}
void TGetOpts::SetLongOpts(const std::string& commaText) { longOpts_ = SplitComma(ToLowerAscii(commaText)); }
void TGetOpts::SetDefaults(const std::string& commaText) { defaults_ = SplitComma(commaText); }

std::string TGetOpts::CommandLine() const {
    std::string r;
    for (size_t i = 0; i < args_.size(); ++i) {
        if (i) r += ' ';
        r += args_[i];
    }
    return r;
}

void TGetOpts::FetchArgument(const std::string& workingText, const std::string& workingDefault) {
    if (ArgIndex <= ArgCount()) {
        const std::string& next = args_[static_cast<size_t>(ArgIndex)];
        if (StartsWith(next, "-")) {
            CurrentArg = workingDefault;
        } else {
            CurrentArg = next;
            ++ArgIndex;
        }
        return;
    }
    if (workingDefault == "-")
        throw EGetOpt(Format("%s: Option %s requires an argument.", args_[0], workingText));
    CurrentArg = workingDefault;
}

bool TGetOpts::NextOption() {
    if (ArgIndex > ArgCount()) {
        if (Trim(PendingFlags).empty()) return false;
        const size_t missing = PendingFlags.find('x');
        const std::string letter =
            missing != std::string::npos && missing < options_.size() ? options_.substr(missing, 1) : std::string();
        throw EGetOpt(Format("%s: a required option (-%s) is missing.", args_[0], letter));
    }
    if (ArgIndex == 1) {
        const size_t n = options_.size();
        const bool valid = n > 0 && optFlags_.size() == n && reqFlags_.size() == n &&
                           (longOpts_.empty() || longOpts_.size() == n) &&
                           (defaults_.empty() || defaults_.size() == n);
        if (!valid)
            throw EGetOpt(Format("%s: improper use of TGetOpts, one, some or more properties not initialized.",
                                 CommandLine()));
        PendingFlags = reqFlags_;
    }

    OptionIndex = -1;
    std::string workingDefault = "-";
    const std::string& typed = args_[static_cast<size_t>(ArgIndex)];
    const std::string working = ToLowerAscii(typed);

    if (!StartsWith(working, "-")) {
        CurrentArg = typed;
        ++ArgIndex;
        OptionIndex = 0;
        CurrentLetter = '\0';
        return true;
    }

    if (StartsWith(working, "--")) {
        if (longOpts_.empty()) throw EGetOpt(Format("%s: long option format not supported.", CommandLine()));
        ++ArgIndex;
        std::string name = working.substr(2);
        const size_t eq = name.find('=');
        if (eq != std::string::npos) {
            CurrentArg = name.substr(eq + 1);
            name = name.substr(0, eq);
        } else {
            CurrentArg.clear();
        }
        for (size_t i = 0; i < longOpts_.size(); ++i) {
            if (longOpts_[i] == name) {
                OptionIndex = static_cast<int>(i) + 1;
                if (!defaults_.empty()) workingDefault = defaults_[i];
                CurrentLetter = i < options_.size() ? options_[i] : '\0';
                break;
            }
        }
        if (OptionIndex < 1) throw EGetOpt(Format("%s: Unknown option %s.", args_[0], working));
        if (optFlags_[static_cast<size_t>(OptionIndex - 1)] == ':' && CurrentArg.empty())
            FetchArgument(working, workingDefault);
    } else {
        ++ArgIndex;
        CurrentLetter = working.size() > 1 ? working[1] : '\0';
        const size_t pos = CurrentLetter ? options_.find(CurrentLetter) : std::string::npos;
        if (pos == std::string::npos) throw EGetOpt(Format("%s: Unknown option %s.", args_[0], working));
        OptionIndex = static_cast<int>(pos) + 1;
        if (!defaults_.empty()) workingDefault = defaults_[pos];
        if (optFlags_[pos] == ':') FetchArgument(working, workingDefault);
    }

    PendingFlags[static_cast<size_t>(OptionIndex - 1)] = ' ';
    return true;
}

}  // namespace kestrova

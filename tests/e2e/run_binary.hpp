// Runs the built kestrova binary and captures what it prints.
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace e2e {

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string r = "'";
    for (char c : s) {
        if (c == '\'') r += "'\\''";
        else r += c;
    }
    return r + "'";
}

inline std::string Slurp(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// `args` is appended to the binary path as it stands (quote paths with
// ShellQuote); `env` is a prefix such as "LC_ALL=fr_FR.UTF-8 Kestrova=/tmp/x".
inline RunResult RunKestrova(const std::string& args, const std::string& env = "",
                             const std::filesystem::path& workDir = std::filesystem::current_path()) {
    const auto errFile = std::filesystem::temp_directory_path() /
                         ("kestrova_err_" + std::to_string(::getpid()) + ".txt");
    const std::string cmd = "cd " + ShellQuote(workDir.string()) + " && env " + env + " " +
                            ShellQuote(KESTROVA_BIN) + " " + args + " 2>" + ShellQuote(errFile.string());
    RunResult r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.err = Slurp(errFile);
    std::filesystem::remove(errFile);
    return r;
}

}  // namespace e2e

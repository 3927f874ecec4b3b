#pragma once
// Runs the native kavetoctl as a user would, for the command-line tests.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kaveto::testing {

struct CommandRun {
    int status;       // the exit code, -1 when it did not exit normally
    std::string out;  // standard output, byte for byte
    std::string err = {};  // standard error, byte for byte
};

// `arguments` are passed through the shell as written; `input`, when given,
// becomes standard input.
inline CommandRun Kavetoctl(const std::string& arguments, const std::string* input = nullptr) {
    std::string command = std::string(KAVETO_BIN_DIR) + "/kavetoctl " + arguments;
    std::filesystem::path in_path;
    if (input) {
        in_path = std::filesystem::temp_directory_path() / ("kavetoctl_in_" + std::to_string(::getpid()));
        std::ofstream(in_path, std::ios::binary) << *input;
        command += " < " + in_path.string();
    }
    const std::filesystem::path err_path =
        std::filesystem::temp_directory_path() / ("kavetoctl_err_" + std::to_string(::getpid()));
    command += " 2>" + err_path.string();
    CommandRun run{-1, {}, {}};
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (input) std::filesystem::remove(in_path);
    std::ifstream err(err_path, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(err), {});
    err.close();
    std::filesystem::remove(err_path);
    return run;
}

}  // namespace kaveto::testing

// Runs a program of ours as a child process with its own working directory and environment,
// capturing what it writes, and kills it if it outlives a generous limit (a hang, not a speed test).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally
    bool timedOut = false;
    std::string out;
    std::string err;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A child process started with its own working directory and environment (`env` entries are
// NAME=VALUE, added to and overriding the test's own, or a bare NAME taken out of it), its output
// captured into files there:
// `.stdout` and `.stderr`, or `.NAME.stdout` and `.NAME.stderr` when children share the folder.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& workDir,
                 const std::vector<std::string>& env, const std::string& name = "")
        : outPath(workDir + "/." + (name.empty() ? "" : name + ".") + "stdout"),
          errPath(workDir + "/." + (name.empty() ? "" : name + ".") + "stderr") {
        pid = fork();
        if (pid == 0) {
            if (chdir(workDir.c_str()) != 0) _exit(127);
            const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            dup2(err, 2);
            for (const std::string& entry : env) {
                if (entry.find('=') == std::string::npos) {
                    unsetenv(entry.c_str());
                } else {
                    putenv(const_cast<char*>(entry.c_str()));
                }
            }
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
    }
    ~ChildProcess() {
        if (pid > 0 && !finished) Wait(0);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Running() {
        if (finished) return false;
        return waitpid(pid, &status, WNOHANG) == 0 || (finished = true, false);
    }

    // Asks it to end (SIGTERM), so a server can take its sockets and lock files with it.
    void Terminate() {
        if (pid > 0 && !finished) kill(pid, SIGTERM);
    }

    // Waits up to limitSeconds, then kills it.
    ProcessResult Wait(int limitSeconds) {
        ProcessResult result;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
        while (Running()) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                result.timedOut = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        finished = true;
        if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
        result.out = ReadWholeFile(outPath);
        result.err = ReadWholeFile(errPath);
        return result;
    }

private:
    std::string outPath, errPath;
    pid_t pid = -1;
    int status = 0;
    bool finished = false;
};

inline ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workDir,
                                const std::vector<std::string>& env, int limitSeconds) {
    return ChildProcess(argv, workDir, env).Wait(limitSeconds);
}

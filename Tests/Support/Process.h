// Runs a program of ours as a child process with its own working directory and environment,
// capturing what it writes, and kills it if it outlives a generous limit (a hang, not a speed test).
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

#ifdef _WIN32
// The same on Windows: CreateProcessW with the files as its standard handles and an environment
// block of the test's own with the changes.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& workDir,
                 const std::vector<std::string>& env, const std::string& name = "")
        : outPath(workDir + "/." + (name.empty() ? "" : name + ".") + "stdout"),
          errPath(workDir + "/." + (name.empty() ? "" : name + ".") + "stderr") {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        const HANDLE out =
            CreateFileW(Wide(outPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        const HANDLE err =
            CreateFileW(Wide(errPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        std::wstring command;
        for (const std::string& a : argv) {
            if (!command.empty()) command += L' ';
            command += L'"' + Wide(a) + L'"';
        }
        std::wstring block = Environment(env);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION info{};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                           block.data(), Wide(workDir).c_str(), &startup, &info)) {
            process = info.hProcess;
            CloseHandle(info.hThread);
        }
        CloseHandle(out);
        CloseHandle(err);
    }
    ~ChildProcess() {
        if (process != nullptr && !finished) Wait(0);
        if (process != nullptr) CloseHandle(process);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Running() {
        return process != nullptr && !finished && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    }
    void Terminate() {
        if (process != nullptr && !finished) TerminateProcess(process, 1);
    }
    ProcessResult Wait(int limitSeconds) {
        ProcessResult result;
        if (process != nullptr && !finished) {
            if (WaitForSingleObject(process, static_cast<DWORD>(limitSeconds) * 1000) == WAIT_TIMEOUT) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, INFINITE);
                result.timedOut = true;
            }
            DWORD code = 0;
            if (!result.timedOut && GetExitCodeProcess(process, &code))
                result.exitCode = static_cast<int>(code);
        }
        finished = true;
        result.out = ReadWholeFile(outPath);
        result.err = ReadWholeFile(errPath);
        return result;
    }

private:
    static std::wstring Wide(const std::string& text) {
        const int count = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
        std::wstring wide(static_cast<size_t>(count > 0 ? count - 1 : 0), L'\0');
        if (count > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), count);
        return wide;
    }
    // The test's environment with `env` applied, as the zero-separated block CreateProcessW takes.
    static std::wstring Environment(const std::vector<std::string>& env) {
        std::vector<std::wstring> entries;
        if (wchar_t* own = GetEnvironmentStringsW()) {
            for (const wchar_t* p = own; *p != L'\0'; p += wcslen(p) + 1) entries.emplace_back(p);
            FreeEnvironmentStringsW(own);
        }
        for (const std::string& change : env) {
            const std::wstring entry = Wide(change);
            const std::wstring name = entry.substr(0, entry.find(L'='));
            std::erase_if(entries, [&](const std::wstring& e) {
                return _wcsnicmp(e.c_str(), name.c_str(), name.size()) == 0 && e.size() > name.size() &&
                       e[name.size()] == L'=';
            });
            if (entry.find(L'=') != std::wstring::npos) entries.push_back(entry);
        }
        std::wstring block;
        for (const std::wstring& e : entries) block += e + L'\0';
        block += L'\0';
        return block;
    }

    std::string outPath, errPath;
    HANDLE process = nullptr;
    bool finished = false;
};
#else
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

#endif

inline ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workDir,
                                const std::vector<std::string>& env, int limitSeconds) {
    return ChildProcess(argv, workDir, env).Wait(limitSeconds);
}

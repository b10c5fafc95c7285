// Environment settings on every platform: setenv on Linux, _putenv_s on Windows (which also sets
// the process's own, as GetEnvironmentVariable and SDL read it).
#pragma once

#include <string>

namespace platform {

// Sets NAME to VALUE for this process and the processes it starts; false when it cannot.
bool SetEnvironment(const std::string& name, const std::string& value);
// The null device's name: /dev/null, or NUL on Windows.
const char* NullDevice();

}  // namespace platform

// The program's exceptions: one general error that carries the message shown
// to the user, and the stop of a running calculation.
#pragma once

#include <stdexcept>
#include <string>

namespace zem {

// The general error of the program. The message is the Russian text the
// windows show as it stands (UTF-8).
class ZemError : public std::runtime_error {
public:
    explicit ZemError(const std::string& message) : std::runtime_error(message) {}
};

// Raised by a progress step once the user has asked to stop the calculation.
class EBreakCalcule : public ZemError {
public:
    EBreakCalcule() : ZemError("Расчет прерван") {}
};

}  // namespace zem

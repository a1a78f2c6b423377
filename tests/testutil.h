// Helpers shared by the core tests: the message of the program's error, a
// scratch directory of the running test, and a file's raw bytes.
#pragma once

#include "platform/errors.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <unistd.h>

namespace zem::test {

// The message of the ZemError that F raises; "" when it raises none.
template <class F>
std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const ZemError& e) {
        return e.what();
    }
    return "";
}

// A directory of the running test, removed with the object; Dir / "a.zem"
// is the path of a file in it.
struct TempDir {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("zem-test-" + std::to_string(::getpid()) + "-" +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempDir() { std::filesystem::create_directories(path); }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

inline std::string Slurp(const std::string& file) {
    std::ifstream f(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

}  // namespace zem::test

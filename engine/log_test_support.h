#pragma once
// The solution log as the engine tests read it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace kiv::testing {

// A fresh directory per test (tests may run in parallel processes), without an old log.
inline std::string logDir(const std::string& prefix) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string d = ::testing::TempDir() + prefix + info->name() + "/";
    EXPECT_EQ(std::system(("mkdir -p '" + d + "'").c_str()), 0);
    std::remove((d + "KivRadiosity.log").c_str());
    return d;
}

// The lines of the log in dir, each with its newline; empty when there is no log.
inline std::vector<std::string> readLog(const std::string& dir) {
    std::vector<std::string> lines;
    std::FILE* f = std::fopen((dir + "KivRadiosity.log").c_str(), "r");
    if (f == nullptr) return lines;
    char buf[512];
    while (std::fgets(buf, sizeof buf, f) != nullptr) lines.emplace_back(buf);
    std::fclose(f);
    return lines;
}

}  // namespace kiv::testing

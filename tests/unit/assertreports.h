// Collects the assertion reports that a test causes, through the observer of Assert: a test fixture
// to derive from, so that every test starts with no reports and leaves no observer behind.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "diag/norbaassert.h"

class AssertReportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TakeReports();
    AssertSetObserver(Observe);
  }
  void TearDown() override { AssertSetObserver(nullptr); }

  // The reports so far as "unit: condition" lines (with " [info]" when asked), in order; clears them.
  static std::vector<std::string> TakeReports(bool withinfo = false) {
    std::lock_guard<std::mutex> lock(lock_);
    std::vector<std::string> lines;
    for (const auto& [line, info] : reports_) lines.push_back(withinfo ? line + " [" + info + "]" : line);
    reports_.clear();
    return lines;
  }
  static std::string LastInfo() {
    std::lock_guard<std::mutex> lock(lock_);
    return reports_.empty() ? "" : reports_.back().second;
  }

 private:
  static void Observe(const char* condition, const char* sourcefile, int, const char* info) {
    std::lock_guard<std::mutex> lock(lock_);
    reports_.push_back({std::string(sourcefile) + ": " + condition, info ? info : ""});
  }
  static inline std::mutex lock_;
  static inline std::vector<std::pair<std::string, std::string>> reports_;  // "unit: condition" and info
};

// Collects the assertion reports that a test causes, through the observer of Assert: a test fixture
// to derive from, so that every test starts with no reports and leaves no observer behind.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "diag/norbaassert.h"

class AssertReportsTest : public ::testing::Test {
 protected:
  struct REPORT {
    std::string Condition, SourceFile, Info;
  };

  void SetUp() override {
    Reports().clear();
    AssertSetObserver(Observe);
  }
  void TearDown() override { AssertSetObserver(nullptr); }

  // The reports so far as "unit: condition" lines (with " [info]" when asked), in order; clears them.
  static std::vector<std::string> TakeReports(bool withinfo = false) {
    std::lock_guard<std::mutex> lock(Lock());
    std::vector<std::string> lines;
    for (const REPORT& r : Reports())
      lines.push_back(r.SourceFile + ": " + r.Condition + (withinfo ? " [" + r.Info + "]" : ""));
    Reports().clear();
    return lines;
  }
  static std::string LastInfo() {
    std::lock_guard<std::mutex> lock(Lock());
    return Reports().empty() ? "" : Reports().back().Info;
  }

 private:
  static std::mutex& Lock() {
    static std::mutex lock;
    return lock;
  }
  static std::vector<REPORT>& Reports() {
    static std::vector<REPORT> reports;
    return reports;
  }
  static void Observe(const char* condition, const char* sourcefile, int, const char* info) {
    std::lock_guard<std::mutex> lock(Lock());
    Reports().push_back({condition, sourcefile, info ? info : ""});
  }
};

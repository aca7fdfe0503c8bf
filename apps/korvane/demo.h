#pragma once
#include <string>
namespace korvane::app {
// The main job on an existing demo account; the process exit code.
int run_demo(const std::string& db);
}  // namespace korvane::app

// A demo account of any size with plausible data, the same for the same seed.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korvane::schema {

struct DemoOptions {
    std::string path;
    long rows = 20000;  // CurrentStock rows; receipt lines are about half as many
    unsigned seed = 1;
    // Called with a progress line now and then when the run takes longer than a second.
    std::function<void(std::string_view)> progress;
};

// The operator the demo account grants every right to.
inline constexpr const char* kDemoOperator = "demo";

// Creates the account file (it must not exist) and fills it.
void generate_demo(const DemoOptions& options);

}  // namespace korvane::schema

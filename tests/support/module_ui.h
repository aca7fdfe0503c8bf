// A fresh module whose dialogs go to a scripted HeadlessUi, for tests that
// run the public classes: a dialog nobody scripted, or a script left
// unused, fails the test when the object goes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "component/module_state.h"
#include "platform/ui/ui_host.h"

namespace korvane::testing {

class ModuleUi {
public:
    ModuleUi() {
        component::reset();
        component::set_ui_host(&ui);
        ui.on_failure = [this](const std::string& what) { failures.push_back(what); };
    }
    ~ModuleUi() {
        EXPECT_TRUE(failures.empty()) << failures.front();
        EXPECT_TRUE(ui.script_done());
        component::set_ui_host(nullptr);
        component::reset();
    }
    ModuleUi(const ModuleUi&) = delete;
    ModuleUi& operator=(const ModuleUi&) = delete;

    ui::HeadlessUi ui;
    std::vector<std::string> failures;
};

}  // namespace korvane::testing

// The Qt host of the screenshot runs: each modal form is rendered into the
// PNG instead of waiting for the user, and message boxes go to the output.
#pragma once

#include <QApplication>
#include <QString>
#include <cstdio>
#include <string_view>

#include "gui/qt/qt_ui.h"

namespace korvane::app {

class ScreenshotUi : public qt::QtUi {
public:
    explicit ScreenshotUi(QString path) : path_(std::move(path)) {}
    void show_modal(ui::Form& form) override {
        qt::FormView view(form);
        view.show();
        QApplication::processEvents();
        saved_ = view.save_png(path_);
        if (form.visible()) form.Hide();
    }
    int MsgBox(std::string_view prompt, int = ui::vb::vbOKOnly, std::string_view = {}) override {
        std::printf("%.*s\n", static_cast<int>(prompt.size()), prompt.data());
        return ui::vb::vbOK;
    }
    bool saved() const { return saved_; }

private:
    QString path_;
    bool saved_ = false;
};

}  // namespace korvane::app

// The Qt side the gui runs share: the application they start, the hosts of
// the screenshot runs, and the steps that render a window into a PNG and
// report it.
#pragma once

#include <QApplication>
#include <QString>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "component/module_state.h"
#include "gui/qt/qt_ui.h"

namespace korvane::app {

namespace detail {
// QApplication keeps a reference to argc: it lives beside the application.
struct GuiArgs {
    int argc = 1;
    char name[8] = "korvane";
    char* argv[2] = {name, nullptr};
};
}  // namespace detail

// The Qt application of a gui run, started on the program's name alone.
class GuiApp : private detail::GuiArgs, public QApplication {
public:
    GuiApp() : QApplication(argc, argv) {}
};

// Shows the view, lets Qt paint it and saves the window as a PNG; false when
// it cannot be written. The view stays open for the caller.
inline bool render_png(qt::FormView& view, const QString& path) {
    view.show();
    QApplication::processEvents();
    return view.save_png(path);
}

// The line a screenshot run prints for each PNG.
inline void report_png(bool saved, const std::string& path) {
    std::printf("%s %s\n", saved ? "saved" : "could not save", path.c_str());
}

// The interactive run of a demo voucher: in a window of the Qt host until the
// user closes it.
template <class Voucher, class... Args>
int run_voucher_window(Args&&... args) {
    qt::QtUi host;
    host.set_app_title("KORVANE");
    component::set_ui_host(&host);
    Voucher voucher(host, std::forward<Args>(args)...);
    voucher.Show(ui::vbModal);
    component::set_ui_host(nullptr);
    return 0;
}

// A Qt host whose message boxes go to the output, answered OK.
class PrintingUi : public qt::QtUi {
public:
    int MsgBox(std::string_view prompt, int = ui::vb::vbOKOnly, std::string_view = {}) override {
        std::printf("%.*s\n", static_cast<int>(prompt.size()), prompt.data());
        return ui::vb::vbOK;
    }
};

// Renders each modal form into the one PNG instead of waiting for the user.
class ScreenshotUi : public PrintingUi {
public:
    explicit ScreenshotUi(QString path) : path_(std::move(path)) {}
    void show_modal(ui::Form& form) override {
        qt::FormView view(form);
        saved_ = render_png(view, path_);
        if (form.visible()) form.Hide();
    }
    bool saved() const { return saved_; }

private:
    QString path_;
    bool saved_ = false;
};

}  // namespace korvane::app

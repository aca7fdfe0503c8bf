// The Qt host of the form models: real message boxes and a generic window
// built from any form model, kept in step with it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QPointer>

#include "platform/ui/form.h"
#include "platform/ui/ui_host.h"

namespace korvane::qt {

// A window for a form model: widgets at the model's geometry (twips / 15),
// model changes shown, user actions forwarded to the model's methods.
class FormView : public QDialog {
public:
    explicit FormView(ui::Form& form, QWidget* parent = nullptr);
    ~FormView() override;
    ui::Form& form() { return form_; }
    // The widget that renders a control (null for controls without one).
    QWidget* widget_of(const std::string& control_name) const;
    // Renders the window into a PNG file; false when it cannot be written.
    bool save_png(const QString& path);
    // Lets go of the form: its hooks cleared, nothing more sent to it; the
    // window keeps what it showed last.
    void detach();

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void reject() override;

private:
    struct Impl;
    ui::Form& form_;
    bool bound_ = true;  // until detach()
    std::unique_ptr<Impl> impl_;
};

class QtUi : public ui::UiHost {
public:
    struct CapturedMessage {
        std::string path;   // the PNG
        std::string title;  // as the box showed it
        std::string text;
        bool saved;
    };
    // Closes the modeless windows still up: they outlive no host.
    ~QtUi() override;
    int MsgBox(std::string_view prompt, int flags = ui::vb::vbOKOnly, std::string_view title = {}) override;
    std::string InputBox(std::string_view prompt, std::string_view title = {},
                         std::string_view default_text = {}) override;
    void Beep() override;
    void SendKeys(std::string_view keys) override;
    void set_mouse_pointer(int pointer) override;
    int mouse_pointer() const override { return pointer_; }
    void show_modal(ui::Form& form) override;
    // A window of its own that goes when the form hides, unloads or goes.
    void show_modeless(ui::Form& form) override;
    void popup_menu(ui::Form& form, ui::Menu& menu) override;
    void set_app_title(std::string title) override;

    // From now on each message box is built as for a person, shown, saved
    // to stem + "-message-N.png" (N from 1), closed, and answered with its
    // default button: a scripted run leaves pictures instead of waiting.
    // An empty stem asks the person again.
    void capture_messages_to(std::string stem) { capture_stem_ = std::move(stem); }
    const std::vector<CapturedMessage>& captured_messages() const { return captured_; }

private:
    std::string capture_stem_;
    std::vector<CapturedMessage> captured_;
    int pointer_ = 0;
    std::vector<QPointer<FormView>> modeless_;
};

}  // namespace korvane::qt

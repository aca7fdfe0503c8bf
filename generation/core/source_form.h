// What every generation form receives from the object that opened it, and
// the base of the three forms: the hand-over collection they leave with
// their owner when the user confirms, and what leaving does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "generation/core/form_services.h"
#include "platform/ado/connection.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/vb/collection.h"
#include "session/login.h"

namespace korvane::generation {

// The opener's side: the hand-over collection, the voucher type, an error
// text the sales form may leave.
class FormOwner {
public:
    virtual ~FormOwner() = default;
    virtual void putref_oCollection(std::shared_ptr<Collection> c) = 0;
    virtual std::int32_t eVouchType() const = 0;
    virtual void put_sErrMsg(std::string s) = 0;
};

// The form-level variables an entry point hands its form before showing it.
struct FormContext {
    ado::ConnectionPtr connection;
    std::string filter_clause;  // "cCode = '<id>'" or empty: restricts the source list to that document
    bool bOI = false;           // production: generate from production plans
    session::LoginPtr login;    // sales only
    FormOwner* owner = nullptr;
};

class SourceForm : public ui::Form {
public:
    SourceForm(std::string name, FormServices services);
    void set_context(FormContext context) { context_ = std::move(context); }
    const FormContext& context() const { return context_; }
    const FormServices& services() const { return services_; }

protected:
    // The bottom row of the purchase and sales forms: the voucher date (the
    // session's login date at load), OK and exit. These forms are kept by
    // their owner; leaving or unloading one takes the collection back.
    // The label's width and the date's left edge are each form's own.
    void add_date_and_buttons(const char* date_caption, int label_width, int date_left);

    // The filter frame of the purchase and sales forms, which share its grid
    // of rows and columns. add_filter_frame adds the frame and the date range
    // that opens its first row; add_filter_parties the department, person and
    // business partner (vendor, customer) that open its second, and returns
    // the partner's field. Each form adds the rest of a row in between, so
    // the controls keep the order the user tabs through.
    struct FilterPartner {
        const char* label;
        const char* caption;
        const char* field;
        const char* tag;
    };
    static constexpr int kFilterRow1 = 330, kFilterRow2 = 720, kFilterRow3 = 1110;
    void add_filter_frame();
    ui::TextBox* add_filter_parties(const FilterPartner& partner);
    ui::Label& filter_label(const char* name, const char* caption, int left, int top, int width);
    ui::TextBox* filter_field(const char* name, const char* tag, int left, int top, int width);

    // The form's own load steps, after the voucher date; and what it clears
    // before unloading hands the collection back.
    virtual void on_form_load() {}
    virtual void on_form_unload() {}

    // Leaves the collection with the owner (none: nullptr).
    void hand_over(std::shared_ptr<Collection> c) {
        if (context_.owner) context_.owner->putref_oCollection(std::move(c));
    }

    FormServices services_;
    FormContext context_;
    ui::TextBox* date_ = nullptr;
    ui::CommandButton *ok_ = nullptr, *exit_ = nullptr;
    ui::Frame* frame_ = nullptr;
    ui::TextBox *l_date_ = nullptr, *u_date_ = nullptr, *dept_ = nullptr, *person_ = nullptr;
};

}  // namespace korvane::generation

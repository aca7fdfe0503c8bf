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
    void add_date_and_buttons(const char* date_caption);

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
};

}  // namespace korvane::generation

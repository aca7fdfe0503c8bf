#include "generation/core/ref_fields.h"

#include "generation/core/module_ctl.h"
#include "generation/core/texts.h"
#include "platform/ui/form.h"
#include "platform/vb/convert.h"

namespace korvane::generation::ModuleCtl {

namespace {

const texts::RefKind* ref_kind(const std::string& tag) {
    std::string t = vb::LCase(tag);
    for (const auto& k : texts::kRefKinds)
        if (t == k.tag) return &k;
    return nullptr;
}

void focus_again(ui::TextBox& field) {
    if (field.Parent() && field.Visible() && field.Enabled()) field.Parent()->set_focus(&field);
}

}  // namespace

std::string ReferenceQuery(const FormServices& services, const std::string& tag, const std::string& text) {
    const texts::RefKind* kind = ref_kind(tag);
    if (!kind) return {};
    std::string sql = kind->pieces[0];
    for (int i = 1; i < 4 && kind->pieces[i]; ++i) sql += text + kind->pieces[i];
    std::string list = services.permission->RowAuthorityList(kind->authority, "", "");
    if (!list.empty()) sql += kind->in_clause + list + ")";
    return sql;
}

bool LookupReference(const FormServices& services, ui::TextBox& field, ui::CommandButton& button, std::string& sErr,
                     long mode) {
    try {
        if (!button.Visible()) return true;
        std::string tag = vb::LCase(field.Tag());
        if (tag == "rfdate") {
            int left = button.Left(), top = button.Top() + button.Height();
            if (const ui::Form* f = field.Parent(); f && f->Left() >= 0) {
                left += f->Left();
                top += f->Top();
            }
            if (auto day = services.calendar->pick(*services.ui, field.Text(), left, top))
                field.put_Text(vb::Format(Variant(*day), "YYYY-MM-DD"));
            focus_again(field);
            return true;
        }
        const texts::RefKind* kind = ref_kind(tag);
        if (!kind) return true;
        std::string sql = ReferenceQuery(services, tag, field.Text());
        auto picked = services.reference_list->Show(*services.ui, services.permission->GetSession(), sql, kind->table,
                                                    mode);
        if (picked && picked->State() == ado::adStateOpen) {
            std::string names, codes;
            if (picked->RecordCount() > 0) picked->MoveFirst();
            for (; !picked->Eof(); picked->MoveNext()) {
                host::BusinessItem chosen{vb::text_or_empty((*picked)(Variant(kind->code_field))),
                                          vb::text_or_empty((*picked)(Variant(kind->name_field)))};
                names += chosen.name + ",";
                codes += chosen.id + ",";
                // leaving the field finds this item by its name, not another of the same name
                if (services.business) services.business->remember_choice(kind->authority, chosen);
            }
            if (!names.empty()) {
                names.pop_back();
                codes.pop_back();
                field.put_Text(names);
                if (field.Parent() && vb::LCase(field.Parent()->Name()) == texts::kProductionForm)
                    field.put_LinkItem(codes);
            }
        }
        CloseRecordset(picked);
        focus_again(field);
        return true;
    } catch (const std::exception& e) {
        sErr = e.what();
        return false;
    }
}

bool CheckRefField(const FormServices& services, ui::TextBox& field, std::string& sErr, bool show_name) {
    auto fail = [&](std::string why) {
        focus_again(field);
        field.select(0, field.length());
        services.ui->SendKeys(texts::kSelectAllKeys);
        sErr = std::move(why);
        return false;
    };
    try {
        const std::string& text = field.Text();
        if (text.empty()) return true;
        std::string tag = vb::LCase(field.Tag());
        if (tag == "rfnull") return true;
        for (const char* free_kind : texts::kFreeKinds)
            if (tag == free_kind) return true;
        if (tag == "rfdate") return vb::IsDate(Variant(text)) ? true : fail(texts::kBadDate);
        const texts::RefKind* kind = ref_kind(tag);
        if (!kind) return true;  // a kind this library does not know is taken as typed
        auto collection = services.business->create(kind->authority);
        if (!collection) return true;
        collection->put_Login(services.permission);
        host::BusinessItem item;
        std::string error;
        // the item the field is linked to keeps its place among others of its name
        if (!collection->load(text, item, error, field.LinkItem())) return fail(error);
        field.put_Text(show_name ? item.name : item.id);
        field.put_LinkItem(item.id);
        return true;
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}

}  // namespace korvane::generation::ModuleCtl

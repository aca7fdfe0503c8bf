#include "host/positions.h"

#include "host/inventory.h"
#include "host/position_filter.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::host {

std::shared_ptr<InvPosition> InvPosition::create(std::string code, std::string name, std::string warehouse,
                                                 std::string memo) {
    auto p = std::make_shared<InvPosition>();
    p->cPosCode = std::move(code);
    p->cPosName = std::move(name);
    p->cWhCode = std::move(warehouse);
    p->cPosMemo = std::move(memo);
    return p;
}

namespace {

std::string blank_to_empty(const std::string& s) {
    return s.find_first_not_of(' ') == std::string::npos ? std::string() : s;
}

class AccountPositionService : public PositionService {
public:
    explicit AccountPositionService(std::function<ado::ConnectionPtr()> account) : account_(std::move(account)) {}

    void Insert(const ObjectPtr& o, const ado::RecordsetPtr&, const ado::RecordsetPtr&, const ado::ConnectionPtr& con,
                bool& result) override {
        run(o, con, result, [&](const InvPosition& p, const ado::ConnectionPtr& c) {
            if (!checked_fields(p, c)) return false;
            if (exists(c, p.cPosCode)) return refuse("货位编码[" + p.cPosCode + "]已存在");
            c->Execute("insert into Position (cPosCode, cPosName, cWhCode, cPosMemo) values (" + sql_quoted(p.cPosCode) +
                       ", " + sql_quoted(p.cPosName) + ", " + sql_quoted(p.cWhCode) + ", " + memo(p) + ")");
            return true;
        });
    }

    void Update(const ObjectPtr& o, const ado::RecordsetPtr&, const ado::RecordsetPtr&, const ado::ConnectionPtr& con,
                bool& result) override {
        run(o, con, result, [&](const InvPosition& p, const ado::ConnectionPtr& c) {
            if (!checked_fields(p, c)) return false;
            const std::string wh = scalar(c, "select cWhCode from Position where cPosCode = " + sql_quoted(p.cPosCode));
            if (wh.empty()) return refuse("货位[" + p.cPosCode + "]不存在");
            // stock recorded at a place may not move to another warehouse with it
            if (vb::LCase(wh) != vb::LCase(p.cWhCode) && holds_stock(c, p.cPosCode))
                return refuse("货位[" + p.cPosCode + "]尚有结存，不能改变所属仓库");
            c->Execute("update Position set cPosName = " + sql_quoted(p.cPosName) + ", cWhCode = " +
                       sql_quoted(p.cWhCode) + ", cPosMemo = " + memo(p) + " where cPosCode = " + sql_quoted(p.cPosCode));
            return true;
        });
    }

    void Delete(const ObjectPtr& o, const ado::RecordsetPtr&, const ado::RecordsetPtr&, const ado::ConnectionPtr& con,
                bool& result) override {
        run(o, con, result, [&](const InvPosition& p, const ado::ConnectionPtr& c) {
            if (!exists(c, p.cPosCode)) return refuse("货位[" + p.cPosCode + "]不存在");
            if (holds_stock(c, p.cPosCode)) return refuse("货位[" + p.cPosCode + "]尚有结存，不能删除");
            c->Execute("delete from InvPositionSum where cPosCode = " + sql_quoted(p.cPosCode));
            c->Execute("delete from Position where cPosCode = " + sql_quoted(p.cPosCode));
            return true;
        });
    }

    const std::string& reason() const override { return reason_; }

private:
    template <class Work>
    void run(const ObjectPtr& o, const ado::ConnectionPtr& con, bool& result, Work&& work) {
        auto p = std::dynamic_pointer_cast<InvPosition>(o);
        if (!p) err::raise(o ? err::kTypeMismatch : err::kObjectNotSet);
        reason_.clear();
        result = work(*p, connection(con));
    }
    bool refuse(std::string why) {
        reason_ = std::move(why);
        return false;
    }
    bool checked_fields(const InvPosition& p, const ado::ConnectionPtr& c) {
        if (blank_to_empty(p.cPosCode).empty()) return refuse("货位编码不能为空");
        if (blank_to_empty(p.cPosName).empty()) return refuse("货位名称不能为空");
        if (scalar(c, "select cWhCode from Warehouse where cWhCode = " + sql_quoted(p.cWhCode)).empty())
            return refuse("仓库[" + p.cWhCode + "]不存在");
        return true;
    }
    static std::string memo(const InvPosition& p) { return p.cPosMemo.empty() ? "null" : sql_quoted(p.cPosMemo); }
    static std::string scalar(const ado::ConnectionPtr& c, const std::string& sql) {
        auto rs = ado::Recordset::create();
        rs->Open(sql, c, ado::adOpenStatic, ado::adLockReadOnly);
        return rs->Eof() ? std::string() : vb::text_or_empty((*rs)(Variant(0L)));
    }
    static bool exists(const ado::ConnectionPtr& c, const std::string& code) {
        return !scalar(c, "select cPosCode from Position where cPosCode = " + sql_quoted(code)).empty();
    }
    static bool holds_stock(const ado::ConnectionPtr& c, const std::string& code) {
        return !scalar(c, "select cPosCode from InvPositionSum where cPosCode = " + sql_quoted(code) +
                              " and iQuantity <> 0")
                    .empty();
    }
    // The caller's open connection, else the account's.
    ado::ConnectionPtr connection(const ado::ConnectionPtr& given) {
        if (given && given->State() == ado::adStateOpen) return given;
        auto c = account_ ? account_() : nullptr;
        if (!c) err::raise(err::kObjectNotSet);
        return c;
    }

    std::function<ado::ConnectionPtr()> account_;
    std::string reason_;
};

class AccountFilterService : public FilterService {
public:
    explicit AccountFilterService(ui::UiHost& ui) : ui_(ui) {}
    std::int32_t OpenFilter(const std::string& filter_name, const std::string&, const ado::ConnectionPtr&) override {
        frmPositionFilter dialog(ui_, filter_name);
        dialog.Show(ui::vbModal);
        if (dialog.loaded()) dialog.Unload();
        if (!dialog.confirmed()) return 0;
        condition_ = std::make_shared<FilterCondition>();
        condition_->ConditionText = dialog.condition();
        return 1;
    }
    FilterConditionPtr GetCondition() override { return condition_; }
    void Close() override { condition_.reset(); }

private:
    ui::UiHost& ui_;
    FilterConditionPtr condition_;
};

class AccountVoucherListService : public VoucherListService,
                                  public std::enable_shared_from_this<AccountVoucherListService> {
public:
    void put_ShowTotal(bool on) override { show_total_ = on; }
    void Init(const std::string& subsystem, const std::string& position_key, const ado::ConnectionPtr& con,
              std::shared_ptr<ui::Form>& form, std::string& list_key, std::string& caption,
              std::int32_t& columns) override {
        if (!con) err::raise(err::kObjectNotSet);
        con_ = con;
        list_key = subsystem + "_BatchPosition" + (position_key.empty() ? "" : "_" + position_key);
        caption = "批量货位";
        columns = kColumns;
        if (!form) return;
        form->put_Caption(caption);
        if (auto* list = voucher_list_of(*form)) bind(*list);
    }
    void put_Condition(std::string where) override { where_ = std::move(where); }
    void bind(VoucherListControl& list) override {
        std::weak_ptr<AccountVoucherListService> self = shared_from_this();
        list.loader = [self](VoucherListControl& l) {
            if (auto s = self.lock()) s->fill(l);
        };
    }

private:
    static constexpr std::int32_t kColumns = 7;

    void fill(VoucherListControl& list) {
        if (!con_) err::raise(err::kObjectNotSet);
        auto rs = ado::Recordset::create();
        rs->Open(position_list_sql(where_), con_, ado::adOpenStatic, ado::adLockReadOnly);
        const long fields = rs->Fields().Count();
        list.put_Redraw(false);
        list.put_Rows(1);
        list.put_FixedRows(1);
        list.put_Cols(fields);
        for (long f = 0; f < fields; ++f) list.put_TextMatrix(0, f, rs->Fields().Item(Variant(f)).Name());
        double kinds = 0, quantity = 0;
        for (; !rs->Eof(); rs->MoveNext()) {
            std::string line;
            for (long f = 0; f < fields; ++f) {
                const Variant& v = (*rs)(Variant(f));
                if (f) line += '\t';
                line += f == kQuantity ? vb::Format(Variant(v.is_null() ? 0.0 : vb::CDbl(v)), "0.00") : vb::text_or_empty(v);
            }
            kinds += vb::CDbl((*rs)(Variant(kKinds)));
            const Variant& q = (*rs)(Variant(kQuantity));
            if (!q.is_null()) quantity += vb::CDbl(q);
            list.AddItem(line);
        }
        if (show_total_) {
            list.AddItem("合计\t\t\t\t" + vb::Format(Variant(kinds), "0") + "\t" + vb::Format(Variant(quantity), "0.00"));
            for (long f = 0; f < fields; ++f) list.put_CellBackColor(list.Rows() - 1, f, ui::kGrey);
        }
        const int widths[] = {900, 1400, 1100, 1800, 900, 1200, 1800};
        for (long f = 0; f < fields && f < kColumns; ++f) list.put_ColWidth(f, widths[f]);
        list.put_ColAlignment(kKinds, ui::Alignment::Right);
        list.put_ColAlignment(kQuantity, ui::Alignment::Right);
        list.put_Editable(false);
        list.put_Redraw(true);
    }

    static constexpr long kKinds = 4, kQuantity = 5;
    bool show_total_ = false;
    ado::ConnectionPtr con_;
    std::string where_;
};

}  // namespace

PositionServicePtr account_position_service(std::function<ado::ConnectionPtr()> account) {
    return std::make_shared<AccountPositionService>(std::move(account));
}

PositionServicePtr account_position_service(const std::string& connection_string) {
    auto own = std::make_shared<ado::ConnectionPtr>();
    return account_position_service([own, connection_string] {
        if (!*own) {
            auto c = ado::Connection::create();
            c->Open(connection_string);
            *own = c;
        }
        return *own;
    });
}

FilterServicePtr account_filter_service(ui::UiHost& ui) { return std::make_shared<AccountFilterService>(ui); }

VoucherListServicePtr account_voucher_list_service() { return std::make_shared<AccountVoucherListService>(); }

void VoucherListControl::Load() {
    if (loader) loader(*this);
}

VoucherListControl* voucher_list_of(ui::Form& form) {
    for (const auto& c : form.controls())
        if (auto* list = dynamic_cast<VoucherListControl*>(c.get())) return list;
    return nullptr;
}

std::string position_list_sql(const std::string& where) {
    std::string sql =
        "select Position.cWhCode as 仓库编码, Warehouse.cWhName as 仓库名称, Position.cPosCode as 货位编码, "
        "Position.cPosName as 货位名称, "
        "(select count(distinct s.cInvCode) from InvPositionSum s where s.cPosCode = Position.cPosCode and s.iQuantity <> 0) as 存货种数, "
        "(select sum(s.iQuantity) from InvPositionSum s where s.cPosCode = Position.cPosCode) as 结存数量, "
        "Position.cPosMemo as 备注 "
        "from Position left join Warehouse on Warehouse.cWhCode = Position.cWhCode";
    if (where.find_first_not_of(' ') != std::string::npos) sql += " where " + where;
    return sql + " order by Position.cWhCode, Position.cPosCode";
}

}  // namespace korvane::host

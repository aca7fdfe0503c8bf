#include "host/calendar.h"

#include <cmath>

#include "platform/vb/convert.h"

namespace korvane::host {

namespace {

constexpr const char* kWeekdays[] = {"日", "一", "二", "三", "四", "五", "六"};
const std::uint32_t kChosenColor = ui::RGB(204, 228, 247);

int days_in_month(int year, int month) {
    double first = vb::date_serial(year, month, 1);
    double next = month == 12 ? vb::date_serial(year + 1, 1, 1) : vb::date_serial(year, month + 1, 1);
    return static_cast<int>(next - first);
}

// 0 for Sunday; OLE day 1 (1899-12-31) was a Sunday.
int weekday(double ole) {
    long d = static_cast<long>(std::floor(ole));
    return static_cast<int>(((d - 1) % 7 + 7) % 7);
}

}  // namespace

CalendarForm::CalendarForm(ui::UiHost& host, double start_ole) : ui::Form(kFormName, host) {
    put_Caption("日历");
    resize(4200, 4300);
    auto& prev = add<ui::CommandButton>("cmdPrev");
    prev.put_Caption("<");
    prev.Move(120, 120, 450, 360);
    prev.on_click = [this] { previous_month(); };
    title_ = &add<ui::Label>("lblMonth");
    title_->Move(700, 180, 2800, 300);
    auto& next = add<ui::CommandButton>("cmdNext");
    next.put_Caption(">");
    next.Move(3630, 120, 450, 360);
    next.on_click = [this] { next_month(); };
    days_ = &add<ui::Grid>("grdDays");
    days_->Move(120, 600, 3960, 2760);
    days_->put_Editable(false);
    days_->put_Cols(7);
    days_->put_Rows(7);
    for (long c = 0; c < 7; ++c) {
        days_->put_TextMatrix(0, c, kWeekdays[c]);
        days_->put_ColWidth(c, 560);
        days_->put_ColAlignment(c, ui::Alignment::Center);
    }
    days_->on_click = [this] { click_day(days_->Row(), days_->Col()); };
    days_->on_dbl_click = [this] {
        click_day(days_->Row(), days_->Col());
        confirm();
    };
    auto& today = add<ui::CommandButton>("cmdToday");
    today.put_Caption("今天(&T)");
    today.Move(120, 3500, 1200, 390);
    today.on_click = [this] { choose(vb::today_ole()); };
    auto& ok = add<ui::CommandButton>("cmdOK");
    ok.put_Caption("确定(&O)");
    ok.Move(1560, 3500, 1200, 390);
    ok.on_click = [this] { confirm(); };
    auto& cancel_button = add<ui::CommandButton>("cmdCancel");
    cancel_button.put_Caption("取消(&C)");
    cancel_button.Move(2880, 3500, 1200, 390);
    cancel_button.on_click = [this] { cancel(); };
    choose(start_ole);
}

void CalendarForm::show_month(int year, int month) {
    year_ = year;
    month_ = month;
    render();
}

void CalendarForm::previous_month() { month_ == 1 ? show_month(year_ - 1, 12) : show_month(year_, month_ - 1); }
void CalendarForm::next_month() { month_ == 12 ? show_month(year_ + 1, 1) : show_month(year_, month_ + 1); }

void CalendarForm::choose(double ole) {
    chosen_ = std::floor(ole);
    auto d = vb::civil_from_ole(chosen_);
    show_month(d.year, d.month);
}

void CalendarForm::render() {
    title_->put_Caption(std::to_string(year_) + "年" + std::to_string(month_) + "月");
    double first = vb::date_serial(year_, month_, 1);
    int offset = weekday(first), count = days_in_month(year_, month_);
    days_->put_Redraw(false);
    for (long cell = 0; cell < 42; ++cell) {
        long r = cell / 7 + 1, c = cell % 7;
        long day = cell - offset + 1;
        bool in_month = day >= 1 && day <= count;
        days_->put_TextMatrix(r, c, in_month ? std::to_string(day) : std::string());
        days_->put_CellBackColor(r, c, in_month && first + static_cast<double>(day - 1) == chosen_ ? kChosenColor : ui::kWhite);
    }
    days_->put_Redraw(true);
}

void CalendarForm::click_day(long row, long col) {
    if (row < 1 || row > 6 || col < 0 || col > 6) return;
    const std::string text(days_->TextMatrix(row, col));
    if (text.empty()) return;
    chosen_ = vb::date_serial(year_, month_, std::stoi(text));
    render();
}

void CalendarForm::confirm() {
    result_ = vb::format_date(chosen_);
    Unload();
}

void CalendarForm::cancel() {
    result_.reset();
    Unload();
}

namespace {

class AccountCalendar : public Calendar {
public:
    std::optional<std::string> pick(ui::UiHost& host, const std::string& text, int left, int top) override {
        auto start = vb::parse_date(text);
        CalendarForm form(host, start ? *start : vb::today_ole());
        form.put_position(left, top);
        form.Show(ui::vbModal);
        if (form.loaded()) form.Unload();
        return form.result();
    }
};

}  // namespace

std::shared_ptr<Calendar> account_calendar() { return std::make_shared<AccountCalendar>(); }

}  // namespace korvane::host

// The host's calendar: a month view from which the user picks a day.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/form.h"
#include "platform/ui/grid.h"

namespace korvane::host {

class Calendar {
public:
    virtual ~Calendar() = default;
    // Opens at the date in `text` (today when it is no date), placed at
    // left/top in twips; the chosen date as "YYYY-MM-DD", nothing when cancelled.
    virtual std::optional<std::string> pick(ui::UiHost& host, const std::string& text, int left, int top) = 0;
};

// Row 0 of the day grid names the weekdays (Sunday first); rows 1 to 6
// hold the weeks of the month shown, days of the neighbouring months empty.
class CalendarForm : public ui::Form {
public:
    static constexpr const char* kFormName = "frmCalendar";
    CalendarForm(ui::UiHost& host, double start_ole);

    ui::Grid& days() { return *days_; }
    int year() const { return year_; }
    int month() const { return month_; }
    // The chosen day, as an OLE date.
    double chosen() const { return chosen_; }

    // User actions.
    void show_month(int year, int month);
    void previous_month();
    void next_month();
    void choose(double ole);             // moves to its month
    void click_day(long row, long col);  // an empty cell does nothing
    void confirm();
    void cancel();
    std::optional<std::string> result() const { return result_; }

private:
    void render();

    int year_ = 2000, month_ = 1;
    double chosen_ = 0;
    std::optional<std::string> result_;
    ui::Grid* days_;
    ui::Label* title_;
};

std::shared_ptr<Calendar> account_calendar();

}  // namespace korvane::host

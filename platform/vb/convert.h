// VB's conversion and text functions, as the forms and services use them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/vb/variant.h"

namespace korvane::vb {

// CStr: Null raises 94; Empty gives ""; Boolean gives "True"/"False"; numbers
// in VB's shortest form (up to 15 significant digits, plain decimals from
// 1E-11 up, "1E+15" and "1E-12" style beyond; Currency exact to four
// decimals); dates as "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" when there is a
// time. A date outside 100-01-01 to 9999-12-31 or an infinite number raises 6.
std::string CStr(const Variant& v);
// Room for any text CStr gives a number, a Boolean or a date.
using TextBuffer = std::array<char, 40>;
// CStr of a number, Boolean or Date written into buf, for loops that must not
// allocate; raises as CStr does. Empty for every other kind.
std::string_view scalar_text(const Variant& v, TextBuffer& buf);
// CStr with Null (and Empty) as "": how lists and grids show a missing value.
std::string text_or_empty(const Variant& v);
// CDbl/CLng/CBool: strings must be numeric (after removing "," separators
// for CDbl), else 13; Null raises 94; Empty is 0. CLng rounds half to even
// as VB does and raises 6 outside the 32-bit range.
double CDbl(const Variant& v);
std::int32_t CLng(const Variant& v);
bool CBool(const Variant& v);
// CDate: a Date, or a text IsDate accepts; else 13. A number outside the
// date range raises 6.
double CDate(const Variant& v);

// Val: the leading number of a text ("12abc" gives 12, "abc" gives 0), blanks skipped.
double Val(std::string_view s);
double Val(const Variant& v);
inline double Val(const char* s) { return Val(std::string_view(s)); }
inline double Val(const std::string& s) { return Val(std::string_view(s)); }
bool IsNumeric(const Variant& v);
// Year-month-day with "-" or "/" and a valid calendar date, optionally
// followed by a time "HH:MM[:SS]"; a Date value is a date.
bool IsDate(const Variant& v);
inline bool IsNull(const Variant& v) { return v.is_null(); }
inline bool IsEmpty(const Variant& v) { return v.is_empty(); }

// VB Like, Option Compare Binary: * ? # [abc] [a-z] [!x]; characters are
// whole UTF-8 code points.
bool Like(std::string_view text, std::string_view pattern);

std::string UCase(std::string_view s);  // ASCII letters only: codes and keys are ASCII
std::string LCase(std::string_view s);
std::string Trim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);

// Format: number patterns "0", "#", "##0.", "##0.00…", "#,##0.00" (digits
// rounded half away from zero on the decimal value); date patterns
// "YYYY-MM-DD", "yyyy-mm-dd", "YYYY-MM-DD HH:MM:SS". Null gives "",
// a non-numeric text is returned unchanged; a value too large to show (an
// infinite one, or 1E+307 as a percentage) or a date outside the range raises 6.
std::string Format(const Variant& v, std::string_view pattern);
// The n-decimals pattern the options use: "##0." followed by n zeros ("##0" for 0).
std::string decimals_pattern(int n);
// Format(d, decimals_pattern(decimals)) written into buf, byte for byte the
// same, for lists that format many amounts. Nothing for decimals outside
// 0..9, for a value of more than 19 digits and for NaN and infinities:
// Format decides those.
std::optional<std::string_view> fixed_text(double d, int decimals, TextBuffer& buf);

// Dates as OLE days since 1899-12-30.
struct CivilDate {
    int year, month, day;
    int hour = 0, minute = 0, second = 0;
};
std::optional<double> parse_date(std::string_view text);
// Months and days carry over as in VB; a result outside the date range raises 6.
double date_serial(int year, int month, int day);
CivilDate civil_from_ole(double ole);  // raises 6 outside the date range
std::string format_date(double ole);  // "YYYY-MM-DD"
double now_ole();                     // local time now
double today_ole();

// Columns a text takes on a screen or a printed table: a character of three
// or more UTF-8 bytes (CJK) two, others one.
int display_width(std::string_view s);

}  // namespace korvane::vb

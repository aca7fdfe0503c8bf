// The shared form procedures' own texts, byte for byte.
#pragma once

namespace korvane::generation::texts {

inline constexpr const char* kBadDate = "日期格式不正确，必须按格式YYYY-MM-DD输入";
inline constexpr const char* kDateTitle = "提示";
inline constexpr int kCalendarPicture = 1108;
inline constexpr int kReferencePicture = 219;
inline constexpr const char* kAppearanceKey = "SOFTWARE\\Tarnell\\WF\\V8.520\\Appearance";
inline constexpr const char* kToolbarStyle = "Toolbar Style";
inline constexpr const char* kKcglKey = "SOFTWARE\\Tarnell\\WF\\V8.520\\KCGL";
// Characters a code field never takes: each would break the SQL built from it.
inline constexpr const char* kRefusedKeys = "|~[]'@\"<&";

}  // namespace korvane::generation::texts

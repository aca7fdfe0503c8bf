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

// The reference kinds that are accepted as typed, in lower case.
inline constexpr const char* kFreeKinds[] = {"rfinvclass", "rfinvstd", "rfbatch", "rfposition", "rfuserdefine"};
inline constexpr const char* kProductionForm = "frmproduceorder";
inline constexpr const char* kSelectAllKeys = "{HOME}+{END}";

// The reference list of each data kind: the query around the typed text T
// (head + T + middle + T + ... + tail), the authority IN clause and the
// fields joined into the field's text and link.
struct RefKind {
    const char* tag;        // the field's Tag in lower case
    const char* authority;  // RowAuthorityList's kind
    const char* table;      // handed to the reference list
    const char* pieces[4];  // the query's pieces around T (unused ones null)
    const char* in_clause;  // " AND <column> IN("
    const char* name_field;
    const char* code_field;
};

inline constexpr RefKind kRefKinds[] = {
    {"rfinventory", "inventory", "Inventory",
     {"SELECT * FROM Inventory WHERE (cInvCode LIKE '%", "%'" " OR cInvAddCode LIKE '%", "%'" " OR cInvName LIKE '%",
      "%')"},
     " AND iID IN(", "cInvName", "cInvCode"},
    {"rfwarehouse", "warehouse", "Warehouse",
     {"SELECT * FROM Warehouse WHERE (cWhCode LIKE '%", "%'" " OR cWhName LIKE '%", "%')", nullptr},
     " AND cWhCode IN(", "cWhName", "cWhCode"},
    {"rfcustomer", "customer", "Customer",
     {"SELECT * FROM Customer WHERE (cCusCode LIKE '%", "%'" " OR cCusName LIKE '%", "%')", nullptr},
     " AND cCusCode IN(", "cCusName", "cCusCode"},
    {"rfdepartment", "department", "department",
     {"SELECT * FROM department WHERE bdepend = 1 AND (cDepcode LIKE '%", "%'" " OR cDepName LIKE '%", "%')", nullptr},
     " AND cDepcode IN(", "cDepName", "cDepCode"},
    {"rfperson", "person", "Person",
     {"SELECT * FROM Person WHERE (cPersoncode LIKE '%", "%'" " OR cPersonName LIKE '%", "%')", nullptr},
     " AND cPersoncode IN(", "cPersonName", "cPersonCode"},
    {"rfvendor", "vendor", "Vendor",
     {"SELECT * FROM Vendor WHERE (cVencode LIKE '%", "%'" " OR cVenName LIKE '%", "%')", nullptr},
     " AND cVencode IN(", "cVenName", "cVenCode"},
};

}  // namespace korvane::generation::texts

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

// The line written back after an edit: what refuses it.
inline constexpr const char* kNoLine = "没有可回写的表体行！";
inline constexpr const char* kUnknownUnitHead = "计量单位[";
inline constexpr const char* kUnknownFreeHead = "自由项[";
inline constexpr const char* kUnknownTail = "]不存在！";

// An issue line handed over with the other sign than its dispatch line.
inline constexpr const char* kIssueSignHead = "本次出库数量/件数不能为";

// The warehouse of a line or of the whole receipt.
inline constexpr const char* kSystemTitle = "系统提示";
inline constexpr const char* kBadWarehouse = "仓库不合法！";
inline constexpr const char* kNotRegisteredHead = "[";
inline constexpr const char* kNotRegisteredTail = "]在仓库存货对照表中不存在！是否继续？";
inline constexpr const char* kNoBodyRows = "表体没有数据!";
inline constexpr const char* kWarehouseSqlHead = "SELECT * FROM Warehouse WHERE (cWhCode LIKE '%";
inline constexpr const char* kWarehouseSqlMiddle = "%'" " OR cWhName LIKE '%";
inline constexpr const char* kWarehouseSqlTail = "%')";
inline constexpr const char* kWarehouseSqlIn = " AND cWhCode IN(";
inline constexpr const char* kWarehouseSqlAll = "SELECT * FROM Warehouse";
inline constexpr const char* kWarehouseTable = "Warehouse";

// The unit and free-item lists of a line's cell.
inline constexpr const char* kUnitCaptions = "计量单位编码,计量单位名称,对应条形码中的编码,主计量单位标志,换算率,数量,合理浮动比例";
inline constexpr const char* kFreeCaptions = "代码,值,条码";
inline constexpr const char* kLikeHead = " like '%";
inline constexpr const char* kLikeTail = "%'";

}  // namespace korvane::generation::texts

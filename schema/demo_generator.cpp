#include "schema/demo_generator.h"
#include "schema/demo_purchase.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/vb/error.h"
#include "schema/account_schema.h"

namespace korvane::schema {

namespace {

// splitmix64: the same numbers on every platform and library, unlike the
// standard distributions.
struct Random {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    long below(long n) { return n <= 0 ? 0 : static_cast<long>(next() % static_cast<std::uint64_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <class T, std::size_t N>
    const T& pick(const T (&a)[N]) { return a[below(N)]; }
};

// The generator's only way to the file: the ADO layer, one prepared insert per
// table run again for every row, all in one transaction.
using Insert = ado::PreparedCommand;

class Db {
public:
    explicit Db(const std::string& path) {
        account_.Open(account_connection_string(path));
        // A failed run removes the file, so nothing has to reach the disk
        // before the commit.
        account_.Execute("PRAGMA synchronous=OFF; PRAGMA cache_size=-65536");
        account_.BeginTrans();
    }
    void exec(const char* sql) { account_.Execute(sql); }
    Insert* prepare(const char* sql) {
        statements_.push_back(std::make_unique<Insert>(account_, sql));
        return statements_.back().get();
    }
    void run(Insert* s) { s->Execute(); }
    void commit() { account_.CommitTrans(); }

private:
    ado::Connection account_;
    std::vector<std::unique_ptr<Insert>> statements_;  // closed before the connection
};

void text(Insert* s, int i, std::string_view v) { s->set(i, Variant(v)); }
void num(Insert* s, int i, double v) { s->set(i, Variant(v)); }
void integer(Insert* s, int i, long long v) { s->set(i, Variant(v)); }

std::string code(long n, int width) {
    char b[32];
    std::snprintf(b, sizeof b, "%0*ld", width, n);
    return b;
}

// Day n after 2023-01-01 as 'YYYY-MM-DD'.
std::string day(long n) {
    static const int kMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int y = 2023, m = 0;
    for (;;) {
        bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        int len = kMonth[m] + (m == 1 && leap ? 1 : 0);
        if (n < len) break;
        n -= len;
        if (++m == 12) m = 0, ++y;
    }
    char b[48];
    std::snprintf(b, sizeof b, "%04d-%02d-%02ld", y, m + 1, n + 1);
    return b;
}

const char* kWarehouses[] = {"原料仓", "成品仓", "半成品仓", "五金仓", "包装材料仓", "辅料仓", "备件仓", "退货仓"};
const char* kClasses[] = {"原材料", "半成品", "产成品", "包装物", "辅助材料", "备品备件"};
const char* kSubClasses[] = {"金属件", "塑胶件", "电子料", "化工料", "标准件", "组件"};
const char* kLeafClasses[] = {"一类", "二类", "三类", "四类"};
const char* kMaterials[] = {"不锈钢", "碳钢", "铝合金", "铜", "尼龙", "ABS", "镀锌", "黄铜"};
const char* kItems[] = {"螺栓", "螺母", "垫片", "电机外壳", "轴承", "法兰", "齿轮", "弹簧", "支架", "端盖", "线束", "纸箱"};
const char* kSpecs[] = {"M8×30", "M10×40", "M6×20", "Φ25", "200×150", "6205-2RS", "DN50", "1.5mm", "A型", "B型"};
const char* kCities[] = {"上海", "北京", "深圳", "苏州", "杭州", "宁波", "天津", "成都", "武汉", "青岛"};
const char* kTrades[] = {"精密机械", "五金制品", "电子科技", "包装材料", "贸易", "模具", "化工", "物流"};
const char* kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄", "周", "吴", "徐", "孙"};
const char* kGiven[] = {"伟", "芳", "娜", "敏", "静", "强", "磊", "军", "洋", "勇", "艳", "杰", "涛", "明"};
const char* kDepartments[] = {"采购部", "销售部", "仓储部", "生产部", "质检部", "财务部", "一车间", "二车间"};
const char* kColours[] = {"红", "蓝", "白", "黑", "灰"};
const char* kGrades[] = {"优等", "一等", "合格"};

const char* kDemoRights[] = {"ST0118", "ST0101", "ST0102", "ST0201", "ST0301", "ST0401", "PU0101", "SA0101"};

// Member names of the options objects, values as the host stores them.
const std::pair<const char*, const char*> kDemoOptions[] = {
    {"QuanDecDgt", "2"},         {"NumDecDgt", "2"},       {"ExchRateDecDgt", "4"},
    {"InOutTrace", "先进先出"},  {"BatchOut", "近效期先出"}, {"SysVersion", "工业"},
    {"OverOrder", "False"},      {"OverDispOut", "True"},  {"CheckWareInv", "True"},
    {"ShowStockFilter", "True"},
};

struct Item {
    std::string code;
    bool batch, quality, colour, grade;
    double rate;  // quantity per piece, 0 for a single-unit inventory
    int mass_days;
    double out_excess;  // fOutExcess, 0 for none
};

// Storage places in the raw-material and hardware warehouses: areas A to C,
// six shelves each. The stock of those warehouses lies on the first sixteen
// places of its warehouse; the last two stay empty.
void fill_positions(Db& db) {
    auto pos = db.prepare("insert into Position (cPosCode, cPosName, cWhCode, cPosMemo) values (?,?,?,?)");
    for (const char* wh : {"01", "04"})
        for (char area : {'A', 'B', 'C'})
            for (int shelf = 1; shelf <= 6; ++shelf) {
                text(pos, 1, std::string(wh) + area + code(shelf, 2));
                text(pos, 2, std::string(1, area) + "区" + std::to_string(shelf) + "号货架");
                text(pos, 3, wh);
                text(pos, 4, shelf == 1 ? "靠近出入口" : "");
                db.run(pos);
            }
    db.exec("insert into InvPositionSum (cWhCode, cPosCode, cInvCode, cBatch, iQuantity, iNum) "
            "select s.cWhCode, s.cWhCode || substr('ABC', (s.AutoID % 16) / 6 + 1, 1) || "
            "printf('%02d', (s.AutoID % 16) % 6 + 1), s.cInvCode, s.cBatch, s.iQuantity, s.iNum "
            "from CurrentStock s where s.cWhCode in ('01', '04') and s.iQuantity > 0");
}

}  // namespace

static void fill(const DemoOptions& o) {
    Db db(o.path);
    Random rnd{0x5EED0000ull + o.seed};
    auto started = std::chrono::steady_clock::now();
    auto last_report = started;
    auto report = [&](const std::string& line, bool force = false) {
        if (!o.progress) return;
        auto now = std::chrono::steady_clock::now();
        if (now - started < std::chrono::seconds(1) && !force) return;
        if (!force && now - last_report < std::chrono::milliseconds(250)) return;
        last_report = now;
        o.progress(line);
    };

    // Organisation: departments, persons, warehouses, partners.
    auto dep = db.prepare("insert into Department (cDepCode, cDepName, iDepGrade, bDepEnd) values (?,?,?,?)");
    for (int i = 0; i < 8; ++i) {
        text(dep, 1, code(i + 1, 2));
        text(dep, 2, kDepartments[i]);
        integer(dep, 3, 1);
        integer(dep, 4, 1);
        db.run(dep);
    }
    auto person = db.prepare("insert into Person (cPersonCode, cPersonName, cDepCode) values (?,?,?)");
    std::vector<std::string> person_names;
    for (int i = 0; i < 30; ++i) {
        text(person, 1, "P" + code(i + 1, 3));
        person_names.push_back(std::string(rnd.pick(kSurnames)) + rnd.pick(kGiven) +
                               (rnd.chance(50) ? rnd.pick(kGiven) : ""));
        text(person, 2, person_names.back());
        text(person, 3, code(rnd.below(8) + 1, 2));
        db.run(person);
    }
    auto wh = db.prepare("insert into Warehouse (cWhCode, cWhName, cDepCode, cWhAddress, bWhPos) values (?,?,?,?,?)");
    for (int i = 0; i < 8; ++i) {
        text(wh, 1, code(i + 1, 2));
        text(wh, 2, kWarehouses[i]);
        text(wh, 3, "03");
        text(wh, 4, std::string(rnd.pick(kCities)) + "市工业园区" + std::to_string(i + 1) + "号库");
        integer(wh, 5, i == 3 ? 1 : 0);
        db.run(wh);
    }
    // Returns the short names, which the purchase heads carry beside the codes.
    auto partner = [&](const char* table, const char* prefix, int count) {
        std::string sql = std::string("insert into ") + table + " values (?,?,?" +
                          (std::string(table) == "Customer" ? ",?,?)" : ")");
        auto st = db.prepare(sql.c_str());
        std::vector<std::string> short_names;
        for (int i = 0; i < count; ++i) {
            std::string city = rnd.pick(kCities), trade = rnd.pick(kTrades);
            text(st, 1, prefix + code(i + 1, 4));
            text(st, 2, city + std::string(rnd.pick(kSurnames)) + "氏" + trade + "有限公司");
            text(st, 3, city + trade);
            short_names.push_back(city + trade);
            if (std::string(table) == "Customer") {
                text(st, 4, "02");
                text(st, 5, "P" + code(rnd.below(30) + 1, 3));
            }
            db.run(st);
        }
        return short_names;
    };
    partner("Customer", "C", 50);
    const std::vector<std::string> vendor_names = partner("Vendor", "V", 40);

    auto unit = db.prepare("insert into ComputationUnit values (?,?,?,?,?)");
    const char* units[][4] = {{"01", "个", "G1", "1"}, {"02", "箱", "G1", "24"}, {"03", "千克", "G2", "1"},
                              {"04", "袋", "G2", "25"}, {"05", "米", "G3", "1"}, {"06", "卷", "G3", "100"}};
    for (auto& u : units) {
        text(unit, 1, u[0]);
        text(unit, 2, u[1]);
        text(unit, 3, u[2]);
        num(unit, 4, std::stod(u[3]));
        integer(unit, 5, std::string(u[3]) == "1" ? 1 : 0);
        db.run(unit);
    }

    // Inventory classes in a 2-2-3 coding rule.
    auto cls = db.prepare("insert into InventoryClass values (?,?,?,?,?)");
    // Only the third grade ends the tree; its classes carry an E-code.
    auto add_class = [&](const std::string& c, const std::string& name, int grade) {
        text(cls, 1, c);
        text(cls, 2, name);
        integer(cls, 3, grade);
        integer(cls, 4, grade == 3 ? 1 : 0);
        text(cls, 5, grade == 3 ? "E" + c : "");
        db.run(cls);
    };
    std::vector<std::string> leaves;
    for (int a = 0; a < 6; ++a) {
        std::string c1 = code(a + 1, 2);
        add_class(c1, kClasses[a], 1);
        for (int b = 0; b < 3; ++b) {
            std::string c2 = c1 + code(b + 1, 2);
            add_class(c2, std::string(kClasses[a]) + kSubClasses[(a + b) % 6], 2);
            for (int c = 0; c < 4; ++c) {
                std::string c3 = c2 + code(c + 1, 3);
                add_class(c3, std::string(kSubClasses[(a + b) % 6]) + kLeafClasses[c], 3);
                leaves.push_back(c3);
            }
        }
    }

    // Inventories: enough that each has at most seven stock rows.
    long item_count = std::max<long>(20, (o.rows + 5) / 6);
    auto inv = db.prepare(
        "insert into Inventory (cInvCode, cInvName, cInvStd, cInvCCode, cComUnitCode, cAssComUnitCode, iGroupType, "
        "iChangRate, bFree1, bFree3, bInvBatch, bInvQuality, iMassDate, cMassUnit, iInvSPrice, dSDate, iId, "
        "bInvEntrust, fInExcess, fOutExcess) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    std::vector<Item> items;
    items.reserve(item_count);
    for (long i = 0; i < item_count; ++i) {
        Item it;
        const std::string& leaf = leaves[rnd.below(static_cast<long>(leaves.size()))];
        it.code = leaf + code(i + 1, 6);
        it.batch = rnd.chance(60);
        it.quality = it.batch && rnd.chance(40);
        it.colour = rnd.chance(15);
        it.grade = rnd.chance(10);
        int kind = static_cast<int>(rnd.below(3));  // 0 single unit, 1 fixed rate, 2 floating rate
        int unit_pair = static_cast<int>(rnd.below(3));
        it.rate = kind == 0 ? 0 : std::stod(units[unit_pair * 2 + 1][3]);
        it.mass_days = it.quality ? static_cast<int>(90 + rnd.below(640)) : 0;
        it.out_excess = (i + 1) % 4 == 0 ? 0.05 : 0;
        text(inv, 1, it.code);
        text(inv, 2, std::string(rnd.pick(kMaterials)) + rnd.pick(kItems));
        text(inv, 3, rnd.pick(kSpecs));
        text(inv, 4, leaf);
        text(inv, 5, units[unit_pair * 2][0]);
        if (kind) text(inv, 6, units[unit_pair * 2 + 1][0]);
        integer(inv, 7, kind);
        if (kind) num(inv, 8, it.rate);
        integer(inv, 9, it.colour);
        integer(inv, 10, it.grade);
        integer(inv, 11, it.batch);
        integer(inv, 12, it.quality);
        if (it.quality) {
            integer(inv, 13, it.mass_days);
            integer(inv, 14, 3);
        }
        num(inv, 15, 1 + rnd.below(50000) / 100.0);
        text(inv, 16, day(rnd.below(365)));
        integer(inv, 17, i + 1);
        integer(inv, 18, rnd.chance(5));
        if ((i + 1) % 5 == 0) num(inv, 19, 0.1);
        if (it.out_excess > 0) num(inv, 20, it.out_excess);
        db.run(inv);
        items.push_back(std::move(it));
    }

    // Whole hundredths of a piece, cut towards zero; the nudge keeps 929 / 100
    // from coming out as 9.28.
    auto pieces_of = [](const Item& it, double q) {
        if (it.rate <= 0) return 0.0;
        double x = q * 100 / it.rate;
        return (x < 0 ? std::ceil(x - 1e-7) : std::floor(x + 1e-7)) / 100;
    };
    auto batch_of = [](long made, long k) { return "B" + day(made).substr(0, 4) + day(made).substr(5, 2) + day(made).substr(8, 2) + "-" + code(k + 1, 2); };

    // Current stock: row r is the k-th row of inventory r % items, each in
    // another warehouse, so no two rows share a key.
    auto stock = db.prepare(
        "insert into CurrentStock (AutoID, cWhCode, cInvCode, cBatch, cFree1, cFree3, iQuantity, iNum, fInQuantity, "
        "dVDate, dMdate, iMassDate, cMassUnit) values (?,?,?,?,?,?,?,?,?,?,?,?,?)");
    for (long r = 0; r < o.rows; ++r) {
        const Item& it = items[r % item_count];
        long k = r / item_count;
        long made = rnd.below(600);
        double q = double(1 + rnd.below(5000)) / (rnd.chance(30) ? 4.0 : 1.0);
        integer(stock, 1, r + 1);
        // Batch items keep three batches to a warehouse, so a line has several
        // rows to allocate over; other items one row per warehouse, their key
        // having no batch to tell rows apart.
        text(stock, 2, code((r % item_count + (it.batch ? k / 3 : k)) % 8 + 1, 2));
        text(stock, 3, it.code);
        text(stock, 4, it.batch ? batch_of(made, k) : std::string());
        text(stock, 5, it.colour ? rnd.pick(kColours) : "");
        text(stock, 6, it.grade ? rnd.pick(kGrades) : "");
        num(stock, 7, q);
        num(stock, 8, pieces_of(it, q));
        num(stock, 9, q + double(rnd.below(1000)));
        if (it.quality) {
            // Batches of one warehouse come from different makers with shorter
            // or longer shelf lives, so the oldest batch is not always the
            // first to expire.
            long mass = it.mass_days - (k % 3) * it.mass_days / 4;
            text(stock, 10, day(made + mass));
            integer(stock, 12, mass);
            integer(stock, 13, 3);
        }
        if (it.batch) text(stock, 11, day(made));
        db.run(stock);
        if (r % 4096 == 0) report("init-demo: " + std::to_string(r) + "/" + std::to_string(o.rows) + " current-stock rows");
    }

    // Receipts: heads of ten lines, about half as many lines as stock rows;
    // some lines partly issued, a few red (negative) ones.
    long lines = o.rows / 2;
    auto head = db.prepare(
        "insert into RdRecord (ID, bRdFlag, cVouchType, cBusType, cSource, cWhCode, dDate, cCode, cRdCode, cDepCode, "
        "cPersonCode, cVenCode, cHandler, cMaker) values (?,1,'01','普通采购','库存',?,?,?,'11',?,?,?,?,'demo')");
    auto line = db.prepare(
        "insert into RdRecords (AutoID, ID, cInvCode, iNum, iQuantity, iUnitCost, iPrice, iSOutQuantity, iSOutNum, "
        "cBatch, cFree1, cFree3, dVDate, dMadeDate, iMassDate) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    long head_id = 0;
    for (long l = 0; l < lines; ++l) {
        if (l % 10 == 0) {
            ++head_id;
            integer(head, 1, head_id);
            text(head, 2, code(rnd.below(8) + 1, 2));
            text(head, 3, day(rnd.below(700)));
            text(head, 4, code(head_id, 10));
            text(head, 5, "01");
            text(head, 6, "P" + code(rnd.below(30) + 1, 3));
            text(head, 7, "V" + code(rnd.below(40) + 1, 4));
            text(head, 8, std::string(rnd.pick(kSurnames)) + rnd.pick(kGiven));
            db.run(head);
        }
        const Item& it = items[rnd.below(item_count)];
        long made = rnd.below(600);
        bool red = rnd.chance(2);
        double q = double(1 + rnd.below(2000)) * (red ? -1 : 1);
        double issued = red ? 0 : double(long(q * double(rnd.below(101)) / 100.0));
        double cost = 1 + rnd.below(20000) / 100.0;
        integer(line, 1, l + 1);
        integer(line, 2, head_id);
        text(line, 3, it.code);
        num(line, 4, pieces_of(it, q));
        num(line, 5, q);
        num(line, 6, cost);
        num(line, 7, cost * q);
        num(line, 8, issued);
        num(line, 9, pieces_of(it, issued));
        text(line, 10, it.batch ? batch_of(made, 0) : std::string());
        text(line, 11, it.colour ? rnd.pick(kColours) : "");
        text(line, 12, it.grade ? rnd.pick(kGrades) : "");
        if (it.quality) {
            text(line, 13, day(made + it.mass_days));
            integer(line, 15, it.mass_days);
        }
        if (it.batch) text(line, 14, day(made));
        db.run(line);
        if (l % 4096 == 0) report("init-demo: " + std::to_string(l) + "/" + std::to_string(lines) + " receipt lines");
    }

    // Source documents come from a stream of their own, so that the stock and
    // receipts of a seed stay what they were before these were added.
    Random docs{0xD0C5000000ull + o.seed};
    db.exec(
        "insert into PurchaseType values ('01', '原材料采购'), ('02', '设备采购'), ('03', '办公用品采购');"
        "insert into SaleType values ('01', '批发'), ('02', '零售'), ('03', '代销');"
        "insert into CodeRule values ('InventoryClass', '2,2,3');");
    // A whole share of x (0..99 hundredths), cut towards zero.
    auto share = [](double x, long hundredths) {
        double v = x * double(hundredths) / 100.0;
        return v < 0 ? std::ceil(v) : std::floor(v);
    };
    auto maker = [&docs] { return std::string(docs.pick(kSurnames)) + docs.pick(kGiven); };
    auto free_items = [&docs](Insert* st, int first, const Item& it) {
        text(st, first, it.colour ? docs.pick(kColours) : "");
        text(st, first + 1, it.grade ? docs.pick(kGrades) : "");
    };
    auto pick_item = [&]() -> const Item& { return items[docs.below(item_count)]; };

    // Purchase orders of 1-8 lines. A line is untouched, partly arrived (an
    // arrival voucher holds it, partly received), partly received straight
    // from the order, or received in full; a fifth of the orders is done.
    long orders = o.rows / 20;
    auto po_head = db.prepare(
        "insert into zpurpoheader (POID, cPOID, dPODate, cBusType, cPTCode, cVenCode, cVenAbbName, cDepCode, cDepName, "
        "cPersonCode, cPersonName, cMaker, cVerifier, cCloser, cMemo) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    auto po_line = db.prepare(
        "insert into PO_Podetails (ID, POID, cInvCode, iQuantity, iNum, iInvExchRate, iArrQTY, iArrNum, iReceivedQTY, "
        "iReceivedNum, iUnitPrice, iMoney, dArriveDate, cFree1, cFree3) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    auto arr_head = db.prepare(
        "insert into pu_ArrHead (ID, cCode, dDate, cBusType, cPTCode, cPOId, cVenCode, cVenAbbName, cDepCode, cDepName, "
        "cPersonCode, cPersonName, cMaker, cVerifier, cCloser) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    auto arr_line = db.prepare(
        "insert into PU_ArrivalVouchs (Autoid, ID, iPOsID, cInvCode, cWhCode, iQuantity, iNum, iInvExchRate, "
        "fValidInQuan, fValidInNum, cBatch, dMadeDate, dVDate, iMassDate, iUnitPrice, iMoney, cFree1, cFree3) "
        "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    struct Arrived {
        long order_line;  // 0: an arrival without an order
        const Item* item;
        double quantity, received, price;
    };
    long po_line_id = 0, arrival_id = 0, arrival_line_id = 0;
    struct Party {
        long vendor, person, dep;
    };
    // A head's vendor, department and person columns, each code then name.
    auto party_columns = [&](Insert* st, int first, const Party& who) {
        text(st, first, "V" + code(who.vendor + 1, 4));
        text(st, first + 1, vendor_names[static_cast<std::size_t>(who.vendor)]);
        text(st, first + 2, code(who.dep + 1, 2));
        text(st, first + 3, kDepartments[who.dep]);
        text(st, first + 4, "P" + code(who.person + 1, 3));
        text(st, first + 5, person_names[static_cast<std::size_t>(who.person)]);
    };
    auto arrival = [&](long date, const std::string& bus, const std::string& pt, const std::string& po_code,
                       const Party& who, const std::vector<Arrived>& lines) {
        ++arrival_id;
        integer(arr_head, 1, arrival_id);
        text(arr_head, 2, code(arrival_id, 10));
        text(arr_head, 3, day(date));
        text(arr_head, 4, bus);
        text(arr_head, 5, pt);
        if (!po_code.empty()) text(arr_head, 6, po_code);
        party_columns(arr_head, 7, who);
        text(arr_head, 13, maker());
        text(arr_head, 14, maker());
        if (docs.chance(4)) text(arr_head, 15, maker());
        db.run(arr_head);
        for (const Arrived& a : lines) {
            const Item& it = *a.item;
            long made = docs.below(600);
            integer(arr_line, 1, ++arrival_line_id);
            integer(arr_line, 2, arrival_id);
            if (a.order_line) integer(arr_line, 3, a.order_line);
            text(arr_line, 4, it.code);
            if (docs.chance(70)) text(arr_line, 5, code(docs.below(8) + 1, 2));
            num(arr_line, 6, a.quantity);
            if (it.rate > 0) num(arr_line, 7, pieces_of(it, a.quantity));
            if (it.rate > 0) num(arr_line, 8, it.rate);
            num(arr_line, 9, a.received);
            num(arr_line, 10, pieces_of(it, a.received));
            text(arr_line, 11, it.batch ? batch_of(made, 0) : std::string());
            if (it.batch) text(arr_line, 12, day(made));
            if (it.quality) {
                text(arr_line, 13, day(made + it.mass_days));
                integer(arr_line, 14, it.mass_days);
            }
            num(arr_line, 15, a.price);
            num(arr_line, 16, a.price * a.quantity);
            free_items(arr_line, 17, it);
            db.run(arr_line);
        }
    };
    for (long h = 1; h <= orders; ++h) {
        long date = docs.below(700);
        Party who{docs.below(40), docs.below(30), docs.chance(80) ? 0 : docs.below(8)};
        std::string bus = docs.chance(10) ? "" : "普通采购";
        std::string pt = code(docs.below(3) + 1, 2);
        bool red = docs.chance(3), done = docs.chance(20);
        integer(po_head, 1, h);
        text(po_head, 2, code(h, 10));
        text(po_head, 3, day(date));
        text(po_head, 4, bus);
        text(po_head, 5, pt);
        party_columns(po_head, 6, who);
        text(po_head, 12, maker());
        if (docs.chance(95)) text(po_head, 13, maker());
        if (docs.chance(6)) text(po_head, 14, maker());
        if (red) text(po_head, 15, "退货订单");
        db.run(po_head);
        std::vector<Arrived> arrived;
        for (long k = 1 + docs.below(8); k > 0; --k) {
            const Item& it = pick_item();
            double q = double(1 + docs.below(2000)) * (red ? -1 : 1);
            double price = 1 + docs.below(20000) / 100.0;
            double received = 0, on_arrival = 0, received_on_arrival = 0;
            switch (done ? 3 : docs.below(4)) {
            case 1:
                on_arrival = share(q, 1 + docs.below(99));
                received_on_arrival = share(on_arrival, docs.below(100));
                break;
            case 2: received = share(q, 1 + docs.below(99)); break;
            case 3:
                if (docs.chance(50)) on_arrival = received_on_arrival = q;
                else received = q;
                break;
            default: break;
            }
            double waiting = on_arrival - received_on_arrival;
            received += received_on_arrival;
            integer(po_line, 1, ++po_line_id);
            integer(po_line, 2, h);
            text(po_line, 3, it.code);
            num(po_line, 4, q);
            if (it.rate > 0) num(po_line, 5, pieces_of(it, q));
            if (it.rate > 0) num(po_line, 6, it.rate);
            num(po_line, 7, waiting);
            num(po_line, 8, pieces_of(it, waiting));
            num(po_line, 9, received);
            num(po_line, 10, pieces_of(it, received));
            num(po_line, 11, price);
            num(po_line, 12, price * q);
            text(po_line, 13, day(std::min(date + 3 + docs.below(30), 729L)));
            free_items(po_line, 14, it);
            db.run(po_line);
            if (on_arrival != 0) arrived.push_back({po_line_id, &it, on_arrival, received_on_arrival, price});
        }
        if (!arrived.empty()) arrival(std::min(date + docs.below(20), 729L), bus, pt, code(h, 10), who, arrived);
        // Now and then goods arrive without an order.
        if (h % 10 == 0) {
            std::vector<Arrived> loose;
            for (long k = 1 + docs.below(4); k > 0; --k) {
                double q = double(1 + docs.below(500));
                loose.push_back({0, &pick_item(), q, share(q, docs.below(100)), 1 + docs.below(20000) / 100.0});
            }
            long when = docs.below(700);
            Party from{docs.below(40), docs.below(30), 0};
            arrival(when, "普通采购", "01", "", from, loose);
        }
        if (h % 1024 == 0) report("init-demo: " + std::to_string(h) + "/" + std::to_string(orders) + " purchase orders");
    }

    // Dispatch lists and sales invoices of 1-6 lines, issued from nothing to
    // in full; on inventories that allow it a few lines are issued beyond
    // their quantity, within the allowed excess.
    long dispatches = o.rows / 20;
    auto dl_head = db.prepare(
        "insert into DispatchList (DLID, cDLCode, cVouchType, cSBVCode, dDate, cBusType, cSTCode, cCusCode, cDepCode, "
        "cPersonCode, cMaker, cVerifier, cCloser, cMemo) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    auto dl_line = db.prepare(
        "insert into DispatchLists (DLsID, DLID, cWhCode, cInvCode, iQuantity, iNum, iInvExchRate, fOutQuantity, "
        "fOutNum, iUnitPrice, iMoney, cFree1, cFree3) values (?,?,?,?,?,?,?,?,?,?,?,?,?)");
    long dl_line_id = 0, invoice_no = 0;
    for (long h = 1; h <= dispatches; ++h) {
        long kind = docs.below(100);
        const char* type = kind < 62 ? "05" : kind < 68 ? "06" : kind < 82 ? "26" : kind < 94 ? "27" : kind < 97 ? "28" : "29";
        bool invoice = kind >= 68 && kind < 94;
        bool red = docs.chance(3), done = docs.chance(20);
        integer(dl_head, 1, h);
        text(dl_head, 2, code(h, 10));
        text(dl_head, 3, type);
        if (invoice) text(dl_head, 4, code(++invoice_no, 10));
        text(dl_head, 5, day(docs.below(700)));
        text(dl_head, 6, std::string(type) == "06" ? "委托代销" : docs.chance(90) ? "普通销售" : "分期收款");
        text(dl_head, 7, code(docs.below(3) + 1, 2));
        text(dl_head, 8, "C" + code(docs.below(50) + 1, 4));
        text(dl_head, 9, docs.chance(80) ? std::string("02") : code(docs.below(8) + 1, 2));
        text(dl_head, 10, "P" + code(docs.below(30) + 1, 3));
        text(dl_head, 11, maker());
        if (docs.chance(95)) text(dl_head, 12, maker());
        if (docs.chance(6)) text(dl_head, 13, maker());
        if (red) text(dl_head, 14, "退货");
        db.run(dl_head);
        for (long k = 1 + docs.below(6); k > 0; --k) {
            const Item& it = pick_item();
            double q = double(1 + docs.below(1000)) * (red ? -1 : 1);
            double price = 1 + docs.below(50000) / 100.0;
            double out = 0;
            long state = done ? 80 : docs.below(100);  // 80: issued in full
            if (state >= 95 && it.out_excess > 0 && !red) out = q + share(q, long(it.out_excess * 50));
            else if (state >= 75) out = q;
            else if (state >= 40) out = share(q, 1 + docs.below(99));
            integer(dl_line, 1, ++dl_line_id);
            integer(dl_line, 2, h);
            if (docs.chance(90)) text(dl_line, 3, code(docs.below(8) + 1, 2));
            text(dl_line, 4, it.code);
            num(dl_line, 5, q);
            if (it.rate > 0) num(dl_line, 6, pieces_of(it, q));
            if (it.rate > 0) num(dl_line, 7, it.rate);
            num(dl_line, 8, out);
            num(dl_line, 9, pieces_of(it, out));
            num(dl_line, 10, price);
            num(dl_line, 11, price * q);
            free_items(dl_line, 12, it);
            db.run(dl_line);
        }
        if (h % 1024 == 0)
            report("init-demo: " + std::to_string(h) + "/" + std::to_string(dispatches) + " dispatch documents");
    }

    // Production orders and plans: 1-3 products of 2-5 materials each, some
    // closed; a quarter are plans, some orders are for voucher type 39.
    long productions = o.rows / 40;
    auto pp_head = db.prepare(
        "insert into pp_pohead (id, bPlan, iVouchType, cPeriod, cCode, dDate, iProperty, cDepCode, cVenCode, "
        "cPersonCode, cMaker, cVerifier, dCheckDate, cMemo, bClosed) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    auto pp_main = db.prepare(
        "insert into pp_pomain (mainid, id, cInvCode, fQuantity, fInQuantity, dStartDate, dEndDate, cItemCode, "
        "cItem_class, cItemName, cItem_Name, bThrow, cFree1, cFree3, cDefine22) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    auto pp_child = db.prepare(
        "insert into pp_pochild (subid, mainid, cInvCode, fQuantity, fOutQuantity, cFree1, cFree3) "
        "values (?,?,?,?,?,?,?)");
    static const char* const kProjects[][4] = {{"XM0001", "01", "华东厂房改造", "工程项目"},
                                               {"XM0002", "01", "二期生产线", "工程项目"},
                                               {"YF0001", "02", "新型电机研发", "研发项目"},
                                               {"YF0002", "02", "节能泵样机", "研发项目"}};
    static const char* const kProductionMemos[] = {"月度生产计划", "紧急插单", "外协加工", "备货生产"};
    long product_id = 0, material_id = 0;
    for (long h = 1; h <= productions; ++h) {
        bool plan = docs.chance(25), in_house = docs.chance(85), done = docs.chance(20);
        long date = docs.below(700);
        integer(pp_head, 1, h);
        integer(pp_head, 2, plan);
        integer(pp_head, 3, !plan && docs.chance(25) ? 39 : 0);
        text(pp_head, 4, day(date).substr(0, 7));
        text(pp_head, 5, code(h, 10));
        text(pp_head, 6, day(date));
        integer(pp_head, 7, in_house ? 1 : 0);
        text(pp_head, 8, in_house ? code(7 + docs.below(2), 2) : std::string("04"));
        if (!in_house) text(pp_head, 9, "V" + code(docs.below(40) + 1, 4));
        text(pp_head, 10, "P" + code(docs.below(30) + 1, 3));
        text(pp_head, 11, maker());
        if (docs.chance(90)) {
            text(pp_head, 12, maker());
            text(pp_head, 13, day(std::min(date + docs.below(3), 729L)));
        }
        if (docs.chance(20)) text(pp_head, 14, docs.pick(kProductionMemos));
        integer(pp_head, 15, docs.chance(8));
        db.run(pp_head);
        for (long k = 1 + docs.below(3); k > 0; --k) {
            const Item& it = pick_item();
            double q = double(10 + docs.below(490));
            long state = done ? 2 : docs.below(3);  // untouched, partly received, received in full
            double in = state == 2 ? q : state == 1 ? share(q, 1 + docs.below(99)) : 0;
            long start = std::min(date + docs.below(10), 729L);
            integer(pp_main, 1, ++product_id);
            integer(pp_main, 2, h);
            text(pp_main, 3, it.code);
            num(pp_main, 4, q);
            num(pp_main, 5, in);
            text(pp_main, 6, day(start));
            text(pp_main, 7, day(start + 5 + docs.below(36)));
            if (docs.chance(30)) {
                const auto& p = kProjects[docs.below(4)];
                for (int c = 0; c < 4; ++c) text(pp_main, 8 + c, p[c]);
            }
            integer(pp_main, 12, docs.chance(state == 2 ? 50 : 3));
            free_items(pp_main, 13, it);
            if (docs.chance(20)) text(pp_main, 15, "客户订单" + code(docs.below(9999) + 1, 6));
            db.run(pp_main);
            for (long m = 2 + docs.below(4); m > 0; --m) {
                const Item& material = pick_item();
                double need = q * double(1 + docs.below(40)) / 4.0;
                double out = state == 2 || docs.chance(25) ? need : state == 1 ? share(need, docs.below(100)) : 0;
                integer(pp_child, 1, ++material_id);
                integer(pp_child, 2, product_id);
                text(pp_child, 3, material.code);
                num(pp_child, 4, need);
                num(pp_child, 5, out);
                free_items(pp_child, 6, material);
                db.run(pp_child);
            }
        }
        if (h % 1024 == 0)
            report("init-demo: " + std::to_string(h) + "/" + std::to_string(productions) + " production orders");
    }

    // The demo operator holds every right and sees every row; a second one is
    // restricted to two warehouses.
    db.exec(
        "insert into Operator values ('demo', '演示操作员', 1);"
        "insert into Operator values ('clerk', '仓库保管员', 0);"
        "insert into RowAuthority values ('clerk', 'warehouse', '01', 'W');"
        "insert into RowAuthority values ('clerk', 'warehouse', '02', 'W');"
        "insert into RowAuthority values ('clerk', 'department', '03', 'W');"
        "insert into RowAuthority values ('clerk', 'inventory', '1', 'W');"
        "insert into RowAuthority values ('clerk', 'inventory', '2', 'W');"
        "insert into UserDef values ('20', '自由项1', '颜色'), ('21', '自由项2', null), ('28', '自由项3', '等级');"
        "insert into VouchType values ('01', '采购入库单'), ('05', '发货单'), ('06', '委托代销发货单'), "
        "('08', '其他入库单'), ('09', '其他出库单'), ('10', '产成品入库单'), ('11', '材料出库单'), "
        "('26', '普通发票'), ('27', '专用发票'), ('28', '销售调拨单'), ('29', '销售日报'), ('32', '销售出库单');");
    auto right = db.prepare("insert into OperatorRight values (?, ?)");
    for (const char* r : kDemoRights) {
        text(right, 1, kDemoOperator);
        text(right, 2, r);
        db.run(right);
        if (std::string_view(r).substr(0, 2) == "ST") {
            text(right, 1, "clerk");
            text(right, 2, r);
            db.run(right);
        }
    }
    auto option = db.prepare("insert into AccountOption values (?, ?, ?, ?)");
    for (const auto& [name, value] : kDemoOptions) {
        text(option, 1, kDemoOptionsKey1);
        text(option, 2, kDemoOptionsKey2);
        text(option, 3, name);
        text(option, 4, value);
        db.run(option);
    }
    fill_positions(db);
    db.commit();
    report("init-demo: done, " + std::to_string(o.rows) + " current-stock rows, " + std::to_string(lines) +
               " receipt lines",
           std::chrono::steady_clock::now() - started >= std::chrono::seconds(1));
}

void generate_demo(const DemoOptions& o) {
    if (o.rows < 0) err::raise(err::kBadArgs, "init-demo: the number of rows cannot be negative");
    create_account(o.path);
    try {
        fill(o);
        fill_generation_settings(o.path);
    } catch (...) {
        // A half-filled account would pass for a demo account next time.
        std::error_code ec;
        for (const char* ext : {"", "-wal", "-shm"}) std::filesystem::remove(o.path + ext, ec);
        throw;
    }
}

}  // namespace korvane::schema

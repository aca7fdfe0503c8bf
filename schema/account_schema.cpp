#include "schema/account_schema.h"

#include <sqlite3.h>

#include <filesystem>

#include "platform/vb/error.h"

namespace korvane::schema {

namespace {

constexpr const char* kDdl = R"SQL(
create table Department (
  cDepCode nvarchar(12) COLLATE NOCASE primary key, cDepName nvarchar(40) COLLATE NOCASE NOT NULL,
  iDepGrade smallint NOT NULL DEFAULT 1, bDepEnd bit NOT NULL DEFAULT 1);
create table Person (
  cPersonCode nvarchar(20) COLLATE NOCASE primary key, cPersonName nvarchar(40) COLLATE NOCASE NOT NULL,
  cDepCode nvarchar(12) COLLATE NOCASE);
create table Warehouse (
  cWhCode nvarchar(10) COLLATE NOCASE primary key, cWhName nvarchar(40) COLLATE NOCASE NOT NULL,
  cDepCode nvarchar(12) COLLATE NOCASE, cWhAddress nvarchar(80) COLLATE NOCASE, cWhPerson nvarchar(20) COLLATE NOCASE,
  bWhPos bit NOT NULL DEFAULT 0, bFreeze bit NOT NULL DEFAULT 0);
create table Customer (
  cCusCode nvarchar(20) COLLATE NOCASE primary key, cCusName nvarchar(98) COLLATE NOCASE NOT NULL,
  cCusAbbName nvarchar(60) COLLATE NOCASE, cCusDepart nvarchar(12) COLLATE NOCASE, cCusPPerson nvarchar(20) COLLATE NOCASE);
create table Vendor (
  cVenCode nvarchar(20) COLLATE NOCASE primary key, cVenName nvarchar(98) COLLATE NOCASE NOT NULL,
  cVenAbbName nvarchar(60) COLLATE NOCASE);
create table ComputationUnit (
  cComunitCode nvarchar(35) COLLATE NOCASE primary key, cComUnitName nvarchar(20) COLLATE NOCASE NOT NULL,
  cGroupCode nvarchar(35) COLLATE NOCASE, iChangRate decimal(20,6), bMainUnit bit NOT NULL DEFAULT 0);
create table InventoryClass (
  cInvCCode nvarchar(12) COLLATE NOCASE primary key, cInvCName nvarchar(40) COLLATE NOCASE NOT NULL,
  iInvCGrade smallint NOT NULL, bInvCEnd bit NOT NULL DEFAULT 0, cEcoCode nvarchar(20) COLLATE NOCASE);
create table Inventory (
  cInvCode nvarchar(20) COLLATE NOCASE primary key, iId int, cInvAddCode nvarchar(30) COLLATE NOCASE, cInvName nvarchar(60) COLLATE NOCASE NOT NULL,
  cInvStd nvarchar(60) COLLATE NOCASE, cInvCCode nvarchar(12) COLLATE NOCASE, cComUnitCode nvarchar(35) COLLATE NOCASE,
  cAssComUnitCode nvarchar(35) COLLATE NOCASE, iGroupType smallint NOT NULL DEFAULT 0, iChangRate decimal(20,6),
  bFree1 bit NOT NULL DEFAULT 0, bFree2 bit NOT NULL DEFAULT 0, bFree3 bit NOT NULL DEFAULT 0, bFree4 bit NOT NULL DEFAULT 0, bFree5 bit NOT NULL DEFAULT 0, bFree6 bit NOT NULL DEFAULT 0, bFree7 bit NOT NULL DEFAULT 0, bFree8 bit NOT NULL DEFAULT 0, bFree9 bit NOT NULL DEFAULT 0, bFree10 bit NOT NULL DEFAULT 0,
  bInvBatch bit NOT NULL DEFAULT 0, bInvQuality bit NOT NULL DEFAULT 0, iMassDate int, cMassUnit smallint,
  bSale bit NOT NULL DEFAULT 1, bPurchase bit NOT NULL DEFAULT 1, bSelf bit NOT NULL DEFAULT 0,
  bComsume bit NOT NULL DEFAULT 0, bInvEntrust bit NOT NULL DEFAULT 0, iInvSPrice decimal(20,6), dSDate datetime);
create unique index Inventory_id on Inventory (iId);
-- iId is the host's identity column: row authority on inventories lists ids.
create trigger Inventory_identity after insert on Inventory when new.iId is null begin
  update Inventory set iId = (select ifnull(max(iId), 0) + 1 from Inventory) where rowid = new.rowid;
end;
create table VouchType (
  cVouchType nvarchar(2) COLLATE NOCASE primary key, cVouchName nvarchar(30) COLLATE NOCASE NOT NULL);
create table CurrentStock (
  AutoID integer primary key, cWhCode nvarchar(10) COLLATE NOCASE NOT NULL, cInvCode nvarchar(20) COLLATE NOCASE NOT NULL,
  cBatch nvarchar(60) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree1 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree2 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree3 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree4 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree5 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree6 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree7 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree8 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree9 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree10 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  iQuantity decimal(20,6) NOT NULL DEFAULT 0, iNum decimal(20,6) NOT NULL DEFAULT 0,
  fInQuantity decimal(20,6) NOT NULL DEFAULT 0, fOutQuantity decimal(20,6) NOT NULL DEFAULT 0,
  dVDate datetime, dMdate datetime, iMassDate int, cMassUnit smallint, bStopFlag bit NOT NULL DEFAULT 0);
create index CurrentStock_key on CurrentStock (cWhCode, cInvCode, cBatch);
create table RdRecord (
  ID integer primary key, bRdFlag smallint NOT NULL DEFAULT 1, cVouchType nvarchar(2) COLLATE NOCASE NOT NULL,
  cBusType nvarchar(12) COLLATE NOCASE, cSource nvarchar(30) COLLATE NOCASE, cWhCode nvarchar(10) COLLATE NOCASE, dDate datetime NOT NULL,
  cCode nvarchar(30) COLLATE NOCASE NOT NULL, cRdCode nvarchar(5) COLLATE NOCASE, cDepCode nvarchar(12) COLLATE NOCASE,
  cPersonCode nvarchar(20) COLLATE NOCASE, cVenCode nvarchar(20) COLLATE NOCASE, cCusCode nvarchar(20) COLLATE NOCASE,
  cHandler nvarchar(20) COLLATE NOCASE, cMaker nvarchar(20) COLLATE NOCASE, cMemo nvarchar(255) COLLATE NOCASE);
create table RdRecords (
  AutoID integer primary key, ID int NOT NULL, cInvCode nvarchar(20) COLLATE NOCASE NOT NULL,
  iNum decimal(20,6), iQuantity decimal(20,6) NOT NULL DEFAULT 0, iUnitCost decimal(20,6), iPrice money,
  iSOutQuantity decimal(20,6) NOT NULL DEFAULT 0, iSOutNum decimal(20,6) NOT NULL DEFAULT 0,
  cBatch nvarchar(60) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree1 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree2 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree3 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree4 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree5 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree6 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree7 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree8 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree9 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  cFree10 nvarchar(20) COLLATE NOCASE NOT NULL DEFAULT '',
  dVDate datetime, dMadeDate datetime, iMassDate int, cVouchCode nvarchar(30) COLLATE NOCASE,
  cPosition nvarchar(20) COLLATE NOCASE, cInvouchCode nvarchar(30) COLLATE NOCASE, iTrIds int);
-- iTrIds: on an issue line, the receipt line its stock was taken from.
create index RdRecords_line on RdRecords (ID);
create index RdRecords_inventory on RdRecords (cInvCode, cBatch);
create table UserDef (
  cID nvarchar(10) COLLATE NOCASE primary key, cName nvarchar(60) COLLATE NOCASE NOT NULL,
  cShowName nvarchar(60) COLLATE NOCASE);
-- cName is the item's default name, cShowName what the account calls it (Null: the default).
create table Operator (
  cUserId nvarchar(20) COLLATE NOCASE primary key, cUserName nvarchar(40) COLLATE NOCASE, bAllRows bit NOT NULL DEFAULT 1);
create table OperatorRight (
  cUserId nvarchar(20) COLLATE NOCASE NOT NULL, cFuncCode nvarchar(20) COLLATE NOCASE NOT NULL, primary key (cUserId, cFuncCode));
create table RowAuthority (
  cUserId nvarchar(20) COLLATE NOCASE NOT NULL, cBusObject nvarchar(30) COLLATE NOCASE NOT NULL, cCode nvarchar(30) COLLATE NOCASE NOT NULL,
  cRight nvarchar(2) COLLATE NOCASE NOT NULL DEFAULT 'W');
create table AccountOption (
  cKey1 nvarchar(20) COLLATE NOCASE NOT NULL, cKey2 nvarchar(20) COLLATE NOCASE NOT NULL, cName nvarchar(40) COLLATE NOCASE NOT NULL,
  cValue nvarchar(255) COLLATE NOCASE, primary key (cKey1, cKey2, cName));
)SQL";

}  // namespace

std::string_view account_ddl() { return kDdl; }

void create_account(const std::string& path) {
    if (std::filesystem::exists(path)) err::raise(err::kBadArgs, "create_account: " + path + " already exists");
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        err::raise(err::kProvider, "create_account: cannot create " + path + ": " + why);
    }
    char* message = nullptr;
    std::string script = std::string("PRAGMA journal_mode=WAL;\n") + kDdl;
    int rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message);
    std::string why = message ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        std::filesystem::remove(path);
        err::raise(err::kProvider, "create_account: " + why);
    }
}

}  // namespace korvane::schema

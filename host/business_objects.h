// The host's business objects of the six reference kinds (warehouse,
// inventory, customer, department, person, vendor): a collection that finds
// one item by the code or name a user typed.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ado/recordset.h"
#include "session/permission_service.h"

namespace korvane::host {

struct BusinessItem {
    std::string id;    // the code the forms' SQL uses
    std::string name;  // what the user reads
};

class BusinessCollection {
public:
    virtual ~BusinessCollection() = default;
    virtual void put_Login(session::PermissionServicePtr login) = 0;
    // Finds the item whose code, else whose name, is `text`. A name several
    // items share finds the one whose code is `linked` (what the field is
    // linked to), else the one the user last chose from the reference list
    // (BusinessObjects::remember_choice); with neither it is refused, the user
    // must choose from the list. False with the reason in `error` when there
    // is no such item, the name is ambiguous or the account cannot be read.
    virtual bool load(const std::string& text, BusinessItem& item, std::string& error,
                      const std::string& linked = {}) = 0;
};

// A collection that loads the records a condition selects (the inventory
// classes, the inventories) as a record set.
class RecordCollection {
public:
    virtual ~RecordCollection() = default;
    virtual void put_Login(session::PermissionServicePtr login) = 0;
    // `where` is a condition on the kind's table, possibly ending in an
    // order by; empty loads every record. Database errors travel as raised.
    virtual ado::RecordsetPtr load_by_condition(const std::string& where) = 0;
};

class BusinessObjects {
public:
    virtual ~BusinessObjects() = default;
    // The collection of a kind ("warehouse", "inventory", ...; compared
    // without case); null for a kind that has none.
    virtual std::unique_ptr<BusinessCollection> create(std::string_view kind) = 0;
    // The user chose this item of a kind from the reference list: its name
    // now means this item to the collections this object creates.
    virtual void remember_choice(std::string_view kind, const BusinessItem& item) = 0;
    // The record collection of a kind ("inventoryclass", "inventory");
    // null for a kind that has none.
    virtual std::unique_ptr<RecordCollection> create_records(std::string_view kind) = 0;
};

// Our collections over the account tables, read through the login's connection.
std::shared_ptr<BusinessObjects> account_business_objects();

}  // namespace korvane::host

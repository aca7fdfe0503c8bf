// The host's business objects of the six reference kinds (warehouse,
// inventory, customer, department, person, vendor): a collection that finds
// one item by the code or name a user typed.
#pragma once

#include <memory>
#include <string>
#include <string_view>

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
    // Finds the item whose code, else whose name, is `text`. False with the
    // reason in `error` when there is none or the account cannot be read.
    virtual bool load(const std::string& text, BusinessItem& item, std::string& error) = 0;
};

class BusinessObjects {
public:
    virtual ~BusinessObjects() = default;
    // The collection of a kind ("warehouse", "inventory", ...; compared
    // without case); null for a kind that has none.
    virtual std::unique_ptr<BusinessCollection> create(std::string_view kind) = 0;
};

// Our collections over the account tables, read through the login's connection.
std::shared_ptr<BusinessObjects> account_business_objects();

}  // namespace korvane::host

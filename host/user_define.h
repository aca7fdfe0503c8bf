// The host's user-defined item definitions: what the account calls each of
// its free items and user-defined fields, by item key.
//
// Keys are texts: "20", "21" and "28" to "35" are free items 1 to 10; "01"
// to "10" and plain numbers above are the user-defined fields.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "session/permission_service.h"

namespace korvane::host {

struct UserDefinition {
    std::string key;
    std::string display_name;  // what the account calls the item
    std::string default_name;  // what it is called when the account names it not
};

class UserDefineService {
public:
    virtual ~UserDefineService() = default;
    virtual void put_Login(session::PermissionServicePtr login) = 0;
    // The definition of a key; an item the account does not define has its
    // default name as display name.
    virtual UserDefinition item(const std::string& key) = 0;
};

// The key of free item i (1..10): 20, 21, 28 ... 35.
std::string free_item_key(int i);
// What an item is called by default: 自由项n or 自定义项n.
std::string default_item_name(const std::string& key);

// Our definitions, read from the account's UserDef table.
std::unique_ptr<UserDefineService> account_user_define();

// How a form gets a definitions service: the host's, or ours.
using UserDefineFactory = std::function<std::unique_ptr<UserDefineService>()>;

}  // namespace korvane::host

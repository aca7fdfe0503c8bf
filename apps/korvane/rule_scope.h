#pragma once
#include <string>

#include "host/inventory.h"
#include "platform/ado/connection.h"
#include "schema/demo_generator.h"

namespace korvane::app {

// The allocation rule for one demonstration, kept under an options key of
// this run's own: the run's session reads it over the account's, so runs at
// the same time on one account never see each other's rule, and the
// account's own options are never written.
class RuleScope {
public:
    RuleScope(ado::ConnectionPtr con, std::string run_key, std::string name)
        : con_(std::move(con)), run_key_(std::move(run_key)), name_(std::move(name)) {}
    void set(const std::string& value) {
        con_->Execute(where("delete from AccountOption"));
        con_->Execute(std::string("insert into AccountOption (cKey1, cKey2, cName, cValue) values (") +
                      host::sql_quoted(schema::kDemoOptionsKey1) + ", " + host::sql_quoted(run_key_) + ", " +
                      host::sql_quoted(name_) + ", " + host::sql_quoted(value) + ")");
    }
    ~RuleScope() {
        try {
            con_->Execute(where("delete from AccountOption"));
        } catch (...) {
        }
    }

private:
    std::string where(const std::string& head) const {
        return head + " where cKey1 = " + host::sql_quoted(schema::kDemoOptionsKey1) +
               " and cKey2 = " + host::sql_quoted(run_key_) + " and cName = " + host::sql_quoted(name_);
    }
    ado::ConnectionPtr con_;
    std::string run_key_, name_;
};

}  // namespace korvane::app

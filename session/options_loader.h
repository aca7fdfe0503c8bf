// OptionsLoader: fills a system options object from the account's option
// rows of one session (its OptionsKey1 and OptionsKey2).
#pragma once

#include <memory>
#include <string>

#include "session/options.h"
#include "session/permission_service.h"

namespace korvane::session {

class OptionsLoader {
public:
    explicit OptionsLoader(PermissionServicePtr service) : service_(std::move(service)) {}

    // Overwrites the members the account stores under (key1, key2); names
    // the options object does not know are skipped, and a key pair without
    // rows leaves every default. Runs on the service's connection.
    void Load(SystemOptions& options, const std::string& key1, const std::string& key2);

private:
    PermissionServicePtr service_;
};

// What the entry points do before a form opens: a fresh options object
// filled from the session's keys and handed to the service.
std::shared_ptr<SystemOptions> load_session_options(const PermissionServicePtr& service);

}  // namespace korvane::session

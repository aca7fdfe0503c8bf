#include "session/options_loader.h"

#include "platform/ado/recordset.h"

namespace korvane::session {

void OptionsLoader::Load(SystemOptions& options, const std::string& key1, const std::string& key2) {
    auto rs = ado::Recordset::create();
    // Rows under an empty second key hold for every year; the year's own rows override them.
    rs->Open("select cName, cValue from AccountOption where cKey1 = '" + key1 + "' and (cKey2 = '' or cKey2 = '" +
                 key2 + "') order by cKey2",
             service_->GetConnection(), ado::adOpenStatic, ado::adLockReadOnly);
    for (; !rs->Eof(); rs->MoveNext()) {
        std::string name(rs->Fields(Variant("cName")).Value().str());
        if (options.knows(name)) options.set(name, (*rs)(Variant("cValue")));
    }
}

std::shared_ptr<SystemOptions> load_session_options(const PermissionServicePtr& service) {
    auto options = SystemOptions::create();
    auto login = service->GetSession();
    OptionsLoader(service).Load(*options, login->OptionsKey1(), login->OptionsKey2());
    service->SetOptions(options);
    return options;
}

}  // namespace korvane::session

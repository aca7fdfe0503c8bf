#include "platform/ado/drivers/connection_string.h"

#include <algorithm>

#include "platform/vb/ascii.h"

namespace korvane::ado {
namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

Pairs parse_connection_string(std::string_view cs) {
    Pairs out;
    std::size_t i = 0;
    while (i < cs.size()) {
        const std::size_t eq = cs.find('=', i);
        const std::size_t semi = cs.find(';', i);
        if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
            if (semi == std::string_view::npos) break;  // a trailing word without '=' names nothing
            i = semi + 1;
            continue;
        }
        std::string key(trim(cs.substr(i, eq - i)));
        std::size_t j = eq + 1;
        while (j < cs.size() && blank(cs[j])) ++j;
        std::string value;
        if (j < cs.size() && (cs[j] == '"' || cs[j] == '\'')) {
            const char q = cs[j++];
            while (j < cs.size()) {
                if (cs[j] == q) {
                    if (j + 1 < cs.size() && cs[j + 1] == q) {
                        value += q;
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += cs[j++];
            }
            const std::size_t end = cs.find(';', j);
            i = end == std::string_view::npos ? cs.size() : end + 1;
        } else if (j < cs.size() && cs[j] == '{') {
            // ODBC's braces hold ';' too; "}}" stands for '}'. Kept as written.
            std::size_t k = j + 1;
            while (k < cs.size() && !(cs[k] == '}' && (k + 1 >= cs.size() || cs[k + 1] != '}'))) k += cs[k] == '}' ? 2 : 1;
            value = std::string(cs.substr(j, std::min(k + 1, cs.size()) - j));
            const std::size_t end = cs.find(';', std::min(k + 1, cs.size()));
            i = end == std::string_view::npos ? cs.size() : end + 1;
        } else {
            const std::size_t end = cs.find(';', j);
            value = std::string(trim(cs.substr(j, (end == std::string_view::npos ? cs.size() : end) - j)));
            i = end == std::string_view::npos ? cs.size() : end + 1;
        }
        if (!key.empty()) out.emplace_back(std::move(key), std::move(value));
    }
    return out;
}

const std::string* find_value(const Pairs& pairs, std::string_view key) {
    const std::string* found = nullptr;
    for (const auto& [k, v] : pairs)
        if (vb::iequals_ascii(k, key)) found = &v;  // the last one given wins, as ADO reads it
    return found;
}


}  // namespace korvane::ado

#include "platform/registry/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/vb/ascii.h"
#include "platform/vb/error.h"

// File layout, one key per section, in the order keys were created:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Tarnell\WF\V8.520\KCGL]
//   orderform=1
//
// Names and values are written with %XX escapes for "%", "=", "[", "]",
// control characters and a name's leading "#" or ";", so any text (newlines included) survives a round trip
// and the file stays line-oriented and readable.

namespace korvane::registry {

namespace {

struct Value {
    std::string name;
    std::string data;
};

struct Key {
    std::string path;  // with its hive, as first spelled
    std::vector<Value> values;
};

using Hive = std::vector<Key>;

bool same_name(std::string_view a, std::string_view b) { return vb::iequals_ascii(a, b); }

// "SOFTWARE\\X\\" and "\SOFTWARE\X" name the same key.
std::string join_path(std::string_view hive, std::string_view key_path) {
    std::string out(hive);
    std::size_t i = 0;
    while (i < key_path.size()) {
        std::size_t j = key_path.find('\\', i);
        if (j == std::string_view::npos) j = key_path.size();
        if (j > i) {
            if (!out.empty()) out += '\\';
            out.append(key_path.substr(i, j - i));
        }
        i = j + 1;
    }
    return out;
}

// A name also escapes a leading "#" or ";", which would make its line a comment.
std::string encode(std::string_view s, bool starts_line = false) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(s.size());
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        bool comment = starts_line && out.empty() && (c == '#' || c == ';');
        if (c < 0x20 || c == 0x7F || c == '%' || c == '=' || c == '[' || c == ']' || comment) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string decode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        int hi, lo;
        if (s[i] == '%' && i + 2 < s.size() && (hi = hex_value(s[i + 1])) >= 0 && (lo = hex_value(s[i + 2])) >= 0) {
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Lines that fit neither form are skipped, so a hand-edited file never
// stops the forms from starting.
Hive parse(std::string_view text) {
    Hive hive;
    Key* current = nullptr;
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            current = nullptr;
            if (line.back() != ']') continue;
            hive.push_back({decode(line.substr(1, line.size() - 2)), {}});
            current = &hive.back();
            continue;
        }
        std::size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos) continue;
        current->values.push_back({decode(line.substr(0, eq)), decode(line.substr(eq + 1))});
    }
    return hive;
}

std::string serialize(const Hive& hive) {
    std::string out = "# KORVANE settings: [key] sections, name=value lines, %XX escapes\n";
    for (const Key& key : hive) {
        out += '[';
        out += encode(key.path);
        out += "]\n";
        for (const Value& v : key.values) {
            out += encode(v.name, true);
            out += '=';
            out += encode(v.data);
            out += '\n';
        }
    }
    return out;
}

Key* find_key(Hive& hive, std::string_view path) {
    for (Key& k : hive)
        if (same_name(k.path, path)) return &k;
    return nullptr;
}

Value* find_value(Key& key, std::string_view name) {
    for (Value& v : key.values)
        if (same_name(v.name, name)) return &v;
    return nullptr;
}

[[noreturn]] void file_error(const std::string& path) {
    throw Error(err::kFileAccess, err::standard_text(err::kFileAccess), path);
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() { int f = fd_; fd_ = -1; return f; }

private:
    int fd_;
};

std::string read_all(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {};
        file_error(path);
    }
    std::string text;
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) file_error(path);
        if (n == 0) break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    return text;
}

Hive load(const std::string& path) { return parse(read_all(path)); }

bool write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Read-modify-write under the lock; `change` returns false when it changed nothing.
void update(const std::string& path, const std::function<bool(Hive&)>& change) {
    std::error_code ec;
    std::filesystem::path file(path);
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);

    Fd lock(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (lock.get() < 0) file_error(path);
    while (::flock(lock.get(), LOCK_EX) != 0)
        if (errno != EINTR) file_error(path);

    Hive hive = load(path);
    if (!change(hive)) return;
    std::string text = serialize(hive);

    std::string tmp = path + ".tmp." + std::to_string(::getpid());
    {
        Fd out(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (out.get() < 0) file_error(path);
        bool ok = write_all(out.get(), text) && ::fsync(out.get()) == 0;
        if (::close(out.release()) != 0) ok = false;
        if (!ok) {
            ::unlink(tmp.c_str());
            file_error(path);
        }
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        file_error(path);
    }
}

std::string home_dir() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return ".";
}

}  // namespace

Registry::Registry(std::string hive, std::string file) : hive_(std::move(hive)), file_(std::move(file)) {}

std::string Registry::file_path() const {
    if (!file_.empty()) return file_;
    if (const char* f = std::getenv("KORVANE_REGISTRY_FILE"); f && *f) return f;
    // XDG: a relative XDG_CONFIG_HOME is invalid and ignored
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && x[0] == '/') return std::string(x) + "/korvane/registry";
    return home_dir() + "/.config/korvane/registry";
}

std::optional<std::string> Registry::query_string(std::string_view key_path, std::string_view value_name) const {
    Hive hive = load(file_path());
    Key* key = find_key(hive, join_path(hive_, key_path));
    if (!key) return std::nullopt;
    Value* v = find_value(*key, value_name);
    if (!v) return std::nullopt;
    return std::move(v->data);
}

bool Registry::value_exists(std::string_view key_path, std::string_view value_name) const {
    return query_string(key_path, value_name).has_value();
}

bool Registry::key_exists(std::string_view key_path) const {
    std::string path = join_path(hive_, key_path);
    if (same_name(path, hive_)) return true;
    const Hive hive = load(file_path());
    return std::any_of(hive.begin(), hive.end(), [&](const Key& k) {
        return same_name(std::string_view(k.path).substr(0, path.size()), path) &&
               (k.path.size() == path.size() || k.path[path.size()] == '\\');
    });
}

void Registry::create_key(std::string_view key_path) {
    std::string path = join_path(hive_, key_path);
    if (same_name(path, hive_)) return;
    update(file_path(), [&](Hive& hive) {
        if (find_key(hive, path)) return false;
        hive.push_back({path, {}});
        return true;
    });
}

void Registry::set_string(std::string_view key_path, std::string_view value_name, std::string_view value) {
    std::string path = join_path(hive_, key_path);
    update(file_path(), [&](Hive& hive) {
        Key* key = find_key(hive, path);
        if (!key) {
            hive.push_back({path, {}});
            key = &hive.back();
        }
        if (Value* v = find_value(*key, value_name)) {
            if (v->data == value) return false;
            v->data = std::string(value);
        } else {
            key->values.push_back({std::string(value_name), std::string(value)});
        }
        return true;
    });
}

bool Registry::delete_value(std::string_view key_path, std::string_view value_name) {
    std::string path = join_path(hive_, key_path);
    bool found = false;
    update(file_path(), [&](Hive& hive) {
        Key* key = find_key(hive, path);
        if (!key) return false;
        auto it = std::find_if(key->values.begin(), key->values.end(),
                               [&](const Value& v) { return same_name(v.name, value_name); });
        if (it == key->values.end()) return false;
        key->values.erase(it);
        found = true;
        return true;
    });
    return found;
}

// ---- the Windows-shaped calls ------------------------------------------------

namespace {

std::string sub_path(const std::string& parent, const char* sub_key) {
    return join_path(parent, sub_key ? std::string_view(sub_key) : std::string_view());
}

}  // namespace

RegistryApi::RegistryApi(std::string file) : hklm_("HKEY_LOCAL_MACHINE", file), hkcu_("HKEY_CURRENT_USER", file) {}

Registry* RegistryApi::predefined(Hkey key) {
    if (key == kHkeyLocalMachine) return &hklm_;
    if (key == kHkeyCurrentUser) return &hkcu_;
    return nullptr;
}

std::optional<RegistryApi::OpenKey> RegistryApi::resolve(Hkey key) {
    if (Registry* r = predefined(key)) return OpenKey{r, {}};
    std::lock_guard<std::mutex> g(lock_);
    auto it = open_.find(key);
    if (it == open_.end()) return std::nullopt;
    return it->second;
}

Hkey RegistryApi::new_handle(OpenKey k) {
    std::lock_guard<std::mutex> g(lock_);
    Hkey h = next_++;
    open_.emplace(h, std::move(k));
    return h;
}

long RegistryApi::RegOpenKeyExA(Hkey key, const char* sub_key, std::uint32_t, std::uint32_t, Hkey* result) {
    if (!result) return kErrorInvalidParameter;
    auto parent = resolve(key);
    if (!parent) return kErrorInvalidHandle;
    try {
        OpenKey k{parent->hive, sub_path(parent->path, sub_key)};
        if (!k.hive->key_exists(k.path)) return kErrorFileNotFound;
        *result = new_handle(std::move(k));
        return kErrorSuccess;
    } catch (const Error&) {
        return kErrorAccessDenied;
    }
}

long RegistryApi::RegCreateKeyA(Hkey key, const char* sub_key, Hkey* result) {
    if (!result) return kErrorInvalidParameter;
    auto parent = resolve(key);
    if (!parent) return kErrorInvalidHandle;
    try {
        OpenKey k{parent->hive, sub_path(parent->path, sub_key)};
        if (!k.hive->key_exists(k.path)) k.hive->create_key(k.path);
        *result = new_handle(std::move(k));
        return kErrorSuccess;
    } catch (const Error&) {
        return kErrorAccessDenied;
    }
}

long RegistryApi::RegQueryValueExA(Hkey key, const char* value_name, std::uint32_t*, std::uint32_t* type, unsigned char* data,
                      std::uint32_t* size) {
    if (data && !size) return kErrorInvalidParameter;
    auto k = resolve(key);
    if (!k) return kErrorInvalidHandle;
    std::optional<std::string> value;
    try {
        value = k->hive->query_string(k->path, value_name ? value_name : "");
    } catch (const Error&) {
        return kErrorAccessDenied;
    }
    if (!value) return kErrorFileNotFound;
    if (type) *type = kRegSz;
    auto needed = static_cast<std::uint32_t>(value->size() + 1);
    if (!data) {
        if (size) *size = needed;
        return kErrorSuccess;
    }
    if (*size < needed) {
        *size = needed;
        return kErrorMoreData;
    }
    std::memcpy(data, value->data(), value->size());
    data[value->size()] = '\0';
    *size = needed;
    return kErrorSuccess;
}

long RegistryApi::RegSetValueExA(Hkey key, const char* value_name, std::uint32_t, std::uint32_t type, const unsigned char* data,
                    std::uint32_t size) {
    if (type != kRegSz || (!data && size)) return kErrorInvalidParameter;
    auto k = resolve(key);
    if (!k) return kErrorInvalidHandle;
    // the size counts the terminating NUL; the text ends at the first one
    std::string_view text(reinterpret_cast<const char*>(data), data ? size : 0);
    text = text.substr(0, text.find('\0'));
    try {
        k->hive->set_string(k->path, value_name ? value_name : "", text);
        return kErrorSuccess;
    } catch (const Error&) {
        return kErrorAccessDenied;
    }
}

long RegistryApi::RegCloseKey(Hkey key) {
    if (predefined(key)) return kErrorSuccess;
    std::lock_guard<std::mutex> g(lock_);
    return open_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace korvane::registry

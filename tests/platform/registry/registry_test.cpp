#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/vb/error.h"
#include "tests/support/errors.h"

namespace korvane::registry {
namespace {

namespace fs = std::filesystem;

constexpr const char* kKcgl = "SOFTWARE\\Tarnell\\WF\\V8.520\\KCGL";
constexpr const char* kAppearance = "SOFTWARE\\Tarnell\\WF\\V8.520\\Appearance";

// Every test gets its own store through KORVANE_REGISTRY_FILE.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* base = std::getenv("KORVANE_TEST_TMP");
        fs::path root = base ? fs::path(base) : fs::temp_directory_path();
        fs::create_directories(root);
        std::string tmpl = (root / "registry-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        file_ = (dir_ / "sub" / "registry").string();
        ::setenv("KORVANE_REGISTRY_FILE", file_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("KORVANE_REGISTRY_FILE");
        fs::remove_all(dir_);
    }
    std::string file_text() const {
        std::ifstream in(file_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir_;
    std::string file_;
    RegistryApi api_;
};

TEST_F(RegistryTest, AWriteIsSeenByEveryReader) {
    Registry writer("HKEY_LOCAL_MACHINE");
    Registry& reader = api_.local_machine();
    EXPECT_EQ(reader.file_path(), file_);
    EXPECT_FALSE(reader.key_exists(kKcgl));
    EXPECT_EQ(reader.query_string(kKcgl, "orderform"), std::nullopt);
    EXPECT_FALSE(fs::exists(file_));  // reading creates nothing
    writer.set_string(kKcgl, "orderform", "1");
    EXPECT_EQ(reader.query_string(kKcgl, "orderform"), "1");
    writer.set_string(kKcgl, "orderform", "0");
    EXPECT_EQ(reader.query_string(kKcgl, "orderform"), "0");
    // another hive in the same file stays apart
    EXPECT_EQ(Registry("HKEY_CURRENT_USER").query_string(kKcgl, "orderform"), std::nullopt);
}

TEST_F(RegistryTest, KeysAndValueNamesIgnoreCase) {
    Registry& hklm = api_.local_machine();
    hklm.set_string(kKcgl, "arrivalform", "1");
    EXPECT_EQ(hklm.query_string("software\\tarnell\\wf\\v8.520\\kcgl", "ARRIVALFORM"), "1");
    EXPECT_EQ(hklm.query_string("\\SOFTWARE\\Tarnell\\WF\\V8.520\\KCGL\\", "arrivalform"), "1");
    EXPECT_TRUE(hklm.key_exists("SOFTWARE\\TARNELL"));  // a parent exists with its child
    EXPECT_FALSE(hklm.key_exists("SOFTWARE\\Tarn"));
    hklm.set_string("software\\TARNELL\\wf\\V8.520\\kcgl", "ArrivalForm", "0");
    EXPECT_EQ(hklm.query_string(kKcgl, "arrivalform"), "0");
    EXPECT_NE(file_text().find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnell\\WF\\V8.520\\KCGL]\narrivalform=0\n"),
              std::string::npos);  // first spelling kept, one entry
}

TEST_F(RegistryTest, AnyTextSurvivesTheFile) {
    Registry& hklm = api_.local_machine();
    const std::pair<const char*, std::string> values[] = {
        {"multi", "第一行\n第二行\r\n"},
        {"a=b", "x=y==z"},
        {"[section]", "[not a key]"},
        {"percent", "100%25 %"},
        {"", "default value"},
        {"empty", ""},
        {"# comment", "; not either"},
    };
    for (const auto& [name, value] : values) hklm.set_string(kKcgl, name, value);
    hklm.create_key(kAppearance);
    for (const auto& [name, value] : values) EXPECT_EQ(hklm.query_string(kKcgl, name), value) << name;
    EXPECT_EQ(hklm.query_string(kKcgl, "a"), std::nullopt);
    EXPECT_TRUE(hklm.key_exists(kAppearance));
    EXPECT_EQ(hklm.query_string(kAppearance, ""), std::nullopt);
    EXPECT_TRUE(hklm.delete_value(kKcgl, "MULTI"));
    EXPECT_FALSE(hklm.delete_value(kKcgl, "multi"));
    EXPECT_EQ(hklm.query_string(kKcgl, "multi"), std::nullopt);
}

TEST_F(RegistryTest, HandEditedLinesThatMakeNoSenseAreSkipped) {
    fs::create_directories(fs::path(file_).parent_path());
    std::ofstream(file_) << "junk before any key\n[HKEY_LOCAL_MACHINE\\" << kAppearance
                         << "]\r\nno separator\nToolbar Style=Flat\n[broken\nx=1\n";
    EXPECT_EQ(api_.local_machine().query_string(kAppearance, "toolbar style"), "Flat");
    EXPECT_EQ(api_.local_machine().query_string(kAppearance, "x"), std::nullopt);
}

TEST_F(RegistryTest, ConcurrentWritersFromTwoProcessesLoseNothing) {
    constexpr int kEach = 25;
    pid_t children[2];
    for (int w = 0; w < 2; ++w) {
        children[w] = ::fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            int rc = 0;
            try {
                for (int i = 0; i < kEach; ++i)
                    api_.local_machine().set_string(kKcgl, "w" + std::to_string(w) + "_" + std::to_string(i), "值");
            } catch (...) {
                rc = 1;
            }
            ::_exit(rc);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < 2; ++w)
        for (int i = 0; i < kEach; ++i)
            EXPECT_EQ(api_.local_machine().query_string(kKcgl, "w" + std::to_string(w) + "_" + std::to_string(i)),
                      "值");
}

TEST_F(RegistryTest, AStoreThatCannotBeWrittenRaisesFileAccess) {
    ::setenv("KORVANE_REGISTRY_FILE", "/dev/null/registry", 1);
    const Error e = korvane::testing::raised([&] { api_.local_machine().set_string(kKcgl, "orderform", "1"); });
    EXPECT_EQ(e.number(), err::kFileAccess);
    EXPECT_EQ(e.source(), "/dev/null/registry");
    Hkey key = 0;
    EXPECT_EQ(api_.RegCreateKeyA(kHkeyLocalMachine, kKcgl, &key), kErrorAccessDenied);  // the forms go on silently
}

TEST_F(RegistryTest, DefaultLocationFollowsXdgConfigHome) {
    ::unsetenv("KORVANE_REGISTRY_FILE");
    const char* old_xdg = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old_xdg ? old_xdg : "";
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    EXPECT_EQ(api_.local_machine().file_path(), (dir_ / "korvane" / "registry").string());
    ::setenv("XDG_CONFIG_HOME", "relative/dir", 1);  // not absolute: ignored
    EXPECT_NE(api_.local_machine().file_path().find("/.config/korvane/registry"), std::string::npos);
    if (old_xdg) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(RegistryTest, WindowsShapedCallsReadAndWriteStrings) {
    Hkey key = 0;
    EXPECT_EQ(api_.RegOpenKeyExA(kHkeyLocalMachine, kKcgl, 0, kKeyWrite, &key), kErrorFileNotFound);
    ASSERT_EQ(api_.RegCreateKeyA(kHkeyLocalMachine, kKcgl, &key), kErrorSuccess);
    const char one[] = "1";
    EXPECT_EQ(api_.RegSetValueExA(key, "orderform", 0, kRegSz, reinterpret_cast<const unsigned char*>(one), sizeof one),
              kErrorSuccess);
    EXPECT_EQ(api_.RegSetValueExA(key, "x", 0, 4 /* REG_DWORD */, reinterpret_cast<const unsigned char*>(one), 4),
              kErrorInvalidParameter);
    EXPECT_EQ(api_.RegCloseKey(key), kErrorSuccess);
    EXPECT_EQ(api_.RegCloseKey(key), kErrorInvalidHandle);
    EXPECT_EQ(api_.local_machine().query_string(kKcgl, "orderform"), "1");

    api_.local_machine().set_string(kAppearance, "Toolbar Style", "Tall buttons");
    ASSERT_EQ(api_.RegOpenKeyExA(kHkeyLocalMachine, "SOFTWARE\\Tarnell", 0, kKeyRead, &key), kErrorSuccess);
    Hkey appearance = 0;
    ASSERT_EQ(api_.RegOpenKeyExA(key, "WF\\V8.520\\Appearance", 0, kKeyRead, &appearance), kErrorSuccess);
    unsigned char buf[128];
    std::uint32_t size = sizeof buf, type = 0;
    ASSERT_EQ(api_.RegQueryValueExA(appearance, "Toolbar Style", nullptr, &type, buf, &size), kErrorSuccess);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(size, 13u);  // counts the NUL
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "Tall buttons");
    size = 4;
    EXPECT_EQ(api_.RegQueryValueExA(appearance, "Toolbar Style", nullptr, nullptr, buf, &size), kErrorMoreData);
    EXPECT_EQ(size, 13u);
    EXPECT_EQ(api_.RegQueryValueExA(appearance, "missing", nullptr, nullptr, buf, &size), kErrorFileNotFound);
    api_.RegCloseKey(appearance);
    api_.RegCloseKey(key);
    EXPECT_EQ(api_.RegQueryValueExA(appearance, "Toolbar Style", nullptr, nullptr, buf, &size), kErrorInvalidHandle);
}

}  // namespace
}  // namespace korvane::registry

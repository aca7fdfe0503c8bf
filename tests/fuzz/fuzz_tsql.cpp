// T-SQL translation: any batch translates without raising into statements
// that are neither empty nor padded with blanks.
#include <cctype>
#include <exception>
#include <string>
#include <vector>

#include "platform/ado/drivers/sqlite/tsql.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvane::fuzz;
    std::string_view batch(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> statements;
    try {
        statements = korvane::ado::sqlite::translate_batch(batch);
    } catch (const std::exception& e) {
        fault(e.what());  // translation is text to text: it has nothing to refuse
    }
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; };
    for (const std::string& s : statements) {
        check(!s.empty(), "an empty statement");
        check(!blank(s.front()) && !blank(s.back()), "a statement with blank ends");
    }
    return 0;
}

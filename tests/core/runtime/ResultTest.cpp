// The checks on a result's value are for debug builds; they are on in this file whatever the build, so that
// every build tests them.
#undef NDEBUG
#include "core/runtime/Result.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace {

// A type of this file alone, so that its Result is compiled here only, with the checks on.
struct Label {
    std::string text;
};

TEST(ResultDeathTest, TheValueOfAFailureStopsADebugBuild) {
    const std::pair<const char*, std::function<std::string(Result<Label>&)>> reads[] = {
        {"value", [](Result<Label>& r) { return r.value().text; }},
        {"value_of_a_constant", [](Result<Label>& r) { return std::as_const(r).value().text; }},
        {"value_moved_out", [](Result<Label>& r) { return std::move(r).value().text; }},
        {"star", [](Result<Label>& r) { return (*r).text; }},
        {"arrow", [](Result<Label>& r) { return r->text; }},
    };
    for (const auto& [name, read] : reads) {
        SCOPED_TRACE(name);
        Result<Label> held = Label{"Disk 7"};
        EXPECT_EQ(read(held), "Disk 7");
        Result<Label> failed = Failure{"no label"};
        EXPECT_DEATH(read(failed), "ok\\(\\)");
    }
}

} // namespace

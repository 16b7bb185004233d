#include "core_fixtures.h"
#include "tool_process.h"

#include <gtest/gtest.h>

namespace kmission::test {
namespace {

using fixtures::ArchiveBuilder;
using fixtures::ValueStream;

Bytes Info(std::string_view red, std::string_view green) {
    return ValueStream()
        .list(5)
        .text("fog")
        .list(3)
        .text("color")
        .list(3)
        .text(red)
        .text(green)
        .text("after")
        .bytes();
}

Bytes Archive(const std::vector<std::pair<std::string, Bytes>>& entries,
              std::int32_t aux1 = -123456) {
    ArchiveBuilder archive;
    for (const auto& [name, bytes] : entries) {
        archive.entry(name, bytes);
    }
    archive.records().front().aux1 = aux1;
    return archive.standard();
}

TEST(DiffCommand, PrintsWhatChangedAsAPersonReadsIt) {
    const Bytes info = Info("1", "2");
    const Bytes units = ValueStream().integer(7).real(1.5f).bytes();
    const Bytes ended = ValueStream().end().bytes();
    const Bytes base = Archive({{"mpinfo.prd", info}, {"a.prd", units}, {"b.prd", ended}});
    struct Case {
        std::string what;
        Bytes other;
        int exitCode;
        std::string out;
    };
    const Case cases[] = {
        {"equal", base, 0, ""},
        {"a value under its keys",
         Archive({{"mpinfo.prd", Info("1", "20")}, {"a.prd", units}, {"b.prd", ended}}), 1,
         "\"mpinfo.prd\" node 7 fog/color[1]: \"2\" -> \"20\"\n"},
        {"a value of another type",
         Archive({{"mpinfo.prd", info},
                  {"a.prd", ValueStream().real(7).real(1.5f).bytes()},
                  {"b.prd", ended}}),
         1, "\"a.prd\" node 1: \"7\" (integer) -> \"7\" (float)\n"},
        {"a value added",
         Archive({{"mpinfo.prd", info},
                  {"a.prd", ValueStream().integer(7).text("new").real(1.5f).bytes()},
                  {"b.prd", ended}}),
         1, "\"a.prd\" node 2: added \"new\"\n"},
        {"entries added, removed and moved",
         Archive({{"b.prd", ended}, {"mpinfo.prd", info}, {"c.prd", ended}}), 1,
         "entry \"a.prd\" removed from 1\nentry \"c.prd\" added at 2\n"
         "entry \"mpinfo.prd\" moved from 0 to 1\n"},
        {"a directory field",
         Archive({{"mpinfo.prd", info}, {"a.prd", units}, {"b.prd", ended}}, 5), 1,
         "\"mpinfo.prd\" aux1: -123456 -> 5\n"},
    };
    ScratchDir dir;
    WriteBytes(dir.file("a.PBD"), base);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(dir.file("b.PBD"), c.other);
        const ToolRun run = RunTool({"diff", dir.file("a.PBD"), dir.file("b.PBD")});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

TEST(DiffCommand, PrintsJsonForProgramsAndExitsWithTwoOnTrouble) {
    ScratchDir dir;
    WriteBytes(dir.file("a.PBD"), Archive({{"mpinfo.prd", Info("1", "2")}}));
    WriteBytes(dir.file("b.PBD"), Archive({{"mpinfo.prd", Info("1", "3")}}));
    const ToolRun json = RunTool({"diff", "--json", dir.file("a.PBD"), dir.file("b.PBD")});
    EXPECT_EQ(json.out,
              "{\n  \"differences\": [\n    {\"kind\": \"value changed\", \"entry\": "
              "\"mpinfo.prd\", \"occurrence\": 1, \"node\": 7, \"path\": "
              "\"fog/color[1]\", \"old\": [3, 1, \"2\"], \"new\": [3, 1, \"3\"]}\n  ]\n}\n");
    const ToolRun missing = RunTool({"diff", dir.file("a.PBD"), dir.file("none.PBD")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "KMission: Bad Path!\n");
}

} // namespace
} // namespace kmission::test

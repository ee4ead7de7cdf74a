// Reads arbitrary bytes as JSON by every route (a fresh tree and its
// asArray, handles taken before reading, copies of the unread and the read
// tree, the original after its copy changes, slots read in place and assigned
// to) and holds each to the reference model; then once more without the
// bracket index, which walks nested levels instead.

#include "json/json_reader.h"

#include "tests/json/json_test_walk.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(const std::string& difference, const char* how)
{
    if (difference.empty())
        return;
    std::fprintf(stderr, "%s reader differs from the model: %s\n", how, difference.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (compactJsonText(text) != jsonref::compact(text))
        check("compaction", "indexed");
    check(compareWithModel(text), "indexed");
    const size_t limit = setJsonIndexLimit(0);
    const std::string unindexed = compareWithModel(text);
    setJsonIndexLimit(limit);
    check(unindexed, "unindexed");
    return 0;
}

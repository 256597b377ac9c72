// Feeds arbitrary bytes as a BrowseNodeLookup reply through the loader's parser. The first
// byte sets the depth limit, the second picks the requested row of the seeded node queue.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "web/browse_node_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2) return 0;
    zem::web::BrowseNodeLoader loader;
    loader.MAXLEVEL = bytes[0] % 8;
    loader.LoadIndexes(63);
    const auto seeded = loader.N.Rows();
    const std::int32_t rowId = seeded[bytes[1] % seeded.size()].ID;
    const std::int32_t lastSeeded = loader.N.LastId();

    std::vector<char> text(bytes + 2, bytes + size);
    text.push_back('\0');
    loader.ParseNodes(rowId, text);

    // The queue stays in ID order, grows only under the requested row, which ends fetched.
    std::int32_t previous = 0;
    for (const zem::web::BrowseNodeRow& row : loader.N.Rows()) {
        if (row.ID <= previous) __builtin_trap();
        if (row.ID > lastSeeded && row.PARENT != rowId) __builtin_trap();
        previous = row.ID;
    }
    if (loader.N.Get(rowId)->BSTATE != 1) __builtin_trap();
    return 0;
}

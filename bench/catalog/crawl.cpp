#include "crawl.h"

#include <cstdio>
#include <string>
#include <vector>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "data/text_fields.h"
#include "research/updater/catalog_write_back.h"

namespace zem::bench {
namespace {

constexpr int kStores = 6;
constexpr int kIndexesPerStore = 20;

}  // namespace

Crawl MakeCrawl(int nodeCount) {
    Crawl crawl;
    std::vector<std::uint8_t> site(static_cast<std::size_t>(nodeCount) + 1);
    for (int i = 1; i <= nodeCount; ++i) {
        web::BrowseNodeRow row;
        row.ID = i;
        row.PARENT = i <= kStores ? 0 : (i - kStores - 1) / 8 + 1;
        row.NODE = i <= kStores ? 0 : 1000000 + i;
        site[static_cast<std::size_t>(i)] = i <= kStores
                                                ? static_cast<std::uint8_t>(1u << (i - 1))
                                                : site[static_cast<std::size_t>(row.PARENT)];
        row.BSITE = site[static_cast<std::size_t>(i)];
        row.BSTATE = 1;
        row.LEVEL = i <= kStores ? 0 : 2;
        const std::string name = i <= kStores ? "Amazon store " + std::to_string(i)
                                              : "Category " + std::to_string(i) + " and Things";
        data::SetCString(row.NAME, name);
        crawl.nodes.Add(row);
    }
    int id = 0;
    for (int s = 0; s < kStores; ++s) {
        web::SearchIndexRow root;
        root.ID = ++id;
        const int rootId = root.ID;
        root.BSITE = static_cast<std::uint8_t>(1u << s);
        data::SetCString(root.NAME, "Amazon store " + std::to_string(s + 1));
        crawl.catalogs.Add(root);
        for (int k = 0; k < kIndexesPerStore; ++k) {
            web::SearchIndexRow index;
            index.ID = ++id;
            index.PARENT = rootId;
            index.NODE = 2000 + id;
            index.BSITE = root.BSITE;
            index.LEVEL = 1;
            data::SetCString(index.NAME, "Index " + std::to_string(k));
            data::SetCString(index.CATALOG, "Index" + std::to_string(k));
            crawl.catalogs.Add(index);
        }
    }
    return crawl;
}

bool OpenFile(const std::filesystem::path& path) {
    store::OpenStatus status;
    if (!data::OpenZembrolaFile(path, status)) {
        std::fprintf(stderr, "open: %s\n", status.text.c_str());
        return false;
    }
    data::InitDictionary(data::ZembrolaFile());
    data::Access(data::TableId::Catalogs).Open();
    data::Access(data::TableId::Nodes).Open();
    return true;
}

void CloseFile() {
    data::Access(data::TableId::Catalogs).Close();
    data::Access(data::TableId::Nodes).Close();
    data::KillDictionary();
    data::CloseZembrolaFile();
}

bool SeedFile(const std::filesystem::path& path, int nodeCount) {
    const Crawl crawl = MakeCrawl(nodeCount);
    if (!OpenFile(path)) return false;
    const bool written = research::ReplaceCatalogs(kAllStores, crawl.catalogs, crawl.nodes);
    CloseFile();
    return written;
}

}  // namespace zem::bench

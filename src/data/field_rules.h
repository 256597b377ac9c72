#pragma once
// The two tables with rules of their own: defaults of a new record and field validation.
#include "data/records.h"
#include "data/table_manager.h"

namespace zem::data {

// A new query is for Amazon US; SITE must be one of the six stores.
class QueriesManager : public TableManager {
  public:
    QueriesManager(store::DataFile& file, QueriesRecord& record);
    ui::Level ValidateField(int fieldNo, bool report) override;

    static constexpr int kSiteField = 4;

  protected:
    void PrimeDefaults() override;

  private:
    QueriesRecord& record_;
};

// A new configuration record uses the first user agent; the crawl depth is 0 to 100.
class SysinfoManager : public TableManager {
  public:
    SysinfoManager(store::DataFile& file, SysinfoRecord& record);
    ui::Level ValidateField(int fieldNo, bool report) override;

    static constexpr int kCatalogLevelField = 8;

  protected:
    void PrimeDefaults() override;

  private:
    SysinfoRecord& record_;
};

}  // namespace zem::data

#include "data/table_manager.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/store/errors.h"

namespace zem::data {
namespace {

ui::ErrorManager& Errors() {
    return ui::ErrorManager::Global();
}

// The auto-numbered key of a table, or -1.
int AutoNumberKey(const store::TableDef& def) {
    for (std::size_t k = 0; k < def.keys.size(); ++k) {
        if (def.keys[k].autoNumber) return static_cast<int>(k);
    }
    return -1;
}

// Keeps the thread's store error across calls made only to word a message, so the caller still
// finds the error of its own call.
class KeepStoreError {
  public:
    KeepStoreError()
        : code_(store::ErrorCode()),
          fileCode_(store::FileErrorCode()),
          detail_(store::FileErrorText()) {}
    ~KeepStoreError() { store::SetError(code_, fileCode_, detail_); }
    KeepStoreError(const KeepStoreError&) = delete;
    KeepStoreError& operator=(const KeepStoreError&) = delete;

  private:
    int code_;
    int fileCode_;
    std::string detail_;
};

}  // namespace

TableManager::TableManager(store::DataFile& file, const store::TableDef& def, void* buffer)
    : file_(file), def_(def), buffer_(buffer) {}

TableManager::~TableManager() {
    if (probe_) probe_->Close();
    if (table_) table_->Close();
}

void TableManager::Init(TableManager* aliasedFile) {
    aliasedFile_ = aliasedFile;
}

void TableManager::SetUpKeys() {
    if (table_) return;
    table_ = std::make_unique<store::Table>(file_, def_, buffer_);
}

store::Table& TableManager::File() {
    SetUpKeys();
    return *table_;
}

ui::Level TableManager::ReportStoreError(int messageId) {
    Errors().SetErrors();
    Errors().SetFile(Label());
    Errors().Throw(messageId);
    return ui::Fatal;
}

ui::Level TableManager::OpenTable(Report report) {
    SetUpKeys();
    if (table_->IsOpen()) return ui::Benign;
    int rc = table_->Open();
    if (rc == store::AccessDenied) {
        // Another holder may be finishing; give the driver time to wait it out, then try again.
        // Not tested: the option is well formed, and the open that follows tells what counts.
        (void)table_->Send("Recover=" + std::to_string(kLockRecover));
        rc = table_->Open();
    }
    if (rc == store::NoError) return ui::Benign;
    return report == Report::Yes ? ReportStoreError(ui::msg::OpenFailed) : ui::Fatal;
}

ui::Level TableManager::Open() {
    const ui::Level level = OpenTable(Report::Yes);
    if (level == ui::Benign) ++opened_;
    return level;
}

ui::Level TableManager::TryOpen() {
    const ui::Level level = OpenTable(Report::No);
    if (level == ui::Benign) ++opened_;
    return level;
}

ui::Level TableManager::Close() {
    if (opened_ == 0) return ui::Benign;
    if (--opened_ == 0 && table_) table_->Close();
    return ui::Benign;
}

ui::Level TableManager::UseFile() {
    return OpenTable(Report::Yes);
}

ui::Level TableManager::Read(int rc, Report report) {
    if (rc == store::NoError) return ui::Benign;
    if (rc == store::RecordNotAvailable || rc == store::RecordNotFound) return ui::Notify;
    return report == Report::Yes ? ReportStoreError(ui::msg::FetchFailed) : ui::Fatal;
}

ui::Level TableManager::Fetch(std::size_t key) {
    if (const ui::Level level = OpenTable(Report::Yes); level != ui::Benign) return level;
    const int rc = table_->Fetch(key);
    if (rc == store::RecordNotFound) {
        Errors().SetFile(Label());
        Errors().ThrowMessage(ui::msg::RecordNotFound,
                              key < def_.keys.size() ? def_.keys[key].description : "");
        return ui::Notify;
    }
    return Read(rc, Report::Yes);
}

ui::Level TableManager::TryFetch(std::size_t key) {
    if (const ui::Level level = OpenTable(Report::No); level != ui::Benign) return level;
    return Read(table_->Fetch(key), Report::No);
}

ui::Level TableManager::Next() {
    if (const ui::Level level = OpenTable(Report::Yes); level != ui::Benign) return level;
    return Read(table_->Next(), Report::Yes);
}

ui::Level TableManager::TryNext() {
    if (const ui::Level level = OpenTable(Report::No); level != ui::Benign) return level;
    return Read(table_->Next(), Report::No);
}

ui::Level TableManager::Previous() {
    if (const ui::Level level = OpenTable(Report::Yes); level != ui::Benign) return level;
    return Read(table_->Previous(), Report::Yes);
}

ui::Level TableManager::PrimeRecord() {
    if (const ui::Level level = OpenTable(Report::Yes); level != ui::Benign) return level;
    // Priming again gives up the number of the record primed before, which was never added.
    if (table_->ReservedNumber() != 0) table_->CancelReservation();
    table_->ClearBuffer(0);
    PrimeDefaults();
    if (AutoNumberKey(def_) >= 0 && table_->ReserveAutoNumber() != store::NoError) {
        return ReportStoreError(ui::msg::PrimeFailed);
    }
    return ui::Benign;
}

ui::Level TableManager::CancelAutoInc() {
    const int key = AutoNumberKey(def_);
    if (!table_ || key < 0 || table_->ReservedNumber() == 0) return ui::Benign;
    if (table_->CancelReservation() != store::NoError) return ui::Fatal;
    // The buffer no longer owns that number; a later Insert must not reuse it.
    table_->ClearField(def_.keys[static_cast<std::size_t>(key)].fields[0]);
    return ui::Benign;
}

std::string_view TableManager::DuplicatedKey(bool excludeCurrent) {
    const KeepStoreError keep;
    if (!probe_) {
        probeBuffer_.assign(def_.recordSize, std::byte{0});
        probe_ = std::make_unique<store::Table>(file_, def_, probeBuffer_.data());
    }
    if (probe_->Open() != store::NoError) return {};
    const std::span<const std::byte> record = Buffer();
    const store::Position self = excludeCurrent ? table_->CurrentPosition() : 0;
    for (std::size_t k = 0; k < def_.keys.size(); ++k) {
        if (!def_.keys[k].unique) continue;
        std::copy(record.begin(), record.end(), probeBuffer_.begin());
        if (probe_->Fetch(k) == store::NoError && probe_->CurrentPosition() != self) {
            return def_.keys[k].description;
        }
    }
    return {};
}

ui::Level TableManager::Write(bool add, Report report) {
    if (const ui::Level level = OpenTable(report); level != ui::Benign) return level;
    const int rc = add ? table_->Add() : table_->Put();
    if (rc == store::NoError) return ui::Benign;
    if (report == Report::No) return rc == store::DuplicateKey ? ui::Notify : ui::Fatal;
    if (rc == store::DuplicateKey) {
        const std::string_view key = DuplicatedKey(!add);
        Errors().SetFile(Label());
        Errors().ThrowMessage(ui::msg::DuplicateKey, key);
        return ui::Notify;
    }
    return ReportStoreError(add ? ui::msg::AddFailed : ui::msg::PutFailed);
}

ui::Level TableManager::Insert() {
    return Write(true, Report::Yes);
}
ui::Level TableManager::Update() {
    return Write(false, Report::Yes);
}
ui::Level TableManager::TryInsert() {
    return Write(true, Report::No);
}
ui::Level TableManager::TryUpdate() {
    return Write(false, Report::No);
}

ui::Level TableManager::Flush() {
    if (!table_ || !table_->IsOpen() || table_->Flush() == store::NoError) return ui::Benign;
    return ReportStoreError(ui::msg::PutFailed);
}

ui::Level TableManager::ValidateField(int, bool) {
    return ui::Benign;
}

}  // namespace zem::data

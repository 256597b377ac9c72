#include "platform/ui/errors/error_manager.h"

#include <array>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/store/errors.h"
#include "platform/ui/errors/builtin_errors.h"

namespace zem::ui {
namespace {

struct Entry {
    Level level;
    std::string caption;
    std::string text;
};

// What a message is formatted with. Each thread has its own: a browse on one thread must not
// see the field another thread's form is validating.
struct ThreadContext {
    std::vector<std::string> procedures;
    std::string field;
    std::string file;
    std::string errorText;
    int errorCode = 0;
};

thread_local ThreadContext t_context;

std::string CurrentProcedure() {
    return t_context.procedures.empty() ? std::string() : t_context.procedures.back();
}

// Replaces the placeholders in one pass; substituted values are not scanned again, so a file
// or field name that happens to hold "%Field" shows as written.
std::string Substitute(std::string_view text, std::string_view message) {
    const std::string procedure = CurrentProcedure();
    const std::string code = std::to_string(t_context.errorCode);
    const std::array<std::pair<std::string_view, std::string_view>, 6> values{{
        {"%Field", t_context.field},
        {"%File", t_context.file},
        {"%Message", message},
        {"%ErrorText", t_context.errorText},
        {"%ErrorCode", code},
        {"%Procedure", procedure},
    }};
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == '%') {
            const std::string_view rest = text.substr(pos);
            bool replaced = false;
            for (const auto& [name, value] : values) {
                if (rest.starts_with(name)) {
                    out += value;
                    pos += name.size();
                    replaced = true;
                    break;
                }
            }
            if (replaced) continue;
        }
        out.push_back(text[pos]);
        ++pos;
    }
    return out;
}

std::string UnknownText(int id) {
    return "Unknown error number " + std::to_string(id);
}
constexpr std::string_view kUnknownCaption = "Error";

}  // namespace

struct ErrorManager::Impl {
    mutable std::mutex mutex;
    std::unordered_map<int, Entry> table;
    std::shared_ptr<MessageSink> sink = ConsoleSink();

    std::optional<Entry> Find(int id) const {
        std::lock_guard lock(mutex);
        const auto found = table.find(id);
        if (found == table.end()) return std::nullopt;
        return found->second;
    }

    std::shared_ptr<MessageSink> CurrentSink() const {
        std::lock_guard lock(mutex);
        return sink;
    }

    void Install(std::span<const ErrorEntry> entries) {
        for (const ErrorEntry& entry : entries) {
            table.insert_or_assign(
                entry.id, Entry{entry.level, std::string(entry.caption), std::string(entry.text)});
        }
    }

    Level Raise(int id, std::string_view message) const {
        const std::optional<Entry> entry = Find(id);
        MessageRequest request;
        if (!entry) {
            request = {UnknownText(id), std::string(kUnknownCaption), Icon::Exclamation, ButtonOk,
                       ButtonOk};
        } else if (entry->level == Benign || entry->level == Cancel) {
            // These levels report nothing to the user; an entry is set to Benign to silence it.
            return entry->level;
        } else if (entry->level == User) {
            request = {Substitute(entry->text, message), entry->caption, Icon::Question,
                       ButtonYes | ButtonNo, ButtonYes};
        } else {
            request = {Substitute(entry->text, message), entry->caption, Icon::Exclamation,
                       ButtonOk, ButtonOk};
        }
        // Shown without the lock held: the sink may wait for the user, or raise messages itself.
        const unsigned answer = CurrentSink()->Show(request);
        if (!entry) return Fatal;
        if (entry->level == User) return answer == ButtonYes ? Benign : Cancel;
        return entry->level;
    }
};

ErrorManager::ErrorManager() : impl_(std::make_unique<Impl>()) {
    Init();
}

ErrorManager::~ErrorManager() = default;

ErrorManager& ErrorManager::Global() {
    static ErrorManager manager;
    return manager;
}

void ErrorManager::Init() {
    std::lock_guard lock(impl_->mutex);
    impl_->table.clear();
    impl_->Install(BuiltinErrors());
}

void ErrorManager::Kill() {
    std::lock_guard lock(impl_->mutex);
    impl_->table.clear();
}

void ErrorManager::SetProcedureName(std::string_view name) {
    t_context.procedures.emplace_back(name);
}

void ErrorManager::RemoveProcedureName() {
    if (!t_context.procedures.empty()) t_context.procedures.pop_back();
}

std::string ErrorManager::ProcedureName() const {
    return CurrentProcedure();
}

void ErrorManager::SetField(std::string_view name) {
    t_context.field = name;
}

void ErrorManager::SetFile(std::string_view name) {
    t_context.file = name;
}

void ErrorManager::SetErrors() {
    std::string text(store::ErrorText());
    if (store::FileErrorCode() != 0) {
        text += " (";
        text += store::FileErrorText();
        text += ")";
    }
    SetErrorText(text, store::ErrorCode());
}

void ErrorManager::SetErrorText(std::string_view text, int code) {
    t_context.errorText = text;
    t_context.errorCode = code;
}

Level ErrorManager::Throw(int id) {
    return impl_->Raise(id, {});
}

Level ErrorManager::ThrowMessage(int id, std::string_view message) {
    return impl_->Raise(id, message);
}

Level ErrorManager::ThrowFile(int id, std::string_view file) {
    SetFile(file);
    return impl_->Raise(id, {});
}

std::string ErrorManager::FormatText(int id, std::string_view message) const {
    const std::optional<Entry> entry = impl_->Find(id);
    if (!entry) return UnknownText(id);
    return Substitute(entry->text, message);
}

std::string ErrorManager::Caption(int id) const {
    const std::optional<Entry> entry = impl_->Find(id);
    return entry ? entry->caption : std::string(kUnknownCaption);
}

void ErrorManager::AddErrors(std::span<const ErrorEntry> entries) {
    std::lock_guard lock(impl_->mutex);
    impl_->Install(entries);
}

void ErrorManager::SetSink(std::shared_ptr<MessageSink> sink) {
    std::lock_guard lock(impl_->mutex);
    impl_->sink = sink ? std::move(sink) : ConsoleSink();
}

std::shared_ptr<MessageSink> ErrorManager::Sink() const {
    return impl_->CurrentSink();
}

}  // namespace zem::ui

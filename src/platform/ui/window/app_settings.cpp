#include "platform/ui/window/app_settings.h"

#include <atomic>
#include <mutex>

namespace zem::ui {
namespace {

std::mutex g_mutex;
std::string g_applicationIcon;
std::string g_defaultIcon;
std::atomic<int> g_charset{0};

}  // namespace

void SetApplicationIcon(std::string_view icon) {
    std::lock_guard lock(g_mutex);
    g_applicationIcon = icon;
}
std::string ApplicationIcon() {
    std::lock_guard lock(g_mutex);
    return g_applicationIcon;
}
void SetDefaultWindowIcon(std::string_view icon) {
    std::lock_guard lock(g_mutex);
    g_defaultIcon = icon;
}
std::string DefaultWindowIcon() {
    std::lock_guard lock(g_mutex);
    return g_defaultIcon;
}
void SetDefaultCharset(int charset) {
    g_charset = charset;
}
int DefaultCharset() {
    return g_charset;
}

}  // namespace zem::ui

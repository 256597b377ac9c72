// The display server tests' resources: a folder of their own, made before any thread starts, so
// no thread reads the environment while it changes.
#include <memory>

#include "platform/ui/resources/temp_resources.h"
#include "qt_test_support.h"
#include "support/qt_test_main.h"

namespace {

// Owned by what the set-up returns: the folder goes when the test main lets it go.
zem::test::TempResources* g_resources = nullptr;

const zem::test::QtTestSetUpHook kSetUp([] {
    auto resources = std::make_shared<zem::test::TempResources>();
    g_resources = resources.get();
    return resources;
});

}  // namespace

namespace zem::ui::qt::testing {

const std::filesystem::path& TestResources() {
    return g_resources->Path();
}

}  // namespace zem::ui::qt::testing

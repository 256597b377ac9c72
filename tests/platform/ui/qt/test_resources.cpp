// The display server tests' resources: a folder of their own, made before any thread starts, so
// no thread reads the environment while it changes.
#include <memory>

#include "platform/ui/resources/temp_resources.h"
#include "qt_test_support.h"
#include "support/qt_test_main.h"

namespace {

std::shared_ptr<zem::test::TempResources> g_resources;

const zem::test::QtTestSetUpHook kSetUp([] {
    g_resources = std::make_shared<zem::test::TempResources>();
    return g_resources;
});

}  // namespace

namespace zem::ui::qt::testing {

const std::filesystem::path& TestResources() {
    return g_resources->Path();
}

}  // namespace zem::ui::qt::testing

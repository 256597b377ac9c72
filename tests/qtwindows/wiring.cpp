// The program's windows run wired as the program's own main wires them.
#include <memory>

#include "app/wiring.h"
#include "support/qt_test_main.h"

namespace {

const zem::test::QtTestSetUpHook kSetUp([] {
    return std::shared_ptr<void>(zem::app::WireProgram());
});

}  // namespace

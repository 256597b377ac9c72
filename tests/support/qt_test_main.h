#pragma once
// The main of the test binaries on the real display server: the server runs on the main thread,
// offscreen, and the tests on a thread of their own, driving it as a user would. The exit code is
// the tests'. Listing the tests (the build's test discovery) starts no display server and runs
// no set-up: nothing runs that a sanitizer could report on, so the listing is the same every
// time.
#include <functional>
#include <memory>

namespace zem::test {

// What a binary sets up once before the display server starts (test resources, the program's
// wiring): it runs before any thread starts, so it may change the environment. What it returns
// is kept until the tests and the display server are done.
using QtTestSetUp = std::function<std::shared_ptr<void>()>;

// Registers the binary's set-up; one static object in one of its files (a second one aborts
// the binary before main):
//   const zem::test::QtTestSetUpHook hook([] { ... });
class QtTestSetUpHook {
  public:
    explicit QtTestSetUpHook(QtTestSetUp setUp);
};

}  // namespace zem::test

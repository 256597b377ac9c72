#include "support/temp_dir.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace zem::test {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zembrola-test-XXXXXX").string();
    if (char* made = ::mkdtemp(pattern.data())) path_ = made;
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace zem::test

#pragma once
// A resource directory of the test's own, named by ZEMBROLA_RESOURCES for the fixture's
// lifetime; files are written into it by relative path.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "support/temp_dir.h"

namespace zem::test {

class TempResources {
  public:
    TempResources() {
        if (const char* old = std::getenv(kVariable)) old_ = old;
        ::setenv(kVariable, dir_.Path().c_str(), 1);
    }
    ~TempResources() {
        if (old_) {
            ::setenv(kVariable, old_->c_str(), 1);
        } else {
            ::unsetenv(kVariable);
        }
    }
    TempResources(const TempResources&) = delete;
    TempResources& operator=(const TempResources&) = delete;

    const std::filesystem::path& Path() const { return dir_.Path(); }

    std::filesystem::path Write(const std::filesystem::path& relative, std::string_view text) {
        const std::filesystem::path file = dir_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }

  private:
    static constexpr const char* kVariable = "ZEMBROLA_RESOURCES";
    TempDir dir_;
    std::optional<std::string> old_;
};

}  // namespace zem::test

#pragma once
// The INI manager: settings kept by section and key in an INI file (window positions, sort
// orders, list settings). Reads and changes happen in memory; only Save writes the file, and it
// replaces the file whole, so a crash never leaves half a file. Safe to use from every thread.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zem::ui {

class IniManager {
  public:
    struct Placement {
        int x = 0, y = 0, width = 0, height = 0;
        bool maximized = false;
    };

    static IniManager& Global();
    IniManager();
    ~IniManager();
    IniManager(const IniManager&) = delete;
    IniManager& operator=(const IniManager&) = delete;

    // Binds the manager to the file and loads it if it exists; settings held before are
    // dropped. A file that exists but can't be read is never written over: Save then fails.
    void Init(std::filesystem::path file);

    std::optional<std::string> Fetch(std::string_view section, std::string_view key) const;
    // Names and values are trimmed; one that could not be written back faithfully (a line
    // break, '=' in the key, ']' in the section, an empty name) is ignored.
    void Update(std::string_view section, std::string_view key, std::string_view value);

    // A window's position and size under the procedure's name. FetchWindow answers nullopt
    // unless all four numbers are there and the size is positive.
    std::optional<Placement> FetchWindow(std::string_view procedure) const;
    void SaveWindow(std::string_view procedure, const Placement& placement);

    // A list's sort under the procedure's name, as "SortOrder": its column from 1, negative
    // when descending; 0 for the list's own order. FetchSortOrder answers nullopt unless a
    // column from 1 to columns is saved.
    struct SortOrder {
        int column = 0;
        bool descending = false;
    };
    std::optional<SortOrder> FetchSortOrder(std::string_view procedure, int columns) const;
    void SaveSortOrder(std::string_view procedure, SortOrder order);

    // Writes the settings through a temporary file in the same directory renamed over the
    // file. False when nothing is bound, the bound file could not be read, or writing failed.
    bool Save();

    // Forgets the settings and the file.
    void Kill();

    std::filesystem::path File() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zem::ui

#pragma once
// Where the program's resource files are: window layouts, icons, pictures and help pages, all
// under one resource directory. ZEMBROLA_RESOURCES names it; without it an installed program
// uses share/zembrola next to its bin folder, and one run from the build tree the source
// tree's resources/ folder.
#include <filesystem>
#include <optional>
#include <string_view>

namespace zem::ui {

std::filesystem::path ResourceDir();

// The layout file of a resource name such as "zembrola$zembr002": the file in the layout folder
// whose "resource" member names it (files are named after their windows), else one named after
// the resource itself.
std::filesystem::path LayoutPath(std::string_view resourceName);

// The PNG drawn for an icon name as window layouts give it ("~WAOK.ICO", "gendict.ico"): the
// name is matched without regard to case, without a leading '~' and without its extension.
// nullopt for an empty name or when no such icon exists.
std::optional<std::filesystem::path> IconPath(std::string_view iconName);

// The PNG of an icon resource as the program links its icons in: "NAME_ICO" (in any case) is
// the icon file "NAME.ICO"; any other name is looked up as an icon name. nullopt when missing.
std::optional<std::filesystem::path> IconResourcePath(std::string_view resource);

// A picture ("toolbox.jpg"), matched without regard to case; nullopt when missing.
std::optional<std::filesystem::path> PicturePath(std::string_view name);

std::filesystem::path HelpDir();

// The file called name in dir: the exact name when it exists, else the one whose name differs
// only in the case of ASCII letters. A name that holds a directory ('/', '\', "..") finds
// nothing, so a name from a layout never reaches outside dir.
std::optional<std::filesystem::path> FindFileIgnoringCase(const std::filesystem::path& dir,
                                                          std::string_view name);

}  // namespace zem::ui

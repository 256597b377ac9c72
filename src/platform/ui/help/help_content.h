#pragma once
// The help pages behind the help viewer: HTML topic pages in the resource directory's help
// folder, named after their procedures ("MainFrame.htm"), with index.htm as the contents page.
// The display server's help window finds its pages and runs its searches here.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zem::ui {

// Where the pages of a help file are: every help file ("zembrola.chm") is the help folder.
std::filesystem::path HelpSetDir(std::string_view helpFile);

// The page of a topic, its name matched without regard to case; nullopt when there is none.
std::optional<std::filesystem::path> HelpTopicPath(std::string_view topic);

std::filesystem::path HelpContentsPath();

struct HelpHit {
    std::string topic;  // the page's file name, as a Topic request names it
    std::string title;  // from its <title>, else the file name
};

// Every page (*.htm) whose text, markup left out, holds all of the words, each without regard
// to case (ASCII letters); sorted by title. No words finds every page.
std::vector<HelpHit> SearchHelp(std::string_view words);

}  // namespace zem::ui

#pragma once
// Where the program keeps its files (zembrola.cfg, quorel.ini, ZEMBROLA.LOG): $ZEMBROLA_HOME
// when set, else $XDG_DATA_HOME/zembrola, else ~/.local/share/zembrola.
#include <filesystem>
#include <string>

namespace zem::shell {

std::filesystem::path DataDirectory();

// Creates the data directory when missing and makes it the working directory. False, with the
// reason in error, when it can't.
bool EnterDataDirectory(std::string& error);

}  // namespace zem::shell

#include "shell/console_start.h"

#include <string_view>

#include "data/data_file_setup.h"
#include "data/dictionary.h"
#include "platform/store/errors.h"
#include "shell/japanese_mode.h"

namespace zem::shell {
namespace {

std::string_view Trim(const char* text, std::size_t size) {
    std::string_view s(text, size);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

}  // namespace

int ConsoleStart(std::ostream& out, std::ostream& err) {
    store::OpenStatus status;
    auto file = data::OpenZembrolaFile(kDataFileName, status);
    if (!file) {
        err << "Zembrola: " << status.text << "\n";
        return 2;
    }
    data::InitDictionary(file);
    JPMode = GetJPMode();

    if (status.created) out << "Created a new data file " << kDataFileName << ".\n";
    data::TableManager& sites = data::Access(data::TableId::Sites);
    if (sites.Open() == ui::Benign) {
        data::SitesRecord& sit = data::Dict().SIT;
        sites.UseFile();
        sites.File().Set(data::SIT_KeyId);
        while (sites.TryNext() == ui::Benign)
            out << sit.ID << "\t" << Trim(sit.NAME, sizeof sit.NAME) << "\t"
                << (sit.ISACTIVE ? "active" : "inactive") << "\n";
        sites.Close();
    }
    out << "JPMode " << static_cast<int>(JPMode.load()) << "\n";
    data::KillDictionary();
    data::CloseZembrolaFile();
    return 0;
}

}  // namespace zem::shell

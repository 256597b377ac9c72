#include "shell/japanese_mode.h"

#include "data/dictionary.h"
#include "platform/store/errors.h"

namespace zem::shell {

std::atomic<std::uint8_t> JPMode{0};

// Both answer a default when the stores can't be read and tell the user nothing: they run at
// start-up and after each activation, where a message box would only get in the way.
std::uint8_t GetJPMode() {
    data::TableManager& sites = data::Access(data::TableId::aSites);
    if (sites.TryOpen() != ui::Benign) return 0;
    data::SitesRecord& asi = data::Dict().ASI;
    asi.ID = kSiteJapan;
    const bool active = sites.TryFetch(data::ASI_KeyId) == ui::Benign && asi.ISACTIVE != 0;
    sites.Close();
    return active ? kShiftJisCharset : 0;
}

std::uint8_t CheckLocalization() {
    data::TableManager& sites = data::Access(data::TableId::aSites);
    if (sites.TryOpen() != ui::Benign) return 1;
    data::SitesRecord& asi = data::Dict().ASI;
    std::uint8_t result = 1;
    if (sites.File().Set(data::ASI_KeyId) == store::NoError) {
        while (sites.TryNext() == ui::Benign) {
            if (asi.ID == kSiteJapan || asi.ISACTIVE == 0) continue;
            result = 0;
            break;
        }
    }
    sites.Close();
    return result;
}

}  // namespace zem::shell

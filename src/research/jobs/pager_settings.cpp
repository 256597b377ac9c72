#include "research/jobs/pager_settings.h"

#include <cstring>
#include <string>
#include <string_view>

#include "data/dictionary.h"
#include "data/text_fields.h"
#include "platform/runtime/trailing_blanks.h"
#include "platform/store/errors.h"
#include "platform/ui/errors/message_sink.h"

namespace zem::research {
namespace {

using data::TableId;

constexpr std::uint8_t kRead = 0;
constexpr std::uint8_t kFailed = 3;

// The configuration table holds one record: the first in file order.
bool ReadSysinfo() {
    data::TableManager& sysinfo = data::Access(TableId::Sysinfo);
    if (sysinfo.UseFile() != ui::Benign) return false;
    sysinfo.File().ClearBuffer();
    if (sysinfo.File().SetFile() != store::NoError) return false;
    return sysinfo.TryNext() == ui::Benign;
}

}  // namespace

std::uint8_t LoadPagerSettings(HTTP::INFO& info) {
    data::Dictionary& d = data::Dict();
    if (!ReadSysinfo()) {
        ui::Message(
            "Error: " + std::string(store::ErrorText()) + ". While fetching system parameters",
            "Error", ui::Icon::Exclamation);
        return kFailed;
    }
    d.BRO.ID = d.SYS.USERAGENT;
    if (data::Access(TableId::Browsers).Fetch(data::BRO_KeyId) != ui::Benign) return kFailed;

    std::memset(&info, 0, sizeof info);
    data::SetCString(info.USERAGENT, data::StringOf(d.BRO.USERAGENT));
    const std::string_view proxy = data::CStringOf(d.SYS.PROXY);
    data::SetCString(info.PROXY, proxy);
    data::SetCString(info.USER, data::CStringOf(d.SYS.USER));
    data::SetCString(info.PASSWORD, data::CStringOf(d.SYS.PASSWORD));
    const std::int32_t manual = d.SYS.MANUAL;
    info.USEPROXY = manual != 0 && !runtime::WithoutTrailingBlanks(proxy).empty() ? 1 : 0;
    info.USEACCOUNT = d.SYS.USEACCOUNT;
    info.USEPASSWORD = d.SYS.USEPASSWORD;
    return kRead;
}

}  // namespace zem::research

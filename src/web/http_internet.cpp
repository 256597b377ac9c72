#include "web/http_internet.h"

#include "data/text_fields.h"

namespace zem::HTTP {

int Internet::SetParameters(std::string_view agent, std::int32_t accessType,
                            std::string_view proxyName, std::string_view proxyUser,
                            std::string_view proxyPass, std::string_view proxyBypass,
                            std::int32_t flags) {
    M_AGENT = agent;
    M_ACCESSTYPE = accessType;
    M_PROXYNAME = proxyName;
    M_PROXYUSER = proxyUser;
    M_PROXYPASS = proxyPass;
    M_PROXYBYPASS = proxyBypass;
    M_FLAGS = flags;
    return 1;
}

int Internet::SetParameters(const Internet& other) {
    return SetParameters(other.M_AGENT, other.M_ACCESSTYPE, other.M_PROXYNAME, other.M_PROXYUSER,
                         other.M_PROXYPASS, other.M_PROXYBYPASS, other.M_FLAGS);
}

void Internet::TakeError() {
    const net::Error& error = M_HINTERNET.LastError();
    M_ERRORCODE = error.code;
    data::SetCString(M_ERROR, error.text);
}

int Internet::Open() {
    if (!M_HINTERNET.Open(M_AGENT, static_cast<net::AccessType>(M_ACCESSTYPE), M_PROXYNAME,
                          M_PROXYBYPASS)) {
        TakeError();
        return 0;
    }
    if (!M_PROXYUSER.empty()) {
        M_ERRORCODE = 0;
        M_ERROR[0] = '\0';
        if (!M_HINTERNET.SetProxyUserName(M_PROXYUSER)) {
            TakeError();
            M_HINTERNET.Close();
            return 0;
        }
        if (!M_PROXYPASS.empty()) {
            M_ERRORCODE = 0;
            M_ERROR[0] = '\0';
            if (!M_HINTERNET.SetProxyPassword(M_PROXYPASS)) {
                TakeError();
                M_HINTERNET.Close();
                return 0;
            }
        }
    }
    return 1;
}

int Internet::Close() {
    M_HINTERNET.Close();
    return 1;
}

}  // namespace zem::HTTP

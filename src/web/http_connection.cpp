#include "web/http_connection.h"

#include "data/text_fields.h"
#include "web/http_internet.h"

namespace zem::HTTP {

int Connection::SetRequest(std::string_view url, std::int32_t flags) {
    SetURL(url);
    M_HEADERS.clear();
    M_FLAGS = flags;
    return 1;
}

int Connection::SetURL(std::string_view url) {
    M_URL = url;
    return 1;
}

void Connection::TakeError() {
    const net::Error& error = M_HCONNECT.LastError();
    M_ERRORCODE = error.code;
    data::SetCString(M_ERROR, error.text);
}

int Connection::Answer(net::Availability availability) {
    switch (availability) {
        case net::Availability::Ready:
            return kReady;
        case net::Availability::Pending:
            return kPending;
        case net::Availability::Failed:
            break;
    }
    return kFailed;
}

int Connection::Open(Internet& internet, const std::atomic<bool>* abort) {
    M_STATUS = 0;
    if (!M_HCONNECT.Open(internet.Handle(), M_URL, abort)) {
        TakeError();
        return 0;
    }
    M_STATUS = M_HCONNECT.StatusCode();
    return 1;
}

int Connection::DataAvailable(std::chrono::milliseconds wait) {
    const int answer = Answer(M_HCONNECT.DataAvailable(wait));
    if (answer == kFailed) TakeError();
    return answer;
}

int Connection::Read(std::span<char> buffer, std::size_t& read, std::chrono::milliseconds wait) {
    const int answer = Answer(M_HCONNECT.Read(buffer, read, wait));
    if (answer == kFailed) TakeError();
    return answer;
}

int Connection::Close() {
    M_HCONNECT.Close();
    return 1;
}

}  // namespace zem::HTTP

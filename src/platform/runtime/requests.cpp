#include "platform/runtime/requests.h"

namespace zem::runtime {
namespace {

thread_local int t_request = request::kNone;
thread_local int t_response = response::kNone;

}  // namespace

int GlobalRequest() {
    return t_request;
}

void SetGlobalRequest(int request) {
    t_request = request;
}

int GlobalResponse() {
    return t_response;
}

void SetGlobalResponse(int response) {
    t_response = response;
}

}  // namespace zem::runtime

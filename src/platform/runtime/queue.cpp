#include "platform/runtime/queue.h"

namespace zem::runtime {

std::string_view QueueErrorText(int code) {
    switch (code) {
        case QueueNoMemory:
            return "Insufficient Memory";
        case QueueEntryNotFound:
            return "Entry Not Found";
        default:
            return {};
    }
}

}  // namespace zem::runtime

#include "platform/runtime/picture_kind.h"

namespace zem::runtime {

PictureKind KindOfPicture(std::string_view picture) {
    if (picture.starts_with('@')) picture.remove_prefix(1);
    if (picture.empty()) return PictureKind::Unknown;
    switch (picture.front()) {
        case 'n':
        case 'N':
            return PictureKind::Number;
        case 's':
        case 'S':
            return PictureKind::String;
        case 'd':
        case 'D':
            return PictureKind::DateValue;
        case 't':
        case 'T':
            return PictureKind::TimeValue;
        default:
            return PictureKind::Unknown;
    }
}

}  // namespace zem::runtime

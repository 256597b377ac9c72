#include "platform/ui/qt/resource_images.h"

#include <QString>
#include <map>
#include <memory>
#include <string>

#include "platform/image/jpeg.h"
#include "platform/ui/resources/resources.h"

namespace zem::ui::qt {
namespace {

std::string Lowered(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsJpeg(const std::filesystem::path& file) {
    const std::string ext = Lowered(file.extension().string());
    return ext == ".jpg" || ext == ".jpeg";
}

QString PathText(const std::filesystem::path& file) {
    return QString::fromStdString(file.string());
}

}  // namespace

QImage ToQImage(const image::Image& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() < static_cast<std::size_t>(picture.width) * picture.height * 3)
        return {};
    const QImage view(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                      QImage::Format_RGB888);
    return view.copy();  // the view borrows picture's bytes
}

QIcon IconFor(std::string_view name) {
    // Never destroyed: icons must not outlive the application object in static destructors.
    static auto& cache = *std::make_unique<std::map<std::string, QIcon>>().release();
    if (name.empty()) return {};
    const std::string key = Lowered(name);
    if (const auto found = cache.find(key); found != cache.end()) return found->second;
    QIcon icon;
    if (const auto file = IconPath(name)) icon = QIcon(PathText(*file));
    cache.emplace(key, icon);
    return icon;
}

QPixmap PictureFor(std::string_view name) {
    if (name.empty()) return {};
    const auto file = PicturePath(name);
    if (!file) return {};
    if (IsJpeg(*file)) {
        const auto picture = image::LoadJpegFile(*file);
        return picture ? QPixmap::fromImage(ToQImage(*picture)) : QPixmap();
    }
    return QPixmap(PathText(*file));
}

}  // namespace zem::ui::qt

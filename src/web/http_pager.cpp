#include "web/http_pager.h"

#include <exception>
#include <string>
#include <system_error>
#include <thread>

#include "data/text_fields.h"

namespace zem::HTTP {

Pager::Pager() {
    for (auto& loader : LOADERS) {
        try {
            loader = std::make_shared<Loader>();
        } catch (const std::exception& e) {
            M_ERRORCODE = -1;
            data::SetCString(M_ERROR, std::string("HTTP::Pager:") + e.what());
            break;
        }
    }
}

Pager::~Pager() {
    for (auto& loader : LOADERS) {
        if (loader) loader->Stop();
        loader.reset();
    }
}

Loader* Pager::LoaderAt(int index) const {
    if (index < 1 || index > kLoaders) return nullptr;
    return LOADERS[static_cast<std::size_t>(index - 1)].get();
}

int Pager::Start(const INFO& info) {
    info_ = info;
    for (auto& loader : LOADERS) {
        if (!loader || !loader->ClaimWorker()) continue;
        try {
            // A plain worker, not a framework thread: it runs no procedure and no hooks.
            std::thread(LoaderThread, ThreadParams{info, loader}).detach();
        } catch (const std::system_error& e) {
            loader->ReleaseWorker();
            M_ERRORCODE = e.code().value() != 0 ? e.code().value() : -1;
            data::SetCString(M_ERROR, e.what());
            return 0;
        }
    }
    return 1;
}

int Pager::Connect(std::string_view url) {
    for (int index = 1; index <= kLoaders; ++index) {
        Loader* loader = LoaderAt(index);
        if (!loader) continue;
        switch (loader->TakeRequest(url, info_, M_ERRORCODE, M_ERROR)) {
            case Loader::Take::Taken:
                return index;
            case Loader::Take::Failed:
                return 0;
            case Loader::Take::Busy:
                break;
        }
    }
    return 0;
}

std::uint8_t Pager::GetState(int index) const {
    const Loader* loader = LoaderAt(index);
    return loader ? loader->State() : 0;
}

std::size_t Pager::GetPage(int index, std::span<char> page) {
    Loader* loader = LoaderAt(index);
    if (!loader) return 0;
    return loader->Collect(page, M_ERRORCODE, M_ERROR, M_STATUS);
}

int Pager::Busy() const {
    int busy = 0;
    for (int index = 1; index <= kLoaders; ++index) {
        const Loader* loader = LoaderAt(index);
        if (!loader || loader->State() != Loader::Idle) ++busy;
    }
    return busy;
}

}  // namespace zem::HTTP

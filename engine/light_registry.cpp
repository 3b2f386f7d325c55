#include "engine/light_registry.h"

#include <algorithm>

#include "engine/registry.h"

namespace kiv {

template <class T>
int ObjectRegistry<T>::instanciate(T* object) {
    entries_.push_back(object);
    ended_ = static_cast<std::int32_t>(entries_.size());
    return ended_ - 1;
}

template <class T>
void ObjectRegistry<T>::release() {
    // A caller may register the same object twice; each object is finished and destroyed
    // exactly once all the same.
    std::vector<T*> live;
    live.reserve(entries_.size());
    for (T* e : entries_)
        if (e != nullptr) live.push_back(e);
    std::sort(live.begin(), live.end());
    live.erase(std::unique(live.begin(), live.end()), live.end());
    for (T* e : live) e->del();

    // Retired objects already had their del() when they were taken out.
    live.insert(live.end(), retired_.begin(), retired_.end());
    std::sort(live.begin(), live.end());
    live.erase(std::unique(live.begin(), live.end()), live.end());
    for (T* e : live) delete e;

    std::vector<T*>().swap(entries_);
    std::vector<T*>().swap(retired_);
    ended_ = 0;
}

template <class T>
KivLong ObjectRegistry<T>::output(int first, int last, const char* path) const {
    return outputRecords(ended_, first, last, path, [this](std::FILE* f, int i) {
        if (T* e = entries_[static_cast<std::size_t>(i)]) e->output(f);
    });
}

template class ObjectRegistry<KivLight>;
template class ObjectRegistry<KivLightData>;

KivLong LightRegistry::remove(int i) {
    if (i < 0 || i >= ended_ || i >= instanceCount()) return 0;
    KivLight*& e = entries_[static_cast<std::size_t>(i)];
    if (e != nullptr) {
        e->del();
        retired_.push_back(e);
        e = nullptr;
    }
    return 1;
}

}  // namespace kiv

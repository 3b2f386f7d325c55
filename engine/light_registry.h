#pragma once
// The scene's two registries of polymorphic objects: lights and the goniometric data that
// general lights share. Each owns the objects appended to it and destroys them, after their
// del(), when it is emptied or destroyed. An object's index never changes.
#include <cstdint>
#include <vector>

#include "engine/kiv_types.h"
#include "engine/light.h"

namespace kiv {

template <class T>
class ObjectRegistry {
public:
    ObjectRegistry() = default;
    ~ObjectRegistry() { release(); }
    ObjectRegistry(const ObjectRegistry&) = delete;
    ObjectRegistry& operator=(const ObjectRegistry&) = delete;

    // Takes ownership of object (null is kept as an empty entry), sets the ended count to the
    // number of entries and returns the new index.
    int instanciate(T* object);
    void append(T* object) { instanciate(object); }
    int endInstance() {
        ended_ = static_cast<std::int32_t>(entries_.size());
        return ended_;
    }
    // Number of entries, empty ones included.
    int instanceCount() const { return static_cast<int>(entries_.size()); }
    std::int32_t endedCount() const { return ended_; }

    // Entry i when 0 <= i < ended count, otherwise null; a deleted entry is null too.
    T* at(int i) const {
        return i >= 0 && i < ended_ && i < instanceCount() ? entries_[static_cast<std::size_t>(i)]
                                                           : nullptr;
    }
    // Start of the entry array; null when the registry is empty.
    T** data() { return entries_.empty() ? nullptr : entries_.data(); }

    // Calls del() of every entry that is not null, destroys every object the registry owns,
    // empties it and sets the ended count to 0.
    void release();

    // Writes the ended count and then the output() text of entries first..last (empty entries
    // skipped) into a new file at path. A bad range writes the standard error line instead and
    // answers 0; an unwritable path answers 0.
    KivLong output(int first, int last, const char* path) const;

protected:
    std::vector<T*> entries_;
    // Objects taken out of the entry array whose destruction waits for the next release.
    std::vector<T*> retired_;
    std::int32_t ended_ = 0;
};

class LightRegistry : public ObjectRegistry<KivLight> {
public:
    void initialize() { release(); }
    void end() { release(); }

    // Deletes light i: del() is called and its entry becomes null for good; the index is not
    // reused. The object itself stays alive until the registry is released, so a caller still
    // holding its pointer does not hold a dangling one. Answers 0 for an index outside
    // 0..ended count - 1, otherwise 1 (also for an entry that was already deleted).
    KivLong remove(int i);
};

class LightDataRegistry : public ObjectRegistry<KivLightData> {
public:
    void initialize() { release(); }
    void end() { release(); }
};

extern template class ObjectRegistry<KivLight>;
extern template class ObjectRegistry<KivLightData>;

}  // namespace kiv

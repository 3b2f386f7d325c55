#pragma once
// The registry convention shared by every record family: a growable array that owns its
// records, addressed by 0-based index, plus a separate ended count that EndInstance copies from
// the instance count and that name searches and text output use.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include "engine/kiv_types.h"

namespace kiv {

template <class T>
class Registry {
public:
    // Appends a record and returns its index; the ended count is unchanged.
    int instanciate(T record) {
        items_.push_back(std::move(record));
        return static_cast<int>(items_.size()) - 1;
    }
    void append(T record) { items_.push_back(std::move(record)); }
    int endInstance() {
        ended_ = static_cast<std::int32_t>(items_.size());
        return ended_;
    }
    int instanceCount() const { return static_cast<int>(items_.size()); }
    std::int32_t endedCount() const { return ended_; }
    void setEndedCount(std::int32_t n) { ended_ = n; }

    // Bounds-tested access: an index outside raises std::out_of_range.
    T* getReference(int i) { return &items_.at(static_cast<std::size_t>(i)); }
    T* getPointer() { return items_.empty() ? nullptr : items_.data(); }
    const T* getPointer() const { return items_.empty() ? nullptr : items_.data(); }
    // Untested access, as the interface defines it; callers guarantee the index.
    T* getPointer(int i) { return items_.data() + i; }
    bool contains(int i) const { return i >= 0 && i < instanceCount(); }

    T& operator[](int i) { return items_[static_cast<std::size_t>(i)]; }
    const T& operator[](int i) const { return items_[static_cast<std::size_t>(i)]; }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    std::vector<T>& items() { return items_; }
    const std::vector<T>& items() const { return items_; }

    // Index of the first of the ended records whose name (as given by nameOf) equals name
    // byte for byte; -1 when none matches or nothing has been ended.
    template <class NameOf>
    int indexFromName(const char* name, NameOf nameOf) const {
        if (name == nullptr) return -1;
        const int n = std::min<int>(ended_, instanceCount());
        for (int i = 0; i < n; ++i)
            if (std::strcmp(nameOf(items_[static_cast<std::size_t>(i)]), name) == 0) return i;
        return -1;
    }

    // Empties the registry, destroying its records and releasing the storage.
    void clear() {
        std::vector<T>().swap(items_);
        ended_ = 0;
    }

private:
    std::vector<T> items_;
    std::int32_t ended_ = 0;
};

// Writes records from..to of a registry with the given ended count as text into a new file.
// writeOne(FILE*, index) writes one record's own text form. Returns 1 on success; a bad range
// writes the standard error line into the file and returns 0; an unwritable path returns 0.
template <class WriteOne>
KivLong outputRecords(std::int32_t ended, int from, int to, const char* path, WriteOne writeOne) {
    if (path == nullptr) return 0;
    std::FILE* f = std::fopen(path, "w");
    if (f == nullptr) return 0;
    if (from >= 0 && to >= 0 && from <= to && to <= ended - 1) {
        std::fprintf(f, "%d\n", ended);
        std::fflush(f);
        for (int i = from; i <= to; ++i) writeOne(f, i);
        std::fclose(f);
        return 1;
    }
    std::fputs("Index Argment Error. Exit.\n", f);
    std::fclose(f);
    return 0;
}

// Copies a C string into a fixed buffer, cutting it so that it always fits with its zero.
template <std::size_t N>
void copyName(char (&dst)[N], const char* src) {
    if (src == nullptr) {
        dst[0] = '\0';
        return;
    }
    std::size_t n = std::strlen(src);
    if (n > N - 1) n = N - 1;
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

}  // namespace kiv

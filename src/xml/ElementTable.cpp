#include "xml/ElementTable.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace xml {

void ElementTable::Release() {
    m_owned.reset();
    m_segments.reset();
    m_size = 0;
    m_capacity = 0;
}

int ElementTable::SegmentLength(int s) const {
    if (s < 0 || s >= SegmentCount()) return 0;
    return s + 1 < SegmentCount() ? kSegmentSize : m_size - (s << kSegmentBits);
}

// Entries are written whole when they are taken into use, so segments are
// left unfilled: filling them would be a second pass over the index.
void ElementTable::Reallocate(int s, int oldLength, int newLength) {
    Segment segment(
        static_cast<ElementEntry*>(::operator new[](static_cast<size_t>(newLength) * sizeof(ElementEntry))));
    if (oldLength) std::memcpy(static_cast<void*>(segment.get()), m_owned[s].get(), sizeof(ElementEntry) * oldLength);
    m_segments[s] = segment.get();
    m_owned[s] = std::move(segment);
}

void ElementTable::Resize(std::int32_t n) {
    if (n <= m_size) return;
    const int oldSegments = SegmentCount();
    const std::int64_t reachable = static_cast<std::int64_t>(oldSegments + 1) << kSegmentBits;
    if (n > reachable) n = static_cast<std::int32_t>(reachable);
    const int newSegments = ((n - 1) >> kSegmentBits) + 1;

    if (newSegments > m_capacity) {
        const int capacity = 2 * (newSegments - 1) + 4;
        auto owned = std::make_unique<Segment[]>(static_cast<size_t>(capacity));
        auto pointers = std::make_unique<ElementEntry*[]>(static_cast<size_t>(capacity));
        for (int s = 0; s < oldSegments; ++s) {
            owned[s] = std::move(m_owned[s]);
            pointers[s] = m_segments[s];
        }
        m_owned = std::move(owned);
        m_segments = std::move(pointers);
        m_capacity = capacity;
    }

    const int lastLength = n - ((newSegments - 1) << kSegmentBits);
    if (newSegments == oldSegments) {
        Reallocate(newSegments - 1, SegmentLength(newSegments - 1), lastLength);
    } else {
        // The old last segment stops being last: it becomes a full one.
        if (oldSegments > 0 && SegmentLength(oldSegments - 1) < kSegmentSize) {
            Reallocate(oldSegments - 1, SegmentLength(oldSegments - 1), kSegmentSize);
        }
        Reallocate(newSegments - 1, 0, lastLength);
    }
    m_size = n;
}

}  // namespace xml

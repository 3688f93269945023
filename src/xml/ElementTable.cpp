#include "xml/ElementTable.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace xml {
namespace {

// Entries are written whole when they are taken into use, so segments are
// left unfilled: filling them would be a second pass over the index.
ElementEntry* AllocateSegment(int length) {
    return static_cast<ElementEntry*>(::operator new[](static_cast<size_t>(length) * sizeof(ElementEntry)));
}
void FreeSegment(ElementEntry* segment) { ::operator delete[](segment); }

}  // namespace

ElementTable::~ElementTable() { Release(); }

void ElementTable::Release() {
    for (int s = 0; s < SegmentCount(); ++s) FreeSegment(m_segments[s]);
    delete[] m_segments;
    m_segments = nullptr;
    m_size = 0;
    m_capacity = 0;
}

int ElementTable::SegmentLength(int s) const {
    if (s < 0 || s >= SegmentCount()) return 0;
    return s + 1 < SegmentCount() ? kSegmentSize : m_size - (s << kSegmentBits);
}

void ElementTable::Resize(std::int32_t n) {
    if (n <= m_size) return;
    const int oldSegments = SegmentCount();
    const std::int64_t reachable = static_cast<std::int64_t>(oldSegments + 1) << kSegmentBits;
    if (n > reachable) n = static_cast<std::int32_t>(reachable);
    const int newSegments = ((n - 1) >> kSegmentBits) + 1;

    if (newSegments > m_capacity) {
        const int capacity = 2 * (newSegments - 1) + 4;
        auto** pointers = new ElementEntry*[static_cast<size_t>(capacity)]();
        std::copy(m_segments, m_segments + oldSegments, pointers);
        delete[] m_segments;
        m_segments = pointers;
        m_capacity = capacity;
    }

    const auto reallocate = [this](int s, int oldLength, int newLength) {
        ElementEntry* segment = AllocateSegment(newLength);
        if (oldLength) std::memcpy(static_cast<void*>(segment), m_segments[s], sizeof(ElementEntry) * oldLength);
        FreeSegment(m_segments[s]);
        m_segments[s] = segment;
    };

    const int lastLength = n - ((newSegments - 1) << kSegmentBits);
    if (newSegments == oldSegments) {
        reallocate(newSegments - 1, SegmentLength(newSegments - 1), lastLength);
    } else {
        // The old last segment stops being last: it becomes a full one.
        if (oldSegments > 0 && SegmentLength(oldSegments - 1) < kSegmentSize) {
            reallocate(oldSegments - 1, SegmentLength(oldSegments - 1), kSegmentSize);
        }
        m_segments[newSegments - 1] = nullptr;
        reallocate(newSegments - 1, 0, lastLength);
    }
    m_size = n;
}

}  // namespace xml

#pragma once

#include <cstdint>
#include <memory>

namespace xml {

// Flag bits of ElementEntry::levelFlags.
inline constexpr std::uint32_t kLevelMask = 0xFFFF;
inline constexpr std::uint32_t kFlagFirstChild = 0x80000;
inline constexpr std::uint32_t kFlagNoEndTag = 0x100000;
inline constexpr std::uint32_t kFlagErrorInside = 0x200000;
inline constexpr std::uint32_t kFlagDocumentError = 0x800000;  // element 0 only

inline constexpr int kMaxStartTagLength = (1 << 22) - 1;
inline constexpr int kMaxEndTagLength = (1 << 10) - 1;

// One element of the index: where it lies in the text and how it is linked.
// The previous-sibling chain is closed: a first child's prev names the last
// child, so the end of a child list is one step from its parent.
struct ElementEntry {
    std::int32_t start = 0;
    std::int32_t length = 0;
    std::uint32_t tagLengths = 0;  // low 22 bits start tag, high 10 bits end tag
    std::uint32_t levelFlags = 0;
    std::uint32_t parent = 0;
    std::uint32_t firstChild = 0;
    std::uint32_t next = 0;
    std::uint32_t prev = 0;

    int StartTagLength() const { return static_cast<int>(tagLengths & 0x3FFFFFu); }
    int EndTagLength() const { return static_cast<int>(tagLengths >> 22); }
    void SetStartTagLength(int n) {
        tagLengths = (tagLengths & ~0x3FFFFFu) | (static_cast<std::uint32_t>(n) & 0x3FFFFFu);
    }
    void SetEndTagLength(int n) { tagLengths = (tagLengths & 0x3FFFFFu) | (static_cast<std::uint32_t>(n) << 22); }
    int Level() const { return static_cast<int>(levelFlags & kLevelMask); }
    void SetLevel(int level) {
        // Depths past the field's width stay at its top.
        const std::uint32_t l = level < 0 ? 0u : level > 0xFFFF ? 0xFFFFu : static_cast<std::uint32_t>(level);
        levelFlags = (levelFlags & ~kLevelMask) | l;
    }
    bool Has(std::uint32_t flag) const { return (levelFlags & flag) != 0; }
};

// The growable element index, in segments of 65536 entries so that growth
// copies at most the last segment or two, never the whole table.
class ElementTable {
public:
    static constexpr int kSegmentBits = 16;
    static constexpr int kSegmentSize = 1 << kSegmentBits;

    ElementTable() = default;
    ElementTable(const ElementTable&) = delete;
    ElementTable& operator=(const ElementTable&) = delete;

    ElementEntry& operator[](std::uint32_t i) { return m_segments[i >> kSegmentBits][i & (kSegmentSize - 1)]; }
    const ElementEntry& operator[](std::uint32_t i) const {
        return m_segments[i >> kSegmentBits][i & (kSegmentSize - 1)];
    }

    // The segments, for loops that look entries up often; valid until the
    // table grows.
    ElementEntry* const* Segments() const { return m_segments.get(); }

    // Entries allocated.
    std::int32_t Size() const { return m_size; }
    int SegmentCount() const { return m_size ? ((m_size - 1) >> kSegmentBits) + 1 : 0; }
    int SegmentPointerCapacity() const { return m_capacity; }
    // Entries allocated in segment s.
    int SegmentLength(int s) const;

    // Grows to n entries, but by at most one segment beyond the current last
    // one in one call. Never shrinks. New entries hold no values yet: each is
    // written whole when it is taken into use.
    void Resize(std::int32_t n);
    // Frees every segment.
    void Release();

private:
    // Segments are raw storage (entries are written whole when taken into
    // use), so they are freed with the operator that allocated them.
    struct SegmentFree {
        void operator()(ElementEntry* segment) const { ::operator delete[](segment); }
    };
    using Segment = std::unique_ptr<ElementEntry[], SegmentFree>;

    void Reallocate(int s, int oldLength, int newLength);

    // m_owned holds the segments; m_segments is the plain pointer array the
    // lookups read, one step shorter than going through the owners.
    std::unique_ptr<Segment[]> m_owned;
    std::unique_ptr<ElementEntry*[]> m_segments;
    std::int32_t m_size = 0;
    std::int32_t m_capacity = 0;
};

}  // namespace xml

#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "xml/DocFile.h"
#include "xml/ElementTable.h"

namespace xml {

struct Scanner;

// Document flags: what a loaded file's encoding was.
inline constexpr std::uint32_t kDocUtf16Le = 0x1;
inline constexpr std::uint32_t kDocUtf8Bom = 0x4;
inline constexpr std::uint32_t kDocUtf16Be = 0x80;

// Flags of PutMain and PutChild.
inline constexpr std::uint32_t kPutCdata = 0x1;
inline constexpr std::uint32_t kPutNoLineBreaks = 0x2;
inline constexpr std::uint32_t kPutSpaceBeforeSlash = 0x4;
inline constexpr std::uint32_t kPutKeepReferences = 0x8;
inline constexpr std::uint32_t kPutNoEndTag = 0x10;
inline constexpr std::uint32_t kPutChildVariant = 0x4000;

// Kind bits of AddReportRecord.
inline constexpr std::uint32_t kRecCount = 0x1;
inline constexpr std::uint32_t kRecType = 0x2;
inline constexpr std::uint32_t kRecN = 0x4;
inline constexpr std::uint32_t kRecEncoding = 0x8;
inline constexpr std::uint32_t kRecLength = 0x10;
inline constexpr std::uint32_t kRecUpdate = 0x20;
inline constexpr std::uint32_t kRecMsg = 0x40;

// One XML document held as its text, in the system code page, with an index
// of its elements. Three positions (parent, main, child) move through it;
// additions splice text in and patch the index, never re-parse.
class XmlTextDoc {
public:
    XmlTextDoc();
    explicit XmlTextDoc(std::string_view text);
    ~XmlTextDoc();
    XmlTextDoc(const XmlTextDoc&) = delete;
    XmlTextDoc& operator=(const XmlTextDoc&) = delete;

    // Reads a file into the document and parses it; true when it loaded and
    // is one well-formed tree. The report tells what happened. A file longer
    // than maxLength bytes is refused unread.
    bool LoadFrom(const char* path, std::int64_t maxLength = INT32_MAX);
    // Writes the text to a file, replacing it atomically; true on success.
    // OwnerOnly makes the file the user's alone whatever the old one allowed.
    bool SaveTo(const char* path, FileAccess access = FileAccess::Kept);
    // The bytes SaveTo would write, in memory; true on success.
    bool EncodeTo(std::string& bytes);

    // Replaces the text (null: empty, memory released), clears the report and
    // parses. True when the text is one well-formed element tree.
    bool SetDocText(const char* text);
    bool SetDocText(std::string_view text);
    const std::string& DocText() const { return m_text; }
    const std::string& ReportText() const { return m_report; }

    // Navigation. A name is a search path; only its first step's name counts.
    bool SeekMain(const char* name = nullptr);
    bool SeekChild(const char* name = nullptr);
    bool Descend();
    bool Ascend();
    // The decoded text of the child element ("" without one).
    std::string TextOfChild() const;

    // Additions.
    bool PutMain(const char* name, const char* text = nullptr, std::uint32_t flags = 0);
    bool PutChild(const char* name, const char* text = nullptr, std::uint32_t flags = 0);
    bool PutAttribute(const char* name, const char* value, std::uint32_t flags = 0);
    bool PutAttribute(const char* name, int value, std::uint32_t flags = 0);

    // Appends (or with kRecUpdate updates) one record of a report text.
    static void AddReportRecord(std::string& report, const char* word, const char* value, std::uint32_t kind,
                                std::int64_t number = -1, std::int64_t number2 = -1);

    // The index, for inspection.
    const ElementEntry& Element(std::uint32_t i) const { return (*m_table)[i]; }
    std::int32_t NextFreeIndex() const { return m_nextFree; }
    std::uint32_t ParentPos() const { return m_parentPos; }
    std::uint32_t MainPos() const { return m_mainPos; }
    std::uint32_t ChildPos() const { return m_childPos; }
    std::uint32_t MainNodeKind() const { return m_mainKind; }
    std::uint32_t DocFlags() const { return m_docFlags; }
    void SetDocFlags(std::uint32_t flags) { m_docFlags = flags; }
    const char* PositionDescription() const { return m_posDescription; }
    std::int32_t PositionOffset() const { return m_posOffset; }
    const ElementTable& Table() const { return *m_table; }
    // The element's tag name.
    std::string_view TagNameOf(std::uint32_t element) const;
    // The decoded text of an element ("" for empty ones and ones with children).
    std::string ElementText(std::uint32_t element) const;
    // Rebuilds the index from the text; true when it is one well-formed tree.
    bool ParseDocument();
    bool CheckSingleRoot() const;

    // Reference decoding, and the two encodings of text for markup.
    static std::string DecodeEntities(std::string_view text);
    enum class EncodeMode { Text, Attribute };
    static std::string EncodeEntities(std::string_view text, EncodeMode mode, bool keepReferences);
    static std::string WrapCdata(std::string_view text);

private:
    friend class Parser;

    // DecodeEntities for a text without markup: false (out unspecified) when
    // the text holds a '<' byte anywhere.
    static bool DecodeTextWithoutMarkup(std::string_view text, std::string& out);
    void SetPositions(std::uint32_t parent, std::uint32_t main, std::uint32_t child);
    void ResetPositions() { SetPositions(0, 0, 0); }
    std::uint32_t FindInChildren(std::uint32_t parent, std::uint32_t after, const char* path) const;
    std::uint32_t NewIndex();
    ElementEntry& E(std::uint32_t i) { return (*m_table)[i]; }
    const ElementEntry& E(std::uint32_t i) const { return (*m_table)[i]; }

    bool Put(const char* name, const char* text, std::uint32_t flags);
    // Where an addition put its element, and how much text it added and replaced.
    struct Insertion {
        std::int32_t start;
        std::int32_t inserted;
        std::int32_t replaced;
    };
    // A short text built in place (on the stack up to 240 bytes): what one
    // addition inserts, without a string allocated for each part of it.
    class Pieces {
    public:
        [[gnu::always_inline]] Pieces& Add(std::string_view piece) {
            if (m_size + piece.size() <= sizeof m_small) {
                if (piece.size() <= 8) {
                    for (const char c : piece) m_small[m_size++] = c;  // most parts are a few bytes long
                } else {
                    std::memcpy(m_small + m_size, piece.data(), piece.size());
                    m_size += piece.size();
                }
            } else {
                AddLarge(piece);
            }
            return *this;
        }
        std::string_view View() const {
            return m_large ? std::string_view(*m_large) : std::string_view(m_small, m_size);
        }
        std::size_t Size() const { return m_large ? m_large->size() : m_size; }

    private:
        void AddLarge(std::string_view piece) {
            if (!m_large) m_large = std::make_unique<std::string>(m_small, m_size);
            m_large->append(piece);
            m_size = sizeof m_small + 1;  // never small again
        }
        char m_small[240];
        std::size_t m_size = 0;
        std::unique_ptr<std::string> m_large;
    };
    // WriteElement writes the element's text into a Pieces.
    template <class WriteElement>
    Insertion InsertElementText(std::uint32_t parent, std::uint32_t& after, const WriteElement& element,
                                std::uint32_t flags);
    void LinkElement(std::uint32_t parent, std::uint32_t after, std::uint32_t element);
    void ShiftFollowing(std::uint32_t element, std::int32_t delta, bool descend);
    void SpliceText(std::size_t position, std::size_t count, std::string_view insert);

    const char* m_posDescription = nullptr;
    std::int32_t m_posOffset = 0;
    std::string m_text;
    std::string m_report;
    std::uint32_t m_parentPos = 0;
    std::uint32_t m_mainPos = 0;
    std::uint32_t m_childPos = 0;
    std::int32_t m_nextFree = 1;
    std::uint32_t m_mainKind = 0;
    std::uint32_t m_docFlags = 0;
    std::unique_ptr<ElementTable> m_table;
};

}  // namespace xml

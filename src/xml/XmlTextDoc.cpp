#include "xml/XmlTextDoc.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "textcodec/CodePage.h"
#include "xml/Scanner.h"
#include "xml/SearchPath.h"

namespace xml {
namespace {

// Bytes of a search name that is compared in place: ASCII that ends neither
// a tag name nor a step of a search path.
constexpr auto kPlainNameByte = [] {
    std::array<bool, 256> t{};
    for (int c = 1; c < 0x80; ++c) {
        t[static_cast<std::size_t>(c)] =
            !IsTagNameEnd(static_cast<unsigned char>(c)) && !IsPathNameEnd(static_cast<char>(c));
    }
    return t;
}();

// Bytes that keep a text from being returned as it is: markup, a reference,
// or a byte of a character beyond ASCII.
constexpr auto kMarkupOrWide = [] {
    std::array<bool, 256> t{};
    for (int c = 0x80; c < 0x100; ++c) t[static_cast<std::size_t>(c)] = true;
    t['<'] = t['&'] = true;
    return t;
}();

}  // namespace

XmlTextDoc::XmlTextDoc() : m_table(std::make_unique<ElementTable>()) { ParseDocument(); }

XmlTextDoc::XmlTextDoc(std::string_view text) : m_text(text), m_table(std::make_unique<ElementTable>()) {
    ParseDocument();
}

XmlTextDoc::~XmlTextDoc() = default;

bool XmlTextDoc::SetDocText(const char* text) {
    if (!text) {
        // Null empties the document and gives its memory back.
        std::string().swap(m_text);
        m_report.clear();
        m_table->Release();
        return ParseDocument();
    }
    return SetDocText(std::string_view(text));
}

bool XmlTextDoc::SetDocText(std::string_view text) {
    m_text.assign(text);
    m_report.clear();
    return ParseDocument();
}

void XmlTextDoc::SetPositions(std::uint32_t parent, std::uint32_t main, std::uint32_t child) {
    m_parentPos = parent;
    m_mainPos = main;
    m_childPos = child;
    m_mainKind = main ? 1 : 0;
    if (child) {
        m_posDescription = "child position element";
        m_posOffset = E(child).start;
    } else if (main) {
        m_posDescription = "main position element";
        m_posOffset = E(main).start;
    } else if (parent) {
        m_posDescription = "parent position element";
        m_posOffset = E(parent).start;
    } else {
        m_posDescription = "top of document";
        m_posOffset = 0;
    }
}

std::uint32_t XmlTextDoc::NewIndex() {
    const std::int32_t n = m_nextFree;
    if (n >= m_table->Size()) m_table->Resize(n + n / 2 + 1);
    ++m_nextFree;
    E(static_cast<std::uint32_t>(n)) = ElementEntry{};
    return static_cast<std::uint32_t>(n);
}

std::string_view XmlTextDoc::TagNameOf(std::uint32_t element) const {
    if (element == 0) return {};
    const char* const base = m_text.c_str();
    const char* const end = base + m_text.size();
    const char* p = base + E(element).start + 1;
    while (p < end && IsWs(static_cast<unsigned char>(*p))) ++p;
    const char* const name = p;
    // ASCII bytes are one character in every page: the page's table only from the first other byte.
    while (p < end && static_cast<unsigned char>(*p) < 0x80 && !IsTagNameEnd(static_cast<unsigned char>(*p))) ++p;
    if (p < end && static_cast<unsigned char>(*p) >= 0x80) {
        const std::uint8_t* lead = textcodec::LeadByteLengths(textcodec::SystemCodePage());
        while (p < end && !IsTagNameEnd(static_cast<unsigned char>(*p))) p += textcodec::CharLength(lead, p, end);
    }
    return {name, static_cast<size_t>(p - name)};
}

std::uint32_t XmlTextDoc::FindInChildren(std::uint32_t parent, std::uint32_t after, const char* path) const {
    std::uint32_t e = after ? E(after).next : E(parent).firstChild;
    // A name of ASCII bytes that do not end a tag name matches a tag whose
    // name is those bytes followed by a byte that ends it: compared in place.
    const auto plainByte = [](char c) {
        return static_cast<unsigned char>(c) < 0x80 && !IsTagNameEnd(static_cast<unsigned char>(c));
    };
    const char* name = path;
    std::size_t length = 0;
    // Nearly every search is such a name and nothing else: the path is not parsed.
    if (path) {
        while (kPlainNameByte[static_cast<unsigned char>(path[length])]) ++length;
    }
    if (length == 0 || path[length] != '\0') {
        const SearchPath sp(path);
        if (sp.kind == SearchPath::kAny) return e;
        if (sp.kind != SearchPath::kRelative) return 0;
        if (!std::all_of(sp.name, sp.name + sp.nameLength, plainByte)) {
            for (; e; e = E(e).next) {
                if (sp.Matches(TagNameOf(e))) return e;
            }
            return 0;
        }
        name = sp.name;
        length = sp.nameLength;
    }
    const char* const base = m_text.c_str();
    const char* const end = base + m_text.size();
    for (; e; e = E(e).next) {
        const char* t = base + E(e).start + 1;
        // Blanks before a name are rare: one test (the text ends with its NUL).
        if (static_cast<unsigned char>(*t) <= ' ') {
            while (t < end && IsWs(static_cast<unsigned char>(*t))) ++t;
        }
        if (static_cast<std::size_t>(end - t) < length || (length && *t != *name)) continue;
        std::size_t k = length ? 1 : 0;
        while (k < length && t[k] == name[k]) ++k;
        if (k == length && (t + length == end || IsTagNameEnd(static_cast<unsigned char>(t[length])))) return e;
    }
    return 0;
}

bool XmlTextDoc::SeekMain(const char* name) {
    const std::uint32_t found = FindInChildren(m_parentPos, m_mainPos, name);
    if (!found) return false;
    SetPositions(E(found).parent, found, 0);
    return true;
}

bool XmlTextDoc::SeekChild(const char* name) {
    if (!m_mainPos) SeekMain(nullptr);
    if (!m_mainPos) return false;
    const std::uint32_t found = FindInChildren(m_mainPos, m_childPos, name);
    if (!found) return false;
    SetPositions(E(m_mainPos).parent, m_mainPos, found);
    return true;
}

bool XmlTextDoc::Descend() {
    if (!m_mainPos) return false;
    SetPositions(m_mainPos, m_childPos, 0);
    return true;
}

bool XmlTextDoc::Ascend() {
    if (!m_parentPos) return false;
    SetPositions(E(m_parentPos).parent, m_parentPos, m_mainPos);
    return true;
}

std::string XmlTextDoc::TextOfChild() const { return ElementText(m_childPos); }

std::string XmlTextDoc::ElementText(std::uint32_t element) const {
    if (element == 0) return {};
    const ElementEntry& e = E(element);
    if (e.StartTagLength() >= e.length || e.firstChild) return {};
    const std::int64_t contentStart = std::int64_t{e.start} + e.StartTagLength();
    const std::int64_t contentLength = std::int64_t{e.length} - e.StartTagLength() - e.EndTagLength();
    if (contentLength <= 0 || contentStart + contentLength > static_cast<std::int64_t>(m_text.size())) return {};
    const std::string_view content(m_text.data() + contentStart, static_cast<size_t>(contentLength));
    // Short ASCII texts without markup or references, as IDs are, come back as they are.
    if (content.size() <= 32 && std::none_of(content.begin(), content.end(),
                                             [](char c) { return kMarkupOrWide[static_cast<unsigned char>(c)]; })) {
        return std::string(content);
    }
    std::string out;
    // One pass decodes the text and looks for markup.
    if (DecodeTextWithoutMarkup(content, out)) return out;

    // Content with markup: keep text and CDATA, drop the rest.
    out.clear();
    const std::string copy(content);
    Scanner scanner(copy.c_str(), copy.size());
    Token token;
    while (ScanToken(scanner, token) != kTokEnd) {
        const std::string_view piece(copy.data() + token.start, static_cast<size_t>(token.length));
        if (token.kind == kTokText) {
            out += DecodeEntities(piece);
        } else if (token.kind == kTokCdata && piece.size() >= 12) {
            out.append(piece.substr(9, piece.size() - 12));
        }
    }
    return out;
}

bool XmlTextDoc::CheckSingleRoot() const {
    const ElementEntry& root = E(0);
    return !root.Has(kFlagDocumentError) && root.firstChild && E(root.firstChild).next == 0;
}

}  // namespace xml

#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xml/Scanner.h"
#include "xml/SearchPath.h"
#include "xml/XmlTextDoc.h"

namespace xml {

// Builds the element index from the text in one pass over it.
class Parser {
public:
    Parser(XmlTextDoc& doc, Scanner& scanner) : m_doc(doc), m_sc(scanner) {}

    // The token loop; returns the first element created (0 for none).
    std::uint32_t ParseChildren(std::uint32_t parent);

private:
    struct Open {
        std::uint32_t element;
        std::int32_t nameStart;
        std::int32_t nameLength;
    };

    ElementEntry& E(std::uint32_t i) { return m_doc.E(i); }
    void Report(const char* word, const char* tagName, std::int64_t offset, std::int64_t offset2 = -1) {
        XmlTextDoc::AddReportRecord(m_doc.m_report, word, tagName, 0, offset, offset2);
    }
    void MarkError() {
        E(0).levelFlags |= kFlagDocumentError;
        E(m_current).levelFlags |= kFlagErrorInside;
    }
    // A tag longer than its index field can record: reported and ignored, so
    // that no length is ever stored cut short.
    void TagTooLong(const Token& token) {
        MarkError();
        XmlTextDoc::AddReportRecord(m_doc.m_report, "tag_too_long", nullptr, kRecLength, token.length);
        XmlTextDoc::AddReportRecord(m_doc.m_report, "tag_too_long", nullptr, kRecUpdate, token.start);
    }
    void StartTag(const Token& token);
    void EndTag(const Token& token);
    void CloseUnended(std::size_t keep, std::int64_t offset2);
    std::string NameOf(const Open& open) const {
        return std::string(m_doc.m_text, static_cast<size_t>(open.nameStart), static_cast<size_t>(open.nameLength));
    }
    std::string_view NameView(const Open& open) const {
        return {m_doc.m_text.data() + open.nameStart, static_cast<size_t>(open.nameLength)};
    }
    // Open elements counted by every end-tag name that would close them, so
    // that an end tag closing nothing is known without searching the stack.
    // Kept only once a stack deeper than kCountFrom met such an end tag.
    static constexpr std::size_t kCountFrom = 32;
    void CountOpen(const Open& open, int delta);
    void StartCounting() {
        m_counting = true;
        for (const Open& open : m_stack) CountOpen(open, 1);
    }
    void PopOpen() {
        if (m_counting) CountOpen(m_stack.back(), -1);
        m_stack.pop_back();
    }

    XmlTextDoc& m_doc;
    Scanner& m_sc;
    std::uint32_t m_parent = 0;
    std::uint32_t m_current = 0;
    std::uint32_t m_first = 0;
    std::vector<Open> m_stack;
    bool m_counting = false;
    std::unordered_map<std::string_view, std::uint32_t> m_openNames;
};

// An end tag's name closes an open name equal to it or continuing it past a
// byte that ends a path name (NameMatches): each of those prefixes counts.
void Parser::CountOpen(const Open& open, int delta) {
    const std::string_view name = NameView(open);
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsPathNameEnd(name[i])) continue;
        if (delta > 0) {
            ++m_openNames[name.substr(0, i)];
        } else if (const auto it = m_openNames.find(name.substr(0, i)); it != m_openNames.end() && --it->second == 0) {
            m_openNames.erase(it);
        }
    }
}

std::uint32_t Parser::ParseChildren(std::uint32_t parent) {
    m_parent = parent;
    m_current = parent;
    Token token;
    while (true) {
        const int kind = ScanToken(m_sc, token);
        if (kind == kTokEnd) break;
        switch (kind) {
            case kTokStartTag: StartTag(token); break;
            case kTokEndTag: EndTag(token); break;
            case kTokBadMarkup:
                MarkError();
                // Records past the report's limit are dropped, as AddReportRecord does.
                if (m_doc.m_report.size() < 1000) m_doc.m_report += token.report;
                break;
            default: break;
        }
    }
    CloseUnended(0, static_cast<std::int64_t>(m_doc.m_text.size()));
    return m_first;
}

void Parser::StartTag(const Token& token) {
    if (token.length > kMaxStartTagLength) {
        TagTooLong(token);
        return;
    }
    const std::uint32_t n = m_doc.NewIndex();
    if (!m_first) m_first = n;
    ElementEntry& e = E(n);
    e.parent = m_current;
    ElementEntry& c = E(m_current);
    if (c.firstChild) {
        ElementEntry& first = E(c.firstChild);
        E(first.prev).next = n;
        e.prev = first.prev;
        first.prev = n;
    } else {
        c.firstChild = n;
        e.prev = n;
        e.levelFlags = kFlagFirstChild;
    }
    e.SetLevel(E(m_parent).Level() + static_cast<int>(m_stack.size()));
    e.start = token.start;
    e.SetStartTagLength(token.length);
    if (token.flags & kTokenEmptyElement) {
        e.length = token.length;
        return;
    }
    m_stack.push_back({n, m_sc.nameStart, m_sc.NameLength()});
    if (m_counting) CountOpen(m_stack.back(), 1);
    m_current = n;
}

void Parser::EndTag(const Token& token) {
    if (token.length > kMaxEndTagLength) {
        TagTooLong(token);
        return;
    }
    const char* const text = m_doc.m_text.c_str();
    const std::string_view name(text + m_sc.nameStart, static_cast<size_t>(std::max(0, m_sc.NameLength())));
    const bool closesInnermost =
        !m_stack.empty() && NameMatches(name, text + m_stack.back().nameStart, m_stack.back().nameLength);
    if (!closesInnermost && !m_counting && m_stack.size() > kCountFrom) StartCounting();
    const bool closesNone = m_counting && !closesInnermost && m_openNames.find(name) == m_openNames.end();
    for (std::size_t i = closesNone ? 0 : m_stack.size(); i-- > 0;) {
        const Open& open = m_stack[i];
        if (!NameMatches(name, text + open.nameStart, static_cast<size_t>(open.nameLength))) continue;
        ElementEntry& e = E(open.element);
        e.length = token.start + token.length - e.start;
        e.SetEndTagLength(token.length);
        CloseUnended(i + 1, token.start + 1);
        m_current = e.parent;
        PopOpen();
        return;
    }
    MarkError();
    Report("lone_end_tag", std::string(name).c_str(), token.start);
}

// Closes every open element above stack depth keep as unended, innermost
// first, in one pass: each one's children become its following siblings,
// so the whole run ends up as one flat list of siblings under the element
// that stays open.
void Parser::CloseUnended(std::size_t keep, std::int64_t offset2) {
    if (m_stack.size() <= keep) return;
    const std::uint32_t holder = keep ? m_stack[keep - 1].element : m_parent;
    E(0).levelFlags |= kFlagDocumentError;
    std::uint32_t tail = 0;   // the last element of the flattened run
    std::uint32_t inner = 0;  // the unended element closed just before
    for (std::size_t i = m_stack.size(); i-- > keep;) {
        const std::uint32_t u = m_stack[i].element;
        ElementEntry& e = E(u);
        const std::uint32_t first = e.firstChild;
        if (first) {
            if (!tail) tail = E(first).prev;
            // Children up to the inner unended element, whose own children
            // were linked in already.
            for (std::uint32_t c = first;; c = E(c).next) {
                E(c).parent = holder;
                if (c == inner || E(c).next == 0) break;
            }
            E(first).prev = u;
            E(first).levelFlags &= ~kFlagFirstChild;
        } else if (!tail) {
            tail = u;
        }
        e.next = first;
        e.parent = holder;
        e.firstChild = 0;
        e.SetEndTagLength(0);
        e.length = e.StartTagLength();
        e.levelFlags |= kFlagNoEndTag;
        if (e.Has(kFlagErrorInside)) {
            e.levelFlags &= ~kFlagErrorInside;
            const std::uint32_t up = i > keep ? m_stack[i - 1].element : holder;
            E(up).levelFlags |= kFlagErrorInside;
        }
        Report("unended_start_tag", NameOf(m_stack[i]).c_str(), e.start, offset2);
        inner = u;
    }
    E(E(holder).firstChild).prev = tail;
    if (m_counting) {
        for (std::size_t i = keep; i < m_stack.size(); ++i) CountOpen(m_stack[i], -1);
    }
    m_stack.resize(keep);
    m_current = holder;
}

bool XmlTextDoc::ParseDocument() {
    ResetPositions();
    m_nextFree = 1;
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(m_text.size(), INT32_MAX));
    m_table->Resize(length / 64 + 8);
    E(0) = ElementEntry{};
    if (!m_text.empty()) {
        Scanner scanner(m_text.c_str(), m_text.size(), 0, m_docFlags);
        Parser parser(*this, scanner);
        const std::uint32_t first = parser.ParseChildren(0);
        E(0).length = length;
        if (!first) {
            AddReportRecord(m_report, "no_root_element", nullptr, 0);
        } else {
            E(0).firstChild = first;
            if (E(first).next) AddReportRecord(m_report, "root_has_sibling", nullptr, 0);
        }
    }
    ResetPositions();
    return CheckSingleRoot();
}

}  // namespace xml

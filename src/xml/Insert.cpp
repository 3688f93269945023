#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "textcodec/CodePage.h"
#include "xml/SearchPath.h"
#include "xml/XmlTextDoc.h"

namespace xml {
namespace {

inline bool IsRefNameStart(unsigned char c) {
    return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}
inline bool IsRefNameByte(unsigned char c) {
    return c == '-' || c == '.' || (c >= '0' && c <= '9') || IsRefNameStart(c);
}

// The length of a well-formed reference starting at the '&' at p, or 0.
std::size_t ReferenceLength(const char* p, const char* end) {
    const char* q = p + 1;
    // '#' opens a character reference; anywhere else it ends the name.
    if (q < end && *q == '#') {
        ++q;
    } else {
        if (q >= end || !IsRefNameStart(static_cast<unsigned char>(*q))) return 0;
        ++q;
    }
    while (q < end && IsRefNameByte(static_cast<unsigned char>(*q))) ++q;
    return (q < end && *q == ';') ? static_cast<std::size_t>(q + 1 - p) : 0;
}

// The bytes EncodeEntities looks at: markup bytes and every byte of 0x80 or
// more (it may begin a longer character); the rest pass unchanged.
struct EncodeStops {
    bool table[256]{};
    constexpr EncodeStops() {
        for (int b = 0x80; b < 256; ++b) table[b] = true;
        for (const char c : {'<', '>', '&', '"', '\''}) table[static_cast<unsigned char>(c)] = true;
    }
    constexpr bool operator[](unsigned char b) const { return table[b]; }
};
constexpr EncodeStops kEncodeStops;

bool HasMarkupByte(const char* p, int n) {
    for (int i = 0; i < n; ++i) {
        if (p[i] == '<' || p[i] == '>' || p[i] == '&' || p[i] == '"' || p[i] == '\'') return true;
    }
    return false;
}

}  // namespace

std::string XmlTextDoc::EncodeEntities(std::string_view text, EncodeMode mode, bool keepReferences) {
    std::string out;
    out.reserve(text.size() + text.size() / 10 + 7);
    const std::uint8_t* lead = textcodec::LeadByteLengths(textcodec::SystemCodePage());
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        // Bytes that need nothing done, appended as one run.
        const char* run = p;
        while (p < end && !kEncodeStops[static_cast<unsigned char>(*p)]) ++p;
        if (p != run) {
            out.append(run, static_cast<std::size_t>(p - run));
            if (p == end) break;
        }
        const char c = *p;
        switch (c) {
            case '<':
                out += "&lt;";
                ++p;
                continue;
            case '>':
                out += "&gt;";
                ++p;
                continue;
            case '&':
                if (keepReferences) {
                    if (const std::size_t n = ReferenceLength(p, end)) {
                        out.append(p, n);
                        p += n;
                        continue;
                    }
                }
                out += "&amp;";
                ++p;
                continue;
            case '"':
                if (mode == EncodeMode::Attribute) {
                    out += "&quot;";
                    ++p;
                    continue;
                }
                break;
            case '\'':
                if (mode == EncodeMode::Attribute) {
                    out += "&apos;";
                    ++p;
                    continue;
                }
                break;
            default: break;
        }
        const int n = textcodec::CharLength(lead, p, end);
        if (n < lead[static_cast<unsigned char>(c)]) {
            // A lead byte cut off by the end of the value would take the next
            // markup byte ('<' or a quote) as its trail byte: write the code
            // page's default character instead.
            out += '?';
        } else if (n > 1 && HasMarkupByte(p + 1, n - 1)) {
            // No code page has markup bytes as trail bytes: the lead byte is
            // stray, and the markup byte after it is escaped on its own.
            out += '?';
            p += 1;
            continue;
        } else {
            out.append(p, static_cast<size_t>(n));
        }
        p += n;
    }
    return out;
}

std::string XmlTextDoc::WrapCdata(std::string_view text) {
    std::string out = "<![CDATA[";
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("]]>", from)) != std::string_view::npos; from = at + 3) {
        out.append(text.substr(from, at - from));
        out += "]]]]><![CDATA[>";
    }
    out.append(text.substr(from));
    out += "]]>";
    return out;
}

void XmlTextDoc::SpliceText(std::size_t position, std::size_t count, std::string_view insert) {
    const std::size_t length = m_text.size() - count + insert.size();
    if (length > m_text.capacity()) m_text.reserve(length + length / 2 + 128);
    m_text.replace(position, count, insert);
}

bool XmlTextDoc::PutMain(const char* name, const char* text, std::uint32_t flags) {
    return Put(name, text, flags & ~kPutChildVariant);
}

bool XmlTextDoc::PutChild(const char* name, const char* text, std::uint32_t flags) {
    return Put(name, text, flags | kPutChildVariant);
}

template <class WriteElement>
XmlTextDoc::Insertion XmlTextDoc::InsertElementText(std::uint32_t parent, std::uint32_t& after,
                                                    const WriteElement& element, std::uint32_t flags) {
    int replaced = 0;
    const bool noBreaks = flags & kPutNoLineBreaks;
    const ElementEntry* p = parent ? &E(parent) : nullptr;
    const bool emptyParent = p && p->StartTagLength() >= p->length;
    const bool noContent = p && p->length - p->StartTagLength() - p->EndTagLength() <= 0;

    std::int64_t x;
    if (after) {
        x = std::int64_t{E(after).start} + E(after).length;
    } else if (emptyParent) {
        x = std::int64_t{p->start} + p->StartTagLength() - (p->Has(kFlagNoEndTag) ? 0 : 1);
    } else if (p) {
        x = std::int64_t{p->start} + p->length - p->EndTagLength();
    } else {
        x = static_cast<std::int64_t>(m_text.size());
    }
    x = std::clamp<std::int64_t>(x, 0, static_cast<std::int64_t>(m_text.size()));

    if (!noBreaks && !emptyParent) {
        std::size_t y = static_cast<std::size_t>(x);
        while (y < m_text.size() && IsWs(m_text[y])) ++y;
        if (y == m_text.size() || m_text[y] == '<') x = static_cast<std::int64_t>(y);
    }
    if (!after && E(parent).firstChild) after = E(E(parent).firstChild).prev;
    if (!noBreaks && (emptyParent || noContent)) x += 2;

    // The element, with a line break after it unless none are wanted.
    const auto addElement = [&element, noBreaks](Pieces& insert) {
        element(insert);
        if (!noBreaks) insert.Add("\r\n");
    };
    Pieces insert;
    std::size_t at;
    std::string parentName;  // a copy: the text moves under a view of it
    if (emptyParent) {
        ElementEntry& pe = E(parent);
        parentName = TagNameOf(parent);
        insert.Add(">");
        if (!noBreaks) insert.Add("\r\n");
        addElement(insert);
        insert.Add("</").Add(parentName);
        if (pe.Has(kFlagNoEndTag)) {
            at = static_cast<std::size_t>(pe.start + pe.StartTagLength() - 1);
            pe.levelFlags &= ~kFlagNoEndTag;
        } else {
            at = static_cast<std::size_t>(pe.start + pe.length - 2);
            replaced = 1;
            pe.SetStartTagLength(pe.StartTagLength() - 1);
        }
        pe.SetEndTagLength(static_cast<int>(parentName.size() + 3));
    } else if (noContent) {
        at = static_cast<std::size_t>(E(parent).start) + static_cast<std::size_t>(E(parent).StartTagLength());
        if (!noBreaks) insert.Add("\r\n");
        addElement(insert);
    } else {
        at = static_cast<std::size_t>(x);
        addElement(insert);
    }
    SpliceText(at, static_cast<std::size_t>(replaced), insert.View());
    return {static_cast<std::int32_t>(x), static_cast<std::int32_t>(insert.Size()), replaced};
}

bool XmlTextDoc::Put(const char* name, const char* text, std::uint32_t flags) {
    const bool child = flags & kPutChildVariant;
    if (child && !m_mainPos) return false;
    const bool hasText = text && *text;
    if ((flags & kPutNoEndTag) && hasText) return false;
    if (!name) name = "";
    if (m_text.size() > static_cast<std::size_t>(INT32_MAX) / 2) return false;

    const std::uint32_t parent = child ? m_mainPos : m_parentPos;
    std::uint32_t after = child ? m_childPos : m_mainPos;

    // A tag the index cannot record whole is refused, as the parse refuses it:
    // a cut length would put later additions inside the tag.
    const std::size_t nameLength = std::strlen(name);
    const std::size_t startTag = nameLength + ((hasText || (flags & kPutNoEndTag)) ? 2
                                               : (flags & kPutSpaceBeforeSlash)    ? 4
                                                                                   : 3);
    if (startTag > static_cast<std::size_t>(kMaxStartTagLength) ||
        (hasText && nameLength + 3 > static_cast<std::size_t>(kMaxEndTagLength))) {
        return false;
    }
    // An empty parent gets an end tag of its own name.
    if (parent && E(parent).StartTagLength() >= E(parent).length &&
        TagNameOf(parent).size() + 3 > static_cast<std::size_t>(kMaxEndTagLength)) {
        return false;
    }
    const std::uint32_t n = NewIndex();

    const std::string_view tagName(name);
    std::string_view content;
    std::string value;
    std::string_view close;  // what ends an element without text
    int startTagLength;
    int endTagLength = 0;
    std::int32_t length;
    if (hasText) {
        content = text;
        // A text without markup bytes or bytes of 0x80 and more is its own encoding.
        if ((flags & kPutCdata) || std::any_of(content.begin(), content.end(),
                                               [](char c) { return kEncodeStops[static_cast<unsigned char>(c)]; })) {
            value = (flags & kPutCdata) ? WrapCdata(text)
                                        : EncodeEntities(text, EncodeMode::Text, flags & kPutKeepReferences);
            content = value;
        }
        startTagLength = static_cast<int>(tagName.size() + 2);
        endTagLength = static_cast<int>(tagName.size() + 3);
        length = static_cast<std::int32_t>(static_cast<std::size_t>(startTagLength + endTagLength) + content.size());
    } else {
        close = (flags & kPutNoEndTag) ? ">" : (flags & kPutSpaceBeforeSlash) ? " />" : "/>";
        startTagLength = static_cast<int>(tagName.size() + 1 + close.size());
        length = startTagLength;
    }
    // The element's text, written straight into what is inserted.
    const auto element = [&](Pieces& insert) {
        if (hasText) {
            insert.Add("<").Add(tagName).Add(">").Add(content).Add("</").Add(tagName).Add(">");
        } else {
            insert.Add("<").Add(tagName).Add(close);
        }
    };

    const Insertion ins = InsertElementText(parent, after, element, flags);
    ElementEntry& e = E(n);
    e.start = ins.start;
    e.length = length;
    e.SetStartTagLength(startTagLength);
    e.SetEndTagLength(endTagLength);
    e.firstChild = 0;
    e.levelFlags = (flags & kPutNoEndTag) ? kFlagNoEndTag : 0;
    LinkElement(parent, after, n);
    ShiftFollowing(n, ins.inserted - ins.replaced, false);
    if (child) {
        SetPositions(m_parentPos, parent, n);
    } else {
        SetPositions(parent, n, 0);
    }
    return true;
}

void XmlTextDoc::LinkElement(std::uint32_t parent, std::uint32_t after, std::uint32_t element) {
    ElementEntry& e = E(element);
    e.parent = parent;
    if (after) {
        ElementEntry& a = E(after);
        e.next = a.next;
        E(a.next ? a.next : E(parent).firstChild).prev = element;
        a.next = element;
        e.prev = after;
    } else {
        e.levelFlags |= kFlagFirstChild;
        ElementEntry& pe = E(parent);
        if (pe.firstChild) {
            ElementEntry& first = E(pe.firstChild);
            e.next = pe.firstChild;
            e.prev = first.prev;
            first.prev = element;
            first.levelFlags &= ~kFlagFirstChild;
        } else {
            e.next = 0;
            e.prev = element;
        }
        pe.firstChild = element;
    }
    if (parent) e.SetLevel(E(parent).Level() + 1);
}

void XmlTextDoc::ShiftFollowing(std::uint32_t element, std::int32_t delta, bool descend) {
    if (delta == 0) return;
    // Moves every descendant of root by delta, without recursion.
    const auto shiftSubtree = [this, delta](std::uint32_t root) {
        std::uint32_t c = E(root).firstChild;
        while (c) {
            E(c).start += delta;
            if (E(c).firstChild) {
                c = E(c).firstChild;
                continue;
            }
            while (c != root && !E(c).next) c = E(c).parent;
            if (c == root) break;
            c = E(c).next;
        }
    };
    if (descend) shiftSubtree(element);
    std::uint32_t current = element;
    while (true) {
        for (std::uint32_t s = E(current).next; s; s = E(s).next) {
            E(s).start += delta;
            shiftSubtree(s);
        }
        if (current == 0) break;
        current = E(current).parent;
        E(current).length += delta;
        if (current == 0) break;
    }
}

bool XmlTextDoc::PutAttribute(const char* name, int value, std::uint32_t flags) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", value);
    return PutAttribute(name, number, flags);
}

bool XmlTextDoc::PutAttribute(const char* name, const char* value, std::uint32_t flags) {
    if (!m_mainPos) return false;
    if (!name) name = "";
    const std::string quoted =
        '"' + EncodeEntities(value ? value : "", EncodeMode::Attribute, flags & kPutKeepReferences) + '"';
    ElementEntry& e = E(m_mainPos);
    const std::size_t tagEnd = static_cast<std::size_t>(e.start) + static_cast<std::size_t>(e.StartTagLength());
    const std::string_view tag = TagNameOf(m_mainPos);
    std::size_t p = static_cast<std::size_t>(tag.data() - m_text.data()) + tag.size();
    const std::size_t nameLength = std::strlen(name);
    const auto atStop = [&](std::size_t i) {
        return i >= tagEnd || i >= m_text.size() || m_text[i] == '>' || m_text[i] == '/' || m_text[i] == '?';
    };
    // Steps whole characters, as the parser does, so both read the tag alike.
    const std::uint8_t* lead = textcodec::LeadByteLengths(textcodec::SystemCodePage());
    const char* const base = m_text.c_str();
    const auto step = [&](std::size_t i) {
        return i + static_cast<std::size_t>(textcodec::CharLength(lead, base + i, base + m_text.size()));
    };

    std::size_t insertAt = p;
    std::size_t replaceFrom = 0;
    std::size_t replaceCount = 0;
    std::string insert;
    bool found = false;
    while (true) {
        std::size_t i = p;
        while (i < tagEnd && IsWs(m_text[i])) ++i;
        if (atStop(i)) break;
        const std::size_t attrStart = i;
        while (i < tagEnd && !IsWs(m_text[i]) && !atStop(i) && m_text[i] != '=') i = step(i);
        const std::string_view attr(m_text.data() + attrStart, i - attrStart);
        std::size_t j = i;
        while (j < tagEnd && IsWs(m_text[j])) ++j;
        std::size_t valueStart = i;
        std::size_t valueEnd = i;
        bool hasValue = false;
        if (j < tagEnd && m_text[j] == '=') {
            hasValue = true;
            ++j;
            while (j < tagEnd && IsWs(m_text[j])) ++j;
            valueStart = j;
            if (j < tagEnd && (m_text[j] == '"' || m_text[j] == '\'')) {
                const char quote = m_text[j++];
                while (j < tagEnd && m_text[j] != quote) j = step(j);
                if (j < tagEnd) ++j;
            } else {
                while (j < tagEnd && !IsWs(m_text[j]) && m_text[j] != '>') j = step(j);
            }
            valueEnd = j;
        }
        if (!attr.empty() && NameMatches(attr, name, nameLength)) {
            found = true;
            if (hasValue) {
                replaceFrom = valueStart;
                replaceCount = valueEnd - valueStart;
                insert = quoted;
            } else {
                replaceFrom = i;
                insert = '=' + quoted;
            }
            break;
        }
        p = hasValue ? valueEnd : std::max(i, step(attrStart));
        insertAt = p;
    }
    if (!found) {
        replaceFrom = insertAt;
        insert = ' ' + std::string(name) + '=' + quoted;
    }
    const auto delta = static_cast<std::int32_t>(insert.size()) - static_cast<std::int32_t>(replaceCount);
    if (E(m_mainPos).StartTagLength() + std::int64_t{delta} > kMaxStartTagLength) return false;
    SpliceText(replaceFrom, replaceCount, insert);
    ElementEntry& m = E(m_mainPos);
    m.SetStartTagLength(m.StartTagLength() + delta);
    m.length += delta;
    ShiftFollowing(m_mainPos, delta, true);
    SetPositions(m_parentPos, m_mainPos, m_childPos);
    return true;
}

void XmlTextDoc::AddReportRecord(std::string& report, const char* word, const char* value, std::uint32_t kind,
                                 std::int64_t number, std::int64_t number2) {
    if (report.size() >= 1000) return;
    const char* valueAttr = (kind & kRecType)       ? "type"
                            : (kind & kRecEncoding) ? "encoding"
                            : (kind & kRecMsg)      ? "msg"
                                                    : "tagname";
    const char* numberAttr = (kind & kRecN)        ? "n"
                             : (kind & kRecCount)  ? "count"
                             : (kind & kRecLength) ? "length"
                                                   : nullptr;
    const bool writeNumber = numberAttr || number != -1;
    if (!(kind & kRecUpdate)) {
        // Appending writes exactly what PutMain and PutAttribute would write
        // into a document of the report, without building one.
        const auto attribute = [&report](const char* name, std::string_view v) {
            report.append(" ").append(name).append("=\"");
            // Encodings, names and numbers need no references: appended as they are.
            if (std::none_of(v.begin(), v.end(), [](char c) { return kEncodeStops[static_cast<unsigned char>(c)]; })) {
                report.append(v);
            } else {
                report += EncodeEntities(v, EncodeMode::Attribute, false);
            }
            report += '"';
        };
        const auto decimal = [](std::int64_t n, char(&buffer)[24]) {
            return std::string_view(buffer,
                                    static_cast<std::size_t>(std::to_chars(buffer, buffer + 24, n).ptr - buffer));
        };
        // A file's load writes two or three records: one allocation for them.
        if (report.capacity() < 128) report.reserve(128);
        report.append("<").append(word ? word : "");
        if (value) attribute(valueAttr, value);
        char buffer[24];
        if (writeNumber) attribute(numberAttr ? numberAttr : "offset", decimal(number, buffer));
        if (number2 != -1) attribute("offset2", decimal(number2, buffer));
        report += "/>";
        return;
    }
    XmlTextDoc records(report);
    if (records.SeekMain(word)) {
        if (value) records.PutAttribute(valueAttr, value);
        if (writeNumber) records.PutAttribute(numberAttr ? numberAttr : "offset", std::to_string(number).c_str());
        if (number2 != -1) records.PutAttribute("offset2", std::to_string(number2).c_str());
    }
    report = records.DocText();
}

}  // namespace xml

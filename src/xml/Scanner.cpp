#include "xml/Scanner.h"

#include "textcodec/CodePage.h"
#include "xml/SearchPath.h"
#include "xml/XmlTextDoc.h"

namespace xml {
namespace {

inline bool IsQuote(unsigned char c) { return c == '"' || c == '\''; }
// A-Z, '_', ':' and every byte above 0x60, double-byte lead bytes included.
inline bool IsNameStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c > 0x60; }

const char* TypeWord(int kind) {
    switch (kind) {
        case kTokEndTag: return "end_tag";
        case kTokStartTag: return "start_tag";
        case kTokCdata: return "cdata_section";
        case kTokPi: return "processing_instruction";
        case kTokComment: return "comment";
        case kTokDoctype: return "document_type";
        default: return "tag";
    }
}

// Byte classes for the hot loops: 0 ordinary single byte, 1 stops a run.
struct ByteClasses {
    std::uint8_t text[256]{};    // text runs stop at NUL, '<', '>' and every byte >= 0x80
    std::uint8_t dquote[256]{};  // double-quoted values stop at NUL, '"' and bytes >= 0x80
    std::uint8_t squote[256]{};
    std::uint8_t close[256]{};  // constructs stop at NUL, '>' and bytes >= 0x80
    ByteClasses() {
        for (int b = 0x80; b < 256; ++b) text[b] = dquote[b] = squote[b] = close[b] = 1;
        text[0] = dquote[0] = squote[0] = close[0] = 1;
        text['<'] = text['>'] = 1;
        dquote['"'] = 1;
        squote['\''] = 1;
        close['>'] = 1;
    }
};
const ByteClasses kClasses;

// Skips ordinary bytes; the text is NUL-terminated, so no end check is needed.
inline const char* Skip(const std::uint8_t* table, const char* p) {
    while (!table[static_cast<unsigned char>(*p)]) ++p;
    return p;
}

class Scan {
public:
    Scan(Scanner& sc, Token& tok) : m_sc(sc), m_tok(tok), m_text(sc.text), m_end(sc.end), m_lead(sc.lead) {}

    int Run();

private:
    // Texts are NUL-terminated at m_end, so the NUL is the end.
    bool AtEnd(const char* p) const { return *p == '\0'; }
    const char* Step(const char* p) const {
        const unsigned char c = static_cast<unsigned char>(*p);
        return c < 0x80 ? p + 1 : p + textcodec::CharLength(m_lead, p, m_end);
    }
    std::int32_t Off(const char* p) const { return static_cast<std::int32_t>(p - m_text); }

    int Finish(const char* p, int kind) {
        m_sc.pos = Off(p);
        m_tok.kind = kind;
        m_tok.length = m_sc.pos - m_tok.start;
        return kind;
    }
    void Record(const char* word, const char* type = nullptr) {
        XmlTextDoc::AddReportRecord(m_tok.report, word, type, type ? kRecType : 0, m_tok.start);
    }
    int Unterminated(const char* p, int kind) {
        Record("unterminated_tag_syntax", TypeWord(kind));
        return Finish(p, kTokBadMarkup);
    }

    int Text(const char* p, int kind);
    int BadMarkup(const char* p);
    int StartTag(const char* p);
    int EndTag(const char* p);
    int Terminated(const char* p, int kind, const char* terminator, int length);
    int Doctype(const char* p);
    const char* NameEnd(const char* p) const {
        while (!AtEnd(p) && !IsWs(static_cast<unsigned char>(*p)) && *p != '/' && *p != '>') p = Step(p);
        return p;
    }

    Scanner& m_sc;
    Token& m_tok;
    const char* m_text;
    const char* m_end;
    const std::uint8_t* m_lead;
    bool m_doctypeBad = false;
};

int Scan::Run() {
    m_tok.report.clear();
    m_tok.flags = 0;
    m_tok.start = m_sc.pos;
    const char* p = m_text + m_sc.pos;
    if (AtEnd(p)) return Finish(p, kTokEnd);

    const unsigned char c = static_cast<unsigned char>(*p);
    if (c != '<') {
        if (!IsWs(c)) return Text(p, kTokText);
        ++p;
        while (!AtEnd(p) && IsWs(static_cast<unsigned char>(*p))) ++p;
        if (AtEnd(p) || *p == '<') return Finish(p, kTokWhitespace);
        return Text(p, kTokText);
    }

    const char* q = p + 1;
    if (AtEnd(q)) return Unterminated(q, kTokBadMarkup);
    const unsigned char d = static_cast<unsigned char>(*q);
    if (IsNameStart(d)) {
        m_sc.nameStart = Off(q);
        return StartTag(q);
    }
    if (d == '/') {
        m_sc.nameStart = Off(q + 1);
        return EndTag(q + 1);
    }
    if (d == '?') {
        m_sc.nameStart = Off(q + 1);
        const char* n = NameEnd(q + 1);
        m_sc.nameEnd = Off(n) - 1;
        return Terminated(n, kTokPi, "?>", 2);
    }
    if (d == '!') {
        const unsigned char e1 = AtEnd(q + 1) ? 0 : static_cast<unsigned char>(q[1]);
        const unsigned char e2 = (e1 && !AtEnd(q + 2)) ? static_cast<unsigned char>(q[2]) : 0;
        if (e1 == '-') {
            if (e2 == '-') return Terminated(q + 3, kTokComment, "-->", 3);
            Record("comment_tag_syntax");
        } else if (e1 == '[') {
            if (e2 == 'C') return Terminated(q + 3, kTokCdata, "]]>", 3);
            Record("cdata_section_syntax");
        } else if (e1 == 'D') {
            return Doctype(q + 2);
        } else if (e1 == 0) {
            return Unterminated(q + 1, kTokBadMarkup);
        } else {
            Record("exclamation_tag_syntax");
        }
        return BadMarkup(q);
    }
    Record("first_tag_syntax");
    return BadMarkup(q);
}

// Text ends before '<', after '>', or at the end.
int Scan::Text(const char* p, int kind) {
    while (true) {
        p = Skip(kClasses.text, p);
        if (AtEnd(p)) break;
        const char c = *p;
        if (c == '<') break;
        if (c == '>') {
            ++p;
            break;
        }
        p = Step(p);
    }
    return Finish(p, kind);
}

// Bad markup runs to its '>' or up to the next '<'.
int Scan::BadMarkup(const char* p) {
    while (true) {
        if (AtEnd(p)) return Unterminated(p, kTokBadMarkup);
        if (*p == '>') return Finish(p + 1, kTokBadMarkup);
        if (*p == '<') return Finish(p, kTokBadMarkup);
        p = Step(p);
    }
}

int Scan::StartTag(const char* p) {
    const char* n = NameEnd(p);
    m_sc.nameEnd = Off(n) - 1;
    enum { kNone, kExpect, kDouble, kSingle, kUnquoted } state = kNone;
    unsigned char prev = static_cast<unsigned char>(n[-1]);
    const char* slash = nullptr;
    bool slashEmpties = false;
    p = n;
    while (true) {
        if (AtEnd(p)) return Unterminated(p, kTokStartTag);
        const unsigned char c = static_cast<unsigned char>(*p);
        switch (state) {
            case kDouble:
            case kSingle: {
                const char* q = Skip(state == kDouble ? kClasses.dquote : kClasses.squote, p);
                if (q != p) {
                    prev = static_cast<unsigned char>(q[-1]);
                    p = q;
                    continue;
                }
                const unsigned char quote = state == kDouble ? '"' : '\'';
                if (c == quote) state = kNone;
                break;
            }
            case kUnquoted:
                if (IsWs(c)) {
                    state = kNone;
                } else if (c == '>') {
                    goto done;
                } else if (c == '/') {
                    slash = p;
                    slashEmpties = IsWs(prev) || IsQuote(prev);
                }
                break;
            case kExpect:
                if (c == '"') {
                    state = kDouble;
                } else if (c == '\'') {
                    state = kSingle;
                } else if (IsWs(c)) {
                } else if (c == '>') {
                    goto done;
                } else {
                    if (c == '/') {
                        slash = p;
                        slashEmpties = true;
                    }
                    state = kUnquoted;
                }
                break;
            case kNone:
                if (c == '=' && prev != '=') {
                    state = kExpect;
                } else if (c == '>') {
                    goto done;
                } else if (c == '/') {
                    slash = p;
                    slashEmpties = true;
                }
                break;
        }
        prev = c;
        p = Step(p);
    }
done:
    if (slash && slash == p - 1 && slashEmpties) m_tok.flags |= kTokenEmptyElement;
    return Finish(p + 1, kTokStartTag);
}

int Scan::EndTag(const char* p) {
    const char* n = NameEnd(p);
    m_sc.nameEnd = Off(n) - 1;
    p = n;
    while (true) {
        if (AtEnd(p)) return Unterminated(p, kTokEndTag);
        if (*p == '>') return Finish(p + 1, kTokEndTag);
        p = Step(p);
    }
}

// Comments, CDATA sections and processing instructions end at a '>' whose
// preceding bytes complete their terminator.
int Scan::Terminated(const char* p, int kind, const char* terminator, int length) {
    const char* start = m_text + m_tok.start;
    while (true) {
        p = Skip(kClasses.close, p);
        if (AtEnd(p)) return Unterminated(p, kind);
        if (*p == '>') {
            bool match = p - start >= length - 1;
            for (int i = 1; match && i < length; ++i) match = p[-i] == terminator[length - 1 - i];
            if (match) return Finish(p + 1, kind);
        }
        p = Step(p);
    }
}

int Scan::Doctype(const char* p) {
    m_doctypeBad = false;
    const auto unterminated = [this](const char* at) { return Unterminated(at, kTokDoctype); };
    while (true) {
        if (AtEnd(p)) return unterminated(p);
        const char c = *p;
        if (c == '>') {
            ++p;
            break;
        }
        if (c == '<' && !AtEnd(p + 1) && (p[1] == '!' || p[1] == '?')) {
            const char* inner = p;
            const char k = AtEnd(p + 2) ? '\0' : p[2];
            if (p[1] == '?') {
                p += 2;
                while (true) {
                    if (AtEnd(p)) return unterminated(p);
                    if (*p == '>' && p[-1] == '?' && p - 1 > inner + 1) break;
                    p = Step(p);
                }
            } else if (k == 'A' || k == 'E' || k == 'N') {
                char quote = 0;
                p += 3;
                while (true) {
                    if (AtEnd(p)) return unterminated(p);
                    if (quote) {
                        if (*p == quote) quote = 0;
                    } else if (*p == '"' || *p == '\'') {
                        quote = *p;
                    } else if (*p == '>') {
                        break;
                    }
                    p = Step(p);
                }
            } else if (k == '-' && !AtEnd(p + 3) && p[3] == '-') {
                p += 4;
                while (true) {
                    if (AtEnd(p)) return unterminated(p);
                    if (*p == '>' && p[-1] == '-' && p[-2] == '-') break;
                    p = Step(p);
                }
            } else {
                Record(k == '-' ? "comment_tag_syntax" : "doctype_tag_syntax");
                m_doctypeBad = true;
                p += 2;
                while (true) {
                    if (AtEnd(p)) return unterminated(p);
                    if (*p == '>') break;
                    p = Step(p);
                }
            }
        }
        p = Step(p);
    }
    return Finish(p, m_doctypeBad ? kTokBadMarkup : kTokDoctype);
}

}  // namespace

Scanner::Scanner(const char* t, std::size_t length, std::int32_t from, std::uint32_t flags)
    : pos(from),
      text(t),
      docFlags(flags),
      lead(textcodec::LeadByteLengths(textcodec::SystemCodePage())),
      end(t + length) {}

int ScanToken(Scanner& scanner, Token& token) {
    Scan scan(scanner, token);
    return scan.Run();
}

}  // namespace xml

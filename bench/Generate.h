#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Documents of about `bytes` bytes, the same for every parser measured.
namespace gen {

// Many small elements, one per CR LF line.
inline std::string SmallElements(std::size_t bytes) {
    std::string s = "<?xml version=\"1.0\"?>\r\n<network>\r\n";
    s.reserve(bytes + 256);
    for (unsigned i = 0; s.size() < bytes; ++i) {
        s += "<node><id>";
        s += std::to_string(100000 + i % 900000);
        s += "</id><freq>2402</freq><sf>7</sf></node>\r\n";
    }
    s += "</network>\r\n";
    return s;
}

// Elements carrying several attributes each.
inline std::string AttributeHeavy(std::size_t bytes) {
    std::string s = "<modules>\r\n";
    s.reserve(bytes + 256);
    for (unsigned i = 0; s.size() < bytes; ++i) {
        s += "<module id=\"";
        s += std::to_string(i);
        s += "\" kind='SX1280' freq=\"2402000\" netkey=\"A1B2C3D4\" busy=\"0\" sf=\"7\" note=\"a &amp; b\"/>\r\n";
    }
    s += "</modules>\r\n";
    return s;
}

// Long texts with entity and character references.
inline std::string TextHeavy(std::size_t bytes) {
    std::string s = "<log>\r\n";
    s.reserve(bytes + 512);
    while (s.size() < bytes) {
        s += "<entry>Gateway &lt;FFFFFF&gt; answered on 2402 MHz &amp; repeater #3 relayed it; "
             "the node&apos;s &quot;TX period&quot; stays at 60 s &#169; field log, line after line "
             "of plain words that only a text-heavy file carries in such numbers.</entry>\r\n";
    }
    s += "</log>\r\n";
    return s;
}

// Elements nested `levels` deep, each closed in the end: <n><n>...</n></n>.
inline std::string Nested(std::size_t levels) {
    std::string s;
    s.reserve(7 * levels);
    for (std::size_t i = 0; i < levels; ++i) s += "<n>";
    for (std::size_t i = 0; i < levels; ++i) s += "</n>";
    return s;
}

// Lines of running text in elements: Korean words (Hangul syllables in UTF-8
// with spaces and punctuation, some Latin and digits) or, with korean false,
// English words of the same layout. Deterministic.
inline std::string RunningText(std::size_t bytes, bool korean) {
    static const char* const kKorean[] = {
        "게이트웨이가", "중계기",   "신호를",     "전달했고", "노드의", "주기는",   "초로", "유지됩니다",
        "응답했습니다", "설정",     "값을",       "다시",     "읽어",   "주십시오", "모듈", "번호",
        "확인",         "후에",     "저장합니다", "현재",     "주파수", "대역",     "에서", "통신이",
        "끊겼습니다",   "네트워크", "키를",       "바꾸면",   "모든",   "장치가",   "새로", "연결됩니다",
        "가",           "나",       "는",         "이",       "한",     "그"};
    static const char* const kEnglish[] = {
        "gateway",   "repeater", "relayed", "the",    "signal",  "node",    "period", "stays",   "answered", "settings",
        "value",     "again",    "read",    "please", "module",  "number",  "check",  "after",   "saves",    "current",
        "frequency", "band",     "on",      "link",   "dropped", "network", "key",    "changes", "every",    "device",
        "joins",     "anew",     "a",       "an",     "is",      "it",      "one",    "to"};
    static const char* const kLatin[] = {"MHz", "ID", "SX1280", "TX", "2402", "60", "#3", "A1B2C3"};
    std::uint32_t seed = 12345;
    const auto next = [&seed](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    std::string s = "<log>\r\n";
    s.reserve(bytes + 512);
    for (unsigned line = 0; s.size() < bytes; ++line) {
        s += "<entry n=\"" + std::to_string(line) + "\">";
        for (std::uint32_t w = 6 + next(10); w > 0; --w) {
            if (next(8) == 0) {
                s += kLatin[next(8)];
            } else {
                s += korean ? kKorean[next(38)] : kEnglish[next(38)];
            }
            const std::uint32_t mark = next(12);
            s += w == 1 ? "." : mark == 0 ? "," : mark == 1 ? "." : "";
            if (w > 1) s += ' ';
        }
        s += "</entry>\r\n";
    }
    s += "</log>\r\n";
    return s;
}

}  // namespace gen

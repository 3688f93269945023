#pragma once

#include <cstddef>
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

}  // namespace gen

#include "network/NetworkFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <map>
#include <set>
#include <vector>

#include "ids/IdFile.h"
#include "network/Tokens.h"
#include "xml/XmlTextDoc.h"

namespace network {
namespace {

constexpr const char* kRootName = "VeskoraNetwork";
constexpr std::size_t kMaxNodes = 1000;

struct Attribute {
    std::string name, value;
};

// The attributes of a start tag as written ("<Value path=\"…\" state=…>"),
// references decoded. Anything else in the tag ends the list.
std::vector<Attribute> AttributesOf(std::string_view tag) {
    std::vector<Attribute> out;
    std::size_t i = 1;
    while (i < tag.size() && !std::isspace(static_cast<unsigned char>(tag[i])) && tag[i] != '>' && tag[i] != '/') ++i;
    const auto skipSpace = [&] {
        while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i]))) ++i;
    };
    for (;;) {
        skipSpace();
        const std::size_t nameStart = i;
        while (i < tag.size() && tag[i] != '=' && !std::isspace(static_cast<unsigned char>(tag[i])) && tag[i] != '>' &&
               tag[i] != '/') {
            ++i;
        }
        if (i == nameStart) return out;
        std::string name(tag.substr(nameStart, i - nameStart));
        skipSpace();
        if (i >= tag.size() || tag[i] != '=') return out;
        ++i;
        skipSpace();
        if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\'')) return out;
        const char quote = tag[i++];
        const std::size_t end = tag.find(quote, i);
        if (end == std::string_view::npos) return out;
        out.push_back({std::move(name), xml::XmlTextDoc::DecodeEntities(tag.substr(i, end - i))});
        i = end + 1;
    }
}

const std::string* Find(const std::vector<Attribute>& attributes, std::string_view name) {
    for (const Attribute& a : attributes) {
        if (a.name == name) return &a.value;
    }
    return nullptr;
}

bool OriginFromName(std::string_view name, Origin* origin) {
    for (const Origin o :
         {Origin::Unknown, Origin::Read, Origin::Planned, Origin::Confirmed, Origin::Differs, Origin::NoAnswer}) {
        if (name == OriginName(o)) {
            *origin = o;
            return true;
        }
    }
    return false;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The first character reference left in decoded text that names anything
// but printable ASCII ("&#0;", "&#x1F600;"), or empty. References the engine
// cannot decode stay in the text as they are, and would go on the wire as
// those characters instead of the one they name.
std::string_view UnsendableReference(std::string_view raw) {
    for (std::size_t at = raw.find("&#"); at != std::string_view::npos; at = raw.find("&#", at + 2)) {
        const std::size_t end = raw.find(';', at);
        if (end == std::string_view::npos || end - at > 12) continue;
        const bool hex = at + 2 < end && (raw[at + 2] == 'x' || raw[at + 2] == 'X');
        unsigned long cp = 0;
        bool digits = end > at + (hex ? 3 : 2);
        for (std::size_t i = at + (hex ? 3 : 2); i < end && digits; ++i) {
            const char c = raw[i];
            const int d = c >= '0' && c <= '9'          ? c - '0'
                          : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                        : -1;
            digits = d >= 0;
            cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(d < 0 ? 0 : d);
        }
        if (digits && (cp <= 0x20 || cp >= 0x7F)) return raw.substr(at, end - at + 1);
    }
    return {};
}

std::string Hex(unsigned char c) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", c);
    return text;
}

// Why text cannot be one of about's fields: "holds …" or "is longer than …".
std::string AboutFieldProblem(std::string_view text, bool lines, std::size_t maxBytes) {
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (lines && (c == '\n' || c == '\t')) continue;
        if (c == '\r' || c == '\n') return "holds a line break (" + Hex(c) + ")";
        if (c < 0x20 || c == 0x7F) return "holds the control character " + Hex(c);
    }
    if (text.size() > maxBytes) return "is longer than " + std::to_string(maxBytes) + " bytes";
    return {};
}

// Reads one loaded document; each fault is reported with its line.
class Reader {
public:
    explicit Reader(const xml::XmlTextDoc& doc) : m_doc(doc), m_text(doc.DocText()) {}

    bool Read(Site& site, std::string* error) {
        const std::uint32_t root = m_doc.Element(0).firstChild;
        if (root == 0 || m_doc.TagNameOf(root) != kRootName) {
            return Fail(error, root,
                        "expected the root element <" + std::string(kRootName) + ">, found " +
                            (root ? "<" + std::string(m_doc.TagNameOf(root)) + ">" : "nothing"));
        }
        const std::vector<Attribute> rootAttributes = AttributesOf(StartTag(root));
        const std::string* format = Find(rootAttributes, "format");
        if (!format || format->empty() || !IsNumber(*format) || format->size() > 4) {
            return Fail(error, root, "expected a format number, format=\"1\"");
        }
        if (std::stoi(*format) != kNetworkFileFormat) {
            return Fail(
                error, root,
                "format " + *format + " is not one this program reads (" + std::to_string(kNetworkFileFormat) + ")");
        }

        Site work;
        if (!CreateNodes(root, work, error)) return false;
        std::map<std::string, Value*> values;
        ForEachValue(work, [&](const std::string& path, Value& v) { values.emplace(path, &v); });
        std::map<std::string, std::string*> ids;
        ForEachModuleId(work, [&](const std::string& path, std::string& id) { ids.emplace(path, &id); });

        std::set<std::string> seen;
        for (std::uint32_t e = m_doc.Element(root).firstChild; e != 0; e = m_doc.Element(e).next) {
            const std::string_view name = m_doc.TagNameOf(e);
            const std::vector<Attribute> attributes = AttributesOf(StartTag(e));
            if (name == "About") {
                if (!seen.insert("About").second) return Fail(error, e, "<About> comes twice");
                if (!ReadAbout(e, attributes, work.about, error)) return false;
                continue;
            }
            const std::string* path = Find(attributes, "path");
            if (name != "Module" && name != "Value") {
                return Fail(error, e, "expected <About>, <Module> or <Value>, found <" + std::string(name) + ">");
            }
            if (!path) return Fail(error, e, "expected a path attribute on <" + std::string(name) + ">");
            if (!seen.insert(std::string(name) + *path).second) {
                return Fail(error, e, "the path \"" + *path + "\" comes twice");
            }
            if (name == "Module") {
                const auto it = ids.find(*path);
                const std::string* id = Find(attributes, "id");
                if (it == ids.end()) return Fail(error, e, "expected a module path, found \"" + *path + "\"");
                if (!id) return Fail(error, e, "expected an id attribute");
                if (const std::string_view ref = UnsendableReference(*id); !ref.empty()) {
                    return Fail(error, e, "expected a module ID of one token, found the reference " + std::string(ref));
                }
                if (const std::string why = IdProblem(*id); !why.empty()) {
                    return Fail(error, e, "expected a module ID of one token, found " + Quoted(*id) + ", which " + why);
                }
                *it->second = *id;
                continue;
            }
            const auto it = values.find(*path);
            if (it == values.end()) return Fail(error, e, "expected a value path, found \"" + *path + "\"");
            if (!ReadValue(e, attributes, *path, *it->second, error)) return false;
        }
        site = std::move(work);
        return true;
    }

private:
    bool ReadAbout(std::uint32_t e, const std::vector<Attribute>& attributes, About& about, std::string* error) {
        if (m_doc.Element(e).firstChild) return Fail(error, e, "expected text in <About>, found elements");
        if (const std::string* site = Find(attributes, "site")) about.site = *site;
        if (const std::string* technician = Find(attributes, "technician")) about.technician = *technician;
        // Line ends as a Windows editor saves them are line ends.
        for (const char c : m_doc.ElementText(e)) {
            if (c == '\n' && !about.notes.empty() && about.notes.back() == '\r') about.notes.pop_back();
            about.notes += c;
        }
        if (const std::string why = AboutProblem(about); !why.empty()) return Fail(error, e, why);
        return true;
    }

    bool ReadValue(std::uint32_t e, const std::vector<Attribute>& attributes, const std::string& path, Value& v,
                   std::string* error) {
        if (m_doc.Element(e).firstChild) return Fail(error, e, "expected text in <Value>, found elements");
        v.text = m_doc.ElementText(e);
        // A value typed in by hand, without a state, is a plan.
        v.origin = Origin::Planned;
        if (const std::string* state = Find(attributes, "state"); state && !OriginFromName(*state, &v.origin)) {
            return Fail(error, e,
                        "expected a state of unknown, read, planned, confirmed, differs or no answer, found \"" +
                            *state + "\"");
        }
        if (const std::string* time = Find(attributes, "time"); time && !ParseTime(*time, &v.when)) {
            return Fail(error, e, "expected a time like 2026-12-07T16:25:03.120Z, found \"" + *time + "\"");
        }
        if (EndsWith(path, "/ frequency") && !v.text.empty() && !IsNumber(v.text)) {
            return Fail(error, e, "expected a frequency in Hz (digits only), found " + Quoted(v.text));
        }
        // A value goes on a command line as one token: a blank or a line end would make more of it.
        if (const std::string_view ref = UnsendableReference(v.text); !ref.empty()) {
            return Fail(
                error, e,
                path + ": the value holds the reference " + std::string(ref) + ", which cannot go on a command line");
        }
        if (const std::string why = ValueProblem(path, v.text); !why.empty()) {
            return Fail(error, e, path + ": " + TheValue(path, v.text) + " " + why);
        }
        return true;
    }

    // Values of nodes name the node: "node <ID> / <attribute>".
    bool CreateNodes(std::uint32_t root, Site& site, std::string* error) {
        for (std::uint32_t e = m_doc.Element(root).firstChild; e != 0; e = m_doc.Element(e).next) {
            if (m_doc.TagNameOf(e) != "Value") continue;
            const std::vector<Attribute> attributes = AttributesOf(StartTag(e));
            const std::string* path = Find(attributes, "path");
            if (!path || path->rfind("node ", 0) != 0) continue;
            const std::size_t slash = path->find(" / ");
            const std::string id = path->substr(5, slash == std::string::npos ? std::string::npos : slash - 5);
            if (id.empty() || id.find(' ') != std::string::npos) {
                return Fail(error, e, "expected a node path like \"node N00001 / frequency\", found " + Quoted(*path));
            }
            if (const std::string why = IdProblem(id); !why.empty()) {
                return Fail(error, e, "expected a node ID of one token, found " + Quoted(id) + ", which " + why);
            }
            site.nodes[id];
            // Six repeaters name 186 nodes at most; a file with far more is not a site.
            if (site.nodes.size() > kMaxNodes) {
                return Fail(error, e, "expected at most " + std::to_string(kMaxNodes) + " nodes, found more");
            }
        }
        return true;
    }

    std::string_view StartTag(std::uint32_t e) const {
        const xml::ElementEntry& entry = m_doc.Element(e);
        return std::string_view(m_text).substr(static_cast<std::size_t>(entry.start),
                                               static_cast<std::size_t>(entry.StartTagLength()));
    }

    // Elements are visited in text order, so lines are counted once.
    int LineOf(std::uint32_t e) {
        const auto offset = static_cast<std::size_t>(m_doc.Element(e).start);
        if (offset < m_countedTo) {
            m_countedTo = 0;
            m_line = 1;
        }
        for (; m_countedTo < offset && m_countedTo < m_text.size(); ++m_countedTo) {
            if (m_text[m_countedTo] == '\n') ++m_line;
        }
        return m_line;
    }

    bool Fail(std::string* error, std::uint32_t e, const std::string& what) {
        if (error) *error = "line " + std::to_string(LineOf(e)) + ": " + what;
        return false;
    }

    const xml::XmlTextDoc& m_doc;
    const std::string& m_text;
    std::size_t m_countedTo = 0;
    int m_line = 1;
};

bool ReadDocument(const xml::XmlTextDoc& doc, Site& site, std::string* error) { return Reader(doc).Read(site, error); }

// The first fault the parser reported, with its line, for a file that is not
// one tree ("<lone_end_tag tagname=\"Valu\" offset=\"45\"/>…").
std::string NotWellFormed(const xml::XmlTextDoc& doc) {
    // Records of how the file was read carry no offset; the first that does is the fault.
    const std::string& report = doc.ReportText();
    std::string_view record;
    std::vector<Attribute> attributes;
    for (std::size_t open = report.find('<'); open != std::string::npos; open = report.find('<', open + 1)) {
        const std::size_t close = report.find('>', open);
        if (close == std::string::npos) break;
        record = std::string_view(report).substr(open, close - open + 1);
        attributes = AttributesOf(record);
        if (Find(attributes, "offset")) break;
        record = {};
    }
    if (record.empty()) return "expected XML with one root element, found none";
    const std::string kind(record.substr(1, record.find_first_of(" />", 1) - 1));
    const std::string* tag = Find(attributes, "tagname");
    if (tag &&
        (tag->size() > 40 || !std::all_of(tag->begin(), tag->end(), [](char c) { return c > ' ' && c < 0x7F; }))) {
        tag = nullptr;  // binary junk is not worth showing
    }
    const std::string* offset = Find(attributes, "offset");
    std::string what;
    if (kind == "lone_end_tag" && tag) {
        what = "an end tag </" + *tag + "> that closes no open element";
    } else if (kind == "unended_start_tag" && tag) {
        what = "<" + *tag + "> is never closed";
    } else if (kind == "root_has_sibling") {
        what = "more than one root element";
    } else {
        what = kind;
        for (char& c : what) c = c == '_' ? ' ' : c;
    }
    std::string line;
    if (offset && !offset->empty() && IsNumber(*offset) && offset->size() < 10) {
        const std::string& text = doc.DocText();
        const std::size_t at = std::min<std::size_t>(std::stoul(*offset), text.size());
        int n = 1;
        for (std::size_t i = 0; i < at; ++i) n += text[i] == '\n';
        line = "line " + std::to_string(n) + ": ";
    }
    return line + "expected well-formed XML, found " + what;
}

}  // namespace

std::string AboutProblem(const About& about) {
    if (std::string why = AboutFieldProblem(about.site, false, kMaxAboutLine); !why.empty()) {
        return "the site name " + why;
    }
    if (std::string why = AboutFieldProblem(about.technician, false, kMaxAboutLine); !why.empty()) {
        return "the technician " + why;
    }
    if (std::string why = AboutFieldProblem(about.notes, true, kMaxAboutNotes); !why.empty()) {
        return "the notes' text " + why;
    }
    return {};
}

std::string NetworkFileText(const Site& site, const std::string& partial) {
    xml::XmlTextDoc doc;
    doc.PutMain(kRootName);
    doc.PutAttribute("format", kNetworkFileFormat);
    // Readers that know nothing of it still read the values; a person sees the file is not the whole site.
    if (!partial.empty()) doc.PutAttribute("partial", partial.c_str());
    bool first = true;
    const auto add = [&](const char* name, const char* text) {
        if (first) {
            doc.PutChild(name, text);
            doc.Descend();
            first = false;
        } else {
            doc.PutMain(name, text);
        }
    };
    if (!site.about.Empty()) {
        add("About", site.about.notes.empty() ? nullptr : site.about.notes.c_str());
        if (!site.about.site.empty()) doc.PutAttribute("site", site.about.site.c_str());
        if (!site.about.technician.empty()) doc.PutAttribute("technician", site.about.technician.c_str());
    }
    ForEachModuleId(site, [&](const std::string& path, const std::string& id) {
        add("Module", nullptr);
        doc.PutAttribute("path", path.c_str());
        doc.PutAttribute("id", id.c_str());
    });
    ForEachValue(site, [&](const std::string& path, const Value& v) {
        if (v.origin == Origin::Unknown) return;
        add("Value", v.text.c_str());
        doc.PutAttribute("path", path.c_str());
        doc.PutAttribute("state", OriginName(v.origin));
        if (v.when != 0) doc.PutAttribute("time", FormatTime(v.when).c_str());
    });
    return doc.DocText();
}

bool SaveNetworkFile(const Site& site, const std::string& path, std::string* error, const std::string& partial) {
    if (const std::string why = AboutProblem(site.about); !why.empty()) {
        if (error) *error = "cannot write " + path + ": " + why;
        return false;
    }
    xml::XmlTextDoc doc;
    // The file lists every NET key: it is the user's alone, whatever it replaces.
    if (!doc.SetDocText(NetworkFileText(site, partial)) || !doc.SaveTo(path.c_str(), xml::FileAccess::OwnerOnly)) {
        if (error) *error = "cannot write " + path + ": " + ids::FileErrorOf(doc.ReportText());
        return false;
    }
    return true;
}

bool NetworkFileBytes(const Site& site, std::string* bytes, std::string* error, const std::string& partial) {
    if (const std::string why = AboutProblem(site.about); !why.empty()) {
        if (error) *error = "cannot encode the network file: " + why;
        return false;
    }
    xml::XmlTextDoc doc;
    if (!doc.SetDocText(NetworkFileText(site, partial)) || !doc.EncodeTo(*bytes)) {
        if (error) *error = "cannot encode the network file: " + ids::FileErrorOf(doc.ReportText());
        return false;
    }
    return true;
}

bool ReadNetworkText(std::string_view text, Site& site, std::string* error) {
    xml::XmlTextDoc doc;
    if (!doc.SetDocText(text)) {
        if (error) *error = NotWellFormed(doc);
        return false;
    }
    return ReadDocument(doc, site, error);
}

bool LoadNetworkFile(const std::string& path, Site& site, std::string* error) {
    xml::XmlTextDoc doc;
    if (!doc.LoadFrom(path.c_str(), kMaxNetworkFileBytes)) {
        const std::string reason = ids::FileErrorOf(doc.ReportText());
        if (error) *error = path + ": " + (reason.empty() ? NotWellFormed(doc) : reason);
        return false;
    }
    if (ReadDocument(doc, site, error)) return true;
    if (error) *error = path + ": " + *error;
    return false;
}

bool LoadSiteIds(const std::string& idFilePath, Site& site, std::string* error) {
    xml::XmlTextDoc doc;
    if (!ids::LoadIdFile(doc, idFilePath)) {
        const std::string reason = ids::FileErrorOf(doc.ReportText());
        if (error) *error = idFilePath + ": " + (reason.empty() ? NotWellFormed(doc) : reason);
        return false;
    }
    ids::RepeaterRecords records;
    site.gateway.ids[0] = "FFFFFF";
    ids::WalkIdDocument(doc, {nullptr, &site.gateway.ids[1], &site.gateway.ids[2], &records});
    for (std::size_t k = 0; k < records.size(); ++k) {
        for (std::size_t m = 0; m < 6 && m < records[k].size(); ++m) site.repeaters[k].ids[m] = records[k][m];
    }
    // These IDs go on command lines as they are: each must be one token.
    std::string bad;
    ForEachModuleId(site, [&](const std::string& path, const std::string& id) {
        if (const std::string why = IdProblem(id); bad.empty() && !why.empty()) {
            bad = path + ": the ID " + Quoted(id) + " " + why;
        }
    });
    if (!bad.empty()) {
        if (error) *error = idFilePath + ": " + bad;
        return false;
    }
    return true;
}

std::string FormatTime(std::int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm t{};
    gmtime_r(&seconds, &t);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(ms % 1000));
    return text;
}

bool ParseTime(std::string_view text, std::int64_t* ms) {
    if (text.size() != 24) return false;
    std::tm t{};
    int milli = 0;
    char tail = 0;
    const std::string s(text);
    if (std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d%c", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour,
                    &t.tm_min, &t.tm_sec, &milli, &tail) != 8 ||
        tail != 'Z' || t.tm_mon < 1 || t.tm_mon > 12 || t.tm_mday < 1 || t.tm_mday > 31 || t.tm_hour > 23 ||
        t.tm_min > 59 || t.tm_sec > 60) {
        return false;
    }
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    *ms = static_cast<std::int64_t>(timegm(&t)) * 1000 + milli;
    return true;
}

}  // namespace network

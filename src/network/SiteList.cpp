#include "network/SiteList.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "network/Tokens.h"
#include "xml/DocFile.h"

namespace network {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The lines of text, each without its line end.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        out.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return out;
}

bool Fail(std::string* error, std::size_t line, const std::string& what) {
    if (error) *error = "line " + std::to_string(line) + ": " + what;
    return false;
}

// What a site still lacks once its section has ended, or empty.
std::string Missing(const SiteEntry& site) {
    if (site.host.empty()) return "site \"" + site.name + "\" has no gateway = ADDRESS[:PORT]";
    if (site.idFile.empty()) return "site \"" + site.name + "\" has no ids = FILE";
    return {};
}

bool ReadWhole(const std::string& path, std::string* text, std::string* error) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > static_cast<std::uintmax_t>(kMaxSiteListBytes)) {
        *error = path + ": larger than " + std::to_string(kMaxSiteListBytes) + " bytes; not a list of sites";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = path + ": cannot read: " + std::strerror(errno);
        return false;
    }
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool Replace(const std::string& path, const std::string& text, std::string* error) {
    int code = 0;
    const bool ok = xml::ReplaceFile(
        path.c_str(), xml::FileAccess::Kept,
        [&](std::FILE* f) { return std::fwrite(text.data(), 1, text.size(), f) == text.size(); }, &code);
    if (!ok && error) *error = "cannot write " + path + ": " + std::strerror(code);
    return ok;
}

}  // namespace

bool ParseGatewayAddress(std::string_view text, std::string* host, unsigned* port, std::string* error) {
    std::string_view address = text;
    std::string_view portText;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            *error = "the gateway address \"" + std::string(text) + "\" has no closing ]";
            return false;
        }
        address = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':') {
                *error = "expected :PORT after ] in \"" + std::string(text) + "\"";
                return false;
            }
            portText = text.substr(close + 2);
        }
    } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos && text.find(':') == colon) {
        address = text.substr(0, colon);
        portText = text.substr(colon + 1);
    }
    if (address.empty()) {
        *error = "no gateway address in \"" + std::string(text) + "\"";
        return false;
    }
    *host = std::string(address);
    *port = 5555;
    if (portText.data() == nullptr) return true;
    if (!IsNumber(portText) || portText.size() > 5 || std::stoul(std::string(portText)) == 0 ||
        std::stoul(std::string(portText)) > 65535) {
        *error = "the port \"" + std::string(portText) + "\" is not a number from 1 to 65535";
        return false;
    }
    *port = static_cast<unsigned>(std::stoul(std::string(portText)));
    return true;
}

std::string GatewayText(const SiteEntry& site) {
    const bool v6 = site.host.find(':') != std::string::npos;
    return (v6 ? "[" + site.host + "]" : site.host) + ":" + std::to_string(site.port);
}

std::string SiteNameProblem(std::string_view name) {
    if (name.empty()) return "is empty";
    if (name.size() > 40) return "is longer than 40 characters";
    const auto alnum = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    };
    if (!alnum(name.front())) return "does not start with a letter or digit";
    for (const char c : name) {
        if (!alnum(c) && c != '.' && c != '_' && c != '-')
            return "holds " + Quoted(std::string(1, c)) + " (letters, digits, '.', '_', '-' only)";
    }
    return {};
}

bool ParseSiteList(std::string_view text, std::vector<SiteEntry>* sites, std::string* error) {
    std::vector<SiteEntry> out;
    const std::vector<std::string_view> lines = Lines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t n = i + 1;
        const std::string_view line = Trimmed(lines[i]);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') return Fail(error, n, "expected [NAME], found " + Quoted(line));
            if (!out.empty()) {
                if (const std::string m = Missing(out.back()); !m.empty()) return Fail(error, n, m);
            }
            SiteEntry site;
            site.name = std::string(Trimmed(line.substr(1, line.size() - 2)));
            site.line = static_cast<int>(n);
            if (const std::string why = SiteNameProblem(site.name); !why.empty()) {
                return Fail(error, n, "the site name " + Quoted(site.name) + " " + why);
            }
            if (FindSite(out, site.name)) {
                return Fail(error, n,
                            "site \"" + site.name + "\" again (first on line " +
                                std::to_string(FindSite(out, site.name)->line) + ")");
            }
            out.push_back(std::move(site));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) return Fail(error, n, "expected KEY = VALUE, found " + Quoted(line));
        const std::string key(Trimmed(line.substr(0, equals)));
        const std::string value(Trimmed(line.substr(equals + 1)));
        if (out.empty()) return Fail(error, n, "\"" + key + "\" before the first [NAME]");
        SiteEntry& site = out.back();
        if (value.empty()) return Fail(error, n, "\"" + key + "\" has no value");
        std::string why;
        if (key == "gateway") {
            if (!ParseGatewayAddress(value, &site.host, &site.port, &why)) return Fail(error, n, why);
        } else if (key == "ids") {
            site.idFile = value;
        } else if (key == "plan") {
            site.plan = value;
        } else if (key == "keep") {
            if (!IsNumber(value) || value.size() > 5 || std::stoi(value) < 1 || std::stoi(value) > kMaxHistoryKept) {
                return Fail(
                    error, n,
                    "keep takes a number from 1 to " + std::to_string(kMaxHistoryKept) + ", not " + Quoted(value));
            }
            site.keep = std::stoi(value);
        } else {
            return Fail(error, n, "unknown key " + Quoted(key) + " (gateway, ids, plan, keep)");
        }
    }
    if (!out.empty()) {
        if (const std::string m = Missing(out.back()); !m.empty()) return Fail(error, lines.size(), m);
    }
    *sites = std::move(out);
    return true;
}

bool LoadSiteList(const std::string& path, std::vector<SiteEntry>* sites, std::string* error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        sites->clear();
        return true;
    }
    std::string text;
    if (!ReadWhole(path, &text, error)) return false;
    if (ParseSiteList(text, sites, error)) return true;
    *error = path + ": " + *error;
    return false;
}

std::string SiteText(const SiteEntry& site) {
    std::string out = "[" + site.name + "]\ngateway = " + GatewayText(site) + "\nids = " + site.idFile + "\n";
    if (!site.plan.empty()) out += "plan = " + site.plan + "\n";
    if (site.keep != kDefaultHistoryKept) out += "keep = " + std::to_string(site.keep) + "\n";
    return out;
}

bool AddSite(const std::string& path, const SiteEntry& site, std::string* error) {
    std::vector<SiteEntry> sites;
    if (!LoadSiteList(path, &sites, error)) return false;
    if (FindSite(sites, site.name)) {
        *error = "site \"" + site.name + "\" is in " + path + " already (line " +
                 std::to_string(FindSite(sites, site.name)->line) + ")";
        return false;
    }
    std::string text;
    if (std::error_code ec; std::filesystem::exists(path, ec) && !ReadWhole(path, &text, error)) return false;
    if (text.empty()) {
        text = "# The sites veskora knows, one [NAME] each (see docs/sites.md).\n";
        // The ID folder may not be made yet: the first site makes it, as saving the ID file would.
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    }
    if (text.back() != '\n') text += '\n';
    return Replace(path, text + "\n" + SiteText(site), error);
}

bool RemoveSite(const std::string& path, const std::string& name, std::string* error) {
    std::vector<SiteEntry> sites;
    if (!LoadSiteList(path, &sites, error)) return false;
    const SiteEntry* site = FindSite(sites, name);
    if (!site) {
        *error = "no site \"" + name + "\" in " + path;
        return false;
    }
    std::string text;
    if (!ReadWhole(path, &text, error)) return false;
    // From its [name] line to the next site's, but for the comments just above
    // that one, which speak of it.
    const std::vector<std::string_view> lines = Lines(text);
    std::size_t end = lines.size();
    for (const SiteEntry& s : sites) {
        if (s.line > site->line) end = std::min(end, static_cast<std::size_t>(s.line - 1));
    }
    if (end < lines.size()) {
        while (end > static_cast<std::size_t>(site->line) && Trimmed(lines[end - 1]).substr(0, 1) == "#") --end;
    }
    while (end > static_cast<std::size_t>(site->line) && Trimmed(lines[end - 1]).empty()) --end;
    // The blank lines that set it apart go with it.
    std::size_t start = static_cast<std::size_t>(site->line - 1);
    while (start > 0 && Trimmed(lines[start - 1]).empty()) --start;
    std::string kept;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i >= start && i < end) continue;
        kept.append(lines[i]);
        if (i + 1 < lines.size() || text.back() == '\n') kept += '\n';
    }
    return Replace(path, kept, error);
}

const SiteEntry* FindSite(const std::vector<SiteEntry>& sites, std::string_view name) {
    for (const SiteEntry& s : sites) {
        if (s.name == name) return &s;
    }
    return nullptr;
}

std::vector<std::string> SiteNames(const std::vector<SiteEntry>& sites) {
    std::vector<std::string> out;
    out.reserve(sites.size());
    for (const SiteEntry& s : sites) out.push_back(s.name);
    return out;
}

std::string ResolvedPath(const std::string& listPath, const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    return (std::filesystem::path(listPath).parent_path() / path).lexically_normal().string();
}

}  // namespace network

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "network/Site.h"

// The site kept in a file: every module ID and every value with its path, its
// origin and its time, as XML written and read by the program's own engine.
// The format is described in docs/network-file.md.
namespace network {

inline constexpr int kNetworkFileFormat = 1;
// A site of six repeaters and 180 nodes is about 150 KB; more is not one.
inline constexpr std::int64_t kMaxNetworkFileBytes = 16 << 20;

// The longest site name or technician, and the longest notes, a file keeps (bytes).
inline constexpr std::size_t kMaxAboutLine = 200;
inline constexpr std::size_t kMaxAboutNotes = 4000;

// Why about cannot be kept in a network file ("the technician holds a line
// break (0x0A)"), or empty when it can: the site name and the technician are
// one line each, the notes may hold line ends (LF) and tabs; no other control
// characters, nothing longer than the limits above.
std::string AboutProblem(const About& about);

// The file's text for a site: module IDs first, then every value that is not
// unknown, in the order of ForEachValue; site.about, when it holds anything,
// as an <About> element before them. A read that stopped early names why
// in partial, and the file carries it as partial="…".
std::string NetworkFileText(const Site& site, const std::string& partial = {});
// Writes the site to path atomically, readable by the user alone (0600);
// false with the reason in error (also when AboutProblem names one).
bool SaveNetworkFile(const Site& site, const std::string& path, std::string* error, const std::string& partial = {});
// The bytes SaveNetworkFile writes, for a writer of its own; false with the reason.
bool NetworkFileBytes(const Site& site, std::string* bytes, std::string* error, const std::string& partial = {});

// Reads a network file's text into site. On any fault the site is left as it
// was and error names the line and what was expected there.
bool ReadNetworkText(std::string_view text, Site& site, std::string* error);
bool LoadNetworkFile(const std::string& path, Site& site, std::string* error);

// The module IDs of the ID file (ids.xml) put into site: the gateway's radios
// and each repeater's first six IDs; the gateway MCU is always FFFFFF.
bool LoadSiteIds(const std::string& idFilePath, Site& site, std::string* error);

// Times in the file: "2026-12-07T16:25:03.120Z" (UTC, milliseconds).
std::string FormatTime(std::int64_t msSinceEpoch);
bool ParseTime(std::string_view text, std::int64_t* msSinceEpoch);

}  // namespace network

#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include <stdlib.h>
#include <sys/stat.h>

// The whole content of a file ("" when it cannot be read).
inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The whole content of a shared test data file; a file that is missing or
// empty fails the test, naming it, so that no comparison runs on nothing.
inline std::string ReadDataFile(const std::filesystem::path& path) {
    std::string bytes = ReadFile(path);
    EXPECT_FALSE(bytes.empty()) << "missing or empty test data file " << path.string();
    return bytes;
}

// A folder of the test's own under the system's temporary folder, removed
// with everything in it (tests of the plain libraries run without Qt).
class TempFolder {
public:
    TempFolder() {
        std::string name = (std::filesystem::temp_directory_path() / "veskora-test-XXXXXX").string();
        if (::mkdtemp(name.data())) m_path = name;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string filePath(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// The permission bits of what path names (the link itself for a link), or -1.
inline int FileMode(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

// The process's umask for the life of the object (children started meanwhile
// inherit it), the old one back afterwards.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : m_old(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_old); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t m_old;
};

#include "xml/DocFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "xml/Encodings.h"
#include "xml/XmlTextDoc.h"

namespace xml {
namespace {

constexpr std::uint32_t kModeRead = 0x10;
constexpr std::uint32_t kModeWrite = 0x20;
constexpr std::uint32_t kModeAppend = 0x40;
constexpr std::uint32_t kEncodingBits = kDocUtf16Le | kDocUtf8Bom | kDocUtf16Be;

struct Bom {
    const char* bytes;
    std::size_t length;
    const char* name;
    std::uint32_t flag;
};
constexpr Bom kBoms[] = {
    {"\xEF\xBB\xBF", 3, "UTF-8", kDocUtf8Bom},
    {"\xFF\xFE", 2, "UTF-16LE", kDocUtf16Le},
    {"\xFE\xFF", 2, "UTF-16BE", kDocUtf16Be},
};

void Record(std::string& report, const char* word, const char* value = nullptr, std::uint32_t kind = 0,
            std::int64_t number = -1) {
    XmlTextDoc::AddReportRecord(report, word, value, kind, number);
}

// "file_error" with this platform's text for the error and its number.
void FileError(std::string& report, int error) {
    std::string msg = std::strerror(error);
    msg = msg.substr(0, std::min(msg.find_first_of("\r\n"), std::size_t{100}));
    Record(report, "file_error", msg.c_str(), kRecMsg | kRecN, error);
}

void SwapBytes(char* units, std::size_t size) {
    for (std::size_t i = 0; i + 1 < size; i += 2) std::swap(units[i], units[i + 1]);
}
void SwapBytes(std::string& units) { SwapBytes(units.data(), units.size()); }

// Whether a text of 2-byte units holds a zero unit.
bool HasZeroUnit(const char* p, std::size_t size) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // 64 bytes a step, one branch for the four blocks.
    for (; size - i >= 64; i += 64) {
        __m128i zero = _mm_setzero_si128();
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + std::size_t{16} * k));
            zero = _mm_or_si128(zero, _mm_cmpeq_epi16(v, _mm_setzero_si128()));
        }
        if (_mm_movemask_epi8(zero)) return true;
    }
    for (; size - i >= 16; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(v, _mm_setzero_si128()))) return true;
    }
#endif
    for (; i + 1 < size; i += 2) {
        if (p[i] == '\0' && p[i + 1] == '\0') return true;
    }
    return false;
}

// A file's bytes, read into memory that is not filled first.
struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

// The state of one open file.
class DocFile {
public:
    explicit DocFile(std::uint32_t flags) : m_flags(flags) {}
    ~DocFile() {
        if (m_file) std::fclose(m_file);
        if (m_fd >= 0) ::close(m_fd);
    }
    DocFile(const DocFile&) = delete;
    DocFile& operator=(const DocFile&) = delete;

    bool OpenRead(const char* path, std::int64_t maxLength);
    bool OpenWrite(const char* path, std::FILE* file);
    bool ReadText(std::string& text);
    bool WriteText(const std::string& text);
    bool Close();
    // Forgets the stream being written, which its owner closes.
    void ReleaseStream() {
        m_file = nullptr;
        m_flags &= ~(kModeRead | kModeWrite | kModeAppend);
    }

    std::uint32_t Flags() const { return m_flags; }
    std::string& Report() { return m_report; }
    std::string m_encoding;

private:
    bool ReadUnits(std::string_view& units);
    bool WriteUnits(std::string units);
    void AppendConverted(std::string& text, std::string_view raw, const char* from);

    std::FILE* m_file = nullptr;  // writing
    int m_fd = -1;                // reading: the whole file is read at once
    FileBytes m_bytes;
    std::uint32_t m_flags;
    std::int64_t m_length = 0;
    std::int64_t m_position = 0;
    int m_unitWidth = 1;
    bool m_assumedUtf8 = false;  // UTF-8 only because the text starts with '<'
    std::string m_report;
};

bool DocFile::OpenRead(const char* path, std::int64_t maxLength) {
    m_flags |= kModeRead;
    // Not blocking: opening a FIFO would wait for a writer for ever, out of
    // reach of Ctrl+C. Only a regular file is read.
    m_fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0) {
        FileError(m_report, errno);
        return false;
    }
    struct stat st {};
    if (fstat(m_fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        FileError(m_report, S_ISDIR(st.st_mode) ? EISDIR : errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        Record(m_report, "file_error", "not a regular file", kRecMsg | kRecN, ENODEV);
        return false;
    }
    m_length = st.st_size;
    if (m_length > std::min<std::int64_t>(maxLength, INT32_MAX / 2)) {
        FileError(m_report, EFBIG);
        return false;
    }
    // One read for the whole file: the head that tells the encoding is its start.
    m_bytes.size = static_cast<std::size_t>(m_length);
    m_bytes.data.reset(new char[m_bytes.size + 1]);
    for (std::size_t got = 0; got < m_bytes.size;) {
        const ssize_t n = ::read(m_fd, m_bytes.data.get() + got, m_bytes.size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            FileError(m_report, n < 0 ? errno : EIO);
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    const std::string_view head(m_bytes.data.get(), std::min<std::size_t>(1024, m_bytes.size));
    m_flags &= ~kEncodingBits;
    std::size_t bom = 0;
    for (const Bom& b : kBoms) {
        if (head.size() >= b.length && head.compare(0, b.length, b.bytes) == 0) {
            m_flags |= b.flag;
            m_encoding = b.name;
            m_unitWidth = b.length == 2 ? 2 : 1;
            bom = b.length;
            break;
        }
    }
    if (!bom) {
        m_encoding = SniffEncoding(head);
        if (m_encoding.empty() && !head.empty() && head[0] == '<') {
            m_encoding = "UTF-8";
            m_assumedUtf8 = true;
        }
    }
    m_position = static_cast<std::int64_t>(bom);
    if (bom) Record(m_report, "bom");
    return true;
}

bool DocFile::OpenWrite(const char* path, std::FILE* file) {
    (void)path;
    m_flags |= kModeWrite;
    m_file = file;
    for (const Bom& b : kBoms) {
        if (m_flags & b.flag) {
            m_encoding = b.name;
            m_unitWidth = b.length == 2 ? 2 : 1;
            if (std::fwrite(b.bytes, 1, b.length, m_file) != b.length) {
                FileError(m_report, errno);
                return false;
            }
            Record(m_report, "bom");
            break;
        }
    }
    return true;
}

// The units after the mark, whole units only, NUL units dropped and
// big-endian ones swapped, in place in the bytes read.
bool DocFile::ReadUnits(std::string_view& units) {
    const auto w = static_cast<std::size_t>(m_unitWidth);
    char* const data = m_bytes.data.get() + m_position;
    std::size_t size = static_cast<std::size_t>(m_length - m_position) / w * w;
    m_position = m_length;
    Record(m_report, "read", m_encoding.c_str(), kRecEncoding | kRecLength, static_cast<std::int64_t>(size / w));

    // Zero units are dropped: the text is a NUL-terminated string.
    if (w == 1 ? std::memchr(data, 0, size) != nullptr : HasZeroUnit(data, size)) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < size; i += w) {
            bool zero = true;
            for (std::size_t k = 0; k < w; ++k) zero = zero && data[i + k] == '\0';
            if (zero) continue;
            for (std::size_t k = 0; k < w; ++k) data[kept + k] = data[i + k];
            kept += w;
        }
        if (kept != size) {
            Record(m_report, "nulls_removed", nullptr, kRecCount, static_cast<std::int64_t>((size - kept) / w));
            size = kept;
        }
    }
    if (w == 2 && (m_flags & kDocUtf16Be)) {
        SwapBytes(data, size);
        Record(m_report, "endian_swap");
    }
    units = std::string_view(data, size);
    return true;
}

void DocFile::AppendConverted(std::string& text, std::string_view raw, const char* from) {
    bool lost = false;
    std::string converted = ConvertText(from, "", raw, &lost);
    const auto length = static_cast<std::int64_t>(converted.size());
    if (text.empty()) {
        text = std::move(converted);
    } else {
        text += converted;
    }
    Record(m_report, "converted_to", "", kRecEncoding | kRecLength, length);
    if (lost) Record(m_report, "conversion_loss");
}

bool DocFile::ReadText(std::string& text) {
    m_report.clear();
    if (m_position >= m_length) {
        Record(m_report, "read", m_encoding.c_str(), kRecEncoding | kRecLength, 0);
        return true;
    }
    std::string_view raw;
    if (m_flags & (kDocUtf16Le | kDocUtf16Be)) {
        if (!ReadUnits(raw)) return false;
        AppendConverted(text, raw, "UTF-16");
        return true;
    }
    bool unknown = m_encoding.empty();
    if (EncodingsDiffer(m_encoding, "")) {
        if (!ReadUnits(raw)) return false;
        // A file merely assumed to be UTF-8 that is not is taken as it is:
        // converting it would replace every one of its non-ASCII characters.
        if (!m_assumedUtf8 || LooksLikeUtf8(raw)) {
            AppendConverted(text, raw, m_encoding.c_str());
            return true;
        }
        m_encoding.clear();
        Record(m_report, "read", "", kRecUpdate | kRecEncoding);
        text += raw;
        Record(m_report, "utf8_detection");
        return true;
    }
    if (!ReadUnits(raw)) return false;
    if (unknown) {
        bool nonAscii = false;
        if (LooksLikeUtf8(raw, &nonAscii)) {
            m_encoding = "UTF-8";
            Record(m_report, "read", "UTF-8", kRecUpdate | kRecEncoding);
            if (nonAscii) {
                AppendConverted(text, raw, "UTF-8");
                Record(m_report, "utf8_detection");
                return true;
            }
        }
    }
    text += raw;
    if (unknown) Record(m_report, "utf8_detection");
    return true;
}

bool DocFile::WriteUnits(std::string units) {
    if (m_flags & kDocUtf16Be) {
        SwapBytes(units);
        Record(m_report, "endian_swap");
    }
    if (!units.empty() && std::fwrite(units.data(), 1, units.size(), m_file) != units.size()) {
        FileError(m_report, errno);
        return false;
    }
    m_position += static_cast<std::int64_t>(units.size());
    Record(m_report, "write", m_encoding.c_str(), kRecEncoding | kRecLength,
           static_cast<std::int64_t>(units.size()) / m_unitWidth);
    return true;
}

bool DocFile::WriteText(const std::string& text) {
    m_report.clear();
    if (text.empty()) {
        Record(m_report, "write", m_encoding.c_str(), kRecEncoding | kRecLength, 0);
        return true;
    }
    std::string out;
    bool lost = false;
    if (m_flags & (kDocUtf16Le | kDocUtf16Be)) {
        out = ConvertText("", "UTF-16", text, &lost);
        Record(m_report, "converted_from", "", kRecEncoding | kRecLength, static_cast<std::int64_t>(text.size()));
    } else if (EncodingsDiffer(m_encoding, "")) {
        out = ConvertText("", m_encoding, text, &lost);
        Record(m_report, "converted_from", "", kRecEncoding | kRecLength, static_cast<std::int64_t>(text.size()));
        if (lost) Record(m_report, "conversion_loss");
    } else {
        out = text;
    }
    if (out.empty()) {
        // The encoding produced nothing for a text: writing would destroy it.
        FileError(m_report, EILSEQ);
        return false;
    }
    return WriteUnits(std::move(out));
}

bool DocFile::Close() {
    bool ok = true;
    if (m_file && std::fclose(m_file) != 0) {
        FileError(m_report, errno);
        ok = false;
    }
    m_file = nullptr;
    if (m_fd >= 0 && ::close(m_fd) != 0) {
        FileError(m_report, errno);
        ok = false;
    }
    m_fd = -1;
    m_bytes = {};
    m_flags &= ~(kModeRead | kModeWrite | kModeAppend);
    return ok;
}

// The file a save replaces: the path with the symbolic links at its end
// followed, so that a link stays a link and the file it names gets the text.
// A path that names nothing yet is its own target.
bool FollowLinks(const char* path, std::string& target, int& error) {
    target = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) return true;
            error = errno;
            return false;
        }
        if (!S_ISLNK(st.st_mode)) return true;
        if (hops == 40) {  // the kernel's own limit
            error = ELOOP;
            return false;
        }
        char link[4096];
        const ssize_t n = readlink(target.c_str(), link, sizeof link);
        if (n < 0 || n == static_cast<ssize_t>(sizeof link)) {
            error = n < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        // A relative link is read from the folder the link is in.
        const std::string folder = target.substr(0, target.rfind('/') + 1);
        target = link[0] == '/' ? std::string(link, static_cast<std::size_t>(n))
                                : folder + std::string(link, static_cast<std::size_t>(n));
    }
}

// 0 when a save may replace (or make) target; otherwise why not.
int SaveRefusal(const std::string& target) {
    struct stat st {};
    if (stat(target.c_str(), &st) != 0) return 0;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    // A file without a single write bit was protected by its user: refused
    // for root too, whom access() lets write anything.
    if ((st.st_mode & 0222) == 0) return EACCES;
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno;
    return 0;
}

// Removes what saves of target that were killed left beside it: regular
// files named as its temporary files are ("<name>.XXXXXX"), unless a save
// still running holds the lock it takes on its own.
void RemoveLeftTemporaryFiles(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = target.substr(0, slash + 1);
    const std::string prefix = target.substr(slash + 1) + ".";
    DIR* listing = opendir(folder.empty() ? "." : folder.c_str());
    if (!listing) return;
    while (const dirent* entry = readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
        const std::string_view suffix = name.substr(prefix.size());
        if (!std::all_of(suffix.begin(), suffix.end(), [](char c) {
                return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            })) {
            continue;
        }
        const std::string path = folder + std::string(name);
        // Only regular files are opened: opening a device or a pipe may do something.
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0) unlink(path.c_str());
        close(fd);
    }
    closedir(listing);
}

// The mode a new file gets: the old file's, or the default under the umask.
mode_t TargetMode(const char* path) {
    struct stat st {};
    if (stat(path, &st) == 0) return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// How far a replacement came, and the errno where it stopped.
struct Replacement {
    enum Stage { Opening, Writing, Flushing, Renaming, Done } stage = Opening;
    int error = 0;
};

// The one atomic save: the bytes go to a temporary file beside the target,
// which then takes the target's place in one rename. The temporary file has
// its final mode before the first byte goes in.
Replacement Replace(const char* path, FileAccess access, const std::function<bool(std::FILE*)>& write) {
    Replacement r;
    if (!path || !*path) {
        r.error = ENOENT;
        return r;
    }
    std::string target;
    if (!FollowLinks(path, target, r.error) || (r.error = SaveRefusal(target)) != 0) return r;
    RemoveLeftTemporaryFiles(target);
    std::string temp = target + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        r.error = errno;
        return r;
    }
    // Held until the file is closed: the next save's clean-up leaves it alone.
    flock(fd, LOCK_EX | LOCK_NB);
    fchmod(fd, access == FileAccess::OwnerOnly ? mode_t{0600} : TargetMode(target.c_str()));
    std::FILE* stream = fdopen(fd, "wb");
    if (!stream) {
        r.error = errno;
        close(fd);
        unlink(temp.c_str());
        return r;
    }
    r.stage = Replacement::Writing;
    errno = 0;
    if (write(stream)) {
        r.stage = Replacement::Flushing;
        if (std::fflush(stream) == 0 && fsync(fileno(stream)) == 0) r.stage = Replacement::Renaming;
    }
    if (r.stage != Replacement::Renaming) r.error = errno ? errno : EIO;
    if (std::fclose(stream) != 0 && r.stage == Replacement::Renaming) {
        r.stage = Replacement::Flushing;
        r.error = errno;
    }
    if (r.stage == Replacement::Renaming) {
        if (std::rename(temp.c_str(), target.c_str()) == 0) {
            r.stage = Replacement::Done;
            return r;
        }
        r.error = errno;
    }
    unlink(temp.c_str());
    return r;
}

}  // namespace

bool ReadDocFile(const char* path, std::string& text, std::string& report, std::uint32_t& flags,
                 std::int64_t maxLength) {
    text.clear();
    DocFile file(flags);
    if (!path || !file.OpenRead(path, maxLength)) {
        if (!path) FileError(file.Report(), ENOENT);
        report = file.Report();
        return false;
    }
    std::string opening = file.Report();
    const bool ok = file.ReadText(text);
    const bool closed = file.Close();
    report = opening + file.Report();
    flags = file.Flags();
    return ok && closed;
}

bool ReplaceFile(const char* path, FileAccess access, const std::function<bool(std::FILE*)>& write, int* error) {
    const Replacement r = Replace(path, access, write);
    if (error) *error = r.error;
    return r.stage == Replacement::Done;
}

namespace {

// Puts text into stream in the encoding the flags or the text choose; the
// stream stays open, its owner's to close.
bool WriteEncoded(DocFile& file, const char* path, const std::string& text, std::FILE* stream) {
    bool ok = file.OpenWrite(path, stream);
    const std::string opening = file.Report();
    if (ok) {
        if (file.m_encoding.empty() && !text.empty()) {
            file.m_encoding = SniffEncoding(text);
            if (file.m_encoding.empty()) file.m_encoding = "UTF-8";
        }
        ok = file.WriteText(text);
    }
    file.Report() = opening + file.Report();
    file.ReleaseStream();
    return ok;
}

}  // namespace

bool WriteDocFile(const char* path, const std::string& text, std::string& report, std::uint32_t& flags,
                  FileAccess access) {
    DocFile file(flags);
    const Replacement r =
        Replace(path, access, [&](std::FILE* stream) { return WriteEncoded(file, path, text, stream); });
    flags = file.Flags();
    switch (r.stage) {
        case Replacement::Done:
        case Replacement::Writing: report = file.Report(); break;
        case Replacement::Flushing:
            report = file.Report();
            FileError(report, r.error);
            break;
        case Replacement::Opening:
        case Replacement::Renaming:
            // The file was not written: the records of the temporary file's write would say it was.
            report.clear();
            FileError(report, r.error);
            break;
    }
    return r.stage == Replacement::Done;
}

bool EncodeDocText(const std::string& text, std::string& bytes, std::string& report, std::uint32_t& flags) {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&data, &size);
    if (!stream) {
        report.clear();
        FileError(report, errno);
        return false;
    }
    DocFile file(flags);
    bool ok = WriteEncoded(file, "", text, stream);
    ok = std::fclose(stream) == 0 && ok;
    if (ok) bytes.assign(data, size);
    std::free(data);
    flags = file.Flags();
    report = file.Report();
    return ok;
}

bool XmlTextDoc::LoadFrom(const char* path, std::int64_t maxLength) {
    if (!ReadDocFile(path, m_text, m_report, m_docFlags, maxLength)) return false;
    return ParseDocument();
}

bool XmlTextDoc::SaveTo(const char* path, FileAccess access) {
    return WriteDocFile(path, m_text, m_report, m_docFlags, access);
}

bool XmlTextDoc::EncodeTo(std::string& bytes) {
    std::uint32_t flags = m_docFlags;
    return EncodeDocText(m_text, bytes, m_report, flags);
}

}  // namespace xml

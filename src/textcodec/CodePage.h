#pragma once

namespace textcodec {

// The code page narrow text is kept in: bytes on the TCP link and the XML
// engine's document text. Korean (949) unless a test or a tool sets another.
int SystemCodePage();

// Sets the system code page for the whole process (tests and tools only).
void SetSystemCodePage(int codePage);

// Sets the system code page for the lifetime of the object, then restores it.
class ScopedSystemCodePage {
public:
    explicit ScopedSystemCodePage(int codePage);
    ~ScopedSystemCodePage();
    ScopedSystemCodePage(const ScopedSystemCodePage&) = delete;
    ScopedSystemCodePage& operator=(const ScopedSystemCodePage&) = delete;

private:
    int m_previous;
};

}  // namespace textcodec

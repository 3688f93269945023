#include "textcodec/CodePage.h"

#include <atomic>

namespace textcodec {
namespace {
// The platform the program was designed for ran with the Korean ANSI code page.
constexpr int kDefaultCodePage = 949;
std::atomic<int> g_systemCodePage{kDefaultCodePage};
}  // namespace

int SystemCodePage() { return g_systemCodePage.load(std::memory_order_relaxed); }

void SetSystemCodePage(int codePage) { g_systemCodePage.store(codePage, std::memory_order_relaxed); }

ScopedSystemCodePage::ScopedSystemCodePage(int codePage) : m_previous(SystemCodePage()) { SetSystemCodePage(codePage); }

ScopedSystemCodePage::~ScopedSystemCodePage() { SetSystemCodePage(m_previous); }

}  // namespace textcodec

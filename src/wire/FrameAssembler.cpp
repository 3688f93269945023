#include "wire/FrameAssembler.h"

#include "wire/ReplyFrame.h"

namespace devlink {
namespace {

// The smallest frame that carries a tag.
constexpr std::size_t kMinFrame = kHeaderSize + 2;

}  // namespace

std::vector<std::string> FrameAssembler::Feed(std::string_view bytes) {
    std::vector<std::string> frames;
    const bool wasPending = !m_pending.empty();
    if (!wasPending && !bytes.empty() && bytes.size() <= kHeaderSize && bytes[0] == '$') {
        // A short '$' message stands as it is.
        frames.emplace_back(bytes);
        m_startedAnew = false;
        return frames;
    }
    m_pending.append(bytes);
    while (!m_pending.empty()) {
        if (m_pending.size() <= kHeaderSize) {
            // A '$' message stands alone; other short rests wait for more bytes.
            if (m_pending[0] == '$') {
                frames.push_back(std::move(m_pending));
                m_pending.clear();
            }
            break;
        }
        const std::size_t length = static_cast<unsigned char>(m_pending[kLengthOffset]);
        if (length < kMinFrame) {
            // The length byte describes no frame: everything is one read.
            frames.push_back(std::move(m_pending));
            m_pending.clear();
            break;
        }
        if (length > m_pending.size()) break;  // the rest is still on its way
        // The frame keeps the bytes after it, as a read would: a G2 reply
        // reads its fixed offsets whatever its length says.
        frames.push_back(m_pending.substr(0, kReadSize));
        m_pending.erase(0, length);
    }
    // What waits now began in this read when nothing waited before or a frame
    // was completed ahead of it.
    m_startedAnew = !m_pending.empty() && (!wasPending || !frames.empty());
    return frames;
}

std::string FrameAssembler::Flush() {
    std::string rest = std::move(m_pending);
    m_pending.clear();
    m_startedAnew = false;
    return rest;
}

}  // namespace devlink

// The framing of messages.
#include "process/wire.h"

#include <cstring>

#include "platform/files.h"

namespace {

// type, entry index, payload length
constexpr size_t kHead = 1 + 4 + 4;
// No result comes near this; a longer payload is a broken message, not one
// to wait for.
constexpr uint32_t kLongestPayload = 64u * 1024 * 1024;

void appendNumber(std::string& bytes, uint32_t value) { bytes.append(reinterpret_cast<const char*>(&value), 4); }

uint32_t numberAt(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

}  // namespace

std::string frameBytes(const Frame& frame) {
    std::string bytes(1, frame.type);
    appendNumber(bytes, frame.index);
    appendNumber(bytes, static_cast<uint32_t>(frame.payload.size()));
    return bytes + frame.payload;
}

std::vector<Frame> takeFrames(std::string& inbox) {
    std::vector<Frame> frames;
    size_t at = 0;
    while (inbox.size() - at >= kHead) {
        const uint32_t length = numberAt(inbox, at + 5);
        if (length > kLongestPayload) {
            // A message of no type: not understood, and nothing after it is.
            frames.push_back(Frame{0, numberAt(inbox, at + 1), ""});
            at = inbox.size();
            break;
        }
        if (inbox.size() - at - kHead < length) break;
        frames.push_back(Frame{inbox[at], numberAt(inbox, at + 1), inbox.substr(at + kHead, length)});
        at += kHead + length;
    }
    inbox.erase(0, at);
    return frames;
}

FrameRead readFrame(int fd, Frame& frame) {
    std::string bytes(kHead, '\0');
    if (!readWhole(fd, &bytes[0], 1)) return FrameRead::Ended;
    if (!readWhole(fd, &bytes[1], kHead - 1)) return FrameRead::Broken;
    const uint32_t length = numberAt(bytes, 5);
    if (length > kLongestPayload) return FrameRead::Broken;
    bytes.resize(kHead + length);
    if (length > 0 && !readWhole(fd, &bytes[kHead], length)) return FrameRead::Broken;
    frame = takeFrames(bytes).front();  // the one whole frame read
    return FrameRead::Whole;
}

// The wire between the program and its child processes: messages framed as
// a type, an entry index and a payload, sent and read whole with
// platform/files.h's writeWhole and readAvailable, their values encoded
// with process/codec.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One message: a type, the entry it is about, and its payload.
struct Frame {
    char type = 0;
    uint32_t index = 0;
    std::string payload;
};
// The bytes of a message.
std::string frameBytes(const Frame& frame);
// Takes the whole messages off the front of `inbox`; a message cut short
// stays there until the rest arrives. A message that says it is longer than
// any result gives a frame of type 0, which no one understands, and the rest
// of `inbox` is dropped.
std::vector<Frame> takeFrames(std::string& inbox);
// Reads one whole message from a blocking descriptor: Ended when the
// descriptor ends (or fails) before a message starts, Broken when it ends
// within one or the message says it is longer than any could be.
enum class FrameRead { Whole, Ended, Broken };
FrameRead readFrame(int fd, Frame& frame);

// The framing of the messages between the program and its workers.
#include <gtest/gtest.h>

#include "process/wire.h"

TEST(Wire, WholeMessagesTakenCutOnesWaitAndAnAbsurdLengthEndsTheInbox) {
    const std::string first = frameBytes(Frame{'D', 3, std::string("r\0s", 3)});
    const std::string second = frameBytes(Frame{'S', 4, ""});
    std::string inbox = first + second.substr(0, 5);
    std::vector<Frame> frames = takeFrames(inbox);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].type, 'D');
    EXPECT_EQ(frames[0].index, 3u);
    EXPECT_EQ(frames[0].payload, std::string("r\0s", 3));
    EXPECT_EQ(inbox, second.substr(0, 5));  // the rest waits
    inbox += second.substr(5);
    frames = takeFrames(inbox);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].index, 4u);
    EXPECT_TRUE(inbox.empty());
    // A length past any result is not waited for: a frame nobody understands,
    // and what follows it is dropped.
    std::string broken = frameBytes(Frame{'D', 5, "x"});
    broken[5] = broken[6] = broken[7] = broken[8] = '\x7f';
    inbox = broken + second;
    frames = takeFrames(inbox);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].type, 0);
    EXPECT_EQ(frames[0].index, 5u);
    EXPECT_TRUE(inbox.empty());
}

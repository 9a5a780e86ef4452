// The framing of the messages between the program and its workers, and
// what a job's request carries.
#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/solve_job.h"
#include "process/codec.h"
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

TEST(Wire, AJobsRequestCrossesWholeAndAReadEndsCleanOnlyBetweenFrames) {
    SolveRequest sent;
    sent.modelPath = "m/a b.lp";
    sent.outputFolder = "out";
    sent.raceFolder = "out/.loteotimizador-h-1-abcdef.tmp";
    sent.settings.timeLimit = 2.5;
    sent.settings.jobs = 3;
    sent.settings.memoryLimitMb = 512.0;
    sent.settings.knownResultsFile = "k.solu";
    sent.settings.scipParameters = "limits/gap = 0.01\n";
    sent.settings.formats = {"lp", "mps.gz"};
    sent.settings.keepLogs = true;
    sent.settings.seed = 7;
    sent.settings.race = true;
    sent.settings.racerSeed = 8;
    sent.listedFolders = {"m/initial_sol", ""};
    const std::optional<SolveRequest> got = decodeValue<SolveRequest>(encodeValue(sent));
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->modelPath, sent.modelPath);
    EXPECT_EQ(got->outputFolder, sent.outputFolder);
    EXPECT_EQ(got->raceFolder, sent.raceFolder);
    EXPECT_EQ(got->listedFolders, sent.listedFolders);
    const BatchSettings& s = got->settings;
    EXPECT_EQ(s.timeLimit, 2.5);
    EXPECT_EQ(s.jobs, 3);
    EXPECT_EQ(s.memoryLimitMb, 512.0);
    EXPECT_EQ(s.knownResultsFile, "k.solu");
    EXPECT_EQ(s.scipParameters, sent.settings.scipParameters);
    EXPECT_EQ(s.formats, sent.settings.formats);
    EXPECT_TRUE(s.keepLogs);
    EXPECT_EQ(s.seed, std::optional<int>(7));
    EXPECT_TRUE(s.race);
    EXPECT_EQ(s.racerSeed, std::optional<int>(8));
    // A list that says it holds more than its bytes could is no value.
    std::string lying = encodeValue(std::vector<std::string>{"x"});
    lying[0] = '\x7f';
    EXPECT_FALSE(decodeValue<std::vector<std::string>>(lying).has_value());

    // A worker's task pipe: whole frames, then an end within a frame is
    // broken; an end between frames is the program's clean end.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string whole = frameBytes(Frame{'T', 9, "request"});
    const std::string cut = frameBytes(Frame{'T', 10, "more"}).substr(0, 11);
    ASSERT_EQ(write(fds[1], (whole + cut).data(), whole.size() + cut.size()),
              static_cast<ssize_t>(whole.size() + cut.size()));
    close(fds[1]);
    Frame frame;
    EXPECT_EQ(readFrame(fds[0], frame), FrameRead::Whole);
    EXPECT_EQ(frame.index, 9u);
    EXPECT_EQ(frame.payload, "request");
    EXPECT_EQ(readFrame(fds[0], frame), FrameRead::Broken);
    close(fds[0]);
    ASSERT_EQ(pipe(fds), 0);
    close(fds[1]);
    EXPECT_EQ(readFrame(fds[0], frame), FrameRead::Ended);
    close(fds[0]);
}

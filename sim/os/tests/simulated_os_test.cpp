#include "sim/os/simulated_os.h"

#include <gtest/gtest.h>

namespace vesk::sim {
namespace {

TEST(SimulatedOs, WaitsMoveTheVirtualClock) {
  VirtualClock clock;
  SimulatedOs os{clock};
  const SimTime start = clock.Now();
  os.Sleep(10);
  os.DelayMicroseconds(300);
  EXPECT_EQ(clock.Now() - start, Microseconds{10'300});
}

TEST(SimulatedOs, TimedMessageBoxWithoutAnswerClosesAfterItsTimeout) {
  VirtualClock clock;
  SimulatedOs os{clock};
  const SimTime start = clock.Now();
  EXPECT_EQ(os.ShowTimedMessageBox("text", "Notice", kMbIconError, 1033, 5000), kIdTimeout);
  EXPECT_EQ(clock.Now() - start, std::chrono::milliseconds{5000});
  ASSERT_EQ(os.MessageBoxes().size(), 1u);
  EXPECT_EQ(os.MessageBoxes()[0].timeoutMs, 5000u);
}

TEST(SimulatedOs, FilesReadAtMostTheAskedLengthAndFailedWritesKeepTheOldContent) {
  VirtualClock clock;
  SimulatedOs os{clock};
  const std::string path = os.GetModuleDirectory() + "TimeSetting.bin";
  EXPECT_EQ(path, "C:\\VESK\\TimeSetting.bin");
  EXPECT_FALSE(os.ReadFileBytes(path, 126));
  const std::vector<uint8_t> content(200, 7);
  ASSERT_TRUE(os.ReplaceFileAtomically(path, content));
  EXPECT_EQ(os.ReadFileBytes(path, 126)->size(), 126u);
  os.FailFileWrites(true);
  const std::vector<uint8_t> other(5, 1);
  EXPECT_FALSE(os.ReplaceFileAtomically(path, other));
  EXPECT_EQ(os.Files()[path], content);
  EXPECT_TRUE(os.RemoveFile(path));
  EXPECT_FALSE(os.RemoveFile(path));
}

TEST(SimulatedOs, SecondInstanceSeesTheMutexAndEndProcessUnwinds) {
  VirtualClock clock;
  SimulatedOs os{clock};
  EXPECT_FALSE(os.CreateSingleInstanceMutex("VESK"));
  EXPECT_TRUE(os.CreateSingleInstanceMutex("VESK"));
  try {
    os.EndProcess(0);
    FAIL() << "EndProcess returned";
  } catch (const SimulatedProcessExit& e) {
    EXPECT_EQ(e.exitCode, 0);
  }
}

}  // namespace
}  // namespace vesk::sim

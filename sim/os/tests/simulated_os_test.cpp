#include "sim/os/simulated_os.h"

#include <gtest/gtest.h>

namespace vesk::sim {
namespace {

class SimulatedOsTest : public ::testing::Test {
 protected:
  VirtualClock clock;
  SimulatedOs os{clock};
};

TEST_F(SimulatedOsTest, WaitsAndUnansweredTimedBoxesMoveTheVirtualClock) {
  const SimTime start = clock.Now();
  os.Sleep(10);
  os.DelayMicroseconds(300);
  EXPECT_EQ(clock.Now() - start, Microseconds{10'300});
  EXPECT_EQ(os.ShowTimedMessageBox("text", "Notice", kMbIconError, 1033, 5000), kIdTimeout);
  EXPECT_EQ(clock.Now() - start, Microseconds{5'010'300});
  ASSERT_EQ(os.MessageBoxes().size(), 1u);
  EXPECT_EQ(os.MessageBoxes()[0].timeoutMs, 5000u);
}

TEST_F(SimulatedOsTest, FilesReadAtMostTheAskedLengthAndFailedWritesKeepTheOldContent) {
  const std::string path = os.GetModuleDirectory() + "TimeSetting.bin";
  EXPECT_EQ(path, "C:\\VESK\\TimeSetting.bin");
  EXPECT_FALSE(os.ReadFileBytes(path, 126));
  const std::vector<uint8_t> content(200, 7);
  ASSERT_TRUE(os.ReplaceFileAtomically(path, content));
  EXPECT_EQ(os.ReadFileBytes(path, 126)->size(), 126u);
  os.FailFileWrites(true);
  EXPECT_FALSE(os.ReplaceFileAtomically(path, std::vector<uint8_t>(5, 1)));
  EXPECT_EQ(os.Files()[path], content);
  EXPECT_TRUE(os.RemoveFile(path));
  EXPECT_FALSE(os.RemoveFile(path));
}

}  // namespace
}  // namespace vesk::sim

#include "schedule/schedule_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/os/simulated_os.h"

namespace vesk {
namespace {

class ScheduleFile : public ::testing::Test {
 protected:
  sim::VirtualClock clock;
  sim::SimulatedOs os{clock};
  const std::string path = "C:\\VESK\\TimeSetting.bin";

  std::vector<uint8_t>& File() { return os.Files()[path]; }
};

WeekSchedule MondayOfficeHours() {
  WeekSchedule s;
  s.Days[1].Phases[0] = {1, 480, 1050};
  return s;
}

TEST_F(ScheduleFile, LivesBesideTheExecutableAlsoInAChineseFolder) {
  EXPECT_EQ(ScheduleFilePath(os), path);
  os.SetModulePath("D:\\定时开关机\\VESK.exe");
  EXPECT_EQ(ScheduleFilePath(os), "D:\\定时开关机\\TimeSetting.bin");
}

TEST_F(ScheduleFile, WriteReplacesTheWholeFileWithExactly126Bytes) {
  File().assign(300, 0xEE);  // an older, longer file
  ASSERT_TRUE(WriteScheduleFile(os, MondayOfficeHours()));
  const ScheduleImage image = ScheduleToBytes(MondayOfficeHours());
  EXPECT_EQ(File(), std::vector<uint8_t>(image.begin(), image.end()));
  ASSERT_EQ(os.FileOps().size(), 1u);
  EXPECT_EQ(os.FileOps()[0].op, sim::FileOp::Replace);
  EXPECT_EQ(os.FileOps()[0].path, path);
}

TEST_F(ScheduleFile, FailedWriteKeepsTheOldFileAndTellsOnlyTheCaller) {
  ASSERT_TRUE(WriteScheduleFile(os, MondayOfficeHours()));
  const std::vector<uint8_t> before = File();
  os.FailFileWrites(true);
  WeekSchedule other = MondayOfficeHours();
  other.Days[5].Phases[2] = {1, 60, 120};
  EXPECT_FALSE(WriteScheduleFile(os, other));
  EXPECT_EQ(File(), before);
  EXPECT_TRUE(os.MessageBoxes().empty());
}

TEST_F(ScheduleFile, MissingFileGivesNothing) {
  EXPECT_FALSE(ReadScheduleFile(os).has_value());
  EXPECT_TRUE(os.MessageBoxes().empty());
}

TEST_F(ScheduleFile, ReadsWhatWasWrittenWithOffPhasesKeepingTheirTimes) {
  WeekSchedule s = MondayOfficeHours();
  s.Days[2].Phases[1] = {0, 700, 800};
  s.Days[0].Phases[2] = {0x8001, 1439, 0xFFFF};  // any value loads as it is
  ASSERT_TRUE(WriteScheduleFile(os, s));
  EXPECT_EQ(ReadScheduleFile(os), s);
}

TEST_F(ScheduleFile, AnyLengthLoads) {
  File().clear();
  EXPECT_EQ(ReadScheduleFile(os), WeekSchedule{});

  const ScheduleImage image = ScheduleToBytes(MondayOfficeHours());
  File().assign(image.begin(), image.begin() + 22);  // Monday's End cut off
  WeekSchedule cut = MondayOfficeHours();
  cut.Days[1].Phases[0].End = 0;
  EXPECT_EQ(ReadScheduleFile(os), cut);

  File().assign(image.begin(), image.end());
  File().resize(1000, 0x77);
  EXPECT_EQ(ReadScheduleFile(os), MondayOfficeHours());
}

TEST_F(ScheduleFile, DeleteRemovesTheFile) {
  ASSERT_TRUE(WriteScheduleFile(os, MondayOfficeHours()));
  EXPECT_TRUE(DeleteScheduleFile(os));
  EXPECT_EQ(os.Files().count(path), 0u);
  EXPECT_FALSE(DeleteScheduleFile(os));
  EXPECT_FALSE(ReadScheduleFile(os).has_value());
}

}  // namespace
}  // namespace vesk

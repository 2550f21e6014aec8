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
  WeekSchedule monday = [] {
    WeekSchedule s;
    s.Days[1].Phases[0] = {1, 480, 1050};
    s.Days[2].Phases[1] = {0, 700, 800};  // off, keeps its times
    return s;
  }();
  const ScheduleImage image = ScheduleToBytes(monday);

  std::vector<uint8_t>& File() { return os.Files()[path]; }
};

TEST_F(ScheduleFile, LivesBesideTheExecutableAlsoInAChineseFolder) {
  EXPECT_EQ(ScheduleFilePath(os), path);
  os.SetModulePath("D:\\定时开关机\\VESK.exe");
  EXPECT_EQ(ScheduleFilePath(os), "D:\\定时开关机\\TimeSetting.bin");
  // An unknown or relative folder never becomes a file in the working folder.
  for (const char* module : {"", "VESK.exe", "bin\\VESK.exe"}) {
    os.SetModulePath(module);
    EXPECT_FALSE(WriteScheduleFile(os, monday) || DeleteScheduleFile(os)) << module;
  }
  EXPECT_TRUE(os.FileOps().empty());
}

TEST_F(ScheduleFile, WriteReplacesTheWholeFileAtomicallyAndAFailureKeepsTheOldOneSilently) {
  File().assign(300, 0xEE);  // an older, longer file
  ASSERT_TRUE(WriteScheduleFile(os, monday));
  EXPECT_EQ(File(), std::vector<uint8_t>(image.begin(), image.end()));
  ASSERT_EQ(os.FileOps().size(), 1u);
  EXPECT_EQ(os.FileOps()[0].op, sim::FileOp::Replace);
  EXPECT_EQ(ReadScheduleFile(os), monday);
  os.FailFileWrites(true);
  EXPECT_FALSE(WriteScheduleFile(os, WeekSchedule{}));
  EXPECT_EQ(ReadScheduleFile(os), monday);
  EXPECT_TRUE(os.MessageBoxes().empty());
}

TEST_F(ScheduleFile, MissingFileGivesNothingAnyLengthLoadsAndDeleteRemoves) {
  EXPECT_FALSE(ReadScheduleFile(os).has_value());
  File().assign(image.begin(), image.begin() + 22);  // Monday's End cut off: the rest reads as zero
  WeekSchedule cut;
  cut.Days[1].Phases[0] = {1, 480, 0};
  EXPECT_EQ(ReadScheduleFile(os), cut);
  EXPECT_TRUE(DeleteScheduleFile(os));
  EXPECT_FALSE(ReadScheduleFile(os).has_value());
  EXPECT_FALSE(DeleteScheduleFile(os));
}

}  // namespace
}  // namespace vesk

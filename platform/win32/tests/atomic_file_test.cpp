#include "platform/win32/atomic_file.h"

#include <gtest/gtest.h>

#include "platform/win32/tests/win32_scratch.h"

namespace vesk::win32 {
namespace {

using testing::Exists;
using testing::GetFile;
using testing::Pattern;
using testing::PutFile;

class AtomicReplace : public ::testing::Test {
 protected:
  testing::ScratchFolder folder{"定时开关机"};
  const std::wstring target = folder.Path("TimeSetting.bin");
  const std::wstring temp = ReplacementTempPath(target);
  const std::vector<uint8_t> oldContent = Pattern(300, 1);
  const std::vector<uint8_t> newContent = Pattern(126, 99);
};

TEST_F(AtomicReplace, CreatesTheFileWholeInAChineseFolder) {
  ASSERT_TRUE(ReplaceFileAtomically(target, newContent));
  EXPECT_EQ(GetFile(target), newContent);
  EXPECT_FALSE(Exists(temp));
}

TEST_F(AtomicReplace, ALongerOldFileIsReplacedByExactlyTheNewBytes) {
  PutFile(target, oldContent);
  ASSERT_TRUE(ReplaceFileAtomically(target, newContent));
  EXPECT_EQ(GetFile(target), newContent);
  EXPECT_FALSE(Exists(temp));
}

TEST_F(AtomicReplace, ALeftOverFromAnInterruptedSaveDoesNotLeakIntoTheNextOne) {
  PutFile(target, oldContent);
  PutFile(temp, Pattern(1000, 5));
  ASSERT_TRUE(ReplaceFileAtomically(target, newContent));
  EXPECT_EQ(GetFile(target), newContent);
  EXPECT_FALSE(Exists(temp));
}

TEST_F(AtomicReplace, EveryFailingStepKeepsTheOldFileWholeAndLeavesNoTemp) {
  for (const ReplaceStep step : {ReplaceStep::kCreateTemp, ReplaceStep::kWrite, ReplaceStep::kFlush,
                                 ReplaceStep::kMove}) {
    PutFile(target, oldContent);
    EXPECT_FALSE(ReplaceFileAtomically(target, newContent, step)) << static_cast<int>(step);
    EXPECT_EQ(GetFile(target), oldContent) << static_cast<int>(step);
    EXPECT_FALSE(Exists(temp)) << static_cast<int>(step);
  }
}

// The new content is written whole, then the final step fails.
TEST_F(AtomicReplace, AFolderInTheWayIsNotReplaced) {
  ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
  EXPECT_FALSE(ReplaceFileAtomically(target, newContent));
  EXPECT_EQ(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FALSE(Exists(temp));
}

TEST_F(AtomicReplace, AMissingFolderFailsWithoutCreatingAnything) {
  const std::wstring elsewhere = folder.Path("missing") + L"\\TimeSetting.bin";
  EXPECT_FALSE(ReplaceFileAtomically(elsewhere, newContent));
  EXPECT_FALSE(Exists(folder.Path("missing")));
}

}  // namespace
}  // namespace vesk::win32

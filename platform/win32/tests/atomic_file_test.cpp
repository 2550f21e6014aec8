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

// No file yet, a longer old file, and a leftover of an interrupted save.
TEST_F(AtomicReplace, TheTargetEndsUpHoldingExactlyTheNewBytesAndNoTempIsLeft) {
  for (const int start : {0, 1, 2}) {
    if (start >= 1) PutFile(target, oldContent);
    if (start == 2) PutFile(temp, Pattern(1000, 5));
    ASSERT_TRUE(ReplaceFileAtomically(target, newContent)) << start;
    EXPECT_EQ(GetFile(target), newContent) << start;
    EXPECT_FALSE(Exists(temp)) << start;
    DeleteFileW(target.c_str());
  }
}

// One step failing as the system can, with the reason it gives: creating the
// new file, writing it (a full disk stops the write part-way), flushing it,
// moving it into place.
ReplaceCalls FailingStep(int step) {
  ReplaceCalls calls;
  if (step == 0) {
    calls.createFile = [](LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    };
  } else if (step == 1) {
    calls.writeFile = [](HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) -> BOOL {
      WriteFile(file, data, size / 2, written, nullptr);
      SetLastError(ERROR_DISK_FULL);
      return FALSE;
    };
  } else if (step == 2) {
    calls.flushFileBuffers = [](HANDLE) -> BOOL {
      SetLastError(ERROR_WRITE_FAULT);
      return FALSE;
    };
  } else {
    calls.moveFileEx = [](LPCWSTR, LPCWSTR, DWORD) -> BOOL {
      SetLastError(ERROR_SHARING_VIOLATION);
      return FALSE;
    };
  }
  return calls;
}

TEST_F(AtomicReplace, EveryFailingStepKeepsTheOldFileWholeLeavesNoTempAndKeepsTheReason) {
  const DWORD reasons[] = {ERROR_ACCESS_DENIED, ERROR_DISK_FULL, ERROR_WRITE_FAULT, ERROR_SHARING_VIOLATION};
  for (int step = 0; step < 4; ++step) {
    PutFile(target, oldContent);
    SCOPED_TRACE(step);
    EXPECT_FALSE(ReplaceFileAtomically(target, newContent, FailingStep(step)));
    EXPECT_EQ(GetLastError(), reasons[step]);
    EXPECT_EQ(GetFile(target), oldContent);
    EXPECT_FALSE(Exists(temp));
  }
}

TEST_F(AtomicReplace, AFolderInTheWayOrAMissingFolderFailsWithoutHarm) {
  ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
  EXPECT_FALSE(ReplaceFileAtomically(target, newContent));
  EXPECT_EQ(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_FALSE(Exists(temp));
  const std::wstring elsewhere = folder.Path("missing") + L"\\TimeSetting.bin";
  EXPECT_FALSE(ReplaceFileAtomically(elsewhere, newContent));
  EXPECT_FALSE(Exists(folder.Path("missing")));
}

}  // namespace
}  // namespace vesk::win32

#pragma once
// Replacing a small file so that a reader only ever finds the old or the new
// content whole: the new bytes go to a file beside the target, written
// through to the disk, and that file then takes the target's name in one
// step. Any failure removes the new file and leaves the old one untouched.
// A read-only target is respected: replacing it fails.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vesk::win32 {

// The steps of a replacement, in their order.
enum class ReplaceStep { kCreateTemp, kWrite, kFlush, kMove };

// The file the new content is written to before it replaces `target`.
std::wstring ReplacementTempPath(const std::wstring& target);

// False on failure, with the failed step's reason in GetLastError().
// `failAt` makes one step fail as the system would (a failed write has
// already put half the bytes on disk), so the clean-up after each step can be
// exercised; production callers leave it empty.
bool ReplaceFileAtomically(const std::wstring& target, std::span<const uint8_t> bytes,
                           std::optional<ReplaceStep> failAt = std::nullopt);

}  // namespace vesk::win32

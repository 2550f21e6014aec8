#pragma once
// Windows paths as text, in UTF-8 or UTF-16 alike: what counts as a full
// path, the folder a file lies in, and a name put into a folder.
#include <string>
#include <string_view>

namespace vesk {

namespace path_rules {

template <typename Char>
constexpr bool IsSeparator(Char c) {
  return c == Char('\\') || c == Char('/');
}

template <typename Char>
constexpr bool IsFullPath(std::basic_string_view<Char> path) {
  const auto letter = [](Char c) { return (c >= Char('A') && c <= Char('Z')) || (c >= Char('a') && c <= Char('z')); };
  const bool drive = path.size() >= 3 && letter(path[0]) && path[1] == Char(':') && IsSeparator(path[2]);
  const bool share = path.size() >= 3 && path[0] == Char('\\') && path[1] == Char('\\') && path[2] != Char('\\');
  return drive || share;
}

template <typename Char>
std::basic_string<Char> ContainingFolder(std::basic_string_view<Char> path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return std::basic_string<Char>(path.substr(0, i));
  }
  return {};
}

template <typename Char>
std::basic_string<Char> JoinPath(std::basic_string_view<Char> folder, std::basic_string_view<Char> name) {
  std::basic_string<Char> joined(folder);
  if (!joined.empty() && !IsSeparator(joined.back())) joined += Char('\\');
  return joined += name;
}

}  // namespace path_rules

// "C:\..." or a network share "\\server\...". Anything else (a relative
// path, one rooted on the current drive) would be taken from whatever
// folder the process happens to run in, and a library by that name would
// be searched for.
inline bool IsFullPath(std::string_view path) { return path_rules::IsFullPath(path); }
inline bool IsFullPath(std::wstring_view path) { return path_rules::IsFullPath(path); }

// The folder of a file's path with its trailing separator; empty when the
// path names no folder.
inline std::string ContainingFolder(std::string_view path) { return path_rules::ContainingFolder(path); }
inline std::wstring ContainingFolder(std::wstring_view path) { return path_rules::ContainingFolder(path); }

// A name in a folder: one separator between them, none added to an empty
// folder. An empty name gives the folder with its trailing separator.
inline std::string JoinPath(std::string_view folder, std::string_view name) {
  return path_rules::JoinPath(folder, name);
}
inline std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
  return path_rules::JoinPath(folder, name);
}

}  // namespace vesk

#pragma once
// What a custom action asks of the installation that runs it: its
// properties (a deferred action has only CustomActionData), and lines for
// the installation's log, warnings and errors. A warning or an error shows
// as a message box in an interactive installation and goes only to the log
// of a silent one.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <string>
#include <vector>

namespace vesk::installer {

class MsiSession {
 public:
  explicit MsiSession(MSIHANDLE install) : install_(install) {}

  std::wstring Property(const wchar_t* name) const;
  void SetProperty(const wchar_t* name, const std::wstring& value) const;
  // The values of CustomActionData, as PassActionData put them there; none
  // when it holds something else.
  std::vector<std::wstring> ActionData() const;

  void Log(const std::wstring& text) const;
  void Warn(const std::wstring& text) const;
  void Error(const std::wstring& text) const;

 private:
  void Message(INSTALLMESSAGE kind, const std::wstring& text) const;
  MSIHANDLE install_;
};

}  // namespace vesk::installer

#include "installer/actions/msi_session.h"

#include "installer/actions/action_data.h"

namespace vesk::installer {

std::wstring MsiSession::Property(const wchar_t* name) const {
  DWORD length = 0;
  wchar_t empty[1] = L"";
  if (MsiGetPropertyW(install_, name, empty, &length) != ERROR_MORE_DATA) return {};
  std::wstring value(length + 1, L'\0');
  length = static_cast<DWORD>(value.size());
  if (MsiGetPropertyW(install_, name, value.data(), &length) != ERROR_SUCCESS) return {};
  value.resize(length);
  return value;
}

void MsiSession::SetProperty(const wchar_t* name, const std::wstring& value) const {
  MsiSetPropertyW(install_, name, value.c_str());
}

std::vector<std::wstring> MsiSession::ActionData() const {
  return DecodeActionData(Property(L"CustomActionData")).value_or(std::vector<std::wstring>{});
}

void MsiSession::Log(const std::wstring& text) const { Message(INSTALLMESSAGE_INFO, text); }

void MsiSession::Warn(const std::wstring& text) const {
  Message(INSTALLMESSAGE(INSTALLMESSAGE_WARNING | MB_OK | MB_ICONWARNING), text);
}

void MsiSession::Error(const std::wstring& text) const {
  Message(INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR), text);
}

void MsiSession::Message(INSTALLMESSAGE kind, const std::wstring& text) const {
  // The text goes into field 1 and the template only names it, so brackets
  // in a path are never taken for properties.
  const MSIHANDLE record = MsiCreateRecord(1);
  if (record == 0) return;
  MsiRecordSetStringW(record, 0, L"VESK: [1]");
  MsiRecordSetStringW(record, 1, text.c_str());
  MsiProcessMessage(install_, kind, record);
  MsiCloseHandle(record);
}

}  // namespace vesk::installer

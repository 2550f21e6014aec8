#include "installer/actions/setup_texts.h"

#include <cstdio>

namespace vesk::installer {

namespace {

constexpr LANGID kChinese = 2052;

bool Chinese() { return GetSystemDefaultLangID() == kChinese; }

std::wstring Listed(const std::vector<std::wstring>& names) {
  std::wstring list;
  for (const std::wstring& name : names) list += (list.empty() ? L"" : L", ") + name;
  return list;
}

std::wstring Hex(HRESULT value) {
  wchar_t text[16];
  swprintf(text, std::size(text), L"0x%08lX", static_cast<unsigned long>(value));
  return text;
}

}  // namespace

std::wstring ProgramDidNotEndText(DWORD boundSeconds, const std::wstring& detail) {
  const std::wstring seconds = std::to_wstring(boundSeconds);
  if (Chinese()) {
    return L"VESK 收到退出命令后 " + seconds + L" 秒内没有结束（" + detail +
           L"）。请从托盘图标的菜单选择“退出”结束它，然后重新运行安装程序。";
  }
  return L"VESK did not end within " + seconds + L" seconds of its exit command (" + detail +
         L"). End it with \"exit\" in its tray icon's menu, then run the installation again.";
}

std::wstring ProgramUnreachableText(const std::wstring& detail) {
  if (Chinese()) {
    return L"无法向正在运行的 VESK 发送退出命令（" + detail +
           L"）。请从托盘图标的菜单选择“退出”结束它，然后重新运行安装程序。";
  }
  return L"The running VESK could not be sent its exit command (" + detail +
         L"). End it with \"exit\" in its tray icon's menu, then run the installation again.";
}

std::wstring DriverLibrariesMissingText(const std::vector<std::wstring>& missing,
                                       const std::wstring& programFolder) {
  if (Chinese()) {
    return L"VESK 已安装，但无法访问主板：两种硬件访问方式都不完整（缺少：" + Listed(missing) +
           L"）。请把 PawnIO_setup.exe 和模块文件 SmbusI801.bin、SmbusPIIX4.bin、LpcIO.bin，或主板厂商的驱动程序库"
           L" WinRing0x64.dll、WinIo64.dll 及其驱动文件放在更新版本的安装程序旁边进行升级（修复安装不会复制这些文件），或复制到 " + programFolder + L"。";
  }
  return L"VESK is installed but cannot reach the board: neither way to the hardware is complete (missing: " +
         Listed(missing) + L"). Put PawnIO_setup.exe and the module files SmbusI801.bin, SmbusPIIX4.bin and "
         L"LpcIO.bin, or the board maker's driver libraries WinRing0x64.dll and WinIo64.dll with their driver files, "
         L"beside a newer package and upgrade (a repair copies none of them), or copy them into " + programFolder + L".";
}

std::wstring LogonTaskFailedText(HRESULT error) {
  if (Chinese()) return L"无法创建登录任务“VESK”（错误 " + Hex(error) + L"）。";
  return L"The logon task \"VESK\" could not be registered (error " + Hex(error) + L").";
}

std::wstring ProgramFolderNotSecuredText(const std::wstring& folder, DWORD error) {
  const std::wstring code = std::to_wstring(error);
  if (Chinese()) {
    return L"无法为文件夹 " + folder + L" 设置只允许管理员更改的访问权限（错误 " + code + L"），安装已停止。";
  }
  return L"The folder " + folder + L" could not be given an access list that lets only administrators change it "
         L"(error " + code + L"); the installation stops.";
}

std::wstring DriverSourceRefusedText(const std::wstring& refused, const std::wstring& programFolder) {
  if (Chinese()) {
    return L"安装程序旁边的驱动程序文件没有被复制：非管理员用户也可以更改它们（" + refused +
           L"）。请将驱动程序文件放在只有管理员可以更改的文件夹中后重新安装，或由管理员将其复制到 " + programFolder +
           L"。";
  }
  return L"The driver files beside the installation package were not copied: users who are not administrators "
         L"can change them (" + refused + L"). Put them in a folder that only administrators can change and install "
         L"again, or have an administrator copy them into " + programFolder + L".";
}

}  // namespace vesk::installer

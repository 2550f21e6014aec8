// VESK.exe: the program on the real board. PawnIO's library is loaded from
// PawnIO's folder and the driver libraries from the executable's folder, the firmware table comes from WMI (or, when
// WMI fails, from the raw firmware table provider), and the windows are real
// Win32 windows.
#include <windows.h>

#include <memory>

#include "app/startup.h"
#include "app/win32/win32_com.h"
#include "hardware/win32/driver_files.h"
#include "hardware/win32/win_driver_libraries.h"
#include "hardware/win32/win_pawnio_library.h"
#include "identity/win32/firmware_table_source.h"
#include "identity/win32/wmi_smbios_source.h"
#include "platform/win32/win32_os_services.h"
#include "platform/win32/wide_text.h"
#include "ui/framework/win32/win32_desktop.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  vesk::win32::Win32OsServices os;
  vesk::WinDriverLibraries driver;
  vesk::WinPawnIoLibrary pawnio;
  vesk::win32::WmiSmbiosSource wmi;
  vesk::win32::RsmbSmbiosSource rawFirmwareTable;
  vesk::FallbackSmbiosSource firmware{wmi, rawFirmwareTable};
  vesk::win32::Win32ComApartment com;
  // The window backend comes up with the main window, so that a second
  // instance leaves before anything of it exists; it outlives the window.
  std::unique_ptr<vesk::ui::win32::Win32Desktop> desktop;
  vesk::AppHost host{os, driver, firmware, com, instance,
                     [&](vesk::DriverAccess& chosen) {
                       desktop = std::make_unique<vesk::ui::win32::Win32Desktop>(instance, os);
                       return vesk::MakeFrameWindow(os, chosen);
                     },
                     &pawnio};
  for (const std::wstring& path :
       vesk::LoadedDriverFiles(driver.Folder(), vesk::WinPawnIoLibrary::InstalledFolder())) {
    host.loadedFiles.push_back(vesk::win32::ToUtf8(path));
  }
  return vesk::RunVesk(host);
}

#include "app/win32/win32_com.h"

#include <objbase.h>

namespace vesk::win32 {

// A single-threaded apartment for the windows; what it reports is not acted
// upon, as nothing of the program needs COM after the board check.
void Win32ComApartment::Initialize() { static_cast<void>(CoInitialize(nullptr)); }

void Win32ComApartment::Uninitialize() { CoUninitialize(); }

}  // namespace vesk::win32

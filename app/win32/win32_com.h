#pragma once
// COM on the user-interface thread of the Windows program.
#include "app/startup.h"

namespace vesk::win32 {

class Win32ComApartment final : public ComApartment {
 public:
  void Initialize() override;
  void Uninitialize() override;
};

}  // namespace vesk::win32

// libFuzzer target for the table parser and the identity strings; built by
// scripts/fuzz-identity.sh, outside the CMake builds.
#include <cstdio>
#include <cstdlib>

#include "identity/tests/fuzz/smbios_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string broken = vesk::fuzz::RunSmbiosFuzzCase({data, size});
  if (!broken.empty()) {
    std::fprintf(stderr, "broken invariant: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}

// The operating system VESKSim.exe puts around the program: it must never
// shut the real machine down or register the demonstration to start at
// logon, and pass everything else on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/machine/demo_os.h"
#include "sim/os/simulated_os.h"

namespace vesk::sim {
namespace {

TEST(DemoOs, NoShutdownAndNoRunValuesButEverythingElse) {
  VirtualClock clock;
  SimulatedOs real{clock};
  DemoOs os{real};
  EXPECT_TRUE(os.RunHidden("Cmd.exe /C shutdown -s -f -t 30"));
  EXPECT_TRUE(os.RunHidden("Cmd.exe /C SHUTDOWN -a"));
  EXPECT_TRUE(os.RunHidden("Cmd.exe /C echo hello"));
  ASSERT_EQ(real.Commands().size(), 1u);
  EXPECT_EQ(real.Commands()[0].commandLine, "Cmd.exe /C echo hello");

  EXPECT_FALSE(os.WriteRegistryString(RegistryRoot::CurrentUser, "Software\\Run", "VESK", "C:\\VESKSim.exe"));
  EXPECT_THAT(real.RegistryWrites(), ::testing::IsEmpty());
  const std::vector<uint8_t> bytes{1, 2, 3};
  EXPECT_TRUE(os.ReplaceFileAtomically("C:\\VESK\\TimeSetting.bin", bytes));
  EXPECT_EQ(real.Files().at("C:\\VESK\\TimeSetting.bin"), bytes);
}

}  // namespace
}  // namespace vesk::sim

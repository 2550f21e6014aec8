// Script files and durations of vesk-sim run. The usual forms of every
// action are read by the whole-machine runs; here the rarer ones and the
// refusals.
#include <gtest/gtest.h>

#include "sim/machine/script.h"

namespace vesk::sim {
namespace {

TEST(Script, ReadsCommentsCrLfDayNumbersAndPhasesOff) {
  std::string error;
  const auto steps = ParseScript(
      "# a day at the office\n"
      "\n"
      "2026-12-07 09:00:00 open\r\n"
      "2026-12-07 09:00:06   select   0\n"
      "2026-12-07 09:00:10 phase 3 off\n"
      "2026-12-07 17:27:00 postpone 99:59\n",
      error);
  ASSERT_TRUE(steps) << error;
  ASSERT_EQ(steps->size(), 4u);
  EXPECT_EQ((*steps)[0].line, 3);
  EXPECT_EQ((*steps)[0].action, UserAction::Open);
  EXPECT_EQ((*steps)[1].day, 0);
  EXPECT_FALSE((*steps)[2].on);
  EXPECT_EQ((*steps)[2].phase, 3);
  EXPECT_EQ((*steps)[3].hours, 99);
  EXPECT_EQ((*steps)[3].minutes, 59);
}

TEST(Script, RefusesBadLinesNamingThem) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"2026-02-30 09:00:00 open\n", "line 1: '2026-02-30 09:00:00' is not a time YYYY-MM-DD HH:MM:SS"},
      {"\n2026-12-07 09:00:00\n", "line 2: expected 'YYYY-MM-DD HH:MM:SS action [arguments]'"},
      {"2026-12-07 09:00:00 reboot\n", "line 1: unknown action 'reboot'"},
      {"2026-12-07 09:00:00 save now\n", "line 1: 'save' takes no arguments"},
      {"2026-12-07 09:00:00 select 7\n", "line 1: select needs a day: 0..6 (0 = Sunday) or Sunday .. Saturday"},
      {"2026-12-07 09:00:00 phase 1 on 24:00 08:00\n",
       "line 1: phase needs 'N on HH:MM HH:MM' or 'N off' with N from 1 to 3"},
      {"2026-12-07 09:00:00 postpone 0:60\n", "line 1: postpone needs H:MM (hours up to 99, minutes 00..59)"},
      {"2026-12-07 09:00:00 disk lock ..\\VESK.log 10\n", "line 1: disk takes a file name of the program's folder"},
      {"2026-12-07 09:00:00 disk write Holidays.txt /no/such/file\n",
       "line 1: disk write cannot read '/no/such/file'"},
      {"2026-12-07 09:00:00 disk cut Holidays.txt\n",
       "line 1: disk needs 'lock FILE SECONDS', 'write FILE HOSTPATH' or 'cut FILE BYTES'"},
      {"2026-12-07 09:00:01 open\n2026-12-07 09:00:00 hide\n",
       "line 2: the time goes back; actions must come in time order"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseScript(c.text, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(Script, Durations) {
  EXPECT_EQ(ParseDuration("90s"), std::chrono::seconds{90});
  EXPECT_EQ(ParseDuration("400d"), std::chrono::seconds{400 * 86400});
  for (const char* bad : {"", "7", "0d", "-1h", "1.5h", "7D", "401d", "99999999999999999999s"}) {
    EXPECT_FALSE(ParseDuration(bad)) << bad;
  }
}

}  // namespace
}  // namespace vesk::sim

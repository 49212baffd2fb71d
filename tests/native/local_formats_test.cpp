// Stored times read back, sizes and counts as a user reads them, and the
// singular or plural form of a counted text.
#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "lang/local_formats.h"

namespace velmora {
namespace {

TEST(StoredStamps, OnlyRealCalendarTimesRead) {
  const auto utc = parseUtcStamp("2026-12-07T21:40:05Z");
  ASSERT_TRUE(utc);
  EXPECT_EQ(formatTimeStamp(*utc), "2026-12-07 21:40:05");
  EXPECT_TRUE(parseUtcStamp("2024-02-29T00:00:00Z")) << "a leap day";
  EXPECT_TRUE(parseLocalStamp("2000-02-29 23:59:59")) << "a leap day of a year divisible by 400";
  for (const char* bad : {"2023-02-29T00:00:00Z", "1900-02-29T00:00:00Z", "2026-13-01T00:00:00Z",
                          "2026-04-31T00:00:00Z", "2026-12-07T24:00:00Z", "2026-12-07T21:60:05Z",
                          "2026-12-07T21:40:05", "2026-12-07 21:40:05Z", "2026-12-0xT21:40:05Z", "", "Z"}) {
    EXPECT_FALSE(parseUtcStamp(bad)) << bad;
    EXPECT_EQ(utcOrder(bad), 0) << bad;
  }
  EXPECT_EQ(utcOrder("2026-12-07T21:40:05Z"), 20261207214005);
  EXPECT_LT(utcOrder("2026-12-31T23:59:59Z"), utcOrder("2027-01-01T00:00:00Z")) << "a later time orders after";
  EXPECT_TRUE(parseLocalStamp("2026-12-07 21:40:05"));
  EXPECT_FALSE(parseLocalStamp("2026-12-07T21:40:05")) << "the log's stamps have a blank";
  EXPECT_FALSE(parseLocalStamp("2026-12-07 21:40:05 "));
}

struct ShiftedFormats : LocalFormats {
  std::string dateTime(const LocalTime& t) const override {
    return std::to_string(t.day) + "." + std::to_string(t.month) + "." + std::to_string(t.year) + " " +
           std::to_string(t.hour) + "h";
  }
  std::optional<LocalTime> toLocal(const LocalTime& utc) const override {
    LocalTime local = utc;
    local.hour = (utc.hour + 1) % 24;  // enough for the times below
    return local;
  }
};

TEST(StoredStamps, AreShownInTheUsersTimeAndFormatOrAsTheyStand) {
  const ShiftedFormats user;
  EXPECT_EQ(shownUtcStamp("2026-12-07T21:40:05Z", user), "7.12.2026 22h") << "UTC turned local";
  EXPECT_EQ(shownLocalStamp("2026-12-07 21:40:05", user), "7.12.2026 21h") << "already local";
  EXPECT_EQ(shownUtcStamp("2026-12-07T21:40:05Z", fixedFormats()), "2026-12-07 21:40:05 UTC")
      << "without a zone it says UTC";
  EXPECT_EQ(shownUtcStamp("yesterday", user), "yesterday") << "an edited file's text is not lost";
  EXPECT_EQ(shownLocalStamp("2026-12-07 25:00:00", user), "2026-12-07 25:00:00");
}

TEST(Sizes, AreRoundedToThreeDigitsAsExplorerShowsThem) {
  EXPECT_EQ(fixedShortSize(0), "0 bytes");
  EXPECT_EQ(fixedShortSize(1023), "1023 bytes");
  EXPECT_EQ(fixedShortSize(1024), "1.00 KB");
  EXPECT_EQ(fixedShortSize(1536), "1.50 KB");
  EXPECT_EQ(fixedShortSize(490401), "479 KB") << "478.9 rounds to the nearest shown digit";
  EXPECT_EQ(fixedShortSize(10 * 1024 * 1024 + 512 * 1024), "10.5 MB");
  EXPECT_EQ(fixedShortSize(5ull * 1024 * 1024 * 1024), "5.00 GB") << "beyond 32 bits";
  EXPECT_EQ(groupedDigits(0), "0");
  EXPECT_EQ(groupedDigits(999), "999");
  EXPECT_EQ(groupedDigits(490401), "490,401");
  EXPECT_EQ(groupedDigits(1234567, "."), "1.234.567");
  EXPECT_EQ(groupedDigits(18446744073709551615ull), "18,446,744,073,709,551,615");
}

TEST(CountedTexts, TakeTheSingularForExactlyOneWhereTheFileHasIt) {
  testing::MapTranslator t;
  t.texts = {{"_Entries", "%s entries"}, {"_EntriesOne", "%s entry"}, {"_Hidden", "%s hidden"}};
  EXPECT_EQ(countedText(t, "_Entries", 0, {"0"}), "0 entries");
  EXPECT_EQ(countedText(t, "_Entries", 1, {"1"}), "1 entry");
  EXPECT_EQ(countedText(t, "_Entries", 2, {"2"}), "2 entries");
  EXPECT_EQ(countedText(t, "_Entries", 11, {"11"}), "11 entries") << "English and German know no other forms";
  EXPECT_EQ(countedText(t, "_Hidden", 1, {"1"}), "1 hidden") << "a file without the singular keeps the plural";
}

}  // namespace
}  // namespace velmora

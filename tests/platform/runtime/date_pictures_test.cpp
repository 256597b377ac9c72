#include "platform/runtime/date_pictures.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

#include "platform/runtime/clock.h"

namespace zem::runtime {
namespace {

Date Day(int year, int month, int day) {
    return DateFromCalendar(year, month, day).value_or(-1);
}

struct DateShown {
    Date date;
    const char* picture;
    const char* shown;
};

std::ostream& operator<<(std::ostream& out, const DateShown& c) {
    return out << c.date << " in \"" << c.picture << "\"";
}

class FormatDateTest : public ::testing::TestWithParam<DateShown> {};

TEST_P(FormatDateTest, ShowsTheDateInThePicture) {
    EXPECT_EQ(FormatDate(GetParam().date, GetParam().picture), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FormatDateTest,
    ::testing::Values(
        DateShown{82'527, "d17", "December 10, 2026"},
        DateShown{82'527, "@D17", "December 10, 2026"},
        DateShown{82'527, "d17B", "December 10, 2026"},
        DateShown{75'913, "d17", "October 31, 2008"},
        // One-digit days and months: no padding in the long date, zeros in the
        // numeric ones.
        DateShown{81'517, "d17", "March 5, 2024"}, DateShown{81'517, "d1", "03/05/24"},
        DateShown{81'517, "d2", "03/05/2024"}, DateShown{82'527, "d1", "12/10/26"},
        DateShown{82'527, "@d2", "12/10/2026"}, DateShown{4, "d2", "01/01/1801"},
        DateShown{4, "d1", "01/01/01"}, DateShown{kLastDate, "d17", "December 31, 9999"},
        // No date shows as nothing.
        DateShown{0, "d17", ""}, DateShown{3, "d2", ""}, DateShown{kLastDate + 1, "d1", ""},
        // A picture that can't be read still shows the date.
        DateShown{82'527, "d99", "12/10/2026"}, DateShown{82'527, "x9", "12/10/2026"}));

struct TimeShown {
    Time time;
    const char* picture;
    const char* shown;
};

std::ostream& operator<<(std::ostream& out, const TimeShown& c) {
    return out << c.time << " in \"" << c.picture << "\"";
}

class FormatTimeTest : public ::testing::TestWithParam<TimeShown> {};

TEST_P(FormatTimeTest, ShowsTheTimeInThePicture) {
    EXPECT_EQ(FormatTime(GetParam().time, GetParam().picture), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FormatTimeTest,
    ::testing::Values(
        TimeShown{6'165'301, "T4", "17:07:33"}, TimeShown{6'165'301, "@t4", "17:07:33"},
        TimeShown{6'165'301, "T8", "5:07:33 PM"}, TimeShown{6'165'301, "T1", "17:07"},
        // Hundredths are dropped, not rounded.
        TimeShown{6'165'399, "T4", "17:07:33"}, TimeShown{3'270'001, "T4", "09:05:00"},
        TimeShown{3'270'001, "T8", "9:05:00 AM"},
        // The ends of the 12-hour clock.
        TimeShown{kMidnight, "T4", "00:00:00"}, TimeShown{kMidnight, "T8", "12:00:00 AM"},
        TimeShown{4'320'001, "T8", "12:00:00 PM"}, TimeShown{kLastTime, "T4", "23:59:59"},
        TimeShown{kLastTime, "T8", "11:59:59 PM"}, TimeShown{0, "T8", ""},
        TimeShown{kLastTime + 1, "T4", ""}, TimeShown{6'165'301, "T77", "17:07:33"}));

struct DateRead {
    const char* text;
    const char* picture;
    std::optional<Date> date;
};

std::ostream& operator<<(std::ostream& out, const DateRead& c) {
    return out << "\"" << c.text << "\" in \"" << c.picture << "\"";
}

class DeformatDateTest : public ::testing::TestWithParam<DateRead> {
  protected:
    // Two-digit years depend on today: 15 June 2026 puts them in 1947 .. 2046.
    TestClock clock_{Day(2026, 6, 15), kMidnight};
};

TEST_P(DeformatDateTest, ReadsTheTextBack) {
    EXPECT_EQ(DeformatDate(GetParam().text, GetParam().picture), GetParam().date);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DeformatDateTest,
    ::testing::Values(
        DateRead{"December 10, 2026", "d17", 82'527}, DateRead{"december 10 2026", "d17", 82'527},
        DateRead{"DEC 10, 2026", "d17", 82'527}, DateRead{"Dec. 10 ,2026", "d17", 82'527},
        DateRead{"  12/10/2026  ", "d17", 82'527}, DateRead{"12/10/2026", "d2", 82'527},
        DateRead{"12-10-2026", "d2", 82'527}, DateRead{"12.10.2026", "d1", 82'527},
        DateRead{"12/10/26", "d1", 82'527}, DateRead{"1/5/08", "d1", Day(2008, 1, 5)},
        DateRead{"1/1/46", "d1", Day(2046, 1, 1)}, DateRead{"1/1/47", "d1", Day(1947, 1, 1)},
        DateRead{"1/1/0", "d1", Day(2000, 1, 1)}, DateRead{"2/29/2000", "d2", 72'746},
        DateRead{"October 31, 2008", "d2", 75'913},
        // A cleared field holds no date.
        DateRead{"", "d17", 0}, DateRead{"    ", "d2", 0},
        // No such day, or not a date in these forms.
        DateRead{"2/29/1900", "d2", std::nullopt}, DateRead{"2/30/2024", "d2", std::nullopt},
        DateRead{"13/1/2024", "d2", std::nullopt}, DateRead{"12/31/1800", "d2", std::nullopt},
        DateRead{"December 32, 2026", "d17", std::nullopt},
        DateRead{"Decem 10, 2026", "d17", std::nullopt},
        DateRead{"Sept 10, 2026", "d17", std::nullopt},
        DateRead{"10 December 2026", "d17", std::nullopt},
        DateRead{"Dec 1026", "d17", std::nullopt}, DateRead{"12/10", "d2", std::nullopt},
        DateRead{"12/10/202", "d2", std::nullopt}, DateRead{"12/10/20266", "d2", std::nullopt},
        DateRead{"12/10/2026x", "d2", std::nullopt}, DateRead{"12//2026", "d2", std::nullopt},
        DateRead{"123/1/2026", "d2", std::nullopt}, DateRead{"\xE9t\xE9", "d17", std::nullopt}));

TEST(DatePicturesTest, EveryPictureReadsBackWhatItShows) {
    TestClock clock(Day(2026, 6, 15), kMidnight);
    const Date windowStart = Day(1947, 1, 1);
    const Date windowEnd = Day(2046, 12, 31);
    for (Date date = kFirstDate; date <= kLastDate; date += 97) {
        for (const char* picture : {"d2", "d17"}) {
            ASSERT_EQ(DeformatDate(FormatDate(date, picture), picture), date)
                << FormatDate(date, picture);
        }
    }
    for (Date date = windowStart; date <= windowEnd; ++date) {
        ASSERT_EQ(DeformatDate(FormatDate(date, "d1"), "d1"), date) << FormatDate(date, "d1");
    }
}

struct TimeRead {
    const char* text;
    std::optional<Time> time;
};

std::ostream& operator<<(std::ostream& out, const TimeRead& c) {
    return out << "\"" << c.text << "\"";
}

class DeformatTimeTest : public ::testing::TestWithParam<TimeRead> {};

TEST_P(DeformatTimeTest, ReadsTheTextBack) {
    EXPECT_EQ(DeformatTime(GetParam().text, "T8"), GetParam().time);
    EXPECT_EQ(DeformatTime(GetParam().text, "T4"), GetParam().time);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DeformatTimeTest,
    ::testing::Values(TimeRead{"17:07:33", 6'165'301}, TimeRead{"5:07:33 PM", 6'165'301},
                      TimeRead{"5:07:33pm", 6'165'301}, TimeRead{"5:07:33 p", 6'165'301},
                      TimeRead{"17:07", 6'162'001}, TimeRead{"  9:05  ", 3'270'001},
                      TimeRead{"09:05 am", 3'270'001}, TimeRead{"12:00 AM", kMidnight},
                      TimeRead{"0:00", kMidnight}, TimeRead{"12:00:00 PM", 4'320'001},
                      TimeRead{"12:30 pm", 4'500'001}, TimeRead{"23:59:59", 8'639'901},
                      TimeRead{"", 0}, TimeRead{"   ", 0}, TimeRead{"24:00", std::nullopt},
                      TimeRead{"13:00 PM", std::nullopt}, TimeRead{"0:00 AM", std::nullopt},
                      TimeRead{"5:7", std::nullopt}, TimeRead{"5:07:3", std::nullopt},
                      TimeRead{"5", std::nullopt}, TimeRead{"5:60", std::nullopt},
                      TimeRead{"5:07:60", std::nullopt}, TimeRead{"5:07:33 XM", std::nullopt},
                      TimeRead{"5:07 PMx", std::nullopt}, TimeRead{"5:07:33.50", std::nullopt},
                      TimeRead{"123:00", std::nullopt}, TimeRead{"\xB5:00", std::nullopt}));

TEST(DatePicturesTest, EverySecondOfTheDayReadsBack) {
    for (Time time = kMidnight; time <= kLastTime; time += 100) {
        for (const char* picture : {"T4", "T8"}) {
            ASSERT_EQ(DeformatTime(FormatTime(time, picture), picture), time)
                << FormatTime(time, picture);
        }
    }
}

}  // namespace
}  // namespace zem::runtime

#include "support/datetime.h"

#include <gtest/gtest.h>

#include "support/errors.h"

namespace arl {
namespace {

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return DateTime{EncodeDate(y, mo, d).ms + EncodeTime(h, mi, s, ms).ms};
}

FormatSettings Dashed() {
  FormatSettings f;
  f.DateSeparator = '-';
  return f;
}

TEST(Calendar, EncodesAndDecodesAcrossTheWholeRange) {
  EXPECT_EQ(EncodeDate(1899, 12, 30).ms, 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1).Days(), 2.0);
  EXPECT_EQ(EncodeDate(2005, 1, 3).Days(), 38355.0);
  for (DateTime t :
       {EncodeDate(1, 1, 1), EncodeDate(1600, 2, 29), EncodeDate(2000, 2, 29), EncodeDate(9999, 12, 31)}) {
    int y, m, d;
    DecodeDate(t, y, m, d);
    EXPECT_EQ(EncodeDate(y, m, d), t);
  }
  EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(2005, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0), EConvertError);
  EXPECT_EQ(DayOfWeek(EncodeDate(2005, 1, 3)), 1);  // a Monday
  EXPECT_EQ(CurrentYear(At(2026, 12, 31, 23, 59, 59, 999)), 2026);
  EXPECT_GE(CurrentYear(Now()), 2024);
}

TEST(Calendar, DaysConvertToWholeMillisecondsAndBack) {
  const DateTime t = At(2005, 1, 3, 0, 1);
  EXPECT_EQ(DateTime::FromDays(t.Days()), t);
  EXPECT_EQ(DateTime::FromDays(38355.5).MsOfDay(), 12 * 3'600'000);
  const DateTime before = DateTime{-1};  // one millisecond before the epoch
  EXPECT_EQ(before.DayNumber(), -1);
  EXPECT_EQ(before.MsOfDay(), DateTime::kMsPerDay - 1);
}

TEST(HourShift, RollsOverMidnightAndYearEndWithoutTouchingMinutes) {
  const FormatSettings f;
  const CompiledFormat line("yyyy/mm/dd hh:nn:ss", f);
  EXPECT_EQ(line.Format(AddHours(At(2005, 1, 3, 0, 1), -6)), "2005/01/02 18:01:00");
  EXPECT_EQ(line.Format(AddHours(At(2005, 12, 31, 23, 30), 1)), "2006/01/01 00:30:00");
  EXPECT_EQ(line.Format(AddHours(At(2004, 3, 1, 2, 59, 59), -3)), "2004/02/29 23:59:59");
  // Going through days as a double many times must not drift a second.
  const DateTime start = At(2005, 6, 1, 12, 34, 56);
  DateTime t = start;
  for (int i = 0; i < 1000; ++i) t = DateTime::FromDays(AddHours(t, -6).Days());
  EXPECT_EQ(t, AddDays(start, -250));
  EXPECT_EQ(line.Format(t), "2004/09/24 12:34:56");
}

TEST(Format, PrintsEveryField) {
  const FormatSettings f;
  const DateTime t = At(2005, 1, 3, 9, 5, 7, 42);
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd", t, f), "2005/01/03");
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd", t, Dashed()), "2005-01-03");
  EXPECT_EQ(FormatDateTime("yy m d", t, f), "05 1 3");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", t, f), "09:05:07");
  EXPECT_EQ(FormatDateTime("h:n:s", t, f), "9:5:7");
  EXPECT_EQ(FormatDateTime("hh:mm", t, f), "09:05");    // minutes right after an hour
  EXPECT_EQ(FormatDateTime("hh' 'mm", t, f), "09 05");  // literals do not break that
  EXPECT_EQ(FormatDateTime("nn mm", t, f), "05 01");    // otherwise a month
  EXPECT_EQ(FormatDateTime("ss.zzz z", t, f), "07.042 42");
  EXPECT_EQ(FormatDateTime("\"at\" hh 'h'", t, f), "at 09 h");
  EXPECT_EQ(FormatDateTime("ddddd tt", t, f), "2005/01/03 09:05:07");
  EXPECT_EQ(FormatDateTime("c", t, f), "2005/01/03 09:05:07");
  EXPECT_EQ(FormatDateTime("c", At(2005, 1, 3), f), "2005/01/03");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", At(2005, 1, 3, 13, 0), f), "1:00 pm");
  EXPECT_EQ(FormatDateTime("hh A/P", At(2005, 1, 3, 0, 0), f), "12 A");
  EXPECT_EQ(FormatDateTime("mmm dddd", t, f), "Jan Monday");
  EXPECT_EQ(FormatDateTime("yyyy", EncodeDate(7, 1, 1), f), "0007");
}

TEST(Format, CompiledFormatAppendsWithoutTouchingWhatIsThere) {
  FormatSettings f;
  f.LongTimeFormat = "hh:nn";
  const CompiledFormat stamp("yyyy/mm/dd,tt", f);
  std::string out = "EURUSD,";
  stamp.AppendTo(out, At(2005, 1, 3, 0, 1));
  EXPECT_EQ(out, "EURUSD,2005/01/03,00:01");
  FormatSettings self;
  self.ShortDateFormat = "ddddd";  // names itself: expansion stops, nothing hangs
  EXPECT_NO_THROW(FormatDateTime("ddddd", At(2005, 1, 3), self));
}

TEST(Parse, ReadsDatesInTheShortFormatsOrder) {
  const FormatSettings f;
  EXPECT_EQ(StrToDate("2005/01/03", f), EncodeDate(2005, 1, 3));
  EXPECT_EQ(StrToDate("  2005/1/3 ", f), EncodeDate(2005, 1, 3));
  EXPECT_EQ(StrToDate("2005-01-03", Dashed()), EncodeDate(2005, 1, 3));
  EXPECT_EQ(StrToDate("05/01/03", f, 2026), EncodeDate(2005, 1, 3));
  EXPECT_EQ(StrToDate("80/01/03", f, 2026), EncodeDate(1980, 1, 3));
  EXPECT_EQ(StrToDate("12/24", f, 2026), EncodeDate(2026, 12, 24));
  FormatSettings dmy;
  dmy.ShortDateFormat = "dd/mm/yyyy";
  EXPECT_EQ(StrToDate("03/01/2005", dmy), EncodeDate(2005, 1, 3));
}

TEST(Parse, ReadsTimes) {
  const FormatSettings f;
  EXPECT_EQ(StrToTime("00:01", f), EncodeTime(0, 1, 0));
  EXPECT_EQ(StrToTime(" 23:59:59 ", f), EncodeTime(23, 59, 59));
  EXPECT_EQ(StrToTime("7", f), EncodeTime(7, 0, 0));
  EXPECT_EQ(StrToTime("12:00:01.5", f), EncodeTime(12, 0, 1, 500));
  EXPECT_EQ(StrToTime("1:30 PM", f), EncodeTime(13, 30, 0));
  EXPECT_EQ(StrToTime("am 12:15", f), EncodeTime(0, 15, 0));
}

TEST(Parse, RejectsInvalidTextWithTheTextInTheMessage) {
  const FormatSettings f;
  for (const char* bad : {"", "2005/13/01", "2005/02/30", "2005", "2005/01/03x", "abc", "2005/01/03 00:01",
                          "20050/01/03", "2005-01-03"}) {
    try {
      StrToDate(bad, f);
      ADD_FAILURE() << "accepted date '" << bad << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(bad) + "' is not a valid date");
    }
  }
  for (const char* bad : {"", "24:00", "12:60", "12:00:60", "ab:cd", "12:", "13:00 PM", "1.5"}) {
    try {
      StrToTime(bad, f);
      ADD_FAILURE() << "accepted time '" << bad << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(bad) + "' is not a valid time");
    }
  }
}

TEST(Parse, PrintedLinesReadBack) {
  const FormatSettings f = Dashed();
  const DateTime t = At(2005, 12, 31, 23, 30);
  const DateTime date = StrToDate(DateToStr(t, f), f);
  const DateTime time = StrToTime(TimeToStr(t, f), f);
  EXPECT_EQ(DateTime{date.ms + time.ms}, t);
}

}  // namespace
}  // namespace arl

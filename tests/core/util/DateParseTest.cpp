#include "core/util/DateParse.h"

#include "QtPrint.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace kestrova;

namespace {

const QLocale DayFirst(QLocale::English, QLocale::UnitedKingdom);  // dd/MM/yyyy
const QLocale MonthFirst(QLocale::English, QLocale::UnitedStates); // M/d/yy
const QLocale German(QLocale::German, QLocale::Germany);           // dd.MM.yy

struct DateCase {
    const char* text;
    const QLocale* locale;
    int year, month, day, hour, minute, second;
};

TDateTime Expected(const DateCase& c) {
    if (c.year == 0) return 0.0;
    return EncodeDate(c.year, c.month, c.day) + EncodeTime(c.hour, c.minute, c.second, 0);
}

const DateCase DATE_CASES[] = {
    {"17/11/2009 14:30", &DayFirst, 2009, 11, 17, 14, 30, 0},
    {"11/17/2009 14:30", &MonthFirst, 2009, 11, 17, 14, 30, 0},
    {"11/17/09 02:30 PM", &MonthFirst, 2009, 11, 17, 14, 30, 0},
    {"NOV 17 2009", &DayFirst, 2009, 11, 17, 0, 0, 0},
    {"17 NOV 85", &DayFirst, 1985, 11, 17, 0, 0, 0},
    {"17 NOV 09", &DayFirst, 2009, 11, 17, 0, 0, 0},
    {"17 NOV 10", &DayFirst, 1910, 11, 17, 0, 0, 0},
    {"Nov 17 10", &DayFirst, 1910, 11, 17, 0, 0, 0},
    {"Nov 17 1879", &DayFirst, 3779, 11, 17, 0, 0, 0}, // below 1880 in the month-first form
    {"17 Nov 1899", &DayFirst, 3799, 11, 17, 0, 0, 0}, // below 1900 in the day-first form
    {"17/11/2009 12:30 AM", &DayFirst, 2009, 11, 17, 0, 30, 0},
    {"17 NOV 2009 12:30 PM", &DayFirst, 2009, 11, 17, 12, 30, 0},
    {"17 NOV 2009 01:30 pm", &DayFirst, 2009, 11, 17, 13, 30, 0},
    {"17 NOV 2009 13:30 PM", &DayFirst, 2009, 11, 17, 13, 30, 0},
    {"17 NOV 2009 11:59:58 AM", &DayFirst, 2009, 11, 17, 11, 59, 58},
    {"17/11/2009 2:30", &DayFirst, 2009, 11, 17, 0, 0, 0},     // one-digit hour is not read
    {"17/11/2009 2:30 PM", &DayFirst, 2009, 11, 17, 12, 0, 0}, // ... except for PM
    {"17 NOV 2009 25:61:75", &DayFirst, 2009, 11, 17, 0, 0, 0},
    {"1ST AUGUST 2009", &DayFirst, 2009, 8, 1, 0, 0, 0},
    {"Tuesday, 17th of November 2009 10:15:30", &DayFirst, 2009, 11, 17, 10, 15, 30},
    {"Mon, 1st June, 2009", &DayFirst, 2009, 6, 1, 0, 0, 0},
    {"Thursday 2nd July 2009", &DayFirst, 2009, 7, 2, 0, 0, 0},
    {"December 3rd 2009", &DayFirst, 2009, 12, 3, 0, 0, 0},
    {"5 JAN\r\n\t2010", &DayFirst, 2010, 1, 5, 0, 0, 0}, // tabs go, CR is a blank
    {"5 FEB 2010", &DayFirst, 2010, 2, 5, 0, 0, 0},
    {"5 MARCH 2010", &DayFirst, 2010, 3, 5, 0, 0, 0},
    {"5 APRIL 2010", &DayFirst, 2010, 4, 5, 0, 0, 0},
    {"5 MAY 2010", &DayFirst, 2010, 5, 5, 0, 0, 0},
    {"5 SEPT 2010", &DayFirst, 2010, 9, 5, 0, 0, 0},
    {"5 OCTOBER 2010", &DayFirst, 2010, 10, 5, 0, 0, 0},
    {"17.11.2009", &DayFirst, 2009, 11, 17, 0, 0, 0},
    {"17-11-2009", &DayFirst, 2009, 11, 17, 0, 0, 0},
    {"17.11.2009", &German, 2009, 11, 17, 0, 0, 0},
    {"17.11.09", &German, 2009, 11, 17, 0, 0, 0},
    {"2009-11-05", &DayFirst, 2009, 11, 5, 0, 0, 0},
    {"2009-11-05", &MonthFirst, 2009, 11, 5, 0, 0, 0},
    {"2009-11-05 08:00:00", &MonthFirst, 2009, 11, 5, 8, 0, 0},
    {"NOV 17 14:30:05 2009 GMT", &DayFirst, 2009, 11, 17, 14, 30, 5}, // year after the time
    {"Tue Nov 17 14:30:05 2009", &MonthFirst, 2009, 11, 17, 14, 30, 5},
    {"17/11/2009 14:30 GMT", &DayFirst, 2009, 11, 17, 14, 30, 0},
    {"14:30 17 NOV 2009", &DayFirst, 2009, 11, 17, 14, 30, 0}, // the time before the date
    {"12:15 PM Tuesday 17/11/2009", &DayFirst, 2009, 11, 17, 12, 15, 0},
    // Nothing readable gives 0.
    {"", &DayFirst, 0, 0, 0, 0, 0, 0},
    {"   ", &DayFirst, 0, 0, 0, 0, 0, 0},
    {"hello", &DayFirst, 0, 0, 0, 0, 0, 0},
    {"17 XYZ 2009", &DayFirst, 0, 0, 0, 0, 0, 0},
    {"11/17/2009", &DayFirst, 0, 0, 0, 0, 0, 0}, // month 17 in a day-first locale
    {"17 NOV", &DayFirst, 0, 0, 0, 0, 0, 0},     // no year
    {"17 NO 2009", &DayFirst, 0, 0, 0, 0, 0, 0}, // month word too short
    {"14:30", &DayFirst, 0, 0, 0, 0, 0, 0},
};

} // namespace

TEST(ParseDateText, ReadsTheDateFormsOfCertificateTexts) {
    for (const DateCase& c : DATE_CASES) {
        SCOPED_TRACE(std::string(c.text) + " in " + c.locale->name().toStdString());
        TDateTime value = -1;
        ASSERT_NO_THROW(value = ParseDateText(c.text, *c.locale));
        EXPECT_NEAR(value, Expected(c), 1e-9) << FromTDateTime(value).toString(Qt::ISODate).toStdString();
    }
}

TEST(ParseDateText, NoCalendarDateRaisesAConversionError) {
    for (const char* text :
         {"0 NOV 2009", "NOV X 2009", "31 FEB 2009", "NOV 31 2009", "30 FEB 2009 10:00", "17 NOV 99999"}) {
        EXPECT_THROW(ParseDateText(text, DayFirst), std::invalid_argument) << text;
    }
}

TEST(ParseDateText, ShortDateOrderFollowsTheLocale) {
    EXPECT_EQ(ShortDateOrder(DayFirst), "dMy");
    EXPECT_EQ(ShortDateOrder(MonthFirst), "Mdy");
    EXPECT_EQ(ShortDateOrder(QLocale(QLocale::Chinese, QLocale::China)), "yMd");
    TDateTime value = 0;
    ASSERT_TRUE(ReadShortDate("2009/11/17", QLocale(QLocale::Chinese, QLocale::China), value));
    EXPECT_EQ(value, EncodeDate(2009, 11, 17));
    EXPECT_TRUE(ReadShortDate("1/2/49", MonthFirst, value));
    EXPECT_EQ(value, EncodeDate(2049, 1, 2));
    EXPECT_TRUE(ReadShortDate("1/2/50", MonthFirst, value));
    EXPECT_EQ(value, EncodeDate(1950, 1, 2));
    EXPECT_FALSE(ReadShortDate("1/2", MonthFirst, value));
    EXPECT_FALSE(ReadShortDate("1/x/2009", MonthFirst, value));
    EXPECT_FALSE(ReadShortDate("2/30/2009", MonthFirst, value));
}

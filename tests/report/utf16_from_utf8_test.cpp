#include <gtest/gtest.h>

#include "report/utf16_from_utf8.h"

TEST(Utf16FromUtf8, DecodesEveryFormAndReplacesMalformedBytesRatherThanDroppingThem)
{
    EXPECT_EQ(k4::Utf16FromUtf8("TQ \xC3\xBC\xE2\x82\xAC \xF0\x9F\x93\x88"), u"TQ \u00FC\u20AC \U0001F4C8");
    EXPECT_EQ(k4::Utf16FromUtf8("a\xFFz"), u"a\uFFFDz");
    EXPECT_EQ(k4::Utf16FromUtf8("\xC3"), u"\uFFFD");                     // cut short at the end
    EXPECT_EQ(k4::Utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");           // overlong '/'
    EXPECT_EQ(k4::Utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // a lone surrogate
}

#include <gtest/gtest.h>

#include "report/utf16_text.h"

namespace {

TEST(Utf16FromUtf8, WidensAsciiAndDecodesMultiByteForms)
{
    EXPECT_EQ(k4::Utf16FromUtf8("TQ K4"), u"TQ K4");
    EXPECT_EQ(k4::Utf16FromUtf8("Bericht \xC3\xBC\xE2\x82\xAC"), u"Bericht \u00FC\u20AC");
    // Outside the basic plane: a surrogate pair.
    EXPECT_EQ(k4::Utf16FromUtf8("\xF0\x9F\x93\x88"), u"\U0001F4C8");
}

TEST(Utf16FromUtf8, MalformedBytesBecomeReplacementsNotSilence)
{
    EXPECT_EQ(k4::Utf16FromUtf8("a\xFFz"), u"a\uFFFDz");
    EXPECT_EQ(k4::Utf16FromUtf8("\xC3"), u"\uFFFD");           // cut short at the end
    EXPECT_EQ(k4::Utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong '/'
    EXPECT_EQ(k4::Utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // a lone surrogate
}

} // namespace

#include "CeException.h"
#include "RcString.h"
#include "WideText.h"

#include <gtest/gtest.h>
#include <string>

namespace {

DWORD CodeOf(void (*action)()) {
    try {
        action();
    } catch (const CeException& e) {
        return e.Code();
    }
    return 0;
}

}  // namespace

TEST(RcString, CopiesShareTextAndWritesUnshare) {
    RcString a(L"alarm");
    RcString b(a);
    EXPECT_TRUE(b.SharesBlockWith(a));
    EXPECT_EQ(2, a.RefCount());

    b.AppendCStr(L" clock");
    EXPECT_STREQ(L"alarm", a.CStr());
    EXPECT_STREQ(L"alarm clock", b.CStr());
    EXPECT_EQ(1, a.RefCount());
    EXPECT_EQ(1, b.RefCount());

    // Assigning a string to itself or to a holder of the same block changes nothing.
    RcString c(a);
    c = a;
    c = c;
    EXPECT_EQ(2, a.RefCount());

    // A block of length 0 is never shared: copies of it are null handles.
    RcString empty;
    empty.AppendN(L"x", 0);
    ASSERT_FALSE(empty.IsNull());
    RcString copy(empty);
    EXPECT_TRUE(copy.IsNull());
    c = empty;
    EXPECT_TRUE(c.IsNull());
    EXPECT_EQ(1, a.RefCount());
    EXPECT_STREQ(L"", copy.CStr());

    EXPECT_TRUE(RcString(L"").IsNull());
    EXPECT_TRUE(RcString(nullptr).IsNull());
}

TEST(RcString, GrowthAndShrinkRules) {
    RcString s(L"abc");
    EXPECT_EQ(3, s.Capacity());
    s.AppendCStr(L"de");
    EXPECT_EQ(15, s.Capacity());  // 5 + 10 spare
    s.AppendCStr(L"0123456789");  // fits exactly into the spare room
    EXPECT_EQ(15, s.Capacity());
    s.AppendN(L"XYZ", 1);
    EXPECT_EQ(26, s.Capacity());
    EXPECT_STREQ(L"abcde0123456789X", s.CStr());

    // Appending a piece of itself survives the reallocation.
    RcString self(L"ab");
    self.AppendN(self.CStr(), self.Length());
    EXPECT_STREQ(L"abab", self.CStr());

    // Dropping from the front shrinks once more than 11 characters are spare.
    EXPECT_EQ(11, s.DropLeft(5));
    EXPECT_EQ(21, s.Capacity());  // 15 spare: shrink to 11 + 10
    RcString t(L"abcdefghijklmnopqrst");  // capacity 20
    EXPECT_EQ(10, t.DropLeft(10));
    EXPECT_EQ(20, t.Capacity());  // 10 spare: no shrink
    EXPECT_EQ(9, t.DropLeft(1));
    EXPECT_EQ(20, t.Capacity());  // 11 spare: still none
    EXPECT_EQ(8, t.DropLeft(1));
    EXPECT_EQ(18, t.Capacity());  // 12 spare: 8 + 10
    EXPECT_STREQ(L"mnopqrst", t.CStr());

    // A shared block is left alone; dropping everything gives the null handle.
    RcString shared(t);
    EXPECT_EQ(6, shared.DropLeft(2));
    EXPECT_STREQ(L"mnopqrst", t.CStr());
    EXPECT_STREQ(L"opqrst", shared.CStr());
    EXPECT_EQ(0, shared.DropLeft(6));
    EXPECT_TRUE(shared.IsNull());

    RcString sized;
    sized.SetLength(4);
    EXPECT_EQ(4, sized.Capacity());
    EXPECT_EQ(0, sized.Buffer()[4]);
}

TEST(RcString, FindForwardBackwardAndCase) {
    RcString s(L"Alarm alarm ALARM");
    EXPECT_EQ(0, s.Find(L"Alarm", 0, true, false));
    EXPECT_EQ(6, s.Find(L"alarm", 0, true, false));
    EXPECT_EQ(6, s.Find(L"ALARM", 1, true, true));
    EXPECT_EQ(12, s.Find(L"ALARM", 1, true, false));
    EXPECT_EQ(-1, s.Find(L"alarm", 7, true, false));

    // Backward from a start past length - m begins at length - m.
    EXPECT_EQ(12, s.Find(L"alarm", 100, false, true));
    EXPECT_EQ(6, s.Find(L"alarm", 100, false, false));
    EXPECT_EQ(0, s.Find(L"Alarm", 5, false, false));
    EXPECT_EQ(-1, s.Find(L"Alarm", -1, false, false));

    EXPECT_EQ(-1, s.Find(L"Alarm alarm ALARM!", 0, true, false));
    EXPECT_EQ(-1, s.Find(L"Alarm alarm ALARM!", 0, false, false));
    EXPECT_EQ(-1, s.Find(L"", 0, true, false));
    EXPECT_EQ(-1, RcString().Find(L"a", 0, false, true));

    EXPECT_EQ(0, RcString().Compare(nullptr, 0, 0, false));
    EXPECT_EQ(-1, RcString().Compare(L"", 0, 0, false));
    EXPECT_EQ(1, s.Compare(nullptr, 0, 1, false));
}

TEST(RcString, ParseIntSignsAndOverflow) {
    auto parse = [](const wchar_t* text) { return RcString(text).ParseInt(-7); };
    EXPECT_EQ(0, parse(L""));
    EXPECT_EQ(0, parse(L"-"));
    EXPECT_EQ(0, parse(L"+"));
    EXPECT_EQ(42, parse(L"+42"));
    EXPECT_EQ(-42, parse(L"-42"));
    EXPECT_EQ(123, parse(L"123 456"));
    EXPECT_EQ(123, parse(L"123\tx"));
    EXPECT_EQ(-7, parse(L"12a"));
    EXPECT_EQ(0, parse(L" 12"));  // a leading space ends an empty number
    EXPECT_EQ(INT_MIN, parse(L"2147483648"));
    EXPECT_EQ(INT_MIN, parse(L"-2147483648"));
    // Every unsigned 32-bit value is accepted, and nothing above it.
    EXPECT_EQ(static_cast<int>(4294967219u), parse(L"4294967219"));
    EXPECT_EQ(-1, parse(L"4294967295"));
    EXPECT_EQ(-7, parse(L"4294967296"));
    EXPECT_EQ(-7, parse(L"4294967300"));
    EXPECT_EQ(-7, parse(L"10000000000"));
    EXPECT_EQ(-7, parse(L"00000000004294967296"));
    EXPECT_EQ(1, parse(L"00000000000000000001"));

    RcString f;
    f.FormatInt(INT_MIN);
    EXPECT_STREQ(L"-2147483648", f.CStr());
}

TEST(RcString, MidRaisesBadIndexPastTheEnd) {
    RcString s(L"snooze");
    RcString part;
    EXPECT_EQ(3, part.Mid(s, 3, 100));
    EXPECT_STREQ(L"oze", part.CStr());
    EXPECT_EQ(2, part.Mid(part, 1, 2));
    EXPECT_STREQ(L"ze", part.CStr());

    EXPECT_EQ(CeException::kBadIndex, CodeOf([] { RcString a(L"abc"), b; b.Mid(a, 3, 1); }));
    EXPECT_EQ(CeException::kBadIndex, CodeOf([] { RcString a, b; b.Mid(a, 0, 1); }));
    EXPECT_EQ(CeException::kBadIndex, CodeOf([] { RcString a(L"abc"), b; b.Mid(a, -1, 1); }));
}

TEST(RcString, FormatBeyondFirstBuffer) {
    std::wstring expected(3000, L'z');
    RcString s;
    EXPECT_EQ(3005, s.Format(L"%s-%d", expected.c_str(), 1234));
    EXPECT_EQ(expected + L"-1234", s.CStr());
    EXPECT_EQ(3005, s.Capacity());
    EXPECT_EQ(5, s.Format(L"%ls|%02u", L"ab", 7u));
    EXPECT_STREQ(L"ab|07", s.CStr());

    std::wstring w;
    EXPECT_EQ(1, WString_Format(w, L"%d", 1234567));  // first buffer of one character must grow
    EXPECT_EQ(L"1234567", w);
    EXPECT_EQ(1, WString_Format(w, L"%s", expected.c_str()));
    EXPECT_EQ(expected, w);
    // A format that fits at no size up to the limit stops there instead of growing on.
    EXPECT_EQ(0, WString_Format(w, L"%*d", 1 << 25, 1));
    EXPECT_TRUE(w.empty());
}

TEST(RcString, ConcatLowerAndConversions) {
    EXPECT_TRUE(RcString::Concat(RcString(), RcString()).IsNull());
    EXPECT_STREQ(L"ab", RcString::Concat(RcString(L"a"), RcString(L"b")).CStr());
    EXPECT_STREQ(L"\\Sounds\\", RcString::ConcatChar(RcString(L"\\Sounds"), L'\\').CStr());
    EXPECT_STREQ(L"mixed case 1", RcString::MapCaseCopy(RcString(L"MiXeD CASE 1")).CStr());

    char* narrow = Text_WideToMultiByte(L"Chime");
    ASSERT_NE(nullptr, narrow);
    EXPECT_STREQ("Chime", narrow);
    free(narrow);
    EXPECT_EQ(nullptr, Text_WideToMultiByte(nullptr));

    // A counted resource entry: the count before the text, no terminator needed.
    const wchar_t counted[] = {3, L'a', L'b', L'c', L'X', 0};
    std::wstring out;
    WString_AssignCounted(out, counted + 1);
    EXPECT_EQ(L"abc", out);
}

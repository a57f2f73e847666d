#include <gtest/gtest.h>

#include <string>

#include "Fonts.h"
#include "GdiHandles.h"
#include "GdiHelpers.h"
#include "RegKeyRef.h"
#include "TestArchives.h"
#include "TestRegistry.h"
#include "TextFitting.h"
#include "Translator.h"
#include "ZipFileArchive.h"

namespace {

int Width(HDC dc, const std::wstring& text) { return Gfx_GetTextWidth(dc, text.c_str()); }

// What fitting should give, worked out from the widths alone.
std::wstring ExpectedFit(HDC dc, const std::wstring& path, int maximum) {
    if (Width(dc, path) < maximum) return path;
    const size_t separator = path.rfind(L'\\');
    if (separator == std::wstring::npos) return path;
    const std::wstring folder = path.substr(0, separator), name = path.substr(separator);
    if (Width(dc, name) >= maximum) return name;
    int used = Width(dc, L"...\\");
    size_t count = 0;
    while (count < folder.size() && used + Width(dc, folder.substr(count, 1)) < maximum - Width(dc, name))
        used += Width(dc, folder.substr(count++, 1));
    return folder.substr(0, count) + L"..." + name;
}

}  // namespace

TEST(TextFitting, ShortensPathsToTheWidth) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    const std::wstring paths[] = {
        L"\\Storage Card\\My Music\\Alarms\\Morning\\song.mp3",
        L"\\My Documents\\a very long folder name without end\\x.wav",
        L"C:\\Windows\\Alarm1.wav",
        L"no backslash at all but very long indeed, wider than anything",
        L"\\short",
        L"",
    };
    for (int size : {80, 110, 160}) {
        FontHandle font(Font_CreateScaled(size, kTahomaFace));
        ASSERT_TRUE(font);
        SelectScope select(dc, font.Get());
        for (const std::wstring& path : paths) {
            const RcString text(path.c_str());
            const int full = Width(dc, path);
            for (int maximum : {1, 40, 90, 150, full, full + 1}) {
                SCOPED_TRACE(testing::Message() << "size " << size << ", maximum " << maximum);
                const std::wstring fitted = Text_ShortenToFit(dc, text, maximum).CStr();
                EXPECT_EQ(ExpectedFit(dc, path, maximum), fitted);
                // With some of the folder kept, the text fits (with nothing kept it may not).
                if (fitted.find(L"...") > 0 && fitted.find(L"...") != std::wstring::npos) {
                    EXPECT_LT(Width(dc, fitted), maximum);
                }
            }
        }
        // A width exactly equal to the maximum counts as too wide; one pixel more fits.
        const RcString song(paths[0].c_str());
        const int full = Width(dc, paths[0]);
        EXPECT_NE(paths[0], Text_ShortenToFit(dc, song, full).CStr());
        EXPECT_EQ(paths[0], Text_ShortenToFit(dc, song, full + 1).CStr());
        // The name part alone when even that does not fit, backslash included.
        EXPECT_EQ(std::wstring(L"\\song.mp3"), Text_ShortenToFit(dc, song, Width(dc, L"\\song.mp3")).CStr());
        EXPECT_EQ(Width(dc, paths[0]), RcText_GetWidth(song, dc));
    }
    DeleteDC(dc);
}

TEST(TextFitting, ScaledFontsFollowTheDensity) {
    FontHandle font(Font_CreateScaled(110, kTahomaFace));
    LOGFONTW info = {};
    ASSERT_EQ(static_cast<int>(sizeof info), GetObjectW(font.Get(), sizeof info, &info));
    EXPECT_EQ(-(110 * 96 / 720), info.lfHeight);
    EXPECT_EQ(FW_BOLD, info.lfWeight);
    EXPECT_EQ(ANTIALIASED_QUALITY, info.lfQuality);
    EXPECT_EQ(DEFAULT_CHARSET, info.lfCharSet);
    EXPECT_STREQ(L"Tahoma", info.lfFaceName);
}

TEST(TextFitting, DurationsInWords) {
    EXPECT_STREQ(L"1 hour 1 min", Duration_Format(3660).CStr());
    EXPECT_STREQ(L"2 hours", Duration_Format(7200).CStr());
    EXPECT_STREQ(L"0 min", Duration_Format(59).CStr());
    EXPECT_STREQ(L"26 hours 59 min", Duration_Format(26 * 3600 + 59 * 60 + 59).CStr());

    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen\\Clock\\Language",
                                                L"LangID", 1031));
    ASSERT_TRUE(Translator::Instance().Load(new ZipFileArchive(testarchives::FixturePath(L"translation.zip").c_str()), false));
    EXPECT_STREQ(L"1 Stunde 5 Min.", Duration_Format(3900).CStr());
    EXPECT_STREQ(L"3 Stunden", Duration_Format(3 * 3600).CStr());
    EXPECT_STREQ(L"12 Min.", Duration_Format(12 * 60).CStr());
}

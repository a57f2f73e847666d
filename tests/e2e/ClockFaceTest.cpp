// The analogue clock in this process: its hands at their angles, skins from zip files
// made with zip, the context menu's skin choice and its fall-backs.
#include "App.h"
#include "ClockTestSupport.h"
#include "ClockWnd.h"
#include "ItemStore.h"
#include "RegKeyRef.h"
#include "SkinList.h"
#include "SkinPage.h"
#include "resource.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// The test skin's geometry: a 200-pixel face centred on a 240 x 320 canvas, hands of
// these lengths in these colours.
constexpr POINT kPivot = {120, 160};
struct Hand {
    const char* name;
    int length;
    WORD colour;
};
const Hand kHour = {"hour", 52, 0x001F};
const Hand kMinute = {"minute", 76, 0x07E0};
const Hand kSecond = {"second", 86, 0xF81F};

// Whether a pixel of the colour lies within 3 pixels of the point at radius r, angle
// degrees clockwise from twelve.
bool ColourNear(const Image& canvas, WORD colour, double degrees, int r) {
    const double a = degrees * 3.14159265358979 / 180.0;
    const int cx = kPivot.x + static_cast<int>(std::lround(r * std::sin(a)));
    const int cy = kPivot.y - static_cast<int>(std::lround(r * std::cos(a)));
    for (int y = cy - 3; y <= cy + 3; ++y)
        for (int x = cx - 3; x <= cx + 3; ++x)
            if (x >= 0 && y >= 0 && x < canvas.Width() && y < canvas.Height() && canvas.Row(y)[x] == colour)
                return true;
    return false;
}

SYSTEMTIME At(WORD hour, WORD minute, WORD second, WORD ms = 0) {
    SYSTEMTIME t = {};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 9;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = ms;
    return t;
}

int IndexOf(SkinList& skins, const wchar_t* name) {
    for (int i = 0; i < skins.Count(); ++i)
        if (skins.At(i)->GetName() == name) return i;
    return -1;
}

// The Skins page under a window of its own (given back), its list filled and the first
// skin whose name begins with name selected; null when the page or the skin is missing.
HWND OpenSkinPage(SkinPage& page, const wchar_t* name) {
    HWND parent = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    if (!page.CreateModeless(IDD_SKIN_PAGE, parent, nullptr)) return nullptr;
    page.FillList();
    HWND list = GetDlgItem(page.GetHwnd(), IDC_SKIN_LIST);
    const LRESULT row = SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    if (row < 0) return nullptr;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    return parent;
}

// OK on the page; messages gets the texts of the message boxes it showed.
bool PressOk(SkinPage& page, std::vector<std::wstring>& messages) {
    clocktest::MessageBoxCloser closer;
    const bool accepted = page.OnOK(IDOK, nullptr);
    messages = closer.Texts();
    return accepted;
}

std::wstring StoredCurrent() {
    std::wstring value;
    testsupport::ReadRegistryString(HKEY_CURRENT_USER, SkinList::kSkinsKey, SkinList::kCurrentValue, &value);
    return value;
}

void ExpectPosition(HandPosition position, int frame, int octant, const char* what) {
    EXPECT_EQ(frame, position.frame) << what;
    EXPECT_EQ(octant, position.octant) << what;
}

}  // namespace

TEST(ClockHands, FrameAndEighthFollowTheTime) {
    ExpectPosition(ClockHands::HourPosition(At(0, 0, 0)), 0, 0, "12:00");
    ExpectPosition(ClockHands::HourPosition(At(1, 30, 0)), 22, 0, "01:30");
    ExpectPosition(ClockHands::HourPosition(At(1, 30, 0, 1)), 21, 1, "01:30:00.001");
    ExpectPosition(ClockHands::HourPosition(At(3, 0, 0)), 0, 2, "15:00 as 3");
    ExpectPosition(ClockHands::MinutePosition(At(0, 22, 30)), 22, 2, "22:30 minutes");
    ExpectPosition(ClockHands::SecondPosition(At(0, 0, 7)), 7, 0, "second 7");
    ExpectPosition(ClockHands::SecondPosition(At(0, 0, 8)), 7, 1, "second 8");
    ExpectPosition(ClockHands::SecondPosition(At(0, 0, 15)), 0, 2, "second 15");
    ExpectPosition(ClockHands::SecondPosition(At(0, 0, 59)), 1, 7, "second 59");
}

class ClockFace : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L"-startfull"));
        clock_ = ClockWnd::Instance();
        ASSERT_NE(nullptr, clock_);
        clock_->UseSkins(std::unique_ptr<SkinList>(new SkinList(clocktest::FixtureProgramFolder())));
    }
    void TearDown() override { App::Shutdown(); }

    UINT SkinCommand(const wchar_t* name) {
        const int index = IndexOf(clock_->Skins(), name);
        EXPECT_GE(index, 0) << "no skin " << std::string(name, name + wcslen(name));
        return ClockWnd::kFirstSkinCommand + index;
    }
    // The skins submenu's item of that skin: whether it is checked.
    bool MenuChecks(const wchar_t* name) {
        HMENU menu = clock_->BuildContextMenu();
        HMENU skins = nullptr;
        for (int i = 0; i < GetMenuItemCount(menu) && !skins; ++i) skins = GetSubMenu(menu, i);
        const UINT state = skins ? GetMenuState(skins, SkinCommand(name), MF_BYCOMMAND) : 0;
        DestroyMenu(menu);
        return state != static_cast<UINT>(-1) && (state & MF_CHECKED);
    }

    ClockWnd* clock_ = nullptr;
};

TEST_F(ClockFace, HandTipsPointAtTheirAnglesInEveryEighth) {
    SkinList& skins = clock_->Skins();
    ASSERT_TRUE(clock_->ApplySkin(skins.At(IndexOf(skins, L"test"))));
    struct Case {
        SYSTEMTIME time;
        double hour, minute, second;  // degrees clockwise from twelve
    };
    const Case cases[] = {
        {At(10, 8, 30), 304.25, 51.0, 180.0},  {At(15, 40, 25), 110.208, 242.5, 150.0},
        {At(7, 22, 55), 221.458, 137.5, 330.0}, {At(23, 52, 5), 356.042, 312.5, 30.0},
        {At(1, 25, 40), 42.833, 154.0, 240.0},  {At(6, 48, 10), 204.083, 289.0, 60.0},
    };
    for (const Case& c : cases) {
        ImagePtr canvas = clock_->ComposeFace(c.time, 240, 320);
        ASSERT_TRUE(canvas);
        const std::string when = std::to_string(c.time.wHour) + ":" + std::to_string(c.time.wMinute) + ":" +
                                 std::to_string(c.time.wSecond);
        const std::pair<const Hand*, double> hands[] = {{&kHour, c.hour}, {&kMinute, c.minute}, {&kSecond, c.second}};
        for (const auto& hand : hands) {
            const int r = hand.first->length - 3;
            EXPECT_TRUE(ColourNear(*canvas, hand.first->colour, hand.second, r)) << hand.first->name << " at " << when;
            // Not turned or mirrored the wrong way.
            EXPECT_FALSE(ColourNear(*canvas, hand.first->colour, hand.second + 180.0, r))
                << hand.first->name << " reversed at " << when;
            const double mirrored = 360.0 - hand.second, apart = std::fabs(mirrored - hand.second);
            if (apart > 10.0 && apart < 350.0) {
                EXPECT_FALSE(ColourNear(*canvas, hand.first->colour, mirrored, r))
                    << hand.first->name << " mirrored at " << when;
            }
        }
    }
}

TEST_F(ClockFace, SkinsAreListedSortedAndChosenByGuidOrName) {
    SkinList& skins = clock_->Skins();
    // The damaged zip is passed over; the rest sort by name with the built-in skin.
    ASSERT_EQ(4, skins.Count());
    const wchar_t* const order[] = {L"default", L"noguid", L"nomark", L"test"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(order[i], skins.At(i)->GetName());
    Skin* builtIn = skins.BuiltIn();
    ASSERT_TRUE(builtIn->GetGuid());
    EXPECT_STREQ(Skin::kBuiltInGuid, builtIn->GetGuid());
    EXPECT_EQ(nullptr, skins.At(IndexOf(skins, L"noguid"))->GetGuid()) << "39 bytes are no GUID";
    EXPECT_EQ(builtIn, skins.GetCurrent());
    EXPECT_TRUE(MenuChecks(L"default"));
    EXPECT_FALSE(MenuChecks(L"noguid"));

    // Chosen from the menu: applied and stored by GUID.
    Skin* test = skins.At(IndexOf(skins, L"test"));
    clock_->OnClockCommand(SkinCommand(L"test"));
    EXPECT_EQ(test, clock_->CurrentSkin());
    EXPECT_TRUE(clock_->IsSkinLoaded());
    EXPECT_EQ(std::wstring(L"{5B0C8E21-7A4D-4F3B-9C1E-2D6F8A9B0C11}"), StoredCurrent());
    EXPECT_TRUE(MenuChecks(L"test"));
    EXPECT_FALSE(MenuChecks(L"default"));

    // No GUID: refused as a GUID, still applied and kept by its name.
    EXPECT_FALSE(skins.SetCurrent(nullptr));
    clock_->OnClockCommand(SkinCommand(L"noguid"));
    EXPECT_EQ(L"noguid", clock_->CurrentSkin()->GetName());
    EXPECT_TRUE(clock_->IsSkinLoaded());
    EXPECT_EQ(L"noguid", StoredCurrent());
    EXPECT_TRUE(MenuChecks(L"noguid"));
    EXPECT_FALSE(MenuChecks(L"test"));
    EXPECT_EQ(L"noguid", SkinList(clocktest::FixtureProgramFolder()).GetCurrent()->GetName());

    // Beyond the list: nothing.
    clock_->OnClockCommand(ClockWnd::kFirstSkinCommand + 99);
    EXPECT_EQ(L"noguid", clock_->CurrentSkin()->GetName());

    // A stored GUID whose skin is gone: the built-in skin.
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, SkinList::kSkinsKey, SkinList::kCurrentValue,
                                                 L"{00000000-0000-0000-0000-000000000000}"));
    EXPECT_EQ(L"default", SkinList(clocktest::FixtureProgramFolder()).GetCurrent()->GetName());
}

TEST_F(ClockFace, ASkinMissingAMarkFailsAndTheBuiltInOneStays) {
    clock_->OnClockCommand(SkinCommand(L"test"));
    std::vector<std::wstring> messages;
    {
        clocktest::MessageBoxCloser closer;
        clock_->OnClockCommand(SkinCommand(L"nomark"));
        messages = closer.Texts();
    }
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::wstring::npos, messages[0].find(L"could not find red mark (color 0xFF0000) number 1 in hours arrows"))
        << std::string(messages[0].begin(), messages[0].end());
    EXPECT_EQ(clock_->Skins().BuiltIn(), clock_->CurrentSkin());
    EXPECT_TRUE(clock_->IsSkinLoaded());
    // The choice stays with the skin that worked.
    EXPECT_EQ(std::wstring(L"{5B0C8E21-7A4D-4F3B-9C1E-2D6F8A9B0C11}"), StoredCurrent());
    // Stored as current all the same (by another program), it gives way at load.
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, SkinList::kSkinsKey, SkinList::kCurrentValue,
                                                 L"{7E2A9C40-1B3D-4E5F-8A6B-9C0D1E2F3A44}"));
    clock_->UseSkins(std::unique_ptr<SkinList>(new SkinList(clocktest::FixtureProgramFolder())));
    {
        clocktest::MessageBoxCloser closer;
        EXPECT_TRUE(clock_->LoadSkin());
    }
    EXPECT_EQ(L"default", clock_->CurrentSkin()->GetName());
    EXPECT_TRUE(clock_->IsSkinLoaded());
    ImagePtr canvas = clock_->ComposeFace(At(10, 8, 30), 240, 320);
    ASSERT_TRUE(canvas);
}

TEST_F(ClockFace, ChimeToggleIsSavedAndTheMenuShowsIt) {
    ItemStore* store = App::GetItemStore();
    const int32_t before = store->Chime().Active;
    clock_->OnClockCommand(ClockWnd::kChimeCommand);
    EXPECT_NE(before, store->Chime().Active);
    DWORD stored = 0;
    ASSERT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen\\ChimeItem",
                                               L"Active", &stored));
    EXPECT_EQ(static_cast<DWORD>(store->Chime().Active), stored);
    HMENU menu = clock_->BuildContextMenu();
    const UINT state = GetMenuState(menu, ClockWnd::kChimeCommand, MF_BYCOMMAND);
    EXPECT_EQ(store->Chime().Active != 0, (state & MF_CHECKED) != 0);
    EXPECT_NE(static_cast<UINT>(-1), GetMenuState(menu, ClockWnd::kStartSlideShowCommand, MF_BYCOMMAND));
    DestroyMenu(menu);
}

// The Skins page applies the chosen skin first and stores it only when it loaded: a skin
// missing a mark leaves the built-in one on the clock and the stored choice as it was.
TEST_F(ClockFace, TheSkinsPageStoresOnlyASkinThatLoaded) {
    // The page lists the program's own "Skins" folder: the broken skin goes there for this test.
    const std::wstring broken = SkinList::ProgramFolder() + L"Skins\\nomark-" + std::to_wstring(GetCurrentProcessId()) + L".zip";
    ASSERT_TRUE(CopyFileW((clocktest::FixtureProgramFolder() + L"skins\\nomark.zip").c_str(), broken.c_str(), FALSE));
    clock_->OnClockCommand(SkinCommand(L"test"));
    const std::wstring stored = StoredCurrent();
    ASSERT_FALSE(stored.empty());
    SkinPage page;
    HWND parent = OpenSkinPage(page, L"nomark");
    ASSERT_TRUE(parent);
    std::vector<std::wstring> messages;
    PressOk(page, messages);
    DeleteFileW(broken.c_str());
    EXPECT_FALSE(messages.empty());
    EXPECT_EQ(stored, StoredCurrent());
    EXPECT_EQ(clock_->Skins().BuiltIn(), clock_->CurrentSkin());
    EXPECT_TRUE(clock_->IsSkinLoaded());
    DestroyWindow(page.GetHwnd());
    DestroyWindow(parent);
}

// A choice the registry refuses to store is no success: the page says so and refuses OK,
// the clock keeps showing the skin, and OK once the key takes writes again stores it.
TEST_F(ClockFace, TheSkinsPageReportsAChoiceItCannotStore) {
    ASSERT_TRUE(clock_->ApplySkin(clock_->Skins().BuiltIn()));
    const std::wstring stored = StoredCurrent();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, SkinList::kSkinsKey, 0, nullptr, 0,
                                             KEY_READ | WRITE_DAC, nullptr, &key, nullptr));
    // Everyone may read the key, nobody write it.
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    alignas(DWORD) BYTE aclBytes[256];
    auto* acl = reinterpret_cast<ACL*>(aclBytes);
    ASSERT_TRUE(InitializeAcl(acl, sizeof aclBytes, ACL_REVISION));
    ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone));
    SECURITY_DESCRIPTOR readOnly, open;
    InitializeSecurityDescriptor(&readOnly, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&readOnly, TRUE, acl, FALSE);
    InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE);
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &readOnly));

    SkinPage page;
    HWND parent = OpenSkinPage(page, L"test");
    ASSERT_TRUE(parent);
    std::vector<std::wstring> messages;
    EXPECT_FALSE(PressOk(page, messages));
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::wstring::npos, messages[0].find(L"Please try again"));
    EXPECT_EQ(stored, StoredCurrent());
    EXPECT_EQ(L"test", clock_->CurrentSkin()->GetName());

    ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &open));
    EXPECT_TRUE(page.OnOK(IDOK, nullptr));
    EXPECT_EQ(std::wstring(L"{5B0C8E21-7A4D-4F3B-9C1E-2D6F8A9B0C11}"), StoredCurrent());
    RegCloseKey(key);
    FreeSid(everyone);
    DestroyWindow(page.GetHwnd());
    DestroyWindow(parent);
}

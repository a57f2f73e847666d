#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "DeviceScreen.h"
#include "Dpi.h"
#include "RegKeyRef.h"
#include "TestArchives.h"
#include "TestRegistry.h"
#include "Translator.h"
#include "ZipFileArchive.h"
#include "ZipMemoryArchive.h"
#include "resource.h"

using namespace testarchives;

namespace {

const wchar_t kClockKey[] = L"Software\\Ostrel\\Orvalen\\Clock";
const wchar_t kLanguageKey[] = L"Software\\Ostrel\\Orvalen\\Clock\\Language";
constexpr DWORD kGerman = 1031;
constexpr DWORD kFrench = 1036;

void ChooseLanguage(DWORD language) {
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kLanguageKey, L"LangID", language));
}

bool LoadFixturePack(Translator& translator, const wchar_t* name, DWORD language = kGerman) {
    ChooseLanguage(language);
    return translator.Load(new ZipFileArchive(FixturePath(name).c_str()), false);
}

// A pack made here: the texts given and the program's own symbol file.
class MemoryPack {
public:
    explicit MemoryPack(const std::string& xml, const std::string* symbols = nullptr) {
        std::vector<CraftedMember> members(1);
        members[0].name = "translation.xml";
        members[0].data = xml;
        members.emplace_back();
        members[1].name = "resource.h";
        members[1].data = symbols ? *symbols : ReadFileBytes(FixturePath(L"pack\\resource.h"));
        m_bytes = CraftArchive(members);
    }
    ZipArchive* NewArchive() const { return new ZipMemoryArchive(m_bytes.data(), static_cast<DWORD>(m_bytes.size())); }

private:
    std::string m_bytes;
};

std::string Pack(const std::string& languages, const std::string& sections) {
    return "<rclanguages>" + languages + "</rclanguages>" + sections;
}

std::string Strings(const std::string& items) {
    return "<rcsection name=\"STRINGTABLE\">" + items + "</rcsection>";
}

std::string Item(const std::string& id, const std::string& lang, const std::string& text) {
    return "<rcitem id=\"" + id + "\"><rcstring lang=\"" + lang + "\">" + text + "</rcstring></rcitem>";
}

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

UINT g_translatedMessages = 0;

INT_PTR CALLBACK CountingDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    if (message == Translator::kDialogTranslatedMessage) ++g_translatedMessages;
    return message == WM_INITDIALOG;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

TEST(Translator, TranslatesStringIdsAndFallsBackToTheStringTable) {
    Translator translator;
    ASSERT_TRUE(LoadFixturePack(translator, L"translation.zip"));
    EXPECT_TRUE(translator.IsTranslating());
    EXPECT_EQ(kGerman, translator.Language());
    EXPECT_EQ(std::vector<DWORD>({1033, kGerman, kFrench}), translator.Languages());

    EXPECT_EQ(L"Wecker", translator.GetString(IDS_ALARMS));
    EXPECT_EQ(L"L\u00F6schen", translator.GetString(IDS_DELETE));
    EXPECT_EQ(L"Wecker hinzuf\u00FCgen", translator.GetString(IDS_TODAY_ADD_ALARM));
    // No entry, an empty text, no resource string at all.
    EXPECT_EQ(L"Run Orvalen", translator.GetString(IDS_TODAY_RUN_PROGRAM));
    EXPECT_EQ(L"Skip next alarm", translator.GetString(IDS_TODAY_SKIP_NEXT_ALARM));
    EXPECT_EQ(L"", translator.GetString(29999));

    // Another offered language from the same pack, then English again.
    EXPECT_TRUE(translator.SetLanguage(kFrench));
    EXPECT_EQ(L"Alarmes", translator.GetString(IDS_ALARMS));
    EXPECT_EQ(L"Timers", translator.GetString(IDS_TIMERS));
    EXPECT_TRUE(translator.SetLanguage(2057));  // English (United Kingdom)
    EXPECT_FALSE(translator.IsTranslating());
    EXPECT_EQ(L"Alarms", translator.GetString(IDS_ALARMS));
}

TEST(Translator, MissingOrDamagedPacksLeaveTheBuiltInEnglish) {
    for (const wchar_t* pack : {L"no-such-pack.zip", L"translation-damaged.zip", L"translation-nosymbols.zip"}) {
        Translator translator;
        EXPECT_FALSE(LoadFixturePack(translator, pack)) << pack;
        EXPECT_FALSE(translator.IsTranslating()) << pack;
        EXPECT_EQ(1033u, translator.Language()) << pack;
        EXPECT_EQ(L"Alarms", translator.GetString(IDS_ALARMS)) << pack;
    }
    // No archive object at all, as when it could not be allocated.
    Translator translator;
    ChooseLanguage(kGerman);
    EXPECT_FALSE(translator.Load(nullptr, true));
    EXPECT_FALSE(translator.IsTranslating());
    EXPECT_FALSE(translator.SetLanguage(kGerman));
    EXPECT_EQ(L"Delete", translator.GetString(IDS_DELETE));
}

TEST(Translator, TranslatesADialogsCaptionAndControls) {
    Translator translator;
    ASSERT_TRUE(LoadFixturePack(translator, L"translation.zip"));
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LANGUAGE), nullptr,
                                     CountingDialogProc, 0);
    ASSERT_NE(nullptr, dialog);

    g_translatedMessages = 0;
    // The note and the list have no translation; leaving them out, everything else is.
    const int untranslated[] = {IDC_LANGUAGE_NOTE, IDC_LANGUAGE_LIST, IDCANCEL, 0};
    EXPECT_TRUE(translator.ApplyCaption(dialog, IDD_LANGUAGE, untranslated));
    EXPECT_EQ(1u, g_translatedMessages);  // sent, not posted
    EXPECT_EQ(L"Sprache", WindowText(dialog));
    EXPECT_EQ(L"Sprache der Texte:", WindowText(GetDlgItem(dialog, IDC_LANGUAGE_LABEL)));
    EXPECT_EQ(L"Jetzt neu starten", WindowText(GetDlgItem(dialog, IDC_LANGUAGE_RESTART)));
    EXPECT_EQ(L"Fertig", WindowText(GetDlgItem(dialog, IDOK)));
    EXPECT_EQ(L"Cancel", WindowText(GetDlgItem(dialog, IDCANCEL)));
    EXPECT_EQ(L"The new language shows after a restart.", WindowText(GetDlgItem(dialog, IDC_LANGUAGE_NOTE)));
    EXPECT_FALSE(translator.ApplyCaption(dialog, IDD_LANGUAGE));

    EXPECT_EQ(L"Sprache der Texte:", translator.GetItemText(IDD_LANGUAGE, IDC_LANGUAGE_LABEL));
    EXPECT_EQ(L"The new language shows after a restart.", translator.GetItemText(IDD_LANGUAGE, IDC_LANGUAGE_NOTE));
    EXPECT_EQ(L"Cancel", translator.GetItemText(IDD_LANGUAGE, IDCANCEL));
    EXPECT_EQ(L"No text", translator.GetItemText(IDD_LANGUAGE, IDC_LANGUAGE_LIST));
    EXPECT_EQ(L"Unknown", translator.GetItemText(IDD_LANGUAGE, 2999));
    EXPECT_EQ(L"Error1", translator.GetItemText(2998, IDOK));
    DestroyWindow(dialog);
}

TEST(Translator, WithoutATranslationDialogsStayEnglishAndHearOfItLater) {
    Translator translator;
    // Read and parsed, but English is asked for.
    ASSERT_TRUE(LoadFixturePack(translator, L"translation.zip", 1033));
    ASSERT_FALSE(translator.IsTranslating());
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_LANGUAGE), nullptr,
                                     CountingDialogProc, 0);
    ASSERT_NE(nullptr, dialog);
    g_translatedMessages = 0;
    EXPECT_FALSE(translator.ApplyCaption(dialog, IDD_LANGUAGE));
    EXPECT_EQ(0u, g_translatedMessages);
    PumpMessages();
    EXPECT_EQ(1u, g_translatedMessages);  // posted
    EXPECT_EQ(L"Language", WindowText(dialog));
    DestroyWindow(dialog);
}

TEST(Translator, TranslatesAMenuBarAndItsMenus) {
    Translator translator;
    ASSERT_TRUE(LoadFixturePack(translator, L"translation.zip"));
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HWND owner = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    HWND bar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | TBSTYLE_LIST, 0, 0, 240, 26, owner, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(nullptr, bar);

    // The live menu bar, as the shell makes it from the same menu resource.
    HMENU menus = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_MAIN_MENUBAR));
    ASSERT_NE(nullptr, menus);
    HMENU popup = GetSubMenu(menus, 1);
    TBBUTTON buttons[2] = {};
    buttons[0].idCommand = IDM_MAIN_SHOW_CLOCK;
    buttons[0].fsState = TBSTATE_ENABLED;
    buttons[0].fsStyle = BTNS_BUTTON | BTNS_SHOWTEXT;
    buttons[0].iString = reinterpret_cast<INT_PTR>(L"Clock");
    buttons[1].idCommand = 3999;
    buttons[1].fsState = TBSTATE_ENABLED;
    buttons[1].fsStyle = BTNS_BUTTON | BTNS_SHOWTEXT;
    buttons[1].iString = reinterpret_cast<INT_PTR>(L"Menu");
    buttons[1].dwData = reinterpret_cast<DWORD_PTR>(popup);
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ASSERT_TRUE(SendMessageW(bar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons)));

    EXPECT_TRUE(translator.ApplyMenuBar(bar, IDM_MAIN_MENUBAR));
    auto buttonText = [bar](int index) {
        wchar_t text[64] = {};
        TBBUTTONINFOW info = {sizeof info, TBIF_TEXT | TBIF_BYINDEX};
        info.pszText = text;
        info.cchText = 64;
        SendMessageW(bar, TB_GETBUTTONINFOW, index, reinterpret_cast<LPARAM>(&info));
        return std::wstring(text);
    };
    auto itemText = [](HMENU menu, int position) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
        return std::wstring(text);
    };
    EXPECT_EQ(L"Uhr", buttonText(0));
    EXPECT_EQ(L"Men\u00FC", buttonText(1));
    EXPECT_EQ(L"Neuer Wecker", itemText(popup, 0));
    EXPECT_EQ(L"New timer", itemText(popup, 1));
    EXPECT_EQ(L"Weiteres", itemText(popup, 3));
    EXPECT_EQ(L"Optionen", itemText(GetSubMenu(popup, 3), 0));
    EXPECT_EQ(L"About", itemText(GetSubMenu(popup, 3), 1));

    // A handle that is no menu: nothing done.
    SetLastError(0);
    translator.ApplyMenu(popup, reinterpret_cast<HMENU>(0x1234), TranslationEntry());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(translator.ApplyMenuBar(bar, 2998));
    DestroyMenu(menus);
    DestroyWindow(owner);
}

TEST(Translator, ChoosesALanguageTheDeviceKnows) {
    // Spanish listed again, in another spelling, keeps its first place.
    const MemoryPack pack(Pack("<rcoutput lang=\"0x40A\"/><rcoutput lang='C0a'/><rcoutput lang=\"40a\"/>"
                               "<rcoutput lang=\"419\"/><rcoutput lang=\"0x40a\"/>",
                               Strings(Item("IDS_ALARMS", "ESP", "Alarmas"))));
    {  // Spanish (Mexico) is not offered: the first Spanish of the pack is taken.
        Translator translator;
        ChooseLanguage(2058);
        EXPECT_TRUE(translator.Load(pack.NewArchive(), false));
        EXPECT_EQ(1034u, translator.Language());
        EXPECT_EQ(std::vector<DWORD>({1033, 1034, 3082, 1049}), translator.Languages());
        EXPECT_EQ(L"Alarmas", translator.GetString(IDS_ALARMS));
    }
    {  // English of any country never translates.
        Translator translator;
        ChooseLanguage(2057);
        translator.Load(pack.NewArchive(), false);
        EXPECT_FALSE(translator.IsTranslating());
        EXPECT_EQ(4u, translator.Languages().size());
    }
    {  // A language the pack does not offer at all.
        Translator translator;
        ChooseLanguage(kGerman);
        translator.Load(pack.NewArchive(), false);
        EXPECT_FALSE(translator.IsTranslating());
        EXPECT_EQ(L"Alarms", translator.GetString(IDS_ALARMS));
    }
}

TEST(Translator, CollectsTextsTheWayPacksAreWritten) {
    const std::string languages = "<rcoutput lang=\"407\"/>";
    const std::string xml = Pack(languages, Strings(
        // Pretty-printed: the blank after the text is kept as one space.
        "<rcitem id=\"IDS_ALARMS\">\n  <rcstring lang=\"DEU\">Wecker</rcstring>\n</rcitem>"
        // Quotes keep leading and trailing blanks; blank runs become one space.
        + Item("IDS_TIMERS", "DEU", "\"  Hello  \"")
        + Item("IDS_SOUND", "DEU", "one\\ntwo")
        // The language number instead of its tag never matches.
        + Item("IDS_ACTIVE", "1031", "Aktiv")
        // Entities and UTF-8 of two and three bytes.
        + Item("IDS_STOP", "DEU", "&lt;\xC3\xBC\xE2\x82\xAC&#x2013;&#150;")
        // A truncated sequence and a lead without its continuation.
        + Item("IDS_START", "DEU", "a\xC3z\xE2\x82")));
    const MemoryPack pack(xml);
    Translator translator;
    ChooseLanguage(kGerman);
    ASSERT_TRUE(translator.Load(pack.NewArchive(), false));
    EXPECT_EQ(L"Wecker ", translator.GetString(IDS_ALARMS));
    EXPECT_EQ(L" Hello ", translator.GetString(IDS_TIMERS));
    EXPECT_EQ(L"one\n\rtwo", translator.GetString(IDS_SOUND));
    EXPECT_EQ(L"Active", translator.GetString(IDS_ACTIVE));
    EXPECT_EQ(L"<\u00FC\u20AC\u2013\u2013", translator.GetString(IDS_STOP));
    EXPECT_EQ(L"a\uFFFDz\uFFFD\uFFFD", translator.GetString(IDS_START));
}

TEST(Translator, FinishesTexts) {
    EXPECT_EQ(L"", Translation_FinishText(L"\"\""));
    EXPECT_EQ(L"\"", Translation_FinishText(L"\""));
    EXPECT_EQ(L"a\\b", Translation_FinishText(L"a\\b"));
    EXPECT_EQ(L"\n\r", Translation_FinishText(L"\\n"));
    EXPECT_EQ(L"\u0192x", Translation_FinishText(L"\u0192x"));  // from a reference, not a byte
    EXPECT_EQ(L"\uFFFD", Translation_FinishText(std::wstring(1, wchar_t(0xC3))));
    EXPECT_EQ(L"\uFFFDA", Translation_FinishText(std::wstring({wchar_t(0xE2), L'A'})));
}

// Items nested far deeper than any menu must not exhaust the stack, and what follows
// them must still be read.
TEST(Translator, SkipsEntriesNestedTooDeep) {
    std::string deep = "<rcsection name=\"MENU\">";
    const int levels = 200000;
    for (int i = 0; i < levels; ++i) deep += "<rcitem id=\"L\">";
    for (int i = 0; i < levels; ++i) deep += "</rcitem>";
    deep += "</rcsection>" + Strings(Item("IDS_ALARMS", "DEU", "Wecker"));
    const MemoryPack pack(Pack("<rcoutput lang=\"407\"/>", deep));
    Translator translator;
    ChooseLanguage(kGerman);
    ASSERT_TRUE(translator.Load(pack.NewArchive(), false));
    EXPECT_EQ(L"Wecker", translator.GetString(IDS_ALARMS));
    int depth = 0;
    for (const auto* level = &translator.Menus().entries; !level->empty(); level = &level->begin()->second.children)
        ++depth;
    EXPECT_EQ(Translator::kMaxEntryDepth + 1, depth);
}

TEST(Translator, ReadsSymbolFilesWhateverTheirLineEnds) {
    const std::string body =
        "\n// comment #define IDS_COMMENT 5\n#define IDS_LF 30048\n   #define   IDS_INDENTED 7\r\n"
        "#define\tIDS_TAB 8\n#define IDS_NOVALUE\n#define IDS_HEX 0x10\n#define IDS_NEGATIVE -3\n"
        "#define IDS_TWICE 30048\n#define IDS_LAST 30080";
    Translator translator;
    const std::string crlf = [&] {
        std::string s;
        for (char c : body) s += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return s;
    }();
    for (const std::string& file : {body, crlf}) {
        Translator parsed;
        ASSERT_TRUE(parsed.ParseSymbols(reinterpret_cast<const BYTE*>(file.data()), static_cast<DWORD>(file.size())));
        const std::multimap<int, std::string> expected = {
            {30048, "IDS_LF"}, {30048, "IDS_TWICE"}, {7, "IDS_INDENTED"}, {0, "IDS_HEX"},
            {-3, "IDS_NEGATIVE"}, {30080, "IDS_LAST"}, {IDOK, "IDOK"}, {IDCANCEL, "IDCANCEL"}};
        EXPECT_EQ(expected, parsed.Symbols());
    }
    EXPECT_FALSE(translator.ParseSymbols(nullptr, 0));
    const BYTE empty = 0;
    EXPECT_FALSE(translator.ParseSymbols(&empty, 0));

    // Two names for one id: the first with a text wins; IDOK comes after the file's own.
    const std::string symbols = "#define IDS_FIRST 30048\n#define IDS_SECOND 30048\n#define IDS_MINE_OK 1\n";
    const MemoryPack pack(Pack("<rcoutput lang=\"407\"/>",
                               Strings(Item("IDS_FIRST", "DEU", "") + Item("IDS_SECOND", "DEU", "Zweiter") +
                                       Item("IDOK", "DEU", "Gut") + Item("IDS_MINE_OK", "DEU", "Mein"))),
                          &symbols);
    ChooseLanguage(kGerman);
    ASSERT_TRUE(translator.Load(pack.NewArchive(), false));
    EXPECT_EQ(L"Zweiter", translator.GetString(30048));
    EXPECT_EQ(L"Mein", translator.GetString(IDOK));
}

TEST(Translator, KeepsTheLanguageChoiceInTheSettings) {
    Translator translator;
    ASSERT_TRUE(LoadFixturePack(translator, L"translation.zip", kFrench));
    RegKeyRef clock = RegKeyRef::Open(kClockKey, HKEY_CURRENT_USER, false);
    ASSERT_TRUE(clock.IsOpen());
    ASSERT_TRUE(translator.SetLanguage(kGerman));
    EXPECT_TRUE(translator.SaveLanguage(clock));
    DWORD saved = 0;
    ASSERT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, kLanguageKey, L"LangID", &saved));
    EXPECT_EQ(kGerman, saved);
    EXPECT_TRUE(translator.LoadLanguageSetting(clock));
    EXPECT_EQ(kGerman, translator.Language());

    // A value of the wrong type is no choice.
    const wchar_t text[] = L"1031";
    ASSERT_TRUE(testsupport::WriteRegistryRaw(HKEY_CURRENT_USER, kLanguageKey, L"LangID", REG_SZ, text, sizeof text));
    EXPECT_FALSE(translator.LoadLanguageSetting(clock));
    EXPECT_EQ(1033u, translator.Language());
}

TEST(Translator, NamesLanguages) {
    EXPECT_EQ(L"\u0423\u043A\u0440\u0430\u0457\u043D\u0441\u044C\u043A\u0430", Language_GetNativeName(1058));
    EXPECT_EQ(L"Deutsch", Language_GetNativeName(kGerman));
    EXPECT_EQ(L"Fran\u00E7ais", Language_GetNativeName(kFrench));
    const std::wstring name = Language_GetName(kGerman);
    ASSERT_FALSE(name.empty());
    EXPECT_TRUE(IsCharUpperW(name[0]));
}

// Whatever part of a pack arrives, reading it ends and leaves a usable translator.
TEST(Translator, SurvivesEveryTruncationOfAPack) {
    const std::string xml = ReadFileBytes(FixturePath(L"pack\\translation.xml"));
    const std::string symbols = ReadFileBytes(FixturePath(L"pack\\resource.h"));
    ASSERT_FALSE(xml.empty());
    for (size_t cut = 0; cut < xml.size(); cut += 7) {
        Translator translator;
        translator.ParseXml(reinterpret_cast<const BYTE*>(xml.data()), static_cast<DWORD>(cut));
        translator.ParseSymbols(reinterpret_cast<const BYTE*>(symbols.data()),
                                static_cast<DWORD>(cut % (symbols.size() + 1)));
        EXPECT_FALSE(translator.Languages().empty());
        EXPECT_FALSE(translator.GetString(IDS_ALARMS).empty()) << cut;
    }
}

TEST(Translator, GivesEveryOfferedLanguageASlotInTheFlagList) {
    Translator translator;
    ASSERT_TRUE(LoadFixturePack(translator, L"translation.zip"));
    // The pack offers German and French; English is always first.
    ASSERT_EQ(std::vector<DWORD>({1033, kGerman, kFrench}), translator.Languages());
    for (LONG dpi : {96L, 192L}) {
        ASSERT_TRUE(DeviceScreen_SetMode(240 * dpi / 96, 320 * dpi / 96, dpi));
        Dpi_ResetCache();
        std::vector<int> slots = {7};
        HIMAGELIST flags = translator.BuildLanguageImageList(slots);
        ASSERT_NE(nullptr, flags);
        int width = 0, height = 0;
        ImageList_GetIconSize(flags, &width, &height);
        EXPECT_EQ(dpi == 96 ? 16 : 32, width);
        EXPECT_EQ(width, height);
        // Icons go in the flag table's order: English, French, German.
        EXPECT_EQ(std::vector<int>({0, 2, 1}), slots);
        EXPECT_EQ(3, ImageList_GetImageCount(flags));
        ImageList_Destroy(flags);
    }
    Dpi_ResetCache();
}

// Resource symbols of Orvalen. Language packs carry a copy of this file: their texts
// are keyed by these names, and the ids come from here.
// Id ranges: strings 0-999 and 30000-30999, dialogs and their controls 2000-2999,
// menus and menu commands 3000-3999.
#pragma once

// Strings.
#define IDS_PRODUCT_NAME                0
#define IDS_TODAY_ADD_ALARM             235
#define IDS_TODAY_ADD_TIMER             240
#define IDS_START_SLIDESHOW             305
#define IDS_TODAY_CANCEL_SNOOZE         339
#define IDS_TODAY_RESTART_TIMER         376
#define IDS_TODAY_SKIP_NEXT_ALARM       406
#define IDS_TODAY_RUN_PROGRAM           407
#define IDS_TODAY_TITLE                 408
#define IDS_TODAY_NOTHING_PENDING       409
#define IDS_START_STOPWATCH             410
#define IDS_MENU_SHORTCUT               432
#define IDS_CANCEL                      30031
#define IDS_ALARMS                      30048
#define IDS_SOUND                       30051
#define IDS_ACTIVE                      30055
#define IDS_VIBRATE                     30059
#define IDS_EDIT                        30060
#define IDS_TIMERS                      30080
#define IDS_START                       30089
#define IDS_STOP                        30091
#define IDS_DELETE                      30102
#define IDS_DURATION_MIN                30069
#define IDS_DURATION_HOUR               30070
#define IDS_DURATION_HOURS              30071
#define IDS_CANCEL_SNOOZE               30079

// The main window: frame, pages and the alarms page's list, buttons and menu. Menu
// command ids are the string ids of their texts, hot-key ids the commands they stand for.
#define IDS_HELP                        2052
#define IDS_SETTINGS                    30025
#define IDS_EXIT                        30073
#define IDS_ON                          30013
#define IDS_OFF                         30014
#define IDS_DELETE_ALARM_QUESTION       30017
#define IDS_DELETE_TIMER_QUESTION       30018
#define IDS_CLOCK                       30146
#define IDS_STOPWATCH                   30112
#define IDS_NAME                        30049
#define IDS_TIME                        30050
#define IDS_ADD                         30052
#define IDS_EDIT_BUTTON                 30054
#define IDS_NOTIFY_ONCE                 30056
#define IDS_PLAY_SOUND                  30057
#define IDS_BLINK_LED                   30058
#define IDS_DELETE_ALARM_MENU           30061
#define IDS_FLASH_LIGHT                 30062
#define IDS_ALARM                       30075
#define IDS_MAKE_A_COPY                 35036
// Commands the hardware buttons can be bound to.
#define IDS_KEY_PAUSE_STOPWATCH         232
#define IDS_KEY_RESET_STOPWATCH         233
#define IDS_KEY_SAVE_STOPWATCH          234
#define IDS_KEY_DELETE_ALARM            236
#define IDS_KEY_ALARM_PROPERTIES        237
#define IDS_KEY_START_PAUSE_TIMER       238
#define IDS_KEY_STOP_TIMER              239
#define IDS_KEY_DELETE_TIMER            241
#define IDS_KEY_TIMER_PROPERTIES        243
#define IDS_KEY_RESET_TIMER             244
#define IDS_KEY_START_STOPWATCH         30028
#define IDS_KEY_STOP_STOPWATCH          30030
#define IDS_KEY_PREVIOUS_TAB            30047
#define IDS_KEY_MAXIMIZE_CLOCK          30063
#define IDS_KEY_NEXT_TAB                35038
#define IDS_KEY_CONTEXT_MENU            35039
#define IDS_KEY_TOGGLE_ALARM            35040
// Names of the hardware keys.
#define IDS_KEYNAME_HOME                230
#define IDS_KEYNAME_WIRELESS            231
#define IDS_KEYNAME_RIGHT               30036
#define IDS_KEYNAME_UP                  30037
#define IDS_KEYNAME_DOWN                30038
#define IDS_KEYNAME_DIAL                30039
#define IDS_KEYNAME_HANGUP              30040
#define IDS_KEYNAME_CALENDAR            30041
#define IDS_KEYNAME_INBOX               30042
#define IDS_KEYNAME_CONTACTS            30043
#define IDS_KEYNAME_RECORDER            30045
#define IDS_KEYNAME_DPAD                30046
#define IDS_KEYNAME_LEFT                30391
#define IDS_KEYNAME_SOFTKEY1            35041
#define IDS_KEYNAME_SOFTKEY2            35042

// The language page.
#define IDD_LANGUAGE                    2000
#define IDC_LANGUAGE_LABEL              2001
#define IDC_LANGUAGE_LIST               2002
#define IDC_LANGUAGE_RESTART            2003
#define IDC_LANGUAGE_NOTE               2004

// The countdown before the reset action resets the device; its ids are fixed.
#define IDD_RESET_COUNTDOWN             2054
#define IDC_RESET_COUNTDOWN_TEXT        1304

// The main menu bar: a command button and a popup.
#define IDM_MAIN_MENUBAR                3000
#define IDM_MAIN_NEW_ALARM              3001
#define IDM_MAIN_NEW_TIMER              3002
#define IDM_MAIN_OPTIONS                3003
#define IDM_MAIN_ABOUT                  3004
#define IDM_MAIN_SHOW_CLOCK             3005

// The main window: its soft-key bar and its pages. These ids are fixed.
#define IDM_MAIN_WINDOW_MENUBAR         295
#define IDD_CLOCK_PAGE                  1190
#define IDD_ALARMS_PAGE                 1030
#define IDD_TIMERS_PAGE                 1040
#define IDD_STOPWATCH_PAGE              1050
#define IDD_ABOUT_PAGE                  1060
#define IDC_ALARMS_LIST                 10300
#define IDC_ALARMS_ADD                  10301
#define IDC_ALARMS_CANCEL_SNOOZE        10302
#define IDC_ALARMS_EDIT                 10303
#define IDI_ALARM_ACTIVE                101
#define IDI_ADD                         104
#define IDI_ADD_DISABLED                105
#define IDI_ALARM_INACTIVE              106
#define IDI_CANCEL_SNOOZE               107
#define IDI_EDIT                        111
#define IDI_EDIT_DISABLED               112
#define IDI_CANCEL_SNOOZE_DISABLED      120

// Framework: the frame of framed dialogs, the tab host and the soft-key bars. Their
// ids lie outside the ranges above; language packs name them by these symbols.
#define IDI_PROGRAM                     100
#define IDM_FRAME_MENUBAR               299
#define IDB_TOOLBAR                     300
#define IDB_TOOLBAR_LARGE               303
#define IDD_TAB_DIALOG                  1020
#define IDD_FRAME_SMALL                 1170
#define IDD_FRAME_LARGE                 1180
#define IDM_LEGACY_MENUBAR              2000
#define IDM_TAB_MENUBAR                 2003
#define IDM_FRAME_OK                    2050
#define IDM_FRAME_CANCEL                2051
#define IDM_FRAME_HELP                  2052
#define IDC_TAB_STRIP                   10200
#define IDC_FRAME_ICON                  10701
#define IDC_FRAME_ICON_EXTRA            10702
#define IDC_FRAME_TITLE                 11700

// Bitmap fonts of the digital displays: a glyph table ("FONTS") and its glyph strip
// ("IMAGES"), small below 192 DPI, large from there.
#define IDR_FONT_SMALL                  222
#define IDR_FONT_SMALL_STRIP            223
#define IDR_FONT_LARGE_STRIP            255
#define IDR_FONT_LARGE                  256

// Built-in ring sounds ("WAVE"), made with sox at build time (resources/sounds): the
// default ring, also rung when another sound is missing, and the volume slider's sample.
#define IDR_SOUND_RING                  200
#define IDR_SOUND_SAMPLE                201

// Flags of the languages a pack may offer (icons of 16 and 32 pixels).
#define IDI_FLAG_UKRAINIAN              308
#define IDI_FLAG_CHINESE_PRC            309
#define IDI_FLAG_SPANISH_COLOMBIA       310
#define IDI_FLAG_CZECH                  311
#define IDI_FLAG_DANISH                 312
#define IDI_FLAG_DUTCH                  313
#define IDI_FLAG_ENGLISH_US             314
#define IDI_FLAG_FRENCH                 315
#define IDI_FLAG_GERMAN                 316
#define IDI_FLAG_ITALIAN                317
#define IDI_FLAG_JAPANESE               318
#define IDI_FLAG_POLISH                 319
#define IDI_FLAG_PORTUGUESE             320
#define IDI_FLAG_RUSSIAN                321
#define IDI_FLAG_SPANISH                322
#define IDI_FLAG_CHINESE_TAIWAN         323
#define IDI_FLAG_TURKISH                324
#define IDI_FLAG_FINNISH                334
#define IDI_FLAG_SWEDISH                335
#define IDI_FLAG_HEBREW                 338
#define IDI_FLAG_GREEK                  344
#define IDI_FLAG_SLOVENIAN              345
#define IDI_FLAG_PORTUGUESE_BRAZIL      346
#define IDI_FLAG_LITHUANIAN             387
#define IDI_FLAG_NORWEGIAN              392
#define IDI_FLAG_HUNGARIAN              402

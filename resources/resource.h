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
#define IDS_RING_DISMISS                245
#define IDS_RING_TARGET                 377
#define IDS_RING_KNOB                   378
#define IDS_RING_ALARM_CAPTION          30076
#define IDS_RING_TIMER_CAPTION          30077
#define IDS_RING_NEXT_TIMER             30083
#define IDS_RING_CLOSE                  30143
#define IDS_RING_SNOOZE                 30147
#define IDS_CANCEL_SNOOZE               30079

// The language page.
#define IDD_LANGUAGE                    2000
#define IDC_LANGUAGE_LABEL              2001
#define IDC_LANGUAGE_LIST               2002
#define IDC_LANGUAGE_RESTART            2003
#define IDC_LANGUAGE_NOTE               2004

// The countdown before the reset action resets the device; its ids are fixed.
#define IDD_RESET_COUNTDOWN             2054
#define IDC_RESET_COUNTDOWN_TEXT        1304

// The ring screens; their ids are fixed. The commands are the ids of their texts.
#define IDD_ALARM_RING                  350
#define IDD_TIMER_RING                  1276
#define IDC_RING_TITLE                  1275
#define IDC_RING_CLOCK                  1282
#define IDC_RING_NEXT_TIMER             1220
#define IDC_RING_SLIDE_LABEL            1307
#define IDM_ALARM_RING_MENUBAR          227
#define IDM_TIMER_RING_MENUBAR          228
#define IDM_RING_DISMISS                30036
#define IDM_RING_SNOOZE                 30037
#define IDM_RING_GOTO                   30039
#define IDM_RING_RESTART                30060
#define IDM_RING_STOP                   30064
#define IDD_SNOOZE_CHOOSER              1227
#define IDC_SNOOZE_COUNTDOWN            1266
#define IDC_SNOOZE_LIST                 1268
#define IDC_SNOOZE_CANCEL               1215
#define IDM_SNOOZE_MENUBAR              341
#define IDR_RING_BUBBLE_ICON            202

// The main menu bar: a command button and a popup.
#define IDM_MAIN_MENUBAR                3000
#define IDM_MAIN_NEW_ALARM              3001
#define IDM_MAIN_NEW_TIMER              3002
#define IDM_MAIN_OPTIONS                3003
#define IDM_MAIN_ABOUT                  3004
#define IDM_MAIN_SHOW_CLOCK             3005

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

// Pictures of the ring screens ("IMAGES"), drawn for 192 DPI.
#define IDR_RING_FIRST_BUTTON           354
#define IDR_RING_FIRST_BUTTON_PRESSED   355
#define IDR_RING_SECOND_BUTTON          358
#define IDR_RING_SECOND_BUTTON_PRESSED  359
#define IDR_RING_ALARM_PICTURE          360
#define IDR_RING_TIMER_PICTURE          371
#define IDR_RING_KNOB                   373
#define IDR_RING_TARGET                 375
#define IDR_RING_KNOB_OVER_TARGET       377

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

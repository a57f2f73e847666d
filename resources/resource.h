// Resource symbols of Orvalen. Language packs carry a copy of this file: their texts
// are keyed by these names, and the ids come from here.
// Id ranges: strings 0-999 and 30000-30999, dialogs and their controls 2000-2999,
// menus and menu commands 3000-3999.
#pragma once

// Strings.
#define IDS_PRODUCT_NAME                0
#define IDS_TODAY_ADD_ALARM             235
#define IDS_TODAY_ADD_TIMER             240
#define IDS_START_SCREENSAVER           271
#define IDS_NO_PICTURES                 304
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
#define IDS_RECORDER_FAILED             330
#define IDS_RECORDER_NO_ROOM            361
#define IDS_RECORDER_LOW_MEMORY         362
#define IDS_RECORDER_TOO_SLOW           363
#define IDS_RECORDER_CARD_BEHIND        364
#define IDS_RECORDER_NOT_CREATED        365
#define IDS_RECORDER_WRITE_FAILED       366
#define IDS_RECORDER_KEPT               367
#define IDS_RECORDER_NOT_KEPT           368
#define IDS_CLOCK_SETTINGS              30368
#define IDS_CHIME                       30369
#define IDS_SCREEN_SAVER                30370
#define IDS_SKINS                       30371

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
#define IDM_RESET_COUNTDOWN_MENUBAR     3710

// The recorder dialog; its ids are fixed.
#define IDD_RECORDER                    327
#define IDC_RECORDER_LABEL              1250
#define IDC_RECORDER_TIME               1251
#define IDC_RECORDER_RECORD             1252
#define IDC_RECORDER_PLAY               1253
#define IDC_RECORDER_SECONDS            1254

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
// The timers and stopwatch pages: their ids are fixed.
#define IDC_TIMERS_LIST                 10400
#define IDC_TIMERS_ADD                  10401
#define IDC_TIMERS_DELETE               10402
#define IDC_TIMERS_EDIT                 10403
#define IDC_TIMERS_START                10404
#define IDC_TIMERS_RESET                10405
#define IDC_TIMERS_STOP                 10406
#define IDC_STOPWATCH_LAPS              10500
#define IDC_STOPWATCH_LAPS_PREVIOUS     10501
#define IDC_STOPWATCH_START             10502
#define IDC_STOPWATCH_PAUSE             10503
#define IDC_STOPWATCH_STOP              10505
#define IDC_STOPWATCH_CLEAR             10506
#define IDC_STOPWATCH_SAVE              10507
#define IDC_STOPWATCH_DISPLAY           1148
#define IDI_TIMER                       102
#define IDI_STOPWATCH                   103
#define IDI_PAUSE                       109
#define IDI_PAUSE_DISABLED              110
#define IDI_STAGE                       113
#define IDI_STAGE_DISABLED              114
#define IDI_START                       115
#define IDI_START_DISABLED              116
#define IDI_STOP                        117
#define IDI_STOP_DISABLED               118
#define IDI_TIMER_TEMPLATE              119
#define IDI_SAVE                        225
#define IDI_CLEAR                       226
#define IDI_RESET                       293
#define IDI_RESET_DISABLED              294
#define IDI_RECORD_BUTTON               332
#define IDS_TIMER                       30078
#define IDS_TIMER_NAME                  30081
#define IDS_TIMER_TIME                  30082
#define IDS_TIMER_STATE                 30084
#define IDS_TIMER_SOUND                 30085
#define IDS_TIMER_ADD                   30086
#define IDS_TIMER_DELETE_BUTTON         30087
#define IDS_TIMER_EDIT_BUTTON           30088
#define IDS_TIMER_PLAY_SOUND            30096
#define IDS_TIMER_BLINK_LED             30097
#define IDS_TIMER_VIBRATE               30098
#define IDS_TIMER_START                 30099
#define IDS_TIMER_STOP_ALT              30100
#define IDS_TIMER_STOP                  30101
#define IDS_TIMER_EDIT                  30103
#define IDS_TIMER_FLASH_LIGHT           30104
#define IDS_TIMER_RESET                 34005
#define IDS_STOPWATCH_START             30113
#define IDS_STOPWATCH_PAUSE             30114
#define IDS_STOPWATCH_STAGE             30115
#define IDS_STOPWATCH_STOP              30116
#define IDS_STOPWATCH_CLEAR             30117
#define IDS_STOPWATCH_SAVE              30118
#define IDS_STOPWATCH_CLEAR_QUESTION    30119
#define IDS_STOPWATCH_NOTHING_TO_SAVE   30120
#define IDS_STOPWATCH_LATEST_RUN        30700
#define IDS_STOPWATCH_PREVIOUS_RUN      30701
#define IDS_ALARMS_EMPTY_HINT           30702
#define IDS_TIMERS_EMPTY_HINT           30703

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
// The built-in clock skin (a zip archive) and the clock's unread indicators.
#define IDR_SKIN_DEFAULT                250
#define IDR_INDICATOR_SMS               434
#define IDR_INDICATOR_MISSED            435
#define IDR_INDICATOR_EMAIL             436

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

// The item editors: the sound and vibration pages, the settings sheets, the alarm
// sheet and the timer dialog. Template and control ids are fixed; language packs name
// them by these symbols.
#define IDS_RECORD_SOUND                303
#define IDS_TIMER_TOO_SHORT             306
#define IDS_ACTION_CHANGE_TIME_ZONE     336
#define IDS_ACTION_ENABLE_WIFI          388
#define IDS_ACTION_DISABLE_WIFI         389
#define IDS_ACTION_CLOSE_GPRS           401
#define IDS_ACTION_POWER_OFF            403
#define IDS_ACTION_START_INTERNET       417
#define IDS_ACTION_CHANGE_VOLUME        418
#define IDS_SOUND_DEFAULT               30015
#define IDS_SOUND_PLAY_FAILED           30016
#define IDS_ACTION_START_TIMER          30019
#define IDS_ACTION_STOP_TIMER           30020
#define IDS_ALARM_NOT_ACTIVE            30023
#define IDS_ALARM_NOT_ACTIVE_CAPTION    30024
#define IDS_DAY_LETTERS                 30032
#define IDS_SOUND_PROFILES              30092
#define IDS_VIBRO_PROFILES              30093
#define IDS_SNOOZE_TYPE_SNOOZE          30123
#define IDS_SNOOZE_TYPE_AUTOSNOOZE      30124
#define IDS_SNOOZE_TYPE_AUTOCLOSE       30125
#define IDS_ACTION_NONE                 30127
#define IDS_ACTION_EXECUTE              30128
#define IDS_ACTION_RESET                30130
#define IDS_ACTION_BLUETOOTH_ON         30131
#define IDS_ACTION_BLUETOOTH_OFF        30132
#define IDS_ACTION_SUSPEND              30133
#define IDS_NEXT_TIMER_SELF             30141
#define IDS_NEXT_TIMER_MISSING          30142
#define IDS_ACTION_SEND_SMS             30153
#define IDS_ACTION_FLIGHT_MODE_ON       30154
#define IDS_ACTION_FLIGHT_MODE_OFF      30155
#define IDS_ALARM_SHEET_CAPTION         30176
#define IDS_ALARM_TAB_MAIN              30177
#define IDS_ALARM_TAB_ACTIONS           30178
#define IDS_TIMER_DIALOG_CAPTION        30208
#define IDS_TIMER_TAB_MAIN              30209
#define IDS_TIMER_TAB_ACTIONS           30210
#define IDS_SOUND_TEST                  30305
#define IDS_SOUND_STOP                  30306
#define IDS_ENTER_VALUE_RANGE           30307
#define IDS_VIBRO_ENTER_VALUE_RANGE     30337
#define IDS_VIBRO_CYCLE_CAPTION         30339
#define IDS_VIBRO_TEST                  30340
#define IDS_VIBRO_STOP                  30341
#define IDS_CHIME_SOUND_CAPTION         30384
#define IDS_DEFAULT_SOUND_CAPTION       31500
#define IDS_SOUND_NOT_FOUND             31503
#define IDS_VIBRO_TAB                   35037

// The "Profiles" popup of the settings sheets; its commands are the ids of their texts.
#define IDM_PROFILES                    2060
#define IDM_PROFILES_SET_DEFAULT        30019
#define IDM_PROFILES_RESET              30022
#define IDM_PROFILES_RECORD             303

#define IDD_ALARM_PAGE                  1090
#define IDD_ALARM_PAGE_WIDE             1222
#define IDC_ALARM_TIME_LABEL            10900
#define IDC_ALARM_TIME                  10901
#define IDC_ALARM_SNOOZE_LABEL          10902
#define IDC_ALARM_SNOOZE                10903
#define IDC_ALARM_TITLE_LABEL           10904
#define IDC_ALARM_TITLE                 10905
#define IDC_ALARM_ACTIVE                10906
#define IDC_ALARM_NOTIFY_ONCE           10907
#define IDC_ALARM_FORCE_SNOOZE          10909
#define IDC_ALARM_DAYS_LABEL            10912
#define IDC_ALARM_DAYS                  10913
#define IDC_ALARM_SNOOZE_TYPE           1189

#define IDD_EVENT_PAGE                  1100
#define IDC_EVENT_SHOW_DIALOG           11000
#define IDC_EVENT_BLINK_LED             11001
#define IDC_EVENT_PLAY_SOUND            11002
#define IDC_EVENT_VIBRATE               11004
#define IDC_EVENT_ACTION_LABEL          11005
#define IDC_EVENT_ACTION_SETTINGS       11008
#define IDC_EVENT_FLASH_LIGHT           10909
#define IDC_EVENT_NIGHT_COLORS          1305
#define IDC_EVENT_ACTION                1191

#define IDD_TIMER_PAGE                  1120
#define IDC_TIMER_TITLE_LABEL           11200
#define IDC_TIMER_TITLE                 11201
#define IDC_TIMER_TIME_LABEL            11202
#define IDC_TIMER_TIME                  11203
#define IDC_TIMER_TEMPLATE              11206
#define IDC_TIMER_NEXT_LABEL            11207
#define IDC_TIMER_KEEP_ON               1190
#define IDC_TIMER_NEXT                  1212
#define IDC_TIMER_NEXT_MANUALLY         1214
#define IDC_TIMER_SNOOZE_LABEL          1325
#define IDC_TIMER_SNOOZE_TYPE           1326
#define IDC_TIMER_SNOOZE                1327

#define IDD_SOUND_PAGE                  1140
#define IDC_SOUND_FOLDER                1308
#define IDC_SOUND_FILE                  11401
#define IDC_SOUND_TEST                  11403
#define IDC_SOUND_REPEATING             11404
#define IDC_SOUND_REPEAT                11405
#define IDC_SOUND_REPSPLIT              11406
#define IDC_SOUND_REPEAT_SPIN           11407
#define IDC_SOUND_REPEAT_LABEL          11408
#define IDC_SOUND_ASCENDING             11409
#define IDC_SOUND_REPSPLIT_LABEL        11410
#define IDC_SOUND_REPSPLIT_SPIN         11411
#define IDC_SOUND_ASCTIME               11412
#define IDC_SOUND_ASCTIME_LABEL         11413
#define IDC_SOUND_ASCTIME_SPIN          11414
#define IDC_SOUND_VOLUME                11415
#define IDC_SOUND_VOLUME_LABEL          11416
#define IDC_SOUND_LIST                  11418
#define IDC_SOUND_LIST_LABEL            11419
#define IDC_SOUND_RESPECT_SYSTEM        11420
#define IDC_SOUND_VOLUME_VALUE          11421

#define IDD_VIBRATION_PAGE              1150
#define IDC_VIBRO_BEFORE_SOUND          11500
#define IDC_VIBRO_WITH_SOUND            11501
#define IDC_VIBRO_FIXED                 11502
#define IDC_VIBRO_BEFORE_TIME           11503
#define IDC_VIBRO_BEFORE_SPIN           11504
#define IDC_VIBRO_FIXED_SPIN            11505
#define IDC_VIBRO_FIXED_TIME            11506
#define IDC_VIBRO_ADVANCED              1202

#define IDD_VIBRATION_CYCLE             1160
#define IDC_CYCLE_ON_LABEL              11601
#define IDC_CYCLE_OFF_LABEL             11602
#define IDC_CYCLE_ON                    11603
#define IDC_CYCLE_OFF                   11604
#define IDC_CYCLE_ON_SPIN               11605
#define IDC_CYCLE_OFF_SPIN              11606
#define IDC_CYCLE_TEST                  11607

// The clock page and the slide-show settings page; their ids are fixed.
#define IDI_CLOCK_PAGE                  122
#define IDS_SLIDESHOW_CAPTION           30035
#define IDS_EFFECT_NONE                 30072
#define IDS_EFFECT_SMOOTH               30067
#define IDS_EFFECT_VERTICAL_LINES       30094
#define IDS_EFFECT_HORIZONTAL_LINES     30121
#define IDS_EFFECT_RANDOM               30122
#define IDS_SIZE_ORIGINAL               30106
#define IDS_SIZE_FIT                    30107
#define IDS_SIZE_STRETCH                30108
#define IDS_SIZE_SMART_FILL             272
#define IDD_SLIDESHOW                   266
#define IDC_SLIDESHOW_FOLDER_LABEL      1241
#define IDC_SLIDESHOW_FOLDER            1175
#define IDC_SLIDESHOW_BROWSE            1176
#define IDC_SLIDESHOW_DELAY_LABEL       1242
#define IDC_SLIDESHOW_DELAY_UNITS       1243
#define IDC_SLIDESHOW_DELAY             1185
#define IDC_SLIDESHOW_EFFECT_LABEL      1244
#define IDC_SLIDESHOW_EFFECT            1179
#define IDC_SLIDESHOW_SIZE_LABEL        1245
#define IDC_SLIDESHOW_SIZE              1180
#define IDC_SLIDESHOW_SHUFFLE           1186
#define IDC_SLIDESHOW_OPTIMIZE          1188
// The action editors and the screen saver's exceptions dialog. Template, caption and
// control ids are fixed; labels, the SMS error and the file filter names are ours.
#define IDS_EXCEPTIONS_CAPTION          269
#define IDS_TIME_ZONE_CAPTION           337
#define IDS_WRONG_FILE_PATH             390
#define IDS_TIMER_CHOOSER_CAPTION       394
#define IDS_SELECT_OR_CANCEL            395
#define IDS_PIN_CAPTION                 437
#define IDS_OK                          2050
#define IDS_BLUETOOTH_OPTIONS_CAPTION   30109
#define IDS_EXECUTE_OPTIONS_CAPTION     30126
#define IDS_SMS_OPTIONS_CAPTION         30152
#define IDS_SMS_ERROR                   31300
#define IDS_FILTER_PROGRAMS             31301
#define IDS_FILTER_ALL                  31302

#define IDD_EXCEPTIONS                  268
#define IDC_EXCEPTIONS_LIST             1182
#define IDC_EXCEPTIONS_ADD              1183
#define IDC_EXCEPTIONS_DELETE           1184

#define IDD_SMS_OPTIONS                 301
#define IDC_SMS_RECIPIENT               1231
#define IDC_SMS_MESSAGE                 1232
#define IDC_SMS_CHOOSE                  1233
#define IDC_SMS_DELIVERY                1234
#define IDC_SMS_TEST                    1285
#define IDC_SMS_RECIPIENT_LABEL         3300
#define IDC_SMS_MESSAGE_LABEL           3301

#define IDD_EXECUTE_OPTIONS             273
#define IDC_EXECUTE_COMMAND             1192
#define IDC_EXECUTE_CHOOSE              1193
#define IDC_EXECUTE_TEST                1194
#define IDC_EXECUTE_ON_DISMISS          1332
#define IDC_EXECUTE_COMMAND_LABEL       3302

#define IDD_BLUETOOTH_OPTIONS           298
#define IDC_BLUETOOTH_CONNECTABLE       1205
#define IDC_BLUETOOTH_DISCOVERABLE      1207

#define IDD_TIME_ZONE                   1226
#define IDC_TIME_ZONE_LIST              1259

#define IDD_TIMER_CHOOSER               2053
#define IDC_TIMER_CHOOSER               1287
#define IDC_TIMER_CHOOSER_LABEL         3303

#define IDD_VOLUME_OPTIONS              2056
#define IDC_VOLUME_ON                   1314
#define IDC_VOLUME_OFF                  1315
#define IDC_VOLUME_VIBRATE              1316
#define IDC_VOLUME_SYSTEM_LABEL         1317
#define IDC_VOLUME_SYSTEM               1318
#define IDC_VOLUME_SYSTEM_VALUE         1319
#define IDC_VOLUME_RING                 1320
#define IDC_VOLUME_RING_VALUE           1321
#define IDC_VOLUME_RING_LABEL           1322

#define IDD_PIN                         2057
#define IDC_PIN_CODE                    1334
#define IDC_PIN_LABEL                   3304
// The main-menu popup, the options sheet with its pages and dialogs, and the about page.
// Ids the pages do not share with older versions lie in 31500-31699 (strings) and
// 3500-3699 (controls).
#define IDS_ABOUT                       30144
#define IDS_LANGUAGES                   30065
#define IDS_OPTIONS_CAPTION             30385
#define IDS_TAB_CHIME                   30386
#define IDS_TAB_SCREEN_SAVER            30387
#define IDS_TAB_SKINS                   30388
#define IDS_TAB_SYSTEM                  30389
#define IDS_TAB_BUTTONS                 30390
#define IDS_TAB_INTERFACE               30140
#define IDS_TAB_ATOMIC_CLOCK            414
#define IDS_CHIME_QUARTERLY             30148
#define IDS_CHIME_HALF_HOUR             30149
#define IDS_CHIME_HOURLY                30150
#define IDS_CHIME_INDICATION            419
#define IDS_SHOW_SLIDE_SHOW             421
#define IDS_SHOW_ANALOG_CLOCK           30129
#define IDS_BUTTONS_ACTION              30034
#define IDS_BUTTONS_BUTTON              30033
#define IDS_LANGUAGE_FULL_NAME          325
#define IDS_RESTART_QUESTION            35035
#define IDS_REPAIR_DONE                 379
#define IDS_STYLE_STANDARD              333
#define IDS_STYLE_FULL_SCREEN           335
#define IDS_LAST_SYNC                   415
#define IDS_SYNC_FAILED                 416
#define IDS_ABOUT_SCREENSHOT            30110
#define IDS_ABOUT_CONTACT               30111
#define IDS_SCREENSHOT_SAVED            30135
#define IDS_SCREENSHOT_FAILED           30136
#define IDS_ABOUT_NOTICE                31501
#define IDS_SKINS_MORE                  31502

#define IDI_MENU_ABOUT                  292
#define IDI_MENU_SETTINGS               347
#define IDI_CHIME_SHEET                 348
#define IDI_MENU_ALARMS                 425
#define IDR_MENU_CELL                   423
#define IDB_ABOUT_PICTURE               182
#define IDM_MAIN_MENU_POPUP             422

#define IDD_CHIME_PAGE                  1200
#define IDC_CHIME_ENABLE                12000
#define IDC_CHIME_QUIET                 12001
#define IDC_CHIME_FROM_LABEL            12002
#define IDC_CHIME_FROM                  12003
#define IDC_CHIME_TO_LABEL              12004
#define IDC_CHIME_TO                    12005
#define IDC_CHIME_INDICATION            12006
#define IDC_CHIME_TYPE                  1229
#define IDC_CHIME_HOURS                 1236
#define IDC_CHIME_SOUND                 1300
#define IDC_CHIME_VIBRATE               1301

#define IDD_SCREEN_SAVER_PAGE           1210
#define IDC_SAVER_ENABLE                12100
#define IDC_SAVER_TIMEOUT               12101
#define IDC_SAVER_TIMEOUT_LABEL         12102
#define IDC_SAVER_SLIDE_SHOW            1169
#define IDC_SAVER_USE_EXCEPTIONS        1173
#define IDC_SAVER_EXCEPTIONS            1174
#define IDC_SAVER_LOCK                  1302
#define IDC_SAVER_RUN_AT_SYSTEM         1303
#define IDC_SAVER_BATTERY_LABEL         1322
#define IDC_SAVER_BATTERY               1287
#define IDC_SAVER_AC_LABEL              1323
#define IDC_SAVER_AC                    1324

#define IDD_LANGUAGES_PAGE              263
#define IDC_LANGUAGES_LIST              1164
#define IDC_LANGUAGES_CURRENT           1166
#define IDC_LANGUAGES_CURRENT_LABEL     3500

#define IDD_SKIN_PAGE                   1220
#define IDC_SKIN_LABEL                  1240
#define IDC_SKIN_LIST                   12200
#define IDC_SKIN_MORE                   12104

#define IDD_GENERAL_PAGE                212
#define IDC_GENERAL_CLOSE_ON_MINIMIZE   1147
#define IDC_GENERAL_STOPWATCH_KEEP_ON   1163
#define IDC_GENERAL_OBEY_POWER          1203
#define IDC_GENERAL_NO_AC_VIBRO         1235
#define IDC_GENERAL_DELETE_ONCE         1313
#define IDC_GENERAL_AUTOSNOOZE          1290
#define IDC_GENERAL_AUTOSNOOZE_SPIN     1291
#define IDC_GENERAL_AUTOSNOOZE_LABEL    3501
#define IDC_GENERAL_REPAIR              1283
#define IDC_GENERAL_SNOOZE_LIST         1298

#define IDD_INTERFACE_PAGE              1223
#define IDC_INTERFACE_STYLE_LABEL       3502
#define IDC_INTERFACE_STYLE             1255
#define IDC_INTERFACE_VIBRATION_ON      1328
#define IDC_INTERFACE_HEIGHT_LABEL      3503
#define IDC_INTERFACE_HEIGHT            1330
#define IDC_INTERFACE_HEIGHT_SPIN       1331

#define IDD_BUTTONS_PAGE                229
#define IDC_BUTTONS_MODE_LABEL          3504
#define IDC_BUTTONS_MODE                1149
#define IDC_BUTTONS_LIST_LABEL          3505
#define IDC_BUTTONS_LIST                1152
#define IDC_BUTTONS_ASSIGN              1153
#define IDC_BUTTONS_RESET               1160

#define IDD_ATOMIC_CLOCK_PAGE           2055
#define IDC_ATOMIC_ENABLE               1310
#define IDC_ATOMIC_SERVER               1287
#define IDC_ATOMIC_TIME_LABEL           3506
#define IDC_ATOMIC_TIME                 1311
#define IDC_ATOMIC_STATUS               1312
#define IDC_ATOMIC_SYNC_NOW             1308

#define IDD_SNOOZE_TIME                 397
#define IDC_SNOOZE_LIST                 1268
#define IDC_SNOOZE_PICKER               1299
#define IDC_SNOOZE_SET                  1293

#define IDD_KEY_CAPTURE                 291
#define IDC_KEY_CAPTURE_TEXT            1249

#define IDD_ABOUT_PAGE_WIDE             1221
#define IDC_ABOUT_VERSION               10600
#define IDC_ABOUT_NAME                  10601
#define IDC_ABOUT_NOTICE                10602
#define IDC_ABOUT_LINK                  10603
#define IDC_ABOUT_ICON                  1325
#define IDC_ABOUT_PICTURE               1167

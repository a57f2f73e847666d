// Resource ids of the main program. String ids below 1000 and from 30000 up
// name texts that language packs translate.
#pragma once

// Texts of the Today item, written to today_translation.txt at every start.
#define IDS_TODAY_RESTART_TIMER     376
#define IDS_TODAY_RUN_PROGRAM       407
#define IDS_TODAY_CANCEL_SNOOZE     339
#define IDS_TODAY_SKIP_NEXT_ALARM   406
#define IDS_TODAY_ADD_ALARM         235
#define IDS_TODAY_ADD_TIMER         240
#define IDS_TODAY_TITLE             408
#define IDS_TODAY_NOTHING_PENDING   409
#define IDS_ALARMS                  30048
#define IDS_TIMERS                  30080
#define IDS_ACTIVE                  30055
#define IDS_DELETE                  30102
#define IDS_SOUND                   30051
#define IDS_VIBRATE                 30059
#define IDS_STOP                    30091
#define IDS_START                   30089
#define IDS_EDIT                    30060
#define IDS_CANCEL                  30031

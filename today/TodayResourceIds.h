#pragma once
// The Today item's icons, in its own library's resources.
#define IDI_TODAY_ITEM 101
#define IDI_TODAY_BUTTON_OPEN 104     // the expand button while the popup is open
#define IDI_TODAY_BUTTON_CLOSED 105   // ... while it is closed
#define IDI_TODAY_TIMER 107
#define IDI_TODAY_CHECK 108           // check mark of the command menu
#define IDI_TODAY_MENU_TIMERS 110
#define IDI_TODAY_MENU_ALARMS 111
#define IDI_TODAY_ALARM 112
#define IDI_TODAY_MENU_TEMPLATE 114   // a timer template in the command menu
#define IDI_TODAY_MENU_ALARM_OFF 117  // an alarm that will not ring, in the command menu

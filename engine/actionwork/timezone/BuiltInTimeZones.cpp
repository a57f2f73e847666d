#include "BuiltInTimeZones.h"

namespace {
// A yearly transition in the day-in-month form: the week-th (5 = last) day of week
// (0 Sunday) of the month, at hour:minute; year 0.
constexpr SYSTEMTIME Rule(WORD month, WORD week, WORD dayOfWeek, WORD hour, WORD minute) {
    return SYSTEMTIME{0, month, dayOfWeek, week, hour, minute, 0, 0};
}
// No daylight saving.
constexpr SYSTEMTIME kNoChange = {};

// Standard name, display name, daylight name, Bias, StandardBias, DaylightBias (minutes,
// UTC = local + Bias), the change to standard time, the change to daylight time.
const CITYDB_TIMEZONE kZones[kBuiltInTimeZoneCount] = {
    {L"Dateline Standard Time", L"GMT-12 Kwajalein", L"Dateline Daylight Time", 720, 0, -60,  // 0
     kNoChange, kNoChange},
    {L"Samoa Standard Time", L"GMT-11 Samoa, Midway", L"Samoa Daylight Time", 660, 0, -60,  // 1
     kNoChange, kNoChange},
    {L"Hawaiian Standard Time", L"GMT-10 Hawaii", L"Hawaiian Daylight Time", 600, 0, -60,  // 2
     kNoChange, kNoChange},
    {L"Alaskan Standard Time", L"GMT-9 Alaska", L"Alaskan Daylight Time", 540, 0, -60,  // 3
     Rule(11, 1, 0, 2, 0), Rule(3, 2, 0, 2, 0)},
    {L"Pacific Standard Time", L"GMT-8 Pacific US", L"Pacific Daylight Time", 480, 0, -60,  // 4
     Rule(11, 1, 0, 2, 0), Rule(3, 2, 0, 2, 0)},
    {L"Pacific Standard Time (Mexico)", L"GMT-8 Tijuana, Baja California", L"Pacific Daylight Time (Mexico)", 480, 0, -60,  // 5
     Rule(10, 5, 0, 2, 0), Rule(4, 1, 0, 2, 0)},
    {L"Mountain Standard Time", L"GMT-7 Mountain US", L"Mountain Daylight Time", 420, 0, -60,  // 6
     Rule(11, 1, 0, 2, 0), Rule(3, 2, 0, 2, 0)},
    {L"Mexico Standard Time", L"GMT-7 Chihuahua, La Paz", L"Mexico Daylight Time", 420, 0, -60,  // 7
     Rule(10, 5, 0, 2, 0), Rule(4, 1, 0, 2, 0)},
    {L"US Mountain Standard Time", L"GMT-7 Arizona", L"US Mountain Daylight Time", 420, 0, -60,  // 8
     kNoChange, kNoChange},
    {L"Central Standard Time", L"GMT-6 Central US", L"Central Daylight Time", 360, 0, -60,  // 9
     Rule(11, 1, 0, 2, 0), Rule(3, 2, 0, 2, 0)},
    {L"Canada Central Standard Time", L"GMT-6 Saskatchewan", L"Canada Central Daylight Time", 360, 0, -60,  // 10
     kNoChange, kNoChange},
    {L"Mexico Standard Time", L"GMT-6 Mexico City, Monterrey", L"Mexico Daylight Time", 360, 0, -60,  // 11
     Rule(10, 5, 0, 2, 0), Rule(4, 1, 0, 2, 0)},
    {L"Central America Standard Time", L"GMT-6 Cent. America", L"Central America Daylight Time", 360, 0, -60,  // 12
     kNoChange, kNoChange},
    {L"Eastern Standard Time", L"GMT-5 Eastern US", L"Eastern Daylight Time", 300, 0, -60,  // 13
     Rule(11, 1, 0, 2, 0), Rule(3, 2, 0, 2, 0)},
    {L"US Eastern Standard Time", L"GMT-5 Indiana (USA)", L"US Eastern Daylight Time", 300, 0, -60,  // 14
     kNoChange, kNoChange},
    {L"SA Pacific Standard Time", L"GMT-5 Bogota, Lima", L"SA Pacific Daylight Time", 300, 0, -60,  // 15
     kNoChange, kNoChange},
    {L"Atlantic Standard Time", L"GMT-4 Atlantic", L"Atlantic Daylight Time", 240, 0, -60,  // 16
     Rule(11, 1, 0, 2, 0), Rule(3, 2, 0, 2, 0)},
    {L"Central Brazilian Standard Time", L"GMT-4 Manaus", L"Central Brazilian Daylight Time", 240, 0, -60,  // 17
     Rule(3, 3, 0, 0, 0), Rule(10, 3, 0, 0, 0)},
    {L"SA Western Standard Time", L"GMT-4 Caracas, La Paz", L"SA Western Daylight Time", 240, 0, -60,  // 18
     kNoChange, kNoChange},
    {L"Pacific SA Standard Time", L"GMT-4 Santiago", L"Pacific SA Daylight Time", 240, 0, -60,  // 19
     Rule(3, 2, 6, 23, 0), Rule(10, 2, 6, 23, 0)},
    {L"Newfoundland Standard Time", L"GMT-3:30 Newfoundland", L"Newfoundland Daylight Time", 210, 0, -60,  // 20
     Rule(11, 1, 0, 2, 0), Rule(3, 2, 0, 2, 0)},
    {L"E. South America Standard Time", L"GMT-3 Brasilia", L"E. South America Daylight Time", 180, 0, -60,  // 21
     Rule(2, 2, 0, 2, 0), Rule(10, 3, 0, 2, 0)},
    {L"SA Eastern Standard Time", L"GMT-3 Buenos Aires", L"SA Eastern Daylight Time", 180, 0, -60,  // 22
     kNoChange, kNoChange},
    {L"Greenland Standard Time", L"GMT-3 Greenland", L"Greenland Daylight Time", 180, 0, -60,  // 23
     Rule(10, 5, 0, 2, 0), Rule(4, 1, 0, 2, 0)},
    {L"Mid-Atlantic Standard Time", L"GMT-2 Mid-Atlantic", L"Mid-Atlantic Daylight Time", 120, 0, -60,  // 24
     Rule(9, 5, 0, 2, 0), Rule(3, 5, 0, 2, 0)},
    {L"Azores Standard Time", L"GMT-1 Azores", L"Azores Daylight Time", 60, 0, -60,  // 25
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"Cape Verde Standard Time", L"GMT-1 Cape Verde", L"Cape Verde Daylight Time", 60, 0, -60,  // 26
     kNoChange, kNoChange},
    {L"GMT", L"GMT London, Dublin", L"British Summer Time", 0, 0, -60,  // 27
     Rule(10, 5, 0, 2, 0), Rule(3, 5, 0, 1, 0)},
    {L"GMT Standard Time", L"GMT Casablanca", L"GMT DST", 0, 0, -60,  // 28
     kNoChange, kNoChange},
    {L"Central Europe Standard Time", L"GMT+1 Prague, Budapest", L"Central Europe Daylight Time", -60, 0, -60,  // 29
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"Central European Standard Time", L"GMT+1 Warsaw", L"Central European Daylight Time", -60, 0, -60,  // 30
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"Romance Standard Time", L"GMT+1 Paris, Madrid", L"Romance Daylight Time", -60, 0, -60,  // 31
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"W. Europe Standard Time", L"GMT+1 Berlin, Rome", L"W. Europe Daylight Time", -60, 0, -60,  // 32
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"West Central Africa Standard Time", L"GMT+1 W Cent Africa", L"West Central Africa Daylight Time", -60, 0, -60,  // 33
     kNoChange, kNoChange},
    {L"E. Europe Standard Time", L"GMT+2 Minsk", L"E. Europe Daylight Time", -120, 0, -60,  // 34
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"Egypt Standard Time", L"GMT+2 Cairo", L"Egypt Daylight Time", -120, 0, -60,  // 35
     Rule(9, 5, 4, 23, 0), Rule(4, 5, 5, 0, 0)},
    {L"FLE Standard Time", L"GMT+2 Helsinki, Riga, Sofia", L"FLE Daylight Time", -120, 0, -60,  // 36
     Rule(10, 5, 0, 4, 0), Rule(3, 5, 0, 3, 0)},
    {L"GTB Standard Time", L"GMT+2 Athens, Istanbul", L"GTB Daylight Time", -120, 0, -60,  // 37
     Rule(10, 5, 0, 4, 0), Rule(3, 5, 0, 3, 0)},
    {L"Jordan Standard Time", L"GMT+2 Amman", L"Jordan Daylight Time", -120, 0, -60,  // 38
     Rule(9, 5, 5, 1, 0), Rule(3, 5, 4, 0, 0)},
    {L"Middle East Standard Time", L"GMT+2 Beirut", L"Middle East Daylight Time", -120, 0, -60,  // 39
     Rule(10, 5, 0, 0, 0), Rule(3, 5, 0, 0, 0)},
    {L"Israel Standard Time", L"GMT+2 Jerusalem", L"Israel Daylight Time", -120, 0, -60,  // 40
     kNoChange, kNoChange},
    {L"Namibia Standard Time", L"GMT+2 Windhoek", L"Namibia Daylight Time", -120, 0, 60,  // 41
     Rule(9, 1, 0, 2, 0), Rule(4, 1, 0, 2, 0)},
    {L"South Africa Standard Time", L"GMT+2 Pretoria", L"South Africa Daylight Time", -120, 0, -60,  // 42
     kNoChange, kNoChange},
    {L"Russian Standard Time", L"GMT+3 Moscow", L"Russian Daylight Time", -180, 0, -60,  // 43
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"Georgian Standard Time", L"GMT+3 Tbilisi", L"Georgian Daylight Time", -180, 0, -60,  // 44
     Rule(10, 4, 0, 3, 0), Rule(4, 4, 0, 2, 0)},
    {L"Arab Standard Time", L"GMT+3 Riyadh, Kuwait", L"Arab Daylight Time", -180, 0, -60,  // 45
     kNoChange, kNoChange},
    {L"East Africa Standard Time", L"GMT+3 Nairobi", L"East Africa Daylight Time", -180, 0, -60,  // 46
     kNoChange, kNoChange},
    {L"Arabic Standard Time", L"GMT+3 Baghdad", L"Arabic Daylight Time", -180, 0, -60,  // 47
     Rule(10, 1, 0, 4, 0), Rule(4, 1, 0, 3, 0)},
    {L"Iran Standard Time", L"GMT+3:30 Tehran", L"Iran Daylight Time", -210, 0, -60,  // 48
     Rule(9, 4, 2, 2, 0), Rule(3, 1, 0, 2, 0)},
    {L"Arabian Standard Time", L"GMT+4 Abu Dhabi", L"Arabian Daylight Time", -240, 0, -60,  // 49
     kNoChange, kNoChange},
    {L"Azerbaijan Standard Time", L"GMT+4 Baku", L"Azerbaijan Daylight Time", -240, 0, -60,  // 50
     Rule(10, 5, 0, 5, 0), Rule(3, 5, 0, 4, 0)},
    {L"Caucasus Standard Time", L"GMT+4 Yerevan", L"Caucasus Daylight Time", -240, 0, -60,  // 51
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"Afghanistan Standard Time", L"GMT+4:30 Kabul", L"Afghanistan Daylight Time", -270, 0, -60,  // 52
     kNoChange, kNoChange},
    {L"Yekaterinburg Standard Time", L"GMT+5 Yekaterinburg", L"Yekaterinburg Daylight Time", -300, 0, -60,  // 53
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"West Asia Standard Time", L"GMT+5 Islamabad", L"West Asia Daylight Time", -300, 0, -60,  // 54
     kNoChange, kNoChange},
    {L"India Standard Time", L"GMT+5:30 New Delhi", L"India Daylight Time", -330, 0, -60,  // 55
     kNoChange, kNoChange},
    {L"Sri Lanka Standard Time", L"GMT+5:30 Sri Lanka", L"Sri Lanka Daylight Time", -330, 0, -60,  // 56
     kNoChange, kNoChange},
    {L"Nepal Standard Time", L"GMT+5:45 Kathmandu", L"Nepal Daylight Time", -345, 0, -60,  // 57
     kNoChange, kNoChange},
    {L"Central Asia Standard Time", L"GMT+6 Astana, Dhaka", L"Central Asia Daylight Time", -360, 0, -60,  // 58
     kNoChange, kNoChange},
    {L"N. Central Asia Standard Time", L"GMT+6 Almaty", L"N. Central Asia Daylight Time", -360, 0, -60,  // 59
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"Myanmar Standard Time", L"GMT+6:30 Yangon (Rangoon)", L"Myanmar Asia Daylight Time", -390, 0, -60,  // 60
     kNoChange, kNoChange},
    {L"SE Asia Standard Time", L"GMT+7 Bangkok, Hanoi", L"SE Asia Daylight Time", -420, 0, -60,  // 61
     kNoChange, kNoChange},
    {L"North Asia Standard Time", L"GMT+7 Krasnoyarsk", L"North Asia Daylight Time", -420, 0, -60,  // 62
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"China Standard Time", L"GMT+8 Beijing, HK", L"China Daylight Time", -480, 0, -60,  // 63
     kNoChange, kNoChange},
    {L"Malay Standard Time", L"GMT+8 Malaysia, Singapore", L"Malay Daylight Time", -480, 0, -60,  // 64
     kNoChange, kNoChange},
    {L"Taipei Standard Time", L"GMT+8 Taipei", L"Taipei Daylight Time", -480, 0, -60,  // 65
     kNoChange, kNoChange},
    {L"West Australia Standard Time", L"GMT+8 Perth", L"West Australia Daylight Time", -480, 0, -60,  // 66
     kNoChange, kNoChange},
    {L"North Asia East Standard Time", L"GMT+8 Ulaanbaatar", L"North Asia East Daylight Time", -480, 0, -60,  // 67
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"Korea Standard Time", L"GMT+9 Seoul", L"Korea Daylight Time", -540, 0, -60,  // 68
     kNoChange, kNoChange},
    {L"Tokyo Standard Time", L"GMT+9 Tokyo, Osaka", L"Tokyo Daylight Time", -540, 0, -60,  // 69
     kNoChange, kNoChange},
    {L"Yakutsk Standard Time", L"GMT+9 Yakutsk", L"Yakutsk Daylight Time", -540, 0, -60,  // 70
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"AUS Central Standard Time", L"GMT+9:30 Darwin", L"AUS Central Daylight Time", -570, 0, -60,  // 71
     kNoChange, kNoChange},
    {L"Cen. Australia Standard Time", L"GMT+9:30 Adelaide", L"Cen. Australia Daylight Time", -570, 0, -60,  // 72
     Rule(3, 5, 0, 3, 0), Rule(10, 5, 0, 2, 0)},
    {L"Sydney Standard Time", L"GMT+10 Sydney", L"Sydney Daylight Time", -600, 0, -60,  // 73
     Rule(3, 5, 0, 3, 0), Rule(10, 5, 0, 2, 0)},
    {L"E Australia Standard Time", L"GMT+10 Brisbane", L"E Australia Daylight Time", -600, 0, -60,  // 74
     kNoChange, kNoChange},
    {L"Tasmania Standard Time", L"GMT+10 Hobart", L"Tasmania Daylight Time", -600, 0, -60,  // 75
     Rule(3, 5, 0, 3, 0), Rule(10, 1, 0, 2, 0)},
    {L"Vladivostok Standard Time", L"GMT+10 Vladivostok", L"Vladivostok Daylight Time", -600, 0, -60,  // 76
     Rule(10, 5, 0, 3, 0), Rule(3, 5, 0, 2, 0)},
    {L"West Pacific Standard Time", L"GMT+10 Guam", L"West Pacific Daylight Time", -600, 0, -60,  // 77
     kNoChange, kNoChange},
    {L"Central Pacific Standard Time", L"GMT+11 Magadan", L"Central Pacific Daylight Time", -660, 0, -60,  // 78
     kNoChange, kNoChange},
    {L"Fiji Standard Time", L"GMT+12 Fiji Islands", L"Fiji Daylight Time", -720, 0, -60,  // 79
     kNoChange, kNoChange},
    {L"New Zealand Standard Time", L"GMT+12 New Zealand", L"New Zealand Daylight Time", -720, 0, -60,  // 80
     Rule(3, 3, 0, 2, 0), Rule(10, 1, 0, 2, 0)},
    {L"Tonga Standard Time", L"GMT+13 Tonga", L"Tonga Daylight Time", -780, 0, -60,  // 81
     kNoChange, kNoChange},
};
}  // namespace

const CITYDB_TIMEZONE* BuiltInTimeZone(int index) {
    return index >= 0 && index < kBuiltInTimeZoneCount ? &kZones[index] : nullptr;
}

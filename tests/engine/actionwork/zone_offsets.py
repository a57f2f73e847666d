# Prints, for each zone named, the UTC offsets around its transitions of one year as
# Python's zoneinfo knows them: "zone unix-seconds offset-minutes", one moment a line,
# an hour and a minute before and after every transition.
import datetime
import sys
import zoneinfo

year = int(sys.argv[1])
step = datetime.timedelta(minutes=15)
for name in sys.argv[2:]:
    zone = zoneinfo.ZoneInfo(name)
    moment = datetime.datetime(year, 1, 1, tzinfo=datetime.timezone.utc)
    end = datetime.datetime(year + 1, 1, 1, tzinfo=datetime.timezone.utc)
    offset = moment.astimezone(zone).utcoffset()
    while moment < end:
        moment += step
        now = moment.astimezone(zone).utcoffset()
        if now != offset:
            for seconds in (-3600, -60, 60, 3600):
                probe = moment + datetime.timedelta(seconds=seconds)
                minutes = int(probe.astimezone(zone).utcoffset().total_seconds()) // 60
                print(name, int(probe.timestamp()), minutes)
        offset = now

#include "KDateTime.h"

#include "KUtf8.h"

KDateTime KDateTime::Now() {
    timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return FromTimespec(t);
}

KDateTime KDateTime::FromTimespec(const timespec& t) {
    tm local;
    KDateTime d;
    if (!localtime_r(&t.tv_sec, &local)) return d;
    d.year = local.tm_year + 1900;
    d.month = local.tm_mon;
    d.day = local.tm_mday;
    d.dayOfWeek = local.tm_wday;
    d.hour = local.tm_hour;
    d.minute = local.tm_min;
    d.second = local.tm_sec;
    d.millisecond = static_cast<int32_t>(t.tv_nsec / 1000000);
    return d;
}

int KDateTime::Compare(const KDateTime& o) const {
    const int32_t a[] = {year, month, day, hour, minute, second, millisecond};
    const int32_t b[] = {o.year, o.month, o.day, o.hour, o.minute, o.second, o.millisecond};
    for (int i = 0; i < 7; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

void KDateTime::AppendText(KString& out) const {
    tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month;
    local.tm_mday = day;
    local.tm_wday = dayOfWeek;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    char date[80];
    char time[80];
    size_t n = strftime(date, sizeof date, "%x", &local);
    KAppendUtf8(out, date, n);
    out.AppendChar(u' ');
    n = strftime(time, sizeof time, "%X", &local);
    KAppendUtf8(out, time, n);
}

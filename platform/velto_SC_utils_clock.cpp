// The system clock and the real-time clock. The RTC holds local wall-clock
// time, not UTC.
#include <errno.h>
#include <fcntl.h>
#include <linux/rtc.h>
#include <stdio.h>
#include <string.h>

#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"

namespace Velto {

const char* const default_rtc = "/dev/rtc0";

namespace {

// 2011-12-31 23:59:59 UTC: a clock at or before this was never set.
const time_t kLastUnsetTime = 1325375999;

// False, with errno, when the system clock refused t.
bool SetSystemClock(time_t t) {
    if (Board().SetTime(t) != 0) {
        int err = errno;
        printf("Error: stime(%s)\n", strerror(err));
        errno = err;
        return false;
    }
    return true;
}

// The nine broken-down fields the RTC driver carries.
void FromRtc(const struct rtc_time& rt, tm& t) {
    t.tm_sec = rt.tm_sec;
    t.tm_min = rt.tm_min;
    t.tm_hour = rt.tm_hour;
    t.tm_mday = rt.tm_mday;
    t.tm_mon = rt.tm_mon;
    t.tm_year = rt.tm_year;
    t.tm_wday = rt.tm_wday;
    t.tm_yday = rt.tm_yday;
    t.tm_isdst = rt.tm_isdst;
}

void ToRtc(const tm& t, struct rtc_time& rt) {
    memset(&rt, 0, sizeof rt);
    rt.tm_sec = t.tm_sec;
    rt.tm_min = t.tm_min;
    rt.tm_hour = t.tm_hour;
    rt.tm_mday = t.tm_mday;
    rt.tm_mon = t.tm_mon;
    rt.tm_year = t.tm_year;
    rt.tm_wday = t.tm_wday;
    rt.tm_yday = t.tm_yday;
    rt.tm_isdst = t.tm_isdst;
}

// The RTC node, or -1 after the perror the callers rely on.
int OpenRtc() {
    int fd = Board().Open(default_rtc, O_RDONLY);
    if (fd < 0) {
        perror("/dev/rtc0");
    }
    return fd;
}

}  // namespace

tm GetNow() {
    time_t now = Board().Time(nullptr);
    tm t;
    localtime_r(&now, &t);
    return t;
}

bool get_rtc_time(tm& out) {
    int fd = OpenRtc();
    if (fd < 0) {
        return false;
    }
    struct rtc_time rt;
    memset(&rt, 0, sizeof rt);
    if (Board().Ioctl(fd, RTC_RD_TIME, &rt) < 0) {
        Board().Close(fd);
        return false;
    }
    FromRtc(rt, out);
    Board().Close(fd);
    return true;
}

time_t validate_tm_time(tm* t) {
    time_t r = mktime(t);
    if (r == static_cast<time_t>(-1)) {
        printf("invalidate\n");
    }
    return r;
}

bool set_rtc_time(const tm& in) {
    tm copy = in;
    time_t t = validate_tm_time(&copy);
    if (t == static_cast<time_t>(-1)) {
        return false;  // never set the clock to 1969 from a time mktime refused
    }
    // A kernel with a 32-bit clock cannot hold a time from 2038 on: an RTC
    // set to it anyway would be read back as some other date at the next
    // start, so it keeps the time the system clock still has.
    if (!SetSystemClock(t) && errno == EOVERFLOW) {
        return false;
    }
    int fd = OpenRtc();
    if (fd < 0) {
        return false;
    }
    // The hardware clock gets the fields as given, not the normalised copy.
    struct rtc_time rt;
    ToRtc(in, rt);
    int rc = Board().Ioctl(fd, RTC_SET_TIME, &rt);
    Board().Close(fd);
    return rc != -1;
}

void InitSystemDateTime() {
    if (Board().Time(nullptr) > kLastUnsetTime) {
        return;
    }
    time_t t = kLastUnsetTime + 1;
    SetSystemClock(t);
    tm local;
    localtime_r(&t, &local);
    set_rtc_time(local);
}

}  // namespace Velto

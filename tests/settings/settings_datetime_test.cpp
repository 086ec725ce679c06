// The date and time screen: the field rules (wrap-around, the month's days,
// leap years), the marked field, and the clock and hardware clock that Enter
// sets, with seconds 0.
#include <stdint.h>
#include <time.h>

#include <cstdlib>

#include "browser/screen_script.h"
#include "camera/utils.h"
#include "platform/velto_SC_utils.h"
#include "settings/velto_UI_Dlg_DateTime.h"
#include "status/velto_newedit.h"
#include "support/ui_screen_test.h"

namespace {

class DateTimeTest : public CVeltoUiScreenTest {
protected:
    void SetUp() override {
        CVeltoUiScreenTest::SetUp();
        ASSERT_TRUE(MwRegisterVeltoNewEditControl(nullptr));
        m_hMain = Solid(nullptr, 0xFF010101u, 0, 0, 320, 240, false);
    }
    static time_t Local(int y, int mon, int d, int h, int min, int s) {
        tm t{};
        t.tm_year = y - 1900, t.tm_mon = mon - 1, t.tm_mday = d;
        t.tm_hour = h, t.tm_min = min, t.tm_sec = s, t.tm_isdst = -1;
        return mktime(&t);
    }
    static CVeltoUICtrlDateTime* Editor() {
        auto* d = dynamic_cast<CVeltoUIDlgDateTime*>(
            reinterpret_cast<CVeltoUIDialog*>(GetWindowLong(GetActiveWindow(), 8)));
        return d ? d->m_pCtrlDateTime : nullptr;
    }
    // "MM/DD/YYYY HH:MM" with the enabled field in brackets.
    static std::string Fields() {
        CVeltoUICtrlDateTime* e = Editor();
        if (!e) {
            return "no editor";
        }
        HWND f[5] = {e->m_hEditMonth, e->m_hEditDay, e->m_hEditYear, e->m_hEditHour,
                     e->m_hEditMinute};
        const char* sep[5] = {"/", "/", " ", ":", ""};
        std::string out;
        for (int i = 0; i < 5; ++i) {
            bool on = IsWindowEnabled(f[i]);
            out += (on ? "[" : "") + Text(f[i]) + (on ? "]" : "") + sep[i];
        }
        return out;
    }
    int Run(std::vector<UINT> keys, std::vector<std::string>* seen) {
        CScreenScript script;
        DWORD at = 100;
        script.At(50, [seen] { seen->push_back(Fields()); });
        for (UINT vk : keys) {
            script.Key(at, vk);
            if (vk != VK_RETURN && vk != VK_F1) {
                script.At(at + 20, [seen] { seen->push_back(Fields()); });
            }
            at += 50;
        }
        CVeltoUIDlgDateTime* dlg = CVeltoUIDlgDateTime::CreateNew(MwGetInstance(), m_hMain);
        int r = dlg->DoModel();
        delete dlg;
        return r;
    }
    HWND m_hMain = nullptr;
};

TEST_F(DateTimeTest, FieldsWrapWithinTheirRangesAndTheMonthsDays) {
    time_t start = Local(2012, 1, 31, 10, 20, 30);
    SetBoardTime(start);
    std::vector<std::string> seen;
    std::vector<UINT> keys = {VK_UP,    // month 02
                              VK_LEFT,  // to the minute
                              VK_UP, VK_UP};
    for (int i = 0; i < 23; ++i) {
        keys.push_back(VK_DOWN);  // 22 down to 00, then 59
    }
    keys.insert(keys.end(), {VK_RIGHT, VK_RIGHT,  // month, day
                             VK_UP,               // 31 + 1 beyond 29 days: 01
                             VK_DOWN,             // 29 in February 2012
                             VK_UP,               // 01
                             VK_RIGHT, VK_DOWN,   // year 2011
                             VK_LEFT, VK_DOWN,    // 28 in February 2011
                             VK_RIGHT, VK_DOWN, VK_DOWN, VK_UP, VK_LEFT, VK_LEFT, VK_DOWN,
                             VK_DOWN,  // 2010 -> 2099 -> 2010; month 01 -> 12
                             VK_UP, VK_F1});
    EXPECT_EQ(1, Run(keys, &seen));
    ASSERT_GE(seen.size(), 40u);
    EXPECT_EQ("[01]/31/2012 10:20", seen[0]);
    EXPECT_EQ("[02]/31/2012 10:20", seen[1]);
    EXPECT_EQ("02/31/2012 10:[20]", seen[2]);
    EXPECT_EQ("02/31/2012 10:[22]", seen[4]);
    EXPECT_EQ("02/31/2012 10:[00]", seen[26]);
    EXPECT_EQ("02/31/2012 10:[59]", seen[27]) << "minute 00 down wraps to 59";
    std::vector<std::string> tail(seen.begin() + 28, seen.end());
    std::vector<std::string> want = {
        "[02]/31/2012 10:59", "02/[31]/2012 10:59", "02/[01]/2012 10:59", "02/[29]/2012 10:59",
        "02/[01]/2012 10:59", "02/01/[2012] 10:59", "02/01/[2011] 10:59", "02/[01]/2011 10:59",
        "02/[28]/2011 10:59", "02/28/[2011] 10:59", "02/28/[2010] 10:59", "02/28/[2099] 10:59",
        "02/28/[2010] 10:59", "02/[28]/2010 10:59", "[02]/28/2010 10:59", "[01]/28/2010 10:59",
        "[12]/28/2010 10:59", "[01]/28/2010 10:59",
    };
    EXPECT_EQ(want, tail);
    // F1 leaves the clock as it ran.
    EXPECT_LT(std::llabs((long long)(Board().Time(nullptr) - start)), 3);
}

TEST_F(DateTimeTest, EnterSetsTheClockAndTheRtcNormalisedWithSecondsZero) {
    SetBoardTime(Local(2013, 3, 31, 8, 15, 42));
    std::vector<std::string> seen;
    EXPECT_EQ(6, Run({VK_UP, VK_RETURN}, &seen));  // 31 April
    EXPECT_EQ("[04]/31/2013 08:15", seen.at(1));
    time_t now = Board().Time(nullptr);
    tm t;
    localtime_r(&now, &t);
    EXPECT_EQ(2013 - 1900, t.tm_year);
    EXPECT_EQ(4, t.tm_mon) << "1 May";
    EXPECT_EQ(1, t.tm_mday);
    EXPECT_EQ(8, t.tm_hour);
    EXPECT_EQ(15, t.tm_min);
    EXPECT_LE(t.tm_sec, 1);
    tm rtc{};
    ASSERT_TRUE(Velto::get_rtc_time(rtc));
    EXPECT_EQ(4, rtc.tm_mon);
    EXPECT_EQ(1, rtc.tm_mday);
    EXPECT_EQ(0, rtc.tm_sec);
}

TEST_F(DateTimeTest, ADateFrom2038OnSetsTheClockTheRtcAndTheStamp) {
    SetBoardTime(Local(2037, 12, 31, 23, 50, 7));
    std::vector<std::string> seen;
    // Year 2040, then 1 January: the month steps over to 01. The F1 after
    // Enter only ends a screen that Enter did not close.
    EXPECT_EQ(
        6, Run({VK_RIGHT, VK_RIGHT, VK_UP, VK_UP, VK_UP, VK_LEFT, VK_LEFT, VK_UP, VK_RETURN, VK_F1},
               &seen));
    EXPECT_EQ("[01]/31/2040 23:50", seen.back());
    const time_t now = Board().Time(nullptr);
    EXPECT_GT((long long)now, (long long)INT32_MAX) << "time_t is " << sizeof(time_t) * 8 << " bit";
    EXPECT_LT(std::llabs((long long)(now - Local(2040, 1, 31, 23, 50, 0))), 3);
    tm t = Velto::GetNow();
    EXPECT_EQ(2040 - 1900, t.tm_year);
    EXPECT_EQ(0, t.tm_mon);
    EXPECT_EQ(31, t.tm_mday);
    tm rtc{};
    ASSERT_TRUE(Velto::get_rtc_time(rtc));
    EXPECT_EQ(2040 - 1900, rtc.tm_year);
    EXPECT_EQ(0, rtc.tm_mon);
    EXPECT_EQ(23, rtc.tm_hour);
    EXPECT_EQ(50, rtc.tm_min);
    // The stamp of a picture taken now: "2040-01-31 23:50" as drawn for that
    // time (the seconds are left out of the comparison).
    std::vector<unsigned char> stamped(640 * 480 * 3), expected(640 * 480 * 3);
    put_timestamp_to_rgb_matrix(stamped.data(), 640, 480);
    tm when = t;
    when.tm_year = 2040 - 1900, when.tm_mon = 0, when.tm_mday = 31, when.tm_hour = 23;
    when.tm_min = 50;
    put_timestamp_to_rgb_matrix_at(expected.data(), 640, 480, when);
    int differing = 0, lit = 0;
    for (int y = 432; y < 470; ++y) {
        for (int x = 108; x < 108 + 16 * 24; ++x) {
            size_t at = ((size_t)y * 640 + x) * 3;
            differing += stamped[at] != expected[at];
            lit += expected[at] != 0;
        }
    }
    EXPECT_GT(lit, 500);
    EXPECT_EQ(0, differing);
}

TEST_F(DateTimeTest, AClockThatCannotHoldTheDateIsSaidToBeUnsetAndTheScreenStays) {
    // A kernel older than 5.1: the clock is set through 32-bit calls.
    WriteFile(HostPath("/sim/clock32"), "");
    const time_t start = Local(2037, 12, 31, 23, 50, 7);
    SetBoardTime(start);
    tm rtcBefore{};
    ASSERT_TRUE(Velto::get_rtc_time(rtcBefore));
    std::string message;
    bool open = false;
    CScreenScript script;
    script.Key(100, VK_RIGHT).Key(150, VK_RIGHT).Key(200, VK_UP).Key(250, VK_RETURN);
    script.At(400, [&] {
        auto* d = dynamic_cast<CVeltoUIDlgDateTime*>(
            reinterpret_cast<CVeltoUIDialog*>(GetWindowLong(GetActiveWindow(), 8)));
        open = d != nullptr;
        HWND line = d ? d->m_hMessage : nullptr;
        message = line && IsWindowVisible(line) ? Text(line) : "";
        SaveScreen("datetime_not_set_320x240");
    });
    script.Key(500, VK_F1);
    CVeltoUIDlgDateTime* dlg = CVeltoUIDlgDateTime::CreateNew(MwGetInstance(), m_hMain);
    EXPECT_EQ(1, dlg->DoModel()) << "closed as if the clock were set";
    delete dlg;
    EXPECT_TRUE(open);
    EXPECT_EQ("Date not supported", message);
    EXPECT_LT(std::llabs((long long)(Board().Time(nullptr) - start)), 3);
    tm rtc{};
    ASSERT_TRUE(Velto::get_rtc_time(rtc));
    EXPECT_EQ(rtcBefore.tm_year, rtc.tm_year) << "the RTC went ahead of the system clock";
    EXPECT_EQ(rtcBefore.tm_min, rtc.tm_min);

    // A date before 2038 is still set on such a kernel: 31 November is
    // 1 December.
    std::vector<std::string> seen;
    EXPECT_EQ(6, Run({VK_DOWN, VK_RETURN}, &seen));
    EXPECT_LT(std::llabs((long long)(Board().Time(nullptr) - Local(2037, 12, 1, 23, 50, 0))), 3);
}

TEST_F(DateTimeTest, TheFieldBeingEditedIsOrangeOnBlack) {
    // Win32 colour order: 0x00BBGGRR.
    auto orange = [](COLORREF c) {
        int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
        return r > 200 && g > 90 && g < 170 && b < 60;
    };
    int orangeMonth = 0, orangeDay = 0;
    CScreenScript script;
    script
        .At(100,
            [&] {
                CVeltoUICtrlDateTime* e = Editor();
                RECT m, d;
                GetWindowRect(e->m_hEditMonth, &m);
                GetWindowRect(e->m_hEditDay, &d);
                SaveScreen("datetime_320x240");
                for (int y = m.top; y < m.bottom; ++y) {
                    for (int x = m.left; x < m.right; ++x) {
                        orangeMonth += orange(Ui(x, y));
                    }
                    for (int x = d.left; x < d.right; ++x) {
                        orangeDay += orange(Ui(x, y));
                    }
                }
            })
        .Key(200, VK_F1);
    CVeltoUIDlgDateTime* dlg = CVeltoUIDlgDateTime::CreateNew(MwGetInstance(), m_hMain);
    EXPECT_EQ(1, dlg->DoModel());
    delete dlg;
    EXPECT_GT(orangeMonth, 20);
    EXPECT_EQ(0, orangeDay);
}

}  // namespace

#include "tests/toolkit/tk_fixture.h"

#include <png.h>
#include <string.h>

#include <map>

void CToolkitTest::SetUp() {
    CVeltoSimBoardTest::SetUp();
    MwSelectDisplay("memory", 320, 240);
    MwClockSetVirtual(true, true);
    ASSERT_TRUE(MwOpen());
}

void CToolkitTest::TearDown() {
    MwClose();
    MwClockSetVirtual(false);
    MwSelectDisplay("auto");
    CVeltoSimBoardTest::TearDown();
}

int CToolkitTest::CountNot(const RECT& r, COLORREF bg) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            n += Ui(x, y) != (bg & 0xFFFFFFu);
        }
    }
    return n;
}

static std::map<HWND, COLORREF>& Colours() {
    static std::map<HWND, COLORREF> c;
    return c;
}

static LRESULT SolidProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_ERASEBKGND) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FastFillRect((HDC)wParam, &rc, Colours()[hwnd]);
        return 1;
    }
    if (msg == WM_CREATE) {
        Colours()[hwnd] =
            (COLORREF)(uintptr_t) reinterpret_cast<CREATESTRUCT*>(lParam)->lpCreateParams;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

const char* CToolkitTest::SolidClass() {
    WNDCLASS wc{};
    wc.lpfnWndProc = SolidProc;
    wc.lpszClassName = "TestSolid";
    RegisterClass(&wc);
    return "TestSolid";
}

HWND CToolkitTest::Solid(HWND parent, COLORREF colour, int x, int y, int w, int h, bool child) {
    return CreateWindowEx(0, SolidClass(), "", (child ? WS_CHILD : 0) | WS_VISIBLE, x, y, w, h,
                          parent, nullptr, MwGetInstance(), (LPVOID)(uintptr_t)colour);
}

void CToolkitTest::WritePng(const std::string& path, int w, int h,
                            const std::vector<uint32_t>& px) {
    ASSERT_TRUE(WritePngFile(path, w, h, px));
}

bool CToolkitTest::WritePngFile(const std::string& path, int w, int h,
                                const std::vector<uint32_t>& px) {
    return MwWritePng(path, w, h, px.data());
}

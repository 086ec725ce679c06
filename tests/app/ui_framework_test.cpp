// The window framework: control and screen bases and the drawing helpers.
#include <string>

#include "app/MWUIBase.h"
#include "app/velto_UI_Dialog.h"
#include "app/velto_UI_PopupDialog.h"
#include "app/velto_mwin_utils.h"
#include "support/sim_ui_test.h"
#include "toolkit/tk_host.h"

namespace {

COLORREF Ui(int x, int y) {
    return MwGetScreenPixel(x, y) & 0xFFFFFFu;
}

class UiFrameworkTest : public CVeltoSimUiTest {};

// A control kind as the status controls make them.
class CTestCtrl : public CMWUIBase {
public:
    static CTestCtrl* CreateNew(HINSTANCE inst, HWND parent, int x, int y, int w, int h) {
        CTestCtrl* c = new CTestCtrl(inst, parent, x, y, w, h);
        if (!s_bRegistered) {
            s_nRegister = c->MwRegisterUIControl(inst, const_cast<char*>("VeltoTestCtrl"));
            s_bRegistered = true;
        }
        c->m_sClassName = "VeltoTestCtrl";
        c->SetBackgroundColor(0xFF010101u);
        if (!c->Init()) {
            delete c;
            return nullptr;
        }
        return c;
    }
    ~CTestCtrl() override { Deinit(); }

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_PAINT) {
            ++m_nPaints;
        }
        if (msg == WM_ERASEBKGND) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FastFillRect((HDC)wParam, &rc, m_cBackgroundColor);
            return 1;
        }
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }

    int m_nPaints = 0;
    static bool s_bRegistered;
    static int s_nRegister;

private:
    using CMWUIBase::CMWUIBase;
};
bool CTestCtrl::s_bRegistered = false;
int CTestCtrl::s_nRegister = 0;

TEST_F(UiFrameworkTest, ControlsOfOneKindShareAClassRegisteredOnce) {
    CTestCtrl::s_bRegistered = false;
    HWND parent = CreateWindowEx(0, "STATIC", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                                 MwGetInstance(), nullptr);
    CTestCtrl* a = CTestCtrl::CreateNew(MwGetInstance(), parent, 10, 20, 30, 40);
    CTestCtrl* b = CTestCtrl::CreateNew(MwGetInstance(), parent, 50, 20, 30, 40);
    ASSERT_TRUE(a && b);
    EXPECT_NE(0, CTestCtrl::s_nRegister);
    char cls[32];
    GetClassName(b->m_hHwnd, cls, sizeof cls);
    EXPECT_STREQ("VeltoTestCtrl", cls);
    EXPECT_EQ((LONG)b, GetWindowLong(b->m_hHwnd, 8));
    RECT r;
    GetWindowRect(a->m_hHwnd, &r);
    EXPECT_EQ(10, r.left);
    EXPECT_EQ(60, r.bottom);
    EXPECT_TRUE(a->IsVisable());
    a->Show(SW_HIDE);
    EXPECT_FALSE(a->IsVisable());
    HWND gone = b->m_hHwnd;
    delete b;  // the window goes with the object, without calling into it
    EXPECT_FALSE(IsWindow(gone));
    delete a;
    // Without a parent window the control cannot be made.
    EXPECT_EQ(nullptr, CTestCtrl::CreateNew(MwGetInstance(), gone, 0, 0, 5, 5));
}

TEST_F(UiFrameworkTest, SetBackgroundColorRepaintsOnlyOnChange) {
    CTestCtrl::s_bRegistered = false;  // classes went with the last test's screen
    HWND parent = CreateWindowEx(0, "STATIC", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                                 MwGetInstance(), nullptr);
    CTestCtrl* c = CTestCtrl::CreateNew(MwGetInstance(), parent, 0, 0, 20, 20);
    ASSERT_TRUE(c);
    MwPumpMessages();
    int before = c->m_nPaints;
    c->SetBackgroundColor(0xFF010101u);
    EXPECT_EQ(before, c->m_nPaints);
    c->SetBackgroundColor(0xFF00FF00u);
    EXPECT_EQ(before + 1, c->m_nPaints);
    MwPumpMessages();
    EXPECT_EQ(RGB(0, 255, 0) & 0xFFFFFFu, Ui(5, 5));
    delete c;
}

// A framed screen that ends after a timer; its DialogProc may answer a
// brush of its own for statics.
class CTestScreen : public CVeltoUIDialog {
public:
    CTestScreen(HINSTANCE inst, HWND parent) : CVeltoUIDialog(inst, parent, 103) {}
    ~CTestScreen() override {}
    void InitDialog() override {
        SetCaption("Setup");
        CVeltoUIDialog::InitDialog();
        m_hLabel = CreateWindowEx(0, "STATIC", "Label", 0x50000000, 10, 10, 100, 30, m_hFrame,
                                  nullptr, m_hInst, nullptr);
        SetTimer(m_hHwnd, 1, 500, [](HWND hwnd, UINT, UINT_PTR, DWORD) {
            CTestScreen* self = reinterpret_cast<CTestScreen*>(GetWindowLong(hwnd, 8));
            self->m_caption = Ui(5, 5);
            self->m_frame = Ui(300, 200);
            self->m_nCaptionText = 0;
            for (int x = 0; x < 320; ++x) {
                for (int y = 0; y < 38; ++y) {
                    self->m_nCaptionText += Ui(x, y) == 0xFFFFFFu;
                }
            }
            EndDialog(hwnd, 6);
        });
    }
    void DestoryDialog() override {
        KillTimer(m_hHwnd, 1);
        ++m_nDestroyed;
        CVeltoUIDialog::DestoryDialog();
    }
    INT DialogProc(HWND, UINT, WPARAM, LPARAM) override { return 0; }

    HWND m_hLabel = nullptr;
    COLORREF m_caption = 0, m_frame = 0;
    int m_nCaptionText = 0;
    int m_nDestroyed = 0;
};

TEST_F(UiFrameworkTest, FramedScreensShowACaptionInWhiteOnBlueOverAWhiteFrame) {
    CTestScreen screen(MwGetInstance(), nullptr);
    EXPECT_EQ(6, screen.DoModel());
    EXPECT_EQ(0x734216u, screen.m_caption);
    EXPECT_EQ(0xFFFFFFu, screen.m_frame);
    EXPECT_GT(screen.m_nCaptionText, 30) << "caption text drawn in white";
    EXPECT_EQ(1, screen.m_nDestroyed);
    EXPECT_EQ(nullptr, screen.m_hHwnd);
    EXPECT_EQ(nullptr, screen.m_hCaption);
    EXPECT_EQ(nullptr, screen.m_hFrame);
    EXPECT_EQ(nullptr, screen.m_hfCaptionFont);

    CTestScreen noInstance(nullptr, nullptr);
    EXPECT_EQ(-1, noInstance.DoModel());
}

class CTestPopup : public CVeltoUIPopupDialog {
public:
    using CVeltoUIPopupDialog::CVeltoUIPopupDialog;
    void InitDialog() override {
        SetTimer(m_hHwnd, 8, 1500, [](HWND hwnd, UINT, UINT_PTR, DWORD) {
            EndDialog(hwnd, 8);
            PostMessage(hwnd, WM_QUIT, 0, 0);
        });
    }
    INT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_PAINT) {
            GetWindowRect(hwnd, &m_rect);
        }
        return (INT)DefDlgProc(hwnd, msg, wParam, lParam);
    }
    RECT m_rect{0, 0, 0, 0};
};

TEST_F(UiFrameworkTest, PopupScreensAreMaximisedAndReturnTheirResult) {
    CTestPopup popup(MwGetInstance(), nullptr);
    uint64_t t0 = MwClockNow();
    EXPECT_EQ(8, popup.DoModal());
    EXPECT_GE(MwClockNow() - t0, 1500u);
    EXPECT_EQ(320, popup.m_rect.right);
    EXPECT_EQ(240, popup.m_rect.bottom);
    CTestPopup none(nullptr, nullptr);
    EXPECT_EQ(-1, none.DoModal());
}

TEST_F(UiFrameworkTest, ShowFunnelTwiceShowsThenHidesTheCursor) {
    // The cursor's outline is black at its tip, at the screen centre.
    auto tip = [] { return MwGetComposedPixel(320 / 2 - 10, 240 / 2); };
    HWND w = CreateWindowEx(0, "STATIC", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                            MwGetInstance(), nullptr);
    (void)w;
    MwPumpMessages();
    uint32_t bg = tip();
    Velto::ShowFunnel(true);
    EXPECT_EQ(0u, tip());
    Velto::ShowFunnel(true);
    EXPECT_EQ(bg, tip());
    Velto::ShowFunnel(false);
    EXPECT_EQ(bg, tip());
}

TEST_F(UiFrameworkTest, PixmapsFollowTheFormatTable) {
    PSD root = GdGetScreen();
    EXPECT_EQ(nullptr, Velto::GdCreatePixmap(root, 0, 10, 0, nullptr, 0));
    EXPECT_EQ(nullptr, Velto::GdCreatePixmap(root, 10, 10, 0x123, nullptr, 0));

    PSD rgba = Velto::GdCreatePixmap(root, 10, 3, 65664, nullptr, 0);
    ASSERT_TRUE(rgba);
    EXPECT_EQ(32, rgba->bpp);
    EXPECT_EQ(8, rgba->pixtype);
    EXPECT_EQ(40, rgba->linelen);
    EXPECT_EQ(120, rgba->size);
    EXPECT_TRUE(rgba->flags & 0x10);
    rgba->FreeMemGC(rgba);

    PSD mono = Velto::GdCreatePixmap(root, 10, 2, 0x941, nullptr, 4);
    ASSERT_TRUE(mono);
    EXPECT_EQ(1, mono->bpp);
    EXPECT_EQ(4, mono->linelen);  // (10 + 7) / 8 = 2, rounded up to 4
    EXPECT_EQ(2, mono->ncolors);
    EXPECT_TRUE(mono->palette);
    mono->FreeMemGC(mono);

    std::vector<uint32_t> pixels(4 * 2);
    PSD shared = Velto::GdCreatePixmap(root, 4, 2, 0x70000, pixels.data(), 0);
    ASSERT_TRUE(shared);
    EXPECT_EQ(24, shared->bpp);
    EXPECT_EQ(12, shared->linelen);
    EXPECT_FALSE(shared->flags & 0x10);
    EXPECT_EQ(0x1000000, shared->ncolors);
    shared->FreeMemGC(shared);  // leaves the caller's buffer alone

    // A thumbnail over a frame buffer owns it (the sanitizer build sees a
    // leak otherwise); a buffer too small for the pixmap is refused and
    // freed, never read past.
    void* frame = malloc(4 * 2 * 4);
    PSD owning = Velto::GdCreatePixmapOwning(root, 4, 2, MWIF_RGBA8888, frame, 4 * 2 * 4);
    ASSERT_TRUE(owning);
    EXPECT_EQ(frame, owning->addr);
    EXPECT_TRUE(owning->flags & PSF_ADDRMALLOC);
    owning->FreeMemGC(owning);
    EXPECT_EQ(nullptr,
              Velto::GdCreatePixmapOwning(root, 4, 2, MWIF_RGBA8888, malloc(4 * 2 * 4 - 1), 31));
    EXPECT_EQ(nullptr, Velto::GdCreatePixmapOwning(root, 0, 2, MWIF_RGBA8888, malloc(8), 8));
    EXPECT_EQ(nullptr, Velto::GdCreatePixmapOwning(root, 4, 2, MWIF_RGBA8888, nullptr, 32));

    PSD same = Velto::GdCreatePixmap(root, 3, 3, 32, nullptr, 0);
    ASSERT_TRUE(same);
    EXPECT_EQ(root->pixtype, same->pixtype);
    EXPECT_EQ(12, same->linelen);
    Velto::UnloadImage(same);
    Velto::UnloadImage(nullptr);
    EXPECT_EQ(nullptr, Velto::LoadImage("img/none.png"));
}

// A kind that registers as the status controls do, through RegisterKind.
class CKindCtrl : public CMWUIBase {
public:
    static CKindCtrl* CreateNew(HINSTANCE inst, HWND parent, int x, int y, int w, int h) {
        static bool registered = false;
        CKindCtrl* c = new CKindCtrl(inst, parent, x, y, w, h);
        c->RegisterKind(inst, "VeltoKindCtrl", registered);
        if (!c->Init()) {
            delete c;
            return nullptr;
        }
        return c;
    }
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_ERASEBKGND) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FastFillRect((HDC)wParam, &rc, 0xFF00FF00u);
            return 1;
        }
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }

private:
    using CMWUIBase::CMWUIBase;
};

TEST_F(UiFrameworkTest, ControlsAreChildrenOfTheirScreenAndStayAboveIt) {
    HWND screen = CreateWindowEx(0, "STATIC", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                                 MwGetInstance(), nullptr);
    CKindCtrl* c = CKindCtrl::CreateNew(MwGetInstance(), screen, 100, 50, 20, 10);
    ASSERT_TRUE(c);
    EXPECT_TRUE(GetWindowLong(c->m_hHwnd, GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(screen, GetParent(c->m_hHwnd));
    // Raising the screen (as a dialog does when it activates) keeps the
    // control on top of it, in the screen's coordinates.
    BringWindowToTop(screen);
    SetActiveWindow(screen);
    MwPumpMessages();
    EXPECT_EQ(0x00FF00u, Ui(105, 55));
    MoveWindow(screen, 10, 10, 300, 220, TRUE);
    MwPumpMessages();
    RECT r;
    GetWindowRect(c->m_hHwnd, &r);
    EXPECT_EQ(110, r.left);
    EXPECT_EQ(0x00FF00u, Ui(115, 65));
    // Destroying the screen takes the control's window with it.
    DestroyWindow(screen);
    EXPECT_FALSE(IsWindow(c->m_hHwnd));
    delete c;
}

TEST_F(UiFrameworkTest, ControlKindsWorkAgainAfterTheToolkitIsReopened) {
    HWND screen = CreateWindowEx(0, "STATIC", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                                 MwGetInstance(), nullptr);
    CKindCtrl* a = CKindCtrl::CreateNew(MwGetInstance(), screen, 0, 0, 5, 5);
    ASSERT_TRUE(a);
    delete a;
    MwClose();
    ASSERT_TRUE(MwOpen());
    screen = CreateWindowEx(0, "STATIC", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                            MwGetInstance(), nullptr);
    CKindCtrl* b = CKindCtrl::CreateNew(MwGetInstance(), screen, 0, 0, 5, 5);
    ASSERT_TRUE(b);
    char cls[32];
    GetClassName(b->m_hHwnd, cls, sizeof cls);
    EXPECT_STREQ("VeltoKindCtrl", cls);
    delete b;
}

}  // namespace

// Our Win32-style windowing layer: the one header the application includes.
//
// Windows, messages, timers and modal dialogs follow the public Win32 model
// (names, message numbers, results). Handles of windows and GDI objects are
// opaque numbers looked up in tables, so a stale handle is simply invalid:
// calls on it fail or are dropped, never touch freed memory. Every call is
// made on the GUI thread unless its comment says otherwise.
//
// Colours are COLORREF values 0xAABBGGRR (red in the low byte) with 0xFF in
// the top byte. The UI pixel 0x010101 is the colour key through which the
// video overlay plane shows.
#pragma once

#include <stddef.h>
#include <stdint.h>

// ---- Basic types ----------------------------------------------------------

typedef int BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
// Window longs hold pointers (SetWindowLong(hwnd, 8, this)), so LONG is
// pointer-sized on every host.
typedef intptr_t LONG;
typedef intptr_t LONG_PTR;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef uint32_t COLORREF;
typedef char* PSTR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#define CALLBACK
#define WINAPI

struct HWND__;
struct HDC__;
struct HGDIOBJ__;
struct HINSTANCE__;
struct HMENU__;
typedef HWND__* HWND;
typedef HDC__* HDC;
typedef HGDIOBJ__* HGDIOBJ;
typedef HGDIOBJ HBRUSH;
typedef HGDIOBJ HPEN;
typedef HGDIOBJ HFONT;
typedef HGDIOBJ HBITMAP;
typedef HINSTANCE__* HINSTANCE;
typedef HMENU__* HMENU;
typedef void* HICON;
typedef void* HCURSOR;

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);
// Dialog procedures return pointer-sized values: WM_CTLCOLORSTATIC answers
// a brush.
typedef INT_PTR (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void (*TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

struct RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
typedef RECT* LPRECT;
struct POINT {
    int32_t x;
    int32_t y;
};
struct SIZE {
    int32_t cx;
    int32_t cy;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

struct WNDCLASS {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

struct CREATESTRUCT {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};

struct SCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
};
#define SIF_RANGE 0x0001
#define SIF_PAGE 0x0002
#define SIF_POS 0x0004
#define SIF_TRACKPOS 0x0010
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)

#define MAKEINTRESOURCE(i) ((LPCSTR)(uintptr_t)(WORD)(i))
#define LOWORD(l) ((WORD)((uintptr_t)(l)&0xffff))
#define HIWORD(l) ((WORD)(((uintptr_t)(l) >> 16) & 0xffff))
#define MAKELONG(a, b) ((LONG)(((WORD)(a)) | ((DWORD)((WORD)(b))) << 16))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define RGB(r, g, b) \
    ((COLORREF)(0xFF000000u | ((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))

// ---- Messages -------------------------------------------------------------

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_NCPAINT 0x0085
#define WM_GETDLGCODE 0x0087
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_ENTERIDLE 0x0121
#define WM_CTLCOLORSTATIC 0x0138
#define WM_USER 0x0400

// Static control messages.
#define STM_SETIMAGE 0xF172
#define STM_GETIMAGE 0xF173
#define IMAGE_BITMAP 0

// List box messages and results.
#define LB_ADDSTRING 0x0180
#define LB_INSERTSTRING 0x0181
#define LB_DELETESTRING 0x0182
#define LB_RESETCONTENT 0x0184
#define LB_SETCURSEL 0x0186
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_GETTOPINDEX 0x018E
#define LB_SETTOPINDEX 0x0197
#define LB_GETITEMDATA 0x0199
#define LB_SETITEMDATA 0x019A
#define LB_SETITEMHEIGHT 0x01A0
#define LB_GETITEMHEIGHT 0x01A1
#define LB_OKAY 0
#define LB_ERR (-1)
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2

// Item record of a list box with LBS_USEICON: LB_ADDSTRING takes a pointer
// to it; the text is copied, the icon is borrowed (the caller frees it after
// the list box is gone).
struct LISTBOXITEMINFO {
    int insPos;
    char* string;
    int cmFlag;
    struct _mwscreendevice* hIcon;
};

// ---- Styles ---------------------------------------------------------------

#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_BORDER 0x00800000L

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_GLOBALCLASS 0x4000

#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_ICON 0x00000003L
#define SS_TYPEMASK 0x0000001FL

#define LBS_NOTIFY 0x0001L
// Each item is a LISTBOXITEMINFO whose icon is drawn left of the text.
#define LBS_USEICON 0x2000L

#define SBS_HORZ 0x0000L
#define SBS_VERT 0x0001L

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_MAXIMIZE 3
#define SW_SHOW 5

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define HWND_TOP ((HWND)0)

#define GWL_WNDPROC (-4)
#define GWL_HINSTANCE (-6)
#define GWL_HWNDPARENT (-8)
#define GWL_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_USERDATA (-21)
#define DWL_MSGRESULT 0
#define DWL_DLGPROC 4
#define DWL_USER 8

#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTCHARS 0x0080

#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#define MB_OK 0
#define MB_YESNO 4

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1

// Virtual keys of the device: four arrows, Enter and F1 to F4.
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73

// ---- GDI constants --------------------------------------------------------

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
// Brush of the overlay colour key 0x010101: the background of controls that
// sit over the live picture.
#define OVERLAY_BRUSH 9
#define DEFAULT_GUI_FONT 17
#define SYSTEM_FONT 13

#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_WINDOWTEXT 8
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_BTNHIGHLIGHT 20

#define TRANSPARENT 1
#define OPAQUE 2

#define PS_SOLID 0
#define PS_NULL 5

#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_NOCLIP 0x00000100
#define DT_CALCRECT 0x00000400

#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANTIALIASED_QUALITY 4

// Text coding of strings handed to the toolkit (MwSetTextCoding).
#define MWTF_ASCII 0
#define MWTF_UTF8 1

// ---- Images and off-screen surfaces ---------------------------------------

// Pixel types of a surface.
#define MWPF_PALETTE 2
#define MWPF_TRUECOLOR888 4    // 24 bpp, bytes B G R
#define MWPF_TRUECOLOR565 5    // 16 bpp
#define MWPF_TRUECOLOR555 6    // 16 bpp
#define MWPF_TRUECOLOR8888 8   // 32 bpp, uint32 0xAARRGGBB (bytes B G R A)
#define MWPF_TRUECOLORABGR 11  // 32 bpp, uint32 0xAABBGGRR (bytes R G B A)
#define MWPF_TRUECOLOR444 12   // 16 bpp

// Surface flags.
#define PSF_SCREEN 0x0001
#define PSF_MEMORY 0x0002
#define PSF_HAVEALPHA 0x0004
#define PSF_ADDRMALLOC 0x0010  // the surface owns its pixel buffer

// Image formats accepted by GdCreatePixmap.
#define MWIF_PAL1 0x0941
#define MWIF_PAL1B 0x0A41
#define MWIF_PAL1C 0x1141
#define MWIF_RGBA8888 0x10080
#define MWIF_BGRA8888 0x20080
#define MWIF_BGR888 0x70000
#define MWIF_RGB565 0x80000
#define MWIF_RGB555 0xA0000
#define MWIF_RGB444 0xC0000
#define MWIF_PAL2 0x200000
#define MWIF_PAL4 0x400000
#define MWIF_PAL8 0x800000

// A drawing surface: the screen, a loaded image or an off-screen pixmap.
// The three operations belong to the surface's kind; FreeMemGC releases a
// surface made by AllocateMemGC or GdLoadImageFromFile.
typedef struct _mwscreendevice* PSD;
struct _mwscreendevice {
    int xres;
    int yres;
    int xvirtres;
    int yvirtres;
    int planes;
    int bpp;
    int linelen;  // bytes per line
    int size;     // bytes of pixel data
    long ncolors;
    int pixtype;
    int flags;
    int portrait;  // 0: landscape
    void* addr;
    void* palette;  // palsize entries of 4 bytes
    int palsize;
    PSD (*AllocateMemGC)(PSD root);
    BOOL(*MapMemGC)
    (PSD mempsd, int w, int h, int planes, int bpp, int linelen, int size, void* addr);
    void (*FreeMemGC)(PSD mempsd);
};
typedef struct _mwscreendevice SCREENDEVICE;

// ---- Program entry --------------------------------------------------------

// Provided by the program; the toolkit's main opens the screen and calls it
// on the GUI thread with a non-null instance handle.
int WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, PSTR szCmdLine, int iCmdShow);

// ---- Set-up ---------------------------------------------------------------

// Opens the screen (display backend, fonts, clock) if not yet open. main
// calls it; tests may too. Returns false when no display could be opened.
BOOL MwOpen();
// Closes the screen and destroys every remaining window and timer.
void MwClose();
// The instance handle main passes to WinMain.
HINSTANCE MwGetInstance();
// Dialog support; always succeeds.
BOOL MwInitializeDialogs(HINSTANCE hInstance);
// MWTF_UTF8 (1) or MWTF_ASCII (0, bytes as Latin-1). Returns the old coding.
int MwSetTextCoding(int coding);

// ---- Window classes and windows -------------------------------------------

// Registers a class; returns a nonzero atom, 0 when the name is missing or
// already registered.
WORD RegisterClass(const WNDCLASS* wc);
BOOL UnregisterClass(LPCSTR className, HINSTANCE hInstance);
// TRUE when the class is registered (its description into wc when not null).
// Classes go with MwClose, so a program that may see the toolkit reopened
// asks here rather than remembering its own registration.
BOOL GetClassInfo(HINSTANCE hInstance, LPCSTR className, WNDCLASS* wc);
// Creates a window; null when the class is unknown or the parent is not a
// window. WM_NCCREATE/WM_CREATE are sent before it returns; a WM_CREATE
// result of -1 destroys it again and gives null.
HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                    LPVOID param);
HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Destroys the window and its children (WM_DESTROY parent first, then the
// children). FALSE for a handle that is not a window.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);  // the window and all its ancestors visible
BOOL IsWindowEnabled(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);  // returns TRUE when it was disabled
HWND GetParent(HWND hwnd);
HWND GetDesktopWindow();
HWND GetDlgItem(HWND dialog, int id);
// Previous visibility; SW_MAXIMIZE also moves the window over the screen.
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags);
BOOL BringWindowToTop(HWND hwnd);
// Window rectangle in screen coordinates; client rectangle from (0, 0).
BOOL GetWindowRect(HWND hwnd, RECT* rc);
BOOL GetClientRect(HWND hwnd, RECT* rc);
BOOL ClientToScreen(HWND hwnd, POINT* pt);
BOOL ScreenToClient(HWND hwnd, POINT* pt);
// Longs: GWL_* (negative) and the window's extra bytes by byte offset
// (DWL_USER = 8). 0 for a bad handle or an offset outside the extra bytes.
LONG GetWindowLong(HWND hwnd, int index);
LONG SetWindowLong(HWND hwnd, int index, LONG value);
BOOL SetWindowText(HWND hwnd, LPCSTR text);
int GetWindowText(HWND hwnd, LPSTR buffer, int maxCount);
int GetWindowTextLength(HWND hwnd);
// Class name into buffer; 0 for a bad handle.
int GetClassName(HWND hwnd, LPSTR buffer, int maxCount);

HWND SetFocus(HWND hwnd);  // previous focus
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);  // previous active window
HWND GetActiveWindow();
HWND GetForegroundWindow();
BOOL SetForegroundWindow(HWND hwnd);

// The window's paint brush, answered by WM_CTLCOLORSTATIC: the window owns it
// from here on (the previous one is deleted unless it is a stock object or the
// same brush) and deletes it when destroyed.
void MwSetWindowPaintBrush(HWND hwnd, HBRUSH brush);
HBRUSH MwGetWindowPaintBrush(HWND hwnd);

// ---- Messages, queue and loops --------------------------------------------

// Calls the window procedure at once; 0 for a window that no longer exists.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues a message; may be called from any thread. FALSE for a bad window.
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Waits for the next message (posted messages, then paints, then timers).
// FALSE on WM_QUIT.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
// Sleeps until a message, a due timer or input arrives.
BOOL WaitMessage();
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Routes keys of a modal dialog: a focus window that answers WM_GETDLGCODE
// with 0 (does not answer it) gets every key as it is; one that answers a
// code without DLGC_WANTALLKEYS gets Enter/Escape as IDOK/IDCANCEL commands
// and arrows only with DLGC_WANTARROWS. TRUE when handled.
BOOL IsDialogMessage(HWND dialog, MSG* msg);

// Runs a modal dialog: every template is an empty full-screen dialog. The
// procedure gets WM_CREATE, then (with DWL_USER = param) WM_INITDIALOG; the
// nested loop runs until EndDialog and returns its result; -1 when the
// parent is not a window or the dialog cannot be made.
INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                       LPARAM param);
// Ends a running modal dialog; FALSE (and nothing else) for any other window.
BOOL EndDialog(HWND dialog, INT_PTR result);

// ---- Timers and time ------------------------------------------------------

// Calls callback (or posts WM_TIMER when null) every period ms on the GUI
// thread, in every message loop, until KillTimer. Setting an existing
// (window, id) restarts it. Returns the id (nonzero), 0 on failure.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT periodMs, TIMERPROC callback);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
// Milliseconds of the toolkit clock (see MwClock* below).
DWORD GetTickCount();

// ---- Painting and device contexts -----------------------------------------

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// Marks for repaint later (null rect: whole client area).
BOOL InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rc);
// Paints now: sends WM_PAINT if the window has an update region.
BOOL UpdateWindow(HWND hwnd);
// A device context for the client area, clipped to what is visible.
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);

HGDIOBJ GetStockObject(int index);
HBRUSH CreateSolidBrush(COLORREF color);
HPEN CreatePen(int style, int width, COLORREF color);
// Fonts by TrueType file name (face "Arial.ttf"); a missing file falls back
// to another font with a diagnostic. Height in pixels (sign ignored);
// weight >= FW_BOLD (700) emboldens. Never null while any font exists.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                 DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face);
// Deletes a brush, pen or font; stock objects and stale handles are ignored.
BOOL DeleteObject(HGDIOBJ obj);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF SetBkColor(HDC hdc, COLORREF color);
int SetBkMode(HDC hdc, int mode);
COLORREF GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

// Fills with a brush; small values 1..31 are system colours + 1, as Win32.
int FillRect(HDC hdc, const RECT* rc, HBRUSH brush);
void FastFillRect(HDC hdc, RECT* rc, COLORREF color);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL MoveToEx(HDC hdc, int x, int y, POINT* old);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* pts, int count);
// Filled with the brush, outlined with the pen.
BOOL Polygon(HDC hdc, const POINT* pts, int count);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);
// A sunken 3-D frame of width w and height h.
void Draw3dInset(HDC hdc, int x, int y, int w, int h);

// Text in the selected font and colours; returns the text height.
int DrawText(HDC hdc, LPCSTR text, int count, RECT* rc, UINT format);
int DrawTextA(HDC hdc, LPCSTR text, int count, RECT* rc, UINT format);
BOOL TextOut(HDC hdc, int x, int y, LPCSTR text, int count);
BOOL GetTextExtentPoint(HDC hdc, LPCSTR text, int count, SIZE* size);
// Width, height and baseline of a text in the DC's font.
void GdGetTextSize(HDC hdc, const void* text, int count, int* width, int* height, int* base);

// No string resources ship with the program: returns 0 with an empty buffer.
int LoadString(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);

// ---- Images, pixmaps and the cursor ---------------------------------------

// Loads a PNG, GIF or JPEG file into a 32-bit surface with alpha; null (and a
// diagnostic) when the file is missing or damaged. Free with
// psd->FreeMemGC(psd).
PSD GdLoadImageFromFile(const char* path, int flags);
// The same for a picture shown at about minWidth x minHeight (a thumbnail): a
// JPEG whose EXIF preview covers that size gives the preview (read from the
// file's head only); any other JPEG is decoded at the smallest of its
// 1/8 .. 8/8 scales that still covers that size, so it need not be decoded
// whole and shrunk. Other kinds, and sizes of 0, load as above.
PSD GdLoadImageFromFileAtLeast(const char* path, int minWidth, int minHeight);
// The same from bytes in memory (PNG, GIF or JPEG); null when damaged.
PSD GdLoadImageFromMemory(const void* data, size_t size);
PSD GdLoadImageFromMemoryAtLeast(const void* data, size_t size, int minWidth, int minHeight);
// Draws the image scaled into the rectangle (its own size when width or
// height is 0), blending its alpha. A null image draws nothing.
void DrawDIBFit(HDC hdc, int x, int y, int width, int height, PSD image);
// The screen surface (root of pixmaps and of the cursor calls).
PSD GdGetScreen();
// Surfaces of the screen's kind: AllocateMemGC gives an empty one that
// MapMemGC describes; GdFreeSurface frees any surface made here.
void GdFreeSurface(PSD psd);
// The pointer cursor, drawn over the screen. GdShowCursor returns nonzero
// when the cursor is shown afterwards, GdHideCursor nonzero when it is
// hidden afterwards.
int GdShowCursor(PSD psd);
int GdHideCursor(PSD psd);
void MwMoveCursor(int x, int y);

// Caret of an edit control (one per program).
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* pt);
UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT ms);

// ---- Screen ---------------------------------------------------------------

int GetSystemMetrics(int index);  // SM_CXSCREEN, SM_CYSCREEN

#include "sim/sim_window_draw.h"

#include <algorithm>

namespace {

constexpr uint32_t kBody = 0xFF2B2E33u;
constexpr uint32_t kBodyEdge = 0xFF4A4F57u;
constexpr uint32_t kBezel = 0xFF101113u;
constexpr uint32_t kKey = 0xFF5A606Au;
constexpr uint32_t kKeyDown = 0xFF8FA8C8u;
constexpr uint32_t kKeyText = 0xFFF2F2F2u;
constexpr uint32_t kText = 0xFFE6E6E6u;
constexpr uint32_t kDim = 0xFFA8ADB5u;
constexpr uint32_t kPanel = 0xFFECEEF1u;
constexpr uint32_t kPanelText = 0xFF1C1E21u;
constexpr uint32_t kButton = 0xFFD4D8DEu;
constexpr uint32_t kButtonOn = 0xFF7FB77Eu;
constexpr uint32_t kButtonEdge = 0xFF8A9099u;
constexpr uint32_t kTrack = 0xFFB9BFC8u;
constexpr uint32_t kThumb = 0xFF3D6FB6u;

uint32_t Mix(uint32_t off, uint32_t on, long level) {
    long a = std::max(0L, std::min(255L, level));
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        long o = off >> shift & 0xFF, n = on >> shift & 0xFF;
        out |= (uint32_t)((n * a + o * (255 - a)) / 255) << shift;
    }
    return out;
}

void Centred(CVeltoSimCanvas& c, CVeltoSimFont& f, const SVeltoSimRect& r, const std::string& s,
             uint32_t colour) {
    int w = std::min(f.Measure(s), r.w - 4);
    f.Draw(c, r.x + (r.w - w) / 2, r.y + (r.h - f.LineHeight()) / 2 + 1, s, colour, r.w - 4);
}

}  // namespace

void VeltoSimDrawFace(CVeltoSimCanvas& canvas, CVeltoSimFont& font, const SVeltoSimWindowLayout& l,
                      const SVeltoSimFaceState& s) {
    canvas.Fill(l.face, kBody);
    canvas.Frame(SVeltoSimRect{l.face.x + 4, l.face.y + 4, l.face.w - 8, l.face.h - 8}, kBodyEdge);
    // The bezel around the screen; the screen itself is drawn over it.
    canvas.Fill(SVeltoSimRect{l.screen.x - 4, l.screen.y - 4, l.screen.w + 8, l.screen.h + 8},
                kBezel);

    const int r = l.redLed.w / 2;
    canvas.Disc(l.redLed.x + r, l.redLed.y + r, r + 1, 0xFF000000u);
    canvas.Disc(l.redLed.x + r, l.redLed.y + r, r, Mix(0xFF4A1C1Cu, 0xFFFF3030u, s.redLed));
    font.Draw(canvas, l.redLed.x + l.redLed.w + 6, l.redLed.y, "charging", kText);
    canvas.Disc(l.greenLed.x + r, l.greenLed.y + r, r + 1, 0xFF000000u);
    canvas.Disc(l.greenLed.x + r, l.greenLed.y + r, r, Mix(0xFF1C3A1Cu, 0xFF30FF40u, s.greenLed));
    font.Draw(canvas, l.greenLed.x + l.greenLed.w + 6, l.greenLed.y, "charged", kText);
    font.Draw(canvas, l.light.x - font.Measure("light ") - 2, l.light.y - 2, "light", kText);
    canvas.Fill(l.light, 0xFF15171Au);
    canvas.Fill(SVeltoSimRect{l.light.x, l.light.y,
                              (int)(l.light.w * std::min(s.light, 255L) / 255), l.light.h},
                0xFFFFE28Au);
    canvas.Frame(l.light, kBodyEdge);
    font.Draw(canvas, l.light.x + l.light.w + 8, l.light.y - 2, std::to_string(s.light), kText);

    for (const SVeltoSimFaceKey& k : l.keys) {
        bool down = s.pressed.count(k.control) != 0;
        canvas.Fill(k.rect, down ? kKeyDown : kKey);
        canvas.Frame(k.rect, 0xFF1A1C1Fu);
        if (k.key == "UP" || k.key == "DOWN" || k.key == "LEFT" || k.key == "RIGHT") {
            canvas.Arrow(k.rect, k.key[0], kKeyText);
        } else if (k.key == "ENTER") {
            Centred(canvas, font, k.rect, "OK", kKeyText);
        } else {
            Centred(canvas, font, k.rect, k.key, kKeyText);
        }
    }
    if (!l.keys.empty()) {
        const SVeltoSimRect& last = l.keys.back().rect;
        int x = l.keys[1].rect.x - 4;
        font.Draw(canvas, x, last.y + last.h + 10, "keyboard: arrows,", kDim);
        font.Draw(canvas, x, last.y + last.h + 10 + font.LineHeight(), "Enter, F1 to F4", kDim);
    }
    if (!s.caption.empty()) {
        font.Draw(canvas, l.screen.x, l.screen.y + l.screen.h + 10, s.caption, kDim, l.screen.w);
    }
}

void VeltoSimDrawPanel(CVeltoSimCanvas& canvas, CVeltoSimFont& font, CVeltoSimFont& small,
                       const SVeltoSimWindowLayout& l, const CVeltoSimPanel& panel) {
    canvas.Fill(l.panel, kPanel);
    canvas.Fill(SVeltoSimRect{l.panel.x, l.panel.y, 1, l.panel.h}, kButtonEdge);
    font.Draw(canvas, l.panel.x + 14, l.panel.y + 14, "Board", kPanelText);
    for (const SVeltoSimControl& c : panel.Controls()) {
        if (c.kind == SVeltoSimControl::SLIDER) {
            font.Draw(canvas, l.panel.x + 14, c.rect.y + (c.rect.h - font.LineHeight()) / 2 + 1,
                      c.label, kPanelText, c.rect.x - l.panel.x - 18);
            const int mid = c.rect.y + c.rect.h / 2;
            canvas.Fill(SVeltoSimRect{c.rect.x, mid - 2, c.rect.w, 4}, kTrack);
            long span = std::max(1L, c.max - c.min);
            int tx = c.rect.x + (int)((std::max(c.min, std::min(c.max, c.value)) - c.min) *
                                      (c.rect.w - 1) / span);
            canvas.Fill(SVeltoSimRect{tx - 4, c.rect.y + 3, 9, c.rect.h - 6}, kThumb);
            continue;
        }
        bool lit = c.kind == SVeltoSimControl::TOGGLE ? c.on : c.on;
        canvas.Fill(c.rect, lit ? kButtonOn : kButton);
        canvas.Frame(c.rect, kButtonEdge);
        Centred(canvas, font, c.rect, c.label, kPanelText);
    }
    const SVeltoSimRect& r = panel.LinesRect();
    int y = r.y;
    for (const std::string& line : panel.Lines()) {
        small.Draw(canvas, r.x, y, line, kPanelText, r.w);
        y += small.LineHeight();
    }
}

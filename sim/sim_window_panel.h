// The board panel of velto-sim's window: its controls, what each shows of
// the board, and what a click on each does. Every change goes through the
// same board operations velto-board uses, and the states are read back from
// the board's files, so the panel follows changes made outside it.
#pragma once

#include <string>
#include <vector>

#include "sim/sim_window_layout.h"

struct SVeltoSimControl {
    enum EKind { BUTTON, TOGGLE, SLIDER };
    std::string name;   // what velto-board panel lists and tests click by
    std::string label;  // what the panel shows on it
    EKind kind = BUTTON;
    SVeltoSimRect rect;
    bool on = false;  // toggles
    long value = 0;   // sliders, in their unit
    long min = 0, max = 0;
    std::string unit;
    std::string state;  // the listing's state word(s)
};

class CVeltoSimPanel {
public:
    // root: the board root (RUNDIR/board); panel: where the panel sits.
    CVeltoSimPanel(const std::string& root, const SVeltoSimRect& panel);

    // Places the controls in a panel moved or resized.
    void Place(const SVeltoSimRect& panel);
    // Reads the board's files again; true when anything shown changed.
    bool Refresh();

    // A press at window point (x, y): acts on the control there, a slider
    // taking the value under x. The control's name, or empty for none.
    std::string Press(int x, int y);
    // The pointer moved with the button held on a slider.
    void Drag(int x);
    // The button came up: a dragged slider's value is applied.
    void Release();

    const std::vector<SVeltoSimControl>& Controls() const { return m_controls; }
    // Information lines below the controls: output, clock, last commands.
    const std::vector<std::string>& Lines() const { return m_lines; }
    const SVeltoSimRect& LinesRect() const { return m_linesRect; }
    // The value a slider takes for a press at x.
    static long SliderValueAt(const SVeltoSimControl& c, int x);

    // Set by the window when the screenshot button is pressed: the next
    // picture of the window goes to a file. Taken once.
    bool TakeScreenshotRequest();

private:
    SVeltoSimControl* Find(const std::string& name);
    void Act(SVeltoSimControl& c);

    std::string m_strRoot;
    std::vector<SVeltoSimControl> m_controls;
    std::vector<std::string> m_lines;
    SVeltoSimRect m_linesRect;
    int m_nDragging = -1;
    bool m_bScreenshot = false;
};

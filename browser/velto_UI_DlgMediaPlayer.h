// The full-screen media player the explorer opens for one file: a photo
// scaled to the screen (Up/Down step through the directory's photos), or a
// recorded video played in real time through the PXP overlay with a status
// icon, a progress slider and an elapsed/total time text (Enter plays,
// pauses and resumes, Down stops, Left/Right change the video). F1 closes.
#pragma once

#include <sys/time.h>
#include <time.h>

#include <list>
#include <string>

#include "toolkit/winapi.h"

class CVeltoAVIReader;
class CVeltoUICtrlPlayStatusIcon;

class CVeltoUIDlgMediaPlayer {
public:
    // Null only when out of memory. The caller deletes the player.
    static CVeltoUIDlgMediaPlayer* CreateNew(HINSTANCE hInst, HWND hParent);
    ~CVeltoUIDlgMediaPlayer();

    // Chooses photo or video mode from the extension ("JPG"/"AVI", any case)
    // and lists the directory's files of that kind; other paths are stored
    // and show nothing.
    void SetFilename(const std::string& path);
    // Runs the player modally; 6 when F1 closed it, -1 without an instance.
    int DoModel();

    // Members and the rest of the interface follow in the implementation.
private:
    CVeltoUIDlgMediaPlayer(HINSTANCE hInst, HWND hParent);
};

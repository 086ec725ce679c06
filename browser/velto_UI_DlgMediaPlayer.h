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

    // The dialog procedure: finds the player in the window's DWL_USER.
    static INT_PTR mainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Builds the controls of the mode and shows the file (WM_INITDIALOG).
    void InitDialog();
    // Stops playback and frees controls, images, reader, buffers and fonts;
    // safe to call twice.
    void DestoryDialog();

    // Lists dir's photos (photo mode) or videos; false when it can't be read.
    bool InitJPGFileList(const std::string& dir);
    // Index of exactly name in the list, -1 when absent.
    int GetFilePostionInList(const std::string& name);

    // Photos: shows entry i (clamped; nothing for an empty list).
    void DisplayPosImage(int i);
    // Loads m_strFilename and repaints (the fill colour when it can't load).
    void RenewDispImage();
    // Previous (up) or next photo, wrapping at both ends.
    void ScollJPGImage(bool up);

    // Videos: selects entry i (clamped) and opens it 200 ms later.
    void PlayPosVideo(int i);
    // Previous or next video, wrapping at both ends.
    void ScollVideo(bool previous);
    // Opens m_strFilename and shows its first frame, stopped. False (and no
    // reader) for a file that can't be played.
    bool InitAVIFilePlayer();
    void DelayTimerProc();
    // Starts (or resumes) playback; false when the timer can't be made.
    bool Play();
    // Stops and rewinds to the first frame, which is shown.
    void Stop();
    // Holds the frame last shown.
    void Pause();
    // One 40 ms playback tick.
    void VideoTick();
    // Draws "hh:mm:ss/hh:mm:ss" (seconds counted from 1) for curframe of
    // total at fps straight onto hwnd's device context.
    void SetPlayTimeText(HWND hwnd, long curframe, long total, double fps, bool final);
    // The time text of curframe/total at fps, as SetPlayTimeText draws it.
    static std::string FormatPlayTime(long curframe, long total, double fps);

    // An image static over the whole client area (not used at start-up).
    void InitImageDispStatic();

    static void videotimerproc(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);
    static void statetimerproc(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);

    HINSTANCE m_hInst;
    HWND m_hParent;
    HWND m_hHwnd;
    std::string m_strFilename;
    PSD m_pImage;
    bool m_bIsImage;
    bool m_bIsVideoPlaying;
    CVeltoAVIReader* m_pAVIReader;
    UINT_PTR m_iTimerVideoPlay;
    char* m_pVideoBuffer;
    char* m_pConverBuffer;
    HWND m_hProgBar;
    std::list<std::string> m_lJPGFileList;
    std::string m_strCurPath;
    std::string m_strCurImageFilename;
    PSD m_pVideoPlayIconImg;
    CVeltoUICtrlPlayStatusIcon* m_pPlayStatusIcon;
    HFONT m_hfIndexFont;
    HWND m_hImageDispStatic;
    int m_nImgPos;
    bool m_bHaveConvData;
    HFONT m_hfPlayTimeFont;
    time_t m_last_t;
    time_t m_start_t;
    timeval m_tvVideoStart_tval;
    timeval m_tvVideoPause_tval;
    timeval m_tvVideoInterval_tval;
    UINT_PTR m_tTimerStateMachine;

    // Bytes of each of the two frame buffers (as the reader asks for), and
    // of the frame now in m_pVideoBuffer.
    long m_nFrameBufferSize;
    long m_nVideoFrameBytes;

private:
    CVeltoUIDlgMediaPlayer(HINSTANCE hInst, HWND hParent);
    // Frees the reader and both buffers.
    void ReleaseReader();
    // Converts the frame in m_pVideoBuffer for the still picture; false
    // when it is not a whole frame.
    bool ConvertFrame();
    // Reads the next frame into m_pVideoBuffer; bytes, or -1.
    long ReadNextFrame();
    // Sends WM_PAINT to the dialog when it exists.
    void Repaint();
    int ListSize() const { return (int)m_lJPGFileList.size(); }
    // Clamps i into the list and makes it the current file; false for an
    // empty list.
    bool SelectPos(int i);
    double FrameRate();
    int PlayStatusNow() const;
};

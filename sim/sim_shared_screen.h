// The board's screen as velto-sim's window shows it. While the window is
// open (board/sim/window names velto-sim's process), each program that draws
// writes its composed picture into a file of its own,
// board/sim/screen-<program>.shm, mapped shared; the window shows the
// program that opened its screen last and still runs, and sends it the keys.
// One writer per file, so the goodbye program leaves the main program's
// picture alone and a restarted program takes its old file over.
#pragma once

#include <stdint.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

// The largest screen a program can hand over (the TV outputs are 720 wide).
constexpr int kVeltoSimScreenMaxSide = 1024;

// The marker of an open window, in the board's sim folder.
extern const char kVeltoSimWindowMarker[];  // "window"

// Whether velto-sim's window is open on the board whose sim folder is
// simDir: the marker names a running process.
bool VeltoSimWindowIsOpen(const std::string& simDir);
// Marks (or, with open false, unmarks) the window of this process.
bool VeltoSimMarkWindow(const std::string& simDir, bool open);

// The writing end, in the program that draws.
class CVeltoSimScreenWriter {
public:
    CVeltoSimScreenWriter() = default;
    ~CVeltoSimScreenWriter();

    // Maps simDir/screen-<program>.shm for a screen of width x height and
    // claims the window for this process. False, with a diagnostic, when the
    // file cannot be made or the size is too large.
    bool Open(const std::string& simDir, const std::string& program, int width, int height);
    // Hands over one 0xAARRGGBB picture of the open size.
    void Write(const uint32_t* pixels);
    // Gives the window up; safe to call twice.
    void Close();

private:
    struct SHeader* m_pHeader = nullptr;
    uint32_t* m_pPixels = nullptr;
    size_t m_nMapped = 0;
    int m_nWidth = 0;
    int m_nHeight = 0;
};

// The reading end, in velto-sim.
class CVeltoSimScreenReader {
public:
    explicit CVeltoSimScreenReader(const std::string& simDir) : m_strSimDir(simDir) {}
    ~CVeltoSimScreenReader();

    // Finds the program on top (rescanning the folder now and then). True
    // when one is; its name, size and picture count are then current.
    bool Update();
    const std::string& Program() const { return m_strProgram; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // Changes with every picture the program on top hands over, and when
    // another program (or a restarted one) comes on top.
    uint64_t Version() const { return (uint64_t)m_nOpenedNs * 31u + m_nSequence; }
    // Copies the top program's last picture; false when it was being written
    // throughout or there is none.
    bool Copy(std::vector<uint32_t>& pixels);

private:
    struct SMapped {
        std::string path;
        struct SHeader* header = nullptr;
        size_t size = 0;
        ino_t inode = 0;
    };
    void Rescan();

    std::string m_strSimDir;
    std::vector<SMapped> m_maps;
    long long m_nLastScanMs = -1;
    int m_nTop = -1;
    std::string m_strProgram;
    int m_nWidth = 0;
    int m_nHeight = 0;
    uint32_t m_nSequence = 0;
    long long m_nOpenedNs = 0;
};

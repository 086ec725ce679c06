// Stands in for veltosc under keeper: appends one line per start to
// veltosc.log in its working directory ("<monotonic ms> <pid> <W>x<H>
// <backlight> <lcdparams line>"), then does what line N of veltosc.script
// says for its N-th start (from 0):
//   exit CODE   end at once with CODE
//   pal / ntsc  select that TV output as the TV-out screen does, end with 0
//   stay        run until signalled (default)
// A SIGTERM is recorded as "term <pid>".
#include <fcntl.h>
#include <linux/fb.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/velto_board.h"

namespace {

int g_nLog = -1;

void OnTerm(int) {
    char line[64];
    int n = snprintf(line, sizeof line, "term %d\n", (int)getpid());
    ssize_t ignored = write(g_nLog, line, (size_t)n);
    (void)ignored;
    _exit(143);
}

std::string BoardLine(const char* path) {
    FILE* f = Board().Fopen(path, "r");
    char buf[128] = "";
    if (f) {
        if (!fgets(buf, sizeof buf, f)) {
            buf[0] = '\0';
        }
        fclose(f);
    }
    buf[strcspn(buf, "\n")] = '\0';
    return buf;
}

}  // namespace

int main() {
    std::vector<std::string> script;
    std::ifstream in("veltosc.script");
    for (std::string line; std::getline(in, line);) {
        script.push_back(line);
    }
    size_t starts = 0;
    std::ifstream log("veltosc.log");
    for (std::string line; std::getline(log, line);) {
        starts += line.compare(0, 5, "term ") != 0;
    }

    fb_var_screeninfo var = {};
    int fb = Board().Open("/dev/fb0", O_RDWR);
    if (fb >= 0) {
        Board().Ioctl(fb, FBIOGET_VSCREENINFO, &var);
        Board().Close(fb);
    }
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    g_nLog = open("veltosc.log", O_WRONLY | O_APPEND | O_CREAT, 0644);
    signal(SIGTERM, OnTerm);
    std::string entry = std::to_string((long long)now.tv_sec * 1000 + now.tv_nsec / 1000000) + " " +
                        std::to_string(getpid()) + " " + std::to_string(var.xres) + "x" +
                        std::to_string(var.yres) + " " +
                        BoardLine("/sys/class/leds/LCD_backlight/brightness") + " " +
                        BoardLine("/etc/lcdparams") + "\n";
    ssize_t ignored = write(g_nLog, entry.data(), entry.size());
    (void)ignored;

    std::string action = starts < script.size() ? script[starts] : "stay";
    if (action.compare(0, 5, "exit ") == 0) {
        return atoi(action.c_str() + 5);
    }
    if (action == "pal" || action == "ntsc") {
        FILE* f = Board().Fopen("/etc/lcdparams", "w");
        if (f) {
            fprintf(f, "lcd_panel=tvenc_%s\n", action.c_str());
            fclose(f);
        }
        return 0;
    }
    for (int i = 0; i < 600; ++i) {
        usleep(100000);
    }
    return 0;
}

#include "browser/velto_media_files.h"

#include <dirent.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"

bool VeltoIsMediaName(const std::string& name, bool photos) {
    std::string ext = Velto::GetExtendFilename(name);
    Velto::StringToUpcase(ext);
    return ext == (photos ? "JPG" : "AVI");
}

bool VeltoListMediaFiles(const std::string& dir, bool photos, std::list<std::string>& names) {
    names.clear();
    DIR* d = Board().OpenDir(dir.c_str());
    if (d == nullptr) {
        printf("ERROR(%s): open %s.\n", strerror(errno), dir.c_str());
        return false;
    }
    while (struct dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name.empty() || name[0] == '.') {
            continue;
        }
        struct stat st;
        std::string path = dir + "/" + name;
        if (Board().Stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            continue;
        }
        if (VeltoIsMediaName(name, photos)) {
            names.push_back(name);
        }
    }
    closedir(d);
    // std::list::sort is stable, so names equal but for case keep their order.
    names.sort(Velto::compare_nocase);
    return true;
}

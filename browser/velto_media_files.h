// The media files of one directory as the explorer and the player list them:
// regular, not hidden, extension "JPG" (photos) or "AVI" (videos) in any
// case, sorted case-insensitively, so both step through the same order.
#pragma once

#include <list>
#include <string>

// Names (without directory) of dir's photos or videos in display order.
// False, with a message and an empty list, when dir can't be opened.
bool VeltoListMediaFiles(const std::string& dir, bool photos, std::list<std::string>& names);

// True when name's upper-cased extension is "JPG" (photos) or "AVI".
bool VeltoIsMediaName(const std::string& name, bool photos);

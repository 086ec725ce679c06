// Text ids of the localised texts, their English defaults, and the built-in
// translations of the menu texts that the start-up check writes into the
// configuration file when they are missing.
#pragma once

#include <stddef.h>

enum VeltoTextID {
    TEXT_ID_SETUP = 10001,
    TEXT_ID_ADVANCED_SETTINGS = 10002,
    TEXT_ID_COLOR_OR_BW = 10003,
    TEXT_ID_FORMAT_MEDIA = 10004,
    TEXT_ID_HELP = 10005,
    TEXT_ID_DATE_AND_TIME = 10006,
    TEXT_ID_LANGUAGE = 10007,
    TEXT_ID_TV_OUT = 10008,
    TEXT_ID_YES = 10009,
    TEXT_ID_NO = 10010,
    TEXT_ID_MEDIA = 10011,
    TEXT_ID_DELETE_QUESTION = 10012,
    TEXT_ID_DELETE = 10013,
    TEXT_ID_FORMAT_QUESTION = 10014,
    TEXT_ID_FORMAT = 10015,
    TEXT_ID_FORMAT_WARNING = 10016,
    TEXT_ID_COLOR = 10017,
    TEXT_ID_MONOCHROME = 10018,
    // 10019 is not used.
    TEXT_ID_NO_FILES = 10020,
    TEXT_ID_USB_CONNECTED = 10021,
    TEXT_ID_NO_SPACE = 10022,
    TEXT_ID_PLUG_TV_WIRE = 10023,
    TEXT_ID_NO_TV_WIRE = 10024,
    TEXT_ID_CHECK_TV_WIRE = 10025,
};

namespace Velto {

// One built-in text: language short name, text id, UTF-8 text.
struct BuiltinText {
    const char* szShortName;
    int nTextID;
    const char* szText;
};

// The built-in texts in the order they are checked at start-up: languages
// "en", "es", "fr", "de", "nl", and within each the ids 10001 to 10008.
// *pCount receives the number of entries.
const BuiltinText* GetBuiltinTexts(size_t* pCount);

// English default of a text id, the empty text for an unknown id (never null).
const char* GetDefaultText(int nTextID);

}  // namespace Velto

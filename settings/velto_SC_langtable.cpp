#include "settings/velto_SC_langtable.h"

namespace Velto {

namespace {

struct DefaultText {
    int nTextID;
    const char* szText;
};

// The English texts are the ones every screen passes as its default.
const DefaultText kDefaultTexts[] = {
    {TEXT_ID_SETUP, "Setup"},
    {TEXT_ID_ADVANCED_SETTINGS, "Advanced Settings"},
    {TEXT_ID_COLOR_OR_BW, "Color or Black/White"},
    {TEXT_ID_FORMAT_MEDIA, "Format Media"},
    {TEXT_ID_HELP, "Help"},
    {TEXT_ID_DATE_AND_TIME, "Date and Time"},
    {TEXT_ID_LANGUAGE, "Language"},
    {TEXT_ID_TV_OUT, "TV out"},
    {TEXT_ID_YES, "Yes"},
    {TEXT_ID_NO, "No"},
    {TEXT_ID_MEDIA, "Media"},
    {TEXT_ID_DELETE_QUESTION, "Are you sure to delete the file?"},
    {TEXT_ID_DELETE, "Delete"},
    {TEXT_ID_FORMAT_QUESTION, "Format Media?"},
    {TEXT_ID_FORMAT, "Format"},
    {TEXT_ID_FORMAT_WARNING, "Warning - this will erase ALL files in memory"},
    {TEXT_ID_COLOR, "Color"},
    {TEXT_ID_MONOCHROME, "Monochrome"},
    {TEXT_ID_NO_FILES, "NO FILES AVAIABLE"},
    {TEXT_ID_USB_CONNECTED, "USB Connected"},
    {TEXT_ID_NO_SPACE, "No enough space"},
    {TEXT_ID_PLUG_TV_WIRE, "Plug in the TV out wire"},
    {TEXT_ID_NO_TV_WIRE, "No wire found, check it please."},
    {TEXT_ID_CHECK_TV_WIRE, "Check TV out wire"},
};

const BuiltinText kBuiltinTexts[] = {
    {"en", TEXT_ID_SETUP, "Setup"},
    {"en", TEXT_ID_ADVANCED_SETTINGS, "Advanced Settings"},
    {"en", TEXT_ID_COLOR_OR_BW, "Color or Black/White"},
    {"en", TEXT_ID_FORMAT_MEDIA, "Format Media"},
    {"en", TEXT_ID_HELP, "Help"},
    {"en", TEXT_ID_DATE_AND_TIME, "Date and Time"},
    {"en", TEXT_ID_LANGUAGE, "Language"},
    {"en", TEXT_ID_TV_OUT, "TV out"},

    {"es", TEXT_ID_SETUP, "configuración"},
    {"es", TEXT_ID_ADVANCED_SETTINGS, "Configuración avanzada"},
    {"es", TEXT_ID_COLOR_OR_BW, "Color / monocromo"},
    {"es", TEXT_ID_FORMAT_MEDIA, "Formato de tarjeta de memoria"},
    {"es", TEXT_ID_HELP, "ayuda"},
    {"es", TEXT_ID_DATE_AND_TIME, "Fecha y hora"},
    {"es", TEXT_ID_LANGUAGE, "lengua"},
    {"es", TEXT_ID_TV_OUT, "salida de TV"},

    {"fr", TEXT_ID_SETUP, "configuration"},
    {"fr", TEXT_ID_ADVANCED_SETTINGS, "Paramètres avancés"},
    {"fr", TEXT_ID_COLOR_OR_BW, "Couleur / monochrome"},
    {"fr", TEXT_ID_FORMAT_MEDIA, "Formater la carte mémoire"},
    {"fr", TEXT_ID_HELP, "aider"},
    {"fr", TEXT_ID_DATE_AND_TIME, "Date et heure"},
    {"fr", TEXT_ID_LANGUAGE, "langue"},
    {"fr", TEXT_ID_TV_OUT, "sortie TV"},

    {"de", TEXT_ID_SETUP, "Konfiguration"},
    {"de", TEXT_ID_ADVANCED_SETTINGS, "Erweiterte Einstellungen"},
    {"de", TEXT_ID_COLOR_OR_BW, "Farbe / Monochrom"},
    {"de", TEXT_ID_FORMAT_MEDIA, "Formatieren der Speicherkarte"},
    {"de", TEXT_ID_HELP, "Hilfe"},
    {"de", TEXT_ID_DATE_AND_TIME, "Datum und Uhrzeit"},
    {"de", TEXT_ID_LANGUAGE, "Sprache"},
    {"de", TEXT_ID_TV_OUT, "TV-Ausgang"},

    {"nl", TEXT_ID_SETUP, "Configuratie"},
    {"nl", TEXT_ID_ADVANCED_SETTINGS, "Geavanceerde instellingen"},
    {"nl", TEXT_ID_COLOR_OR_BW, "Kleur / monochroom"},
    {"nl", TEXT_ID_FORMAT_MEDIA, "Geheugenkaart formatteren"},
    {"nl", TEXT_ID_HELP, "Help"},
    {"nl", TEXT_ID_DATE_AND_TIME, "Datum en tijd"},
    {"nl", TEXT_ID_LANGUAGE, "taal"},
    {"nl", TEXT_ID_TV_OUT, "TV-uitgang"},
};

}  // namespace

const BuiltinText* GetBuiltinTexts(size_t* pCount) {
    if (pCount != nullptr) {
        *pCount = sizeof(kBuiltinTexts) / sizeof(kBuiltinTexts[0]);
    }
    return kBuiltinTexts;
}

const char* GetDefaultText(int nTextID) {
    for (const DefaultText& text : kDefaultTexts) {
        if (text.nTextID == nTextID) {
            return text.szText;
        }
    }
    return "";
}

}  // namespace Velto

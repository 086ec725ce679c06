// The settings store of veltosc: persistent settings and the texts of every
// screen in all languages, kept in the XML file "veltoscconf.xml" in the
// working directory. Every read loads the whole file and looks the value up;
// every write loads, changes and saves it whole. A missing setting or text
// is created with the caller's default on first read, so the file fills
// itself with defaults as screens ask.
//
// Not thread-safe: all operations except GetScrWidth/GetScrHeight run on the
// GUI thread.
#pragma once

#include <stdint.h>

#include <map>
#include <memory>
#include <string>

namespace tinyxml2 {
class XMLNode;
class XMLElement;
}  // namespace tinyxml2

enum OTGSTATUS {
    OTG_UNKNOWN = 0,
    OTG_HOST = 1,
    OTG_DEVICE = 2,
};

// One known language of the configuration file.
struct LanguageType {
    uint32_t m_nID = 0;
    std::string m_strShortName = "en";      // name in the file and in the setting "language"
    std::string m_strFullName = "English";  // name shown to the user
};

// Known languages by ascending id; the list owns its entries.
typedef std::map<uint32_t, std::unique_ptr<LanguageType>> LanguageList;

class CVeltoSCSetting {
public:
    // The process-wide store, made on first use (which opens the OTG device).
    static CVeltoSCSetting& GetInstance();

    CVeltoSCSetting(const CVeltoSCSetting&) = delete;
    CVeltoSCSetting& operator=(const CVeltoSCSetting&) = delete;

    // Start-up check of the configuration file; call once before any screen
    // asks for a text. Same as CheckXMLConfFile.
    void InitConfigFile();
    // Reads the colour choice, the language list and the current language,
    // and writes every missing built-in text into the file: the same result
    // as a lookup of each, with one parse and at most one save.
    void CheckXMLConfFile();

    // Id of the current language.
    int GetLanguage() const { return m_nLanguage; }
    // Makes a known language current and stores its short name; an id that
    // is not in the list, or has no short name, changes nothing.
    void SetLanguage(int nLanguageID);

    // Colour (true) or monochrome (false) picture, read from the file; when
    // the file has no usable value the cached choice is returned.
    bool GetColorful();
    // Stores the choice when it differs from the cached one.
    void SetColorful(bool bColorful);

    // Text nTextID in the current language; the empty text when the current
    // language is not known or the file cannot be loaded. A text missing in
    // the file is written there with strDefault, which is returned.
    std::string GetXMLConfLangItemVal(int nTextID, const std::string& strDefault);
    // The same for a language id of the list (empty text for an unknown id).
    std::string GetXMLConfLangItemVal(int nLanguageID, int nTextID, const std::string& strDefault);
    // The same for a language short name.
    std::string GetXMLConfLangItemVal(const std::string& strShortName, int nTextID,
                                      const std::string& strDefault);

    // Value of setting strKey; a missing setting is written with strDefault,
    // which is returned. The empty text when the file cannot be loaded or its
    // root is not "Velto".
    std::string GetXMLConfSettingsItemVal(const std::string& strKey, const std::string& strDefault);

    // Typed setting writers ("true"/"false", signed decimal, text). False when
    // the file could not be written.
    bool SaveXMLSettingItem(const std::string& strKey, bool bValue);
    bool SaveXMLSettingItem(const std::string& strKey, int nValue);
    bool SaveXMLSettingItem(const std::string& strKey, std::string strValue);
    // A text literal would otherwise pick the bool overload.
    bool SaveXMLSettingItem(const std::string& strKey, const char* szValue);

    // Sets entry strEntry of section strSection to strValue, creating the
    // file, the section or the entry as needed. Returns true without saving
    // when the value is already there; false when the file could not be
    // written.
    bool SaveXMLConfItemVal(const std::string& strSection, const std::string& strEntry,
                            const std::string& strValue);
    // Sets text nTextID of language strShortName in section strSection.
    bool SaveXMLConfItemVal(const std::string& strSection, const std::string& strShortName,
                            int nTextID, const std::string& strText);

    // Entry strEntry of section strSection below pParent (match in the last
    // such section when several exist), or null.
    tinyxml2::XMLElement* GetXMLSubItemFirstChildElement(tinyxml2::XMLNode* pParent,
                                                         const std::string& strSection,
                                                         const std::string& strEntry);

    // Re-reads the known languages (entries with name, fullname and an id of
    // 0 or more) from the file. True when at least one is known.
    bool InitLanguageList();
    void DeinitLanguageList();
    // Replaces the content of list by copies of the known languages that
    // have a short and a full name. True when the store knows any language.
    bool CopyLanguageList(LanguageList& list) const;

    // Screen size in pixels, from the function the toolkit installed
    // (Velto::SetScreenMetricsProc), 320 x 240 until then.
    unsigned GetScrWidth() const;
    unsigned GetScrHeight() const;

    // Opens "/dev/fsl_otg" (closing a descriptor left open). False when it
    // cannot be opened.
    bool InitFSLOTG();
    void DeinitFSLOTG();
    // Role of the USB device port; OTG_UNKNOWN when the device is not open
    // or does not answer.
    OTGSTATUS GetOTGStatus();

protected:
    // Protected so that tests can make a fresh store of their own.
    CVeltoSCSetting();
    ~CVeltoSCSetting();

private:
    bool m_bColorful;
    int m_nLanguage;
    int m_nFslOTG_fd;
    LanguageList m_lLanguageList;
};

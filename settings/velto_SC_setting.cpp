#include "settings/velto_SC_setting.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>

#include <tinyxml2.h>

#include "platform/velto_board.h"
#include "settings/velto_SC_langtable.h"
#include "settings/velto_SC_screen.h"
#include "settings/velto_SC_xmlfile.h"

using tinyxml2::XMLElement;
using tinyxml2::XMLNode;

namespace {

const char kConfFile[] = "veltoscconf.xml";
const char kRootName[] = "Velto";
const char kItemName[] = "Item";
const char kSettings[] = "Settings";
const char kLanguages[] = "Languages";
const char kStringTable[] = "StringTable";
const char kOTGDevice[] = "/dev/fsl_otg";
// _IOR('B', 1, int): the role of the OTG port, answered in the return value.
const unsigned long kOTGGetStatus = 0x80044201UL;

bool AttributeIs(const XMLElement* pElement, const char* szAttr, const std::string& strValue) {
    const char* szFound = pElement->Attribute(szAttr);
    return szFound != nullptr && strValue == szFound;
}

// A whole signed decimal number in int range; "12abc", "" or " 1" are not.
bool ReadIntAttribute(const XMLElement* pElement, const char* szAttr, int* pValue) {
    const char* szText = pElement->Attribute(szAttr);
    if (szText == nullptr) {
        return false;
    }
    char c = szText[0];
    if (!(c == '-' || c == '+' || (c >= '0' && c <= '9'))) {
        return false;
    }
    errno = 0;
    char* pEnd = nullptr;
    long nValue = strtol(szText, &pEnd, 10);
    if (errno != 0 || pEnd == szText || *pEnd != '\0' || nValue < INT_MIN || nValue > INT_MAX) {
        return false;
    }
    *pValue = static_cast<int>(nValue);
    return true;
}

// First child element named strName whose "name" is strEntry.
XMLElement* FirstNamedChild(XMLElement* pParent, const std::string& strName,
                            const std::string& strEntry) {
    for (XMLElement* p = pParent->FirstChildElement(strName.c_str()); p != nullptr;
         p = p->NextSiblingElement(strName.c_str())) {
        if (AttributeIs(p, "name", strEntry)) {
            return p;
        }
    }
    return nullptr;
}

XMLElement* FindText(XMLElement* pLanguage, int nTextID) {
    for (XMLElement* p = pLanguage->FirstChildElement(kStringTable); p != nullptr;
         p = p->NextSiblingElement(kStringTable)) {
        int nID = 0;
        if (ReadIntAttribute(p, "ID", &nID) && nID == nTextID) {
            return p;
        }
    }
    return nullptr;
}

XMLElement* NewNamed(tinyxml2::XMLDocument& doc, const std::string& strElement,
                     const std::string& strName) {
    XMLElement* p = doc.NewElement(strElement.c_str());
    p->SetAttribute("name", strName.c_str());
    return p;
}

XMLElement* NewText(tinyxml2::XMLDocument& doc, int nTextID, const std::string& strText) {
    XMLElement* p = doc.NewElement(kStringTable);
    p->SetAttribute("ID", nTextID);
    p->SetAttribute("string", strText.c_str());
    return p;
}

void PrintFileError(const CVeltoXMLFile& file) {
    printf("Error in %s: %s\n", file.Path().c_str(), file.ErrorText().c_str());
}

bool Commit(CVeltoXMLFile& file) {
    if (!file.Save()) {
        PrintFileError(file);
        return false;
    }
    return true;
}

// The root readers look in: "Velto" of a file that loads, else null.
XMLElement* ReadableRoot(CVeltoXMLFile& file) {
    return file.Load() ? file.Doc().FirstChildElement(kRootName) : nullptr;
}

// The element writers add to: the first root element, whatever its name. A
// file that did not load starts again from the declaration.
XMLElement* WritableRoot(CVeltoXMLFile& file, bool bLoaded) {
    if (!bLoaded) {
        file.NewDocument();
    }
    tinyxml2::XMLDocument& doc = file.Doc();
    if (doc.FirstChildElement() == nullptr) {
        doc.InsertEndChild(doc.NewElement(kRootName));
    }
    return doc.FirstChildElement();
}

// Entry strEntry of the first section strSection below the writable root,
// appending the section and the entry (with only "name") where missing.
// *pCreated tells whether the entry is new. Null only without a root.
XMLElement* WritableEntry(CVeltoXMLFile& file, bool bLoaded, const std::string& strSection,
                          const std::string& strEntry, bool* pCreated) {
    XMLElement* pRoot = WritableRoot(file, bLoaded);
    if (pRoot == nullptr) {
        return nullptr;
    }
    tinyxml2::XMLDocument& doc = file.Doc();
    XMLElement* pItem = FirstNamedChild(pRoot, kItemName, strSection);
    if (pItem == nullptr) {
        pItem = NewNamed(doc, kItemName, strSection);
        pRoot->InsertEndChild(pItem);
    }
    XMLElement* pEntry = FirstNamedChild(pItem, strSection, strEntry);
    *pCreated = pEntry == nullptr;
    if (pEntry == nullptr) {
        pEntry = NewNamed(doc, strSection, strEntry);
        pItem->InsertEndChild(pEntry);
    }
    return pEntry;
}

bool WriteEntry(CVeltoXMLFile& file, bool bLoaded, const std::string& strSection,
                const std::string& strEntry, const std::string& strValue) {
    bool bCreated = false;
    XMLElement* pEntry = WritableEntry(file, bLoaded, strSection, strEntry, &bCreated);
    if (pEntry == nullptr) {
        return false;
    }
    if (!bCreated && AttributeIs(pEntry, "value", strValue)) {
        return true;
    }
    pEntry->SetAttribute("value", strValue.c_str());
    return Commit(file);
}

// Puts text nTextID of language strShortName into the document (see
// WritableEntry); *pChanged tells whether the document changed. False only
// without a root.
bool PutText(CVeltoXMLFile& file, bool bLoaded, const std::string& strSection,
             const std::string& strShortName, int nTextID, const std::string& strText,
             bool* pChanged) {
    bool bCreated = false;
    XMLElement* pLanguage = WritableEntry(file, bLoaded, strSection, strShortName, &bCreated);
    if (pLanguage == nullptr) {
        return false;
    }
    XMLElement* pText = FindText(pLanguage, nTextID);
    *pChanged = true;
    if (pText == nullptr) {
        pLanguage->InsertEndChild(NewText(file.Doc(), nTextID, strText));
    } else if (AttributeIs(pText, "string", strText)) {
        *pChanged = false;
    } else {
        pText->SetAttribute("string", strText.c_str());
    }
    return true;
}

bool WriteText(CVeltoXMLFile& file, bool bLoaded, const std::string& strSection,
               const std::string& strShortName, int nTextID, const std::string& strText) {
    bool bChanged = false;
    if (!PutText(file, bLoaded, strSection, strShortName, nTextID, strText, &bChanged)) {
        return false;
    }
    return bChanged ? Commit(file) : true;
}

// Text nTextID of language strShortName in a loaded file whose readable root
// is pRoot. A missing text, or one without its string, is put into the
// document with strDefault, which is returned; *pChanged is set then.
std::string TextOrDefault(CVeltoSCSetting& setting, CVeltoXMLFile& file, XMLElement* pRoot,
                          const std::string& strShortName, int nTextID,
                          const std::string& strDefault, bool* pChanged) {
    XMLElement* pLanguage = setting.GetXMLSubItemFirstChildElement(pRoot, kLanguages, strShortName);
    XMLElement* pText = pLanguage != nullptr ? FindText(pLanguage, nTextID) : nullptr;
    if (pText == nullptr) {
        bool bChanged = false;
        PutText(file, true, kLanguages, strShortName, nTextID, strDefault, &bChanged);
        *pChanged = *pChanged || bChanged;
        return strDefault;
    }
    const char* szText = pText->Attribute("string");
    if (szText != nullptr) {
        return szText;
    }
    pText->SetAttribute("string", strDefault.c_str());
    *pChanged = true;
    return strDefault;
}

}  // namespace

CVeltoSCSetting& CVeltoSCSetting::GetInstance() {
    static CVeltoSCSetting s_instance;
    return s_instance;
}

CVeltoSCSetting::CVeltoSCSetting() : m_bColorful(true), m_nLanguage(0), m_nFslOTG_fd(-1) {
    InitFSLOTG();
}

CVeltoSCSetting::~CVeltoSCSetting() {
    DeinitFSLOTG();
    DeinitLanguageList();
}

void CVeltoSCSetting::InitConfigFile() {
    CheckXMLConfFile();
}

void CVeltoSCSetting::CheckXMLConfFile() {
    GetColorful();
    InitLanguageList();

    std::string strLanguage = GetXMLConfSettingsItemVal("language", "en");
    bool bFound = false;
    for (const auto& entry : m_lLanguageList) {
        if (entry.second->m_strShortName == strLanguage) {
            m_nLanguage = static_cast<int>(entry.first);
            bFound = true;
            break;
        }
    }
    if (!bFound) {
        m_nLanguage = 0;
        SaveXMLSettingItem("language", "en");
    }

    // The same as a lookup of every built-in text, but the file is parsed
    // once and saved at most once: some forty parses and saves made the
    // start slow on the board's flash.
    CVeltoXMLFile file(kConfFile);
    XMLElement* pRoot = ReadableRoot(file);
    if (pRoot == nullptr) {
        return;  // lookups would find nothing and write nothing
    }
    bool bChanged = false;
    size_t nCount = 0;
    const Velto::BuiltinText* pTexts = Velto::GetBuiltinTexts(&nCount);
    for (size_t i = 0; i < nCount; ++i) {
        TextOrDefault(*this, file, pRoot, pTexts[i].szShortName, pTexts[i].nTextID,
                      pTexts[i].szText, &bChanged);
    }
    if (bChanged) {
        Commit(file);
    }
}

void CVeltoSCSetting::SetLanguage(int nLanguageID) {
    if (nLanguageID < 0) {
        return;
    }
    auto it = m_lLanguageList.find(static_cast<uint32_t>(nLanguageID));
    if (it == m_lLanguageList.end() || it->second->m_strShortName.empty()) {
        return;
    }
    SaveXMLSettingItem("language", it->second->m_strShortName);
    m_nLanguage = nLanguageID;
}

bool CVeltoSCSetting::GetColorful() {
    std::string strColorful = GetXMLConfSettingsItemVal("colorful", "true");
    if (!strColorful.empty()) {
        m_bColorful = strColorful == "true";
    } else {
        SaveXMLSettingItem("colorful", true);
    }
    return m_bColorful;
}

void CVeltoSCSetting::SetColorful(bool bColorful) {
    if (bColorful == m_bColorful) {
        return;
    }
    m_bColorful = bColorful;
    SaveXMLSettingItem("colorful", bColorful);
}

std::string CVeltoSCSetting::GetXMLConfLangItemVal(int nTextID, const std::string& strDefault) {
    return GetXMLConfLangItemVal(m_nLanguage, nTextID, strDefault);
}

std::string CVeltoSCSetting::GetXMLConfLangItemVal(int nLanguageID, int nTextID,
                                                   const std::string& strDefault) {
    if (nLanguageID < 0) {
        return std::string();
    }
    auto it = m_lLanguageList.find(static_cast<uint32_t>(nLanguageID));
    if (it == m_lLanguageList.end() || it->second->m_strShortName.empty()) {
        return std::string();
    }
    return GetXMLConfLangItemVal(it->second->m_strShortName, nTextID, strDefault);
}

std::string CVeltoSCSetting::GetXMLConfLangItemVal(const std::string& strShortName, int nTextID,
                                                   const std::string& strDefault) {
    CVeltoXMLFile file(kConfFile);
    XMLElement* pRoot = ReadableRoot(file);
    if (pRoot == nullptr) {
        return std::string();
    }
    bool bChanged = false;
    std::string strText =
        TextOrDefault(*this, file, pRoot, strShortName, nTextID, strDefault, &bChanged);
    if (bChanged) {
        Commit(file);
    }
    return strText;
}

std::string CVeltoSCSetting::GetXMLConfSettingsItemVal(const std::string& strKey,
                                                       const std::string& strDefault) {
    CVeltoXMLFile file(kConfFile);
    XMLElement* pRoot = ReadableRoot(file);
    if (pRoot == nullptr) {
        return std::string();
    }
    XMLElement* pEntry = GetXMLSubItemFirstChildElement(pRoot, kSettings, strKey);
    if (pEntry == nullptr) {
        WriteEntry(file, true, kSettings, strKey, strDefault);
        return strDefault;
    }
    const char* szValue = pEntry->Attribute("value");
    return szValue != nullptr ? szValue : std::string();
}

bool CVeltoSCSetting::SaveXMLSettingItem(const std::string& strKey, bool bValue) {
    return SaveXMLConfItemVal(kSettings, strKey, bValue ? "true" : "false");
}

bool CVeltoSCSetting::SaveXMLSettingItem(const std::string& strKey, int nValue) {
    return SaveXMLConfItemVal(kSettings, strKey, std::to_string(nValue));
}

bool CVeltoSCSetting::SaveXMLSettingItem(const std::string& strKey, std::string strValue) {
    return SaveXMLConfItemVal(kSettings, strKey, strValue);
}

bool CVeltoSCSetting::SaveXMLSettingItem(const std::string& strKey, const char* szValue) {
    return SaveXMLConfItemVal(kSettings, strKey, szValue != nullptr ? szValue : "");
}

bool CVeltoSCSetting::SaveXMLConfItemVal(const std::string& strSection, const std::string& strEntry,
                                         const std::string& strValue) {
    CVeltoXMLFile file(kConfFile);
    bool bLoaded = file.Load();
    return WriteEntry(file, bLoaded, strSection, strEntry, strValue);
}

bool CVeltoSCSetting::SaveXMLConfItemVal(const std::string& strSection,
                                         const std::string& strShortName, int nTextID,
                                         const std::string& strText) {
    CVeltoXMLFile file(kConfFile);
    bool bLoaded = file.Load();
    return WriteText(file, bLoaded, strSection, strShortName, nTextID, strText);
}

XMLElement* CVeltoSCSetting::GetXMLSubItemFirstChildElement(XMLNode* pParent,
                                                            const std::string& strSection,
                                                            const std::string& strEntry) {
    XMLElement* pParentElement = pParent != nullptr ? pParent->ToElement() : nullptr;
    if (pParentElement == nullptr) {
        return nullptr;
    }
    // Readers take the match of the last section of that name.
    XMLElement* pFound = nullptr;
    for (XMLElement* pItem = pParentElement->FirstChildElement(kItemName); pItem != nullptr;
         pItem = pItem->NextSiblingElement(kItemName)) {
        if (AttributeIs(pItem, "name", strSection)) {
            XMLElement* pEntry = FirstNamedChild(pItem, strSection, strEntry);
            if (pEntry != nullptr) {
                pFound = pEntry;
            }
        }
    }
    return pFound;
}

bool CVeltoSCSetting::InitLanguageList() {
    DeinitLanguageList();
    CVeltoXMLFile file(kConfFile);
    if (!file.Load()) {
        PrintFileError(file);
        return false;
    }
    XMLElement* pRoot = file.Doc().FirstChildElement();
    if (pRoot == nullptr) {
        return false;
    }
    for (XMLElement* pItem = pRoot->FirstChildElement(kItemName); pItem != nullptr;
         pItem = pItem->NextSiblingElement(kItemName)) {
        if (!AttributeIs(pItem, "name", kLanguages)) {
            continue;
        }
        for (XMLElement* p = pItem->FirstChildElement(kLanguages); p != nullptr;
             p = p->NextSiblingElement(kLanguages)) {
            const char* szName = p->Attribute("name");
            const char* szFullName = p->Attribute("fullname");
            int nID = -1;
            if (szName == nullptr || szFullName == nullptr || !ReadIntAttribute(p, "id", &nID) ||
                nID < 0) {
                continue;
            }
            uint32_t nKey = static_cast<uint32_t>(nID);
            if (m_lLanguageList.count(nKey) != 0) {
                continue;  // the first entry of an id keeps it
            }
            std::unique_ptr<LanguageType> pLanguage(new LanguageType);
            pLanguage->m_nID = nKey;
            pLanguage->m_strShortName = szName;
            pLanguage->m_strFullName = szFullName;
            m_lLanguageList.emplace(nKey, std::move(pLanguage));
        }
    }
    return !m_lLanguageList.empty();
}

void CVeltoSCSetting::DeinitLanguageList() {
    m_lLanguageList.clear();
}

bool CVeltoSCSetting::CopyLanguageList(LanguageList& list) const {
    list.clear();
    for (const auto& entry : m_lLanguageList) {
        const LanguageType& language = *entry.second;
        if (!language.m_strShortName.empty() && !language.m_strFullName.empty()) {
            list.emplace(entry.first, std::unique_ptr<LanguageType>(new LanguageType(language)));
        }
    }
    return !m_lLanguageList.empty();
}

unsigned CVeltoSCSetting::GetScrWidth() const {
    return Velto::GetScreenMetric(0);
}

unsigned CVeltoSCSetting::GetScrHeight() const {
    return Velto::GetScreenMetric(1);
}

bool CVeltoSCSetting::InitFSLOTG() {
    DeinitFSLOTG();
    // Descriptor 0 is a valid one when the process was started without stdin.
    m_nFslOTG_fd = Board().Open(kOTGDevice, O_RDWR | O_CLOEXEC);
    if (m_nFslOTG_fd < 0) {
        m_nFslOTG_fd = -1;
        printf("Can't init FSL OTG\n");
        return false;
    }
    printf("Init FSL OTG status device OK\n");
    return true;
}

void CVeltoSCSetting::DeinitFSLOTG() {
    if (m_nFslOTG_fd >= 0) {
        Board().Close(m_nFslOTG_fd);
    }
    m_nFslOTG_fd = -1;
}

OTGSTATUS CVeltoSCSetting::GetOTGStatus() {
    if (m_nFslOTG_fd < 0) {
        return OTG_UNKNOWN;
    }
    int nRole = 0;
    int nResult = Board().Ioctl(m_nFslOTG_fd, kOTGGetStatus, &nRole);
    if (nResult == 1) {
        return OTG_HOST;
    }
    if (nResult == 0) {
        return OTG_DEVICE;
    }
    return OTG_UNKNOWN;
}

// One XML file read and written whole through the board seam. Loading reads
// the file into memory and parses it; saving prints the document, writes it
// to a temporary file beside the target, syncs it and renames it over the
// target, so a power cut leaves either the old or the new file. A file that
// exists but cannot be loaded is moved aside to "<path>.bad" before the
// first save replaces it.
#pragma once

#include <tinyxml2.h>

#include <stddef.h>

#include <string>

class CVeltoXMLFile {
public:
    // Files larger than this are taken as damaged rather than parsed: every
    // settings lookup parses the whole file.
    static const size_t MAX_FILE_SIZE = 2 * 1024 * 1024;

    explicit CVeltoXMLFile(const std::string& strPath);
    CVeltoXMLFile(const CVeltoXMLFile&) = delete;
    CVeltoXMLFile& operator=(const CVeltoXMLFile&) = delete;

    // Reads and parses the file into Doc(). False when the file is missing,
    // unreadable, too large, holds a NUL byte or does not parse; ErrorText()
    // then says why and Doc() is empty.
    bool Load();

    // Makes Doc() a new document holding only the UTF-8 declaration.
    void NewDocument();

    // Writes Doc() atomically over the file. False (ErrorText() says why)
    // when any step fails; the file on disk is then the one before the call.
    bool Save();

    tinyxml2::XMLDocument& Doc() { return m_doc; }
    const std::string& Path() const { return m_strPath; }
    const std::string& ErrorText() const { return m_strError; }

    // Name of the temporary file a save writes, and of the kept-aside copy.
    std::string TempPath() const { return m_strPath + ".tmp"; }
    std::string BadPath() const { return m_strPath + ".bad"; }

private:
    bool ReadWhole(std::string* pData);
    bool WriteTemp(const char* pData, size_t nSize);
    bool KeepAside();
    void SyncDirectory();
    void SetErrno(const char* szWhat, const std::string& strPath, int nErr);

    std::string m_strPath;
    std::string m_strError;
    tinyxml2::XMLDocument m_doc;
    // The last Load found a file it could not use; it is kept before a save.
    bool m_bUnloadable;
};

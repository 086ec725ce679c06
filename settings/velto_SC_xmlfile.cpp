#include "settings/velto_SC_xmlfile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "platform/velto_board.h"

CVeltoXMLFile::CVeltoXMLFile(const std::string& strPath)
    : m_strPath(strPath), m_bUnloadable(false) {}

void CVeltoXMLFile::SetErrno(const char* szWhat, const std::string& strPath, int nErr) {
    m_strError = std::string(szWhat) + " " + strPath + ": " + strerror(nErr);
}

bool CVeltoXMLFile::ReadWhole(std::string* pData) {
    int fd = Board().Open(m_strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int nErr = errno;
        // A missing file is the normal first start, not damage to keep.
        m_bUnloadable = nErr != ENOENT;
        SetErrno("cannot open", m_strPath, nErr);
        return false;
    }
    m_bUnloadable = true;
    char buf[16384];
    bool bOk = true;
    for (;;) {
        ssize_t n = Board().Read(fd, buf, sizeof(buf));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            SetErrno("cannot read", m_strPath, errno);
            bOk = false;
            break;
        }
        if (n == 0) {
            break;
        }
        if (pData->size() + static_cast<size_t>(n) > MAX_FILE_SIZE) {
            m_strError = "file larger than " + std::to_string(MAX_FILE_SIZE) + " bytes";
            bOk = false;
            break;
        }
        pData->append(buf, static_cast<size_t>(n));
    }
    Board().Close(fd);
    return bOk;
}

bool CVeltoXMLFile::Load() {
    m_doc.Clear();
    m_strError.clear();
    m_bUnloadable = false;
    std::string data;
    if (!ReadWhole(&data)) {
        return false;
    }
    // The parser stops at a NUL and would take the part before it as the
    // whole file; XML text cannot hold one, so the file is damaged.
    if (data.find('\0') != std::string::npos) {
        m_strError = "file holds a NUL byte";
        return false;
    }
    if (m_doc.Parse(data.data(), data.size()) != tinyxml2::XML_SUCCESS) {
        m_strError = m_doc.ErrorStr();
        m_doc.Clear();
        return false;
    }
    m_bUnloadable = false;
    return true;
}

void CVeltoXMLFile::NewDocument() {
    m_doc.Clear();
    m_doc.InsertFirstChild(m_doc.NewDeclaration());
}

bool CVeltoXMLFile::KeepAside() {
    if (Board().Rename(m_strPath.c_str(), BadPath().c_str()) != 0) {
        if (errno == ENOENT) {
            return true;  // gone meanwhile: nothing left to keep
        }
        SetErrno("cannot keep aside", m_strPath, errno);
        return false;
    }
    printf("Kept unloadable %s as %s\n", m_strPath.c_str(), BadPath().c_str());
    return true;
}

bool CVeltoXMLFile::WriteTemp(const char* pData, size_t nSize) {
    std::string strTemp = TempPath();
    int fd = Board().Open(strTemp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        SetErrno("cannot create", strTemp, errno);
        return false;
    }
    bool bOk = true;
    while (nSize > 0) {
        ssize_t n = Board().Write(fd, pData, nSize);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            SetErrno("cannot write", strTemp, n < 0 ? errno : ENOSPC);
            bOk = false;
            break;
        }
        pData += n;
        nSize -= static_cast<size_t>(n);
    }
    if (bOk && Board().Fsync(fd) != 0) {
        SetErrno("cannot sync", strTemp, errno);
        bOk = false;
    }
    if (Board().Close(fd) != 0 && bOk) {
        SetErrno("cannot close", strTemp, errno);
        bOk = false;
    }
    if (!bOk) {
        Board().Unlink(strTemp.c_str());
    }
    return bOk;
}

void CVeltoXMLFile::SyncDirectory() {
    size_t nSlash = m_strPath.rfind('/');
    std::string strDir = nSlash == std::string::npos ? "." : m_strPath.substr(0, nSlash + 1);
    int fd = Board().Open(strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        // Some file systems refuse to sync a directory; the rename stands anyway.
        Board().Fsync(fd);
        Board().Close(fd);
    }
}

bool CVeltoXMLFile::Save() {
    m_strError.clear();
    tinyxml2::XMLPrinter printer;
    m_doc.Print(&printer);
    // CStrSize counts the terminating NUL.
    size_t nSize = printer.CStrSize() > 0 ? static_cast<size_t>(printer.CStrSize() - 1) : 0;
    if (!WriteTemp(printer.CStr(), nSize)) {
        return false;
    }
    if (m_bUnloadable && !KeepAside()) {
        Board().Unlink(TempPath().c_str());
        return false;
    }
    m_bUnloadable = false;
    if (Board().Rename(TempPath().c_str(), m_strPath.c_str()) != 0) {
        SetErrno("cannot replace", m_strPath, errno);
        Board().Unlink(TempPath().c_str());
        return false;
    }
    SyncDirectory();
    return true;
}

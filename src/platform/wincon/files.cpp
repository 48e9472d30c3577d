// The game's own files on Windows. A save writes a fresh file beside the old one and then moves
// it over the old one in one step, so "savefile" is always either the old or the new whole file.
// The game names its files bare; whereis() says which folder they are in.
#include "platform/platform.h"

#include <string>
#include <windows.h>

namespace {

bool missing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// A name no other save, in this process or another, is using at the same moment.
HANDLE createtemp(const char* name, std::string* temp) {
    static unsigned serial = 0;
    for (int tries = 0; tries < 100; tries++) {
        *temp = std::string(name) + "." + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(serial++) + ".new";
        HANDLE f = CreateFileA(temp->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return f;
    }
    return INVALID_HANDLE_VALUE;
}

// The folders a file is to be in, quietly: one that cannot be made shows up when the file cannot.
void makefolders(const std::string& file) {
    for (std::size_t at = file.find_first_of("\\/", 1); at != std::string::npos;
         at = file.find_first_of("\\/", at + 1))
        CreateDirectoryA(file.substr(0, at).c_str(), nullptr);
}

} // namespace

long readfile(const char* bare, unsigned char* buf, long n) {
    const std::string at = whereis(bare);
    const char* name = at.c_str();
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return missing(GetLastError()) ? -1 : -2;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
        return -2;
    HANDLE f =
        CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return missing(GetLastError()) ? -1 : -2;
    // Only a plain disk file: a console or pipe by that name could block the game forever.
    if (GetFileType(f) != FILE_TYPE_DISK) {
        CloseHandle(f);
        return -2;
    }
    long got = 0;
    while (got < n) {
        DWORD k = 0;
        if (!ReadFile(f, buf + got, static_cast<DWORD>(n - got), &k, nullptr) || k == 0)
            break;
        got += static_cast<long>(k);
    }
    CloseHandle(f);
    return got;
}

bool replacefile(const char* bare, const unsigned char* data, long n, std::string* why) {
    const std::string at = whereis(bare);
    const char* name = at.c_str();
    makefolders(at);
    std::string temp;
    HANDLE f = createtemp(name, &temp);
    if (f == INVALID_HANDLE_VALUE) {
        if (why)
            *why = "cannot write in " + (at.find_first_of("\\/") == std::string::npos
                                             ? std::string("the game's folder")
                                             : at.substr(0, at.find_last_of("\\/")));
        return false;
    }
    DWORD wrote = 0;
    bool ok = WriteFile(f, data, static_cast<DWORD>(n), &wrote, nullptr) &&
              wrote == static_cast<DWORD>(n);
    ok = FlushFileBuffers(f) && ok;
    ok = CloseHandle(f) && ok;
    // Unlike a plain rename, this replaces a file that is already there.
    if (ok && MoveFileExA(temp.c_str(), name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temp.c_str());
    if (why)
        *why = "cannot write the file";
    return false;
}

std::vector<std::string> listfolder(const char* folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((std::string(folder) + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return names;
}

bool removefile(const char* name) {
    return DeleteFileA(whereis(name).c_str()) || missing(GetLastError());
}

// Reads back the 80 by 25 cells of another program's console, for the end-to-end run under Wine.
// Usage: conread NAME.exe text|cells. "text" prints the characters, one row a line, anything
// outside printable ASCII as '?'; "cells" prints each cell as four hex digits, character then
// attribute. Ends with status 1 when no such program or console is found.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <tlhelp32.h>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 p;
    p.dwSize = sizeof p;
    DWORD pid = 0;
    for (BOOL more = Process32First(all, &p); more; more = Process32Next(all, &p))
        if (_stricmp(p.szExeFile, argv[1]) == 0)
            pid = p.th32ProcessID;
    CloseHandle(all);
    // The answer goes to this program's own output, which attaching may take away.
    HANDLE answer = GetStdHandle(STD_OUTPUT_HANDLE);
    FreeConsole();
    if (pid == 0 || !AttachConsole(pid))
        return 1;
    HANDLE con =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    static CHAR_INFO cells[25 * 80];
    SMALL_RECT region{0, 0, 79, 24};
    bool ok = con != INVALID_HANDLE_VALUE &&
              ReadConsoleOutputA(con, cells, COORD{80, 25}, COORD{0, 0}, &region);
    FreeConsole();
    if (!ok)
        return 1;
    const bool text = std::strcmp(argv[2], "text") == 0;
    std::string out;
    char hex[8];
    for (int i = 0; i < 25 * 80; i++) {
        const unsigned char ch = static_cast<unsigned char>(cells[i].Char.AsciiChar);
        std::snprintf(hex, sizeof hex, "%02x%02x", ch, cells[i].Attributes & 0xFF);
        out += !text ? hex : std::string(1, ch >= 0x20 && ch < 0x7F ? static_cast<char>(ch) : '?');
        if (i % 80 == 79)
            out += '\n';
    }
    DWORD wrote = 0;
    WriteFile(answer, out.data(), static_cast<DWORD>(out.size()), &wrote, nullptr);
    return 0;
}

#include "tmuxpane.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// One server per test, so a server still going down never meets the next test.
int servers = 0;

std::string socketname() {
    return "dropple-test-" + std::to_string(getpid()) + "-" + std::to_string(servers);
}

// The SGR parameters of one escape sequence, applied to the running colours.
void sgr(const std::string& params, long* fg, long* bg) {
    std::vector<long> p;
    std::size_t i = 0;
    while (i <= params.size()) {
        std::size_t j = params.find_first_of(";:", i);
        if (j == std::string::npos)
            j = params.size();
        p.push_back(j > i ? std::atol(params.substr(i, j - i).c_str()) : 0);
        i = j + 1;
    }
    for (std::size_t k = 0; k < p.size(); k++) {
        long v = p[k];
        if (v == 0) {
            *fg = *bg = -1;
        } else if (v == 39) {
            *fg = -1;
        } else if (v == 49) {
            *bg = -1;
        } else if ((v == 38 || v == 48) && k + 1 < p.size()) {
            long* c = v == 38 ? fg : bg;
            if (p[k + 1] == 2 && k + 4 < p.size()) {
                *c = p[k + 2] << 16 | p[k + 3] << 8 | p[k + 4];
                k += 4;
            } else if (p[k + 1] == 5 && k + 2 < p.size()) {
                *c = 0x1000000 + p[k + 2];
                k += 2;
            }
        }
    }
}

} // namespace

bool tmuxthere() {
    return std::system("command -v tmux >/dev/null 2>&1") == 0;
}

std::string tmux(const std::string& args) {
    std::string cmd = "tmux -L " + socketname() + " " + args + " 2>/dev/null";
    std::string result;
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr)
        return result;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        result.append(buf, n);
    pclose(p);
    return result;
}

void tmuxstart(const std::string& session, int cols, int rows, const std::string& command) {
    servers++;
    tmux("-f /dev/null new-session -d -s " + session + " -x " + std::to_string(cols) + " -y " +
         std::to_string(rows) + " '" + command + "'");
    tmux("set-option -g window-size manual");
    tmux("set-option -g status off");
}

void tmuxstop() {
    tmux("kill-server");
}

std::vector<std::vector<vtcell>> tmuxcells(const std::string& session) {
    std::string s = tmux("capture-pane -p -e -N -t " + session);
    std::vector<std::vector<vtcell>> rows(1);
    long fg = -1, bg = -1;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        if (b == '\n') {
            rows.emplace_back();
            i++;
        } else if (b == 0x1b && i + 1 < s.size() && s[i + 1] == '[') {
            std::size_t j = i + 2;
            while (j < s.size() && !(s[j] >= 0x40 && s[j] <= 0x7E))
                j++;
            if (j < s.size() && s[j] == 'm')
                sgr(s.substr(i + 2, j - i - 2), &fg, &bg);
            i = j + 1;
        } else {
            std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            rows.back().push_back({s.substr(i, len), fg, bg});
            i += len;
        }
    }
    if (rows.back().empty())
        rows.pop_back();
    return rows;
}

std::string scratchdir() {
    const char* base = std::getenv("TMPDIR");
    std::string t = std::string(base != nullptr ? base : "/tmp") + "/dropple-test-XXXXXX";
    std::vector<char> buf(t.begin(), t.end());
    buf.push_back('\0');
    return mkdtemp(buf.data()) != nullptr ? std::string(buf.data()) : std::string();
}

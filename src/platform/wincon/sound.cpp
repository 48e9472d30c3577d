// Sound through the multimedia command strings: every file is opened as a wave-audio device under
// its own name as the alias, so asking for a sound again restarts it while others play on.
// A command can take hundreds of milliseconds (opening a device, a busy audio stack), so the
// commands go to one worker thread and the frame never waits for them.
#include "platform/platform.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <windows.h>

#include <mmsystem.h>

namespace {

struct worker {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::string> commands;
    std::set<std::string> opened; // the names whose open succeeded; only the worker touches it
};

// Requests waiting beyond this are dropped: sounds that late would no longer belong to their
// moment in the game.
constexpr std::size_t backlog = 64;

// Never destroyed: the thread may still be inside a command while the process ends.
worker* w = nullptr;

void run() {
    for (;;) {
        std::string command;
        {
            std::unique_lock<std::mutex> hold(w->lock);
            w->wake.wait(hold, [] { return !w->commands.empty(); });
            command = std::move(w->commands.front());
            w->commands.pop_front();
        }
        bool open = command.compare(0, 5, "open ") == 0;
        std::string alias = command.substr(command.rfind(' ') + 1);
        if (!open) {
            // "play NAME from 0": the alias is the second word.
            alias = command.substr(5, command.find(' ', 5) - 5);
            if (!w->opened.count(alias))
                continue;
        }
        if (mciSendStringA(command.c_str(), nullptr, 0, nullptr) == 0 && open)
            w->opened.insert(alias);
    }
}

void send(std::string command) {
    if (!w) {
        w = new worker;
        std::thread(run).detach();
    }
    {
        std::lock_guard<std::mutex> hold(w->lock);
        if (w->commands.size() >= backlog)
            return;
        w->commands.push_back(std::move(command));
    }
    w->wake.notify_one();
}

// A name is one word of the command: nothing in it may end the word or the quoted path.
bool plain(const std::string& name) {
    return !name.empty() && name.find_first_of(" \t\"\\/") == std::string::npos;
}

} // namespace

void soundopen(const std::string& name) {
    if (plain(name))
        send("open \"" + whereis("audio") + "\\" + name + "\" type waveaudio alias " + name);
}

void soundplay(const std::string& name) {
    if (plain(name))
        send("play " + name + " from 0");
}

// A stand-in for the encoders in runner and driver tests. It plays a script
// instead of coding media, so every event order can be produced on demand.
//
// The script is the source file itself: each line "<image> <command> [arg]"
// applies when the program runs under that name (conv, coder, coder2).
// Commands: print TEXT, eprint TEXT (escapes \r \n \t \\), sleep MS, bytes N,
// utf8 N, write, keep, exit N, vanish, crash, hang, ignoreterm, touch PATH
// (makes an empty file), await PATH (waits until that file exists: a test
// opens such a gate once the event it waits for has happened, instead of
// racing a sleep), awaitterm (waits for SIGTERM, which then does not end it;
// it is held from the moment the script is read, so one that comes early is
// not lost). Without lines for its name it prints one status line, writes its
// output and exits 0. Like the real encoders it writes into a claimed part
// file beside the output: "write" copies the source there, so a second stage
// reads the same script, and "exit 0" then gives the part file the output's
// name and prints `IMAGE: wrote "NAME"` (a taken name gets "-2", ...; the name
// is quoted as the encoders quote it); "keep" names the part file so without
// a word, as an encoder that keeps a partial output before it fails. "vanish"
// exits 0 having written nothing. With FAKE_ENCODER_LOG set, each run appends
// "start"/"end" lines with the image, the pid and a monotonic time in ms.
// The engine's flags after a command line ("--remux") are taken off it; a run
// ending in "--remux-only" reads the lines of "<image>--remux-only" instead of
// its image's.
#include "partfiles.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string g_image;
std::string g_source;
std::string g_output;
std::string g_part;
sonvera::PartFile g_partFile; // claimed from the first write until the end
bool g_written = false;

long long nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void logLine(const char *what)
{
    const char *log = std::getenv("FAKE_ENCODER_LOG");
    if (!log)
        return;
    const std::string line = std::string(what) + ' ' + g_image + ' ' + std::to_string(getpid()) + ' '
        + std::to_string(nowMs()) + ' ' + g_output + '\n';
    const int fd = open(log, O_WRONLY | O_APPEND | O_CREAT, 0600);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t n = write(fd, line.data(), line.size());
        close(fd);
    }
}

std::string unescape(const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

void writeOutput()
{
    if (g_partFile.path().isEmpty()) {
        int error = 0;
        const std::size_t slash = g_output.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : g_output.substr(0, slash);
        g_partFile = sonvera::PartFile::create(QString::fromStdString(folder), error);
        g_part = g_partFile.path().toStdString();
        errno = error;
    }
    std::ifstream in(g_source, std::ios::binary);
    std::ofstream out(g_part, std::ios::binary | std::ios::trunc);
    if (g_part.empty() || !out) {
        std::cerr << g_image << ": cannot write \"" << g_part << "\": " << std::strerror(errno) << std::endl;
        logLine("end");
        std::exit(1);
    }
    out << in.rdbuf();
    g_written = true;
}

// A name as the encoders quote it: a line break cannot split their line.
std::string quoted(const std::string &name)
{
    std::string out = "\"";
    for (char c : name) {
        if (c == '\\' || c == '"')
            out += '\\', out += c;
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out + '"';
}

// Like the real encoders, an output never replaces anything: a taken name
// gives "-2", "-3", ...; only the intermediate tmp.mp4 is replaced.
std::string publish()
{
    const std::size_t slash = g_output.find_last_of('/') + 1;
    if (g_output.substr(slash) == "tmp.mp4") {
        std::rename(g_part.c_str(), g_output.c_str());
        return g_output;
    }
    const std::size_t dot = g_output.find_last_of('.');
    const std::size_t stem = dot == std::string::npos || dot < slash ? g_output.size() : dot;
    for (int n = 1;; ++n) {
        const std::string name = n == 1 ? g_output : g_output.substr(0, stem) + '-' + std::to_string(n) + g_output.substr(stem);
        if (link(g_part.c_str(), name.c_str()) == 0) {
            unlink(g_part.c_str());
            return name;
        }
        if (errno != EEXIST)
            return g_output;
    }
}

void finish(int code)
{
    if (code == 0) {
        if (!g_written)
            writeOutput();
        const std::string written = publish();
        std::cout << '\n' << g_image << ": wrote " << quoted(written.substr(written.find_last_of('/') + 1)) << "\n";
    } else if (g_written) {
        std::remove(g_part.c_str()); // a failed run cleans up after itself
    }
    std::cout.flush();
    logLine("end");
    std::exit(code);
}

} // namespace

int main(int argc, char *argv[])
{
    std::string self = argv[0];
    g_image = self.substr(self.find_last_of('/') + 1);
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string key = g_image;
    while (!args.empty() && args.back().rfind("--", 0) == 0) {
        if (args.back() == "--remux-only")
            key = g_image + "--remux-only";
        args.pop_back();
    }
    if (g_image == "conv") {
        if (!args.empty())
            g_source = args.front();
        for (std::size_t i = 0; i + 1 < args.size(); ++i) {
            if (args[i] == "-o")
                g_output = args[i + 1];
        }
    } else {
        for (std::size_t i = 0; i + 1 < args.size(); ++i) {
            if (args[i] == "-i")
                g_source = args[i + 1];
        }
        if (!args.empty())
            g_output = args.back();
    }
    logLine("start");

    std::ifstream script(g_source);
    if (!script) {
        std::cerr << g_image << ": cannot open \"" << g_source << "\"" << std::endl;
        finish(1);
    }
    std::vector<std::string> commands;
    for (std::string line; std::getline(script, line);) {
        if (line.rfind(key + ' ', 0) == 0)
            commands.push_back(line.substr(key.size() + 1));
    }
    if (std::find(commands.begin(), commands.end(), "awaitterm") != commands.end()) {
        sigset_t term;
        sigemptyset(&term);
        sigaddset(&term, SIGTERM);
        sigprocmask(SIG_BLOCK, &term, nullptr);
    }
    if (commands.empty()) {
        std::cout << (g_image == "conv" ? "Pos:   1.0s     30f (50%)\r" : "  Duration: 00:00:02.00, start: 0\ntime=1.00\r");
        finish(0);
    }

    for (const std::string &command : commands) {
        std::istringstream words(command);
        std::string verb;
        words >> verb;
        std::string rest;
        std::getline(words, rest);
        if (!rest.empty() && rest.front() == ' ')
            rest.erase(0, 1);
        if (verb == "print") {
            std::cout << unescape(rest) << std::flush;
        } else if (verb == "eprint") {
            std::cerr << unescape(rest) << std::flush;
        } else if (verb == "sleep") {
            usleep(static_cast<useconds_t>(std::stoi(rest)) * 1000);
        } else if (verb == "bytes") {
            std::cout << std::string(static_cast<std::size_t>(std::stoi(rest)), 'x') << std::flush;
        } else if (verb == "utf8") {
            for (int i = 0; i < std::stoi(rest); ++i)
                std::cout << "\xe8\xbd\xac"; // 转
            std::cout << std::flush;
        } else if (verb == "write") {
            writeOutput();
        } else if (verb == "keep") {
            publish(); // as an encoder that keeps a partial output, before it fails
            g_written = false;
        } else if (verb == "exit") {
            finish(std::stoi(rest));
        } else if (verb == "vanish") {
            std::cout.flush();
            logLine("end");
            std::exit(0);
        } else if (verb == "crash") {
            std::cout.flush();
            std::signal(SIGSEGV, SIG_DFL);
            std::raise(SIGSEGV);
        } else if (verb == "hang") {
            for (;;)
                pause();
        } else if (verb == "ignoreterm") {
            std::signal(SIGTERM, SIG_IGN);
        } else if (verb == "touch") {
            std::ofstream touched(rest);
        } else if (verb == "await") {
            while (access(rest.c_str(), F_OK) != 0)
                usleep(5000);
        } else if (verb == "awaitterm") {
            sigset_t term;
            sigemptyset(&term);
            sigaddset(&term, SIGTERM);
            int received = 0;
            sigwait(&term, &received);
        }
    }
    finish(0);
}

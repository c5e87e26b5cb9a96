#include "platform/crash_handler.h"

#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlo {

namespace {

// Everything the handler needs is prepared here: in a signal handler only async-signal-safe
// calls are allowed, so no allocation and no stdio.
constexpr std::size_t kPath = 4096;
char gReports[kPath];
char gSettings[kPath];
char gFallback[kPath];
bool gInstalled = false;
volatile sig_atomic_t gRunning = 0;

void copyInto(char* dst, const std::string& src) {
    std::size_t n = src.size() < kPath - 1 ? src.size() : kPath - 1;
    std::memcpy(dst, src.data(), n);
    dst[n] = 0;
}

// Appends to a fixed buffer; safe in a handler.
struct Buf {
    char text[kPath];
    std::size_t len = 0;
    Buf& add(const char* s) {
        while (*s && len < kPath - 1) text[len++] = *s++;
        text[len] = 0;
        return *this;
    }
    Buf& num(unsigned long v, int width = 0) {
        char d[24];
        int n = 0;
        do {
            d[n++] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v && n < 24);
        while (n < width && n < 24) d[n++] = '0';
        while (n > 0 && len < kPath - 1) text[len++] = d[--n];
        text[len] = 0;
        return *this;
    }
};

void writeAll(int fd, const char* s, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, s, n);
        if (w <= 0) return;
        s += w;
        n -= static_cast<std::size_t>(w);
    }
}
void writeStr(int fd, const char* s) {
    writeAll(fd, s, std::strlen(s));
}

bool copyFile(const char* folder, const char* name, const char* toFolder) {
    Buf from;
    from.add(folder).add("/").add(name);
    int in = ::open(from.text, O_RDONLY);
    if (in < 0) return false;
    Buf to;
    to.add(toFolder).add("/").add(name);
    int out = ::open(to.text, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
        char chunk[8192];
        ssize_t n;
        while ((n = ::read(in, chunk, sizeof chunk)) > 0) writeAll(out, chunk, static_cast<std::size_t>(n));
        ::close(out);
    }
    ::close(in);
    return out >= 0;
}

const char* signalName(int sig) {
    switch (sig) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGABRT:
        return "SIGABRT";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    default:
        return "signal";
    }
}

extern "C" void onFatalSignal(int sig) {
    if (gRunning) _exit(128 + sig); // a crash inside the handler
    gRunning = 1;

    // crash-YYYYMMDD-HHMMSS-PID from the UTC clock (gmtime is not safe here; do the arithmetic).
    time_t now = time(nullptr);
    unsigned long days = static_cast<unsigned long>(now / 86400),
                  secs = static_cast<unsigned long>(now % 86400);
    // Civil date from days since 1970-01-01 (Howard Hinnant's public algorithm).
    long z = static_cast<long>(days) + 719468;
    long era = z / 146097, doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long y = yoe + era * 400, doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    long d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;

    Buf folder;
    folder.add(gReports).add("/crash-").num(static_cast<unsigned long>(y), 4).num(m, 2).num(d, 2).add("-");
    folder.num(secs / 3600, 2).num(secs / 60 % 60, 2).num(secs % 60, 2).add("-").num(getpid());
    ::mkdir(folder.text, 0755);

    Buf trace;
    trace.add(folder.text).add("/backtrace.txt");
    int fd = ::open(trace.text, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        writeStr(fd, "Tavlo Software Report\nfatal signal: ");
        writeStr(fd, signalName(sig));
        writeStr(fd, "\n\n");
        void* frames[64];
        int n = backtrace(frames, 64);
        backtrace_symbols_fd(frames, n, fd);
        ::close(fd);
    }
    for (const char* name : {"Tavlo.ini", "config.txt"}) {
        if (!copyFile(gSettings, name, folder.text)) copyFile(gFallback, name, folder.text);
    }

    writeStr(2, "Tavlo stopped because of a fault (");
    writeStr(2, signalName(sig));
    writeStr(2, "). A report was written to ");
    writeStr(2, folder.text);
    writeStr(2, "\n");

    signal(sig, SIG_DFL);
    raise(sig);
}

} // namespace

void installCrashHandler(const CrashReportSetup& setup) {
    copyInto(gReports, setup.reportsFolder);
    copyInto(gSettings, setup.settingsFolder);
    copyInto(gFallback, setup.fallbackSettingsFolder);
    if (gInstalled) return;
    gInstalled = true;
    // backtrace() loads its unwinder on first use; do that now, not inside the handler.
    void* warm[1];
    backtrace(warm, 1);
    // The handler gets its own stack so that a stack overflow is reported too.
    static char altStack[64 * 1024];
    stack_t ss{};
    ss.ss_sp = altStack;
    ss.ss_size = sizeof altStack;
    sigaltstack(&ss, nullptr);
    struct sigaction sa {};
    sa.sa_handler = onFatalSignal;
    sa.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) sigaction(sig, &sa, nullptr);
}

} // namespace tavlo

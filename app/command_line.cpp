#include "app/command_line.h"

#include <cctype>
#include <charconv>
#include <unistd.h>

namespace tavlo {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool startsWithNoCase(const std::string& s, const char* prefix) {
    return lower(s.substr(0, std::char_traits<char>::length(prefix))) == prefix;
}

// "%d,%d,%d,%d" with nothing but blanks around the numbers.
bool parseFourInts(const std::string& text, int out[4]) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (int i = 0; i < 4; ++i) {
        while (p < end && *p == ' ') ++p;
        if (p < end && *p == '+') ++p;
        auto [next, ec] = std::from_chars(p, end, out[i]);
        if (ec != std::errc()) return false;
        p = next;
        while (p < end && *p == ' ') ++p;
        if (i < 3) {
            if (p >= end || *p != ',') return false;
            ++p;
        }
    }
    return p == end;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    if (!args.empty() && lower(args[0]) == "-recover") {
        cl.recover = true;
        return cl;
    }
    for (const std::string& arg : args) {
        if (startsWithNoCase(arg, "/r:")) {
            cl.commandLineMode = true;
            cl.recordPath = arg.substr(3);
            if (cl.recordPath.empty())
                cl.errors.push_back("\"/r:\" needs the path of the project file to record into.");
        } else if (startsWithNoCase(arg, "/s:")) {
            cl.commandLineMode = true;
            int v[4];
            std::string numbers = arg.substr(3);
            if (!parseFourInts(numbers, v)) {
                cl.errors.push_back("\"/s:\" needs four whole numbers top,left,bottom,right, not \"" +
                                    numbers + "\".");
            } else if (v[2] <= v[0] || v[3] <= v[1]) {
                cl.errors.push_back("\"/s:" + numbers +
                                    "\" is not an area: bottom must be below top and right beyond left.");
            } else {
                cl.area = Rect{v[1], v[0], v[3], v[2]};
            }
        } else if (lower(arg) == "/p") {
            cl.commandLineMode = true;
            cl.pan = true;
        } else if (lower(arg) == "/h") {
            cl.commandLineMode = true;
            cl.hidden = true;
        } else if (lower(arg) == "/c") {
            cl.commandLineMode = true;
            cl.createAfterSave = true;
        } else if (lower(arg) == "/v") {
            cl.verifyOutput = true;
        } else {
            // Anything else names a project; only a ".tavlo" file is opened, and it ends the list.
            if (arg.size() > 6 && lower(arg.substr(arg.size() - 6)) == ".tavlo") {
                cl.projectPath = arg;
                auto slash = arg.find_last_of('/');
                if (slash != std::string::npos) {
                    cl.projectFolder = slash == 0 ? "/" : arg.substr(0, slash);
                } else {
                    char cwd[4096];
                    cl.projectFolder = getcwd(cwd, sizeof cwd) ? cwd : ".";
                }
            }
            break;
        }
    }
    return cl;
}

} // namespace tavlo

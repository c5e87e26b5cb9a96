#include "core/line_format.h"

#include <charconv>
#include <climits>
#include <cstring>

namespace tavlo {

namespace {
std::string_view skipBlanks(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size() &&
           (t[i] == ' ' || t[i] == '\t' || t[i] == '\r' || t[i] == '\n' || t[i] == '\v' || t[i] == '\f'))
        ++i;
    return t.substr(i);
}
} // namespace

int parseDecimalInt(std::string_view text) {
    std::string_view t = skipBlanks(text);
    bool negative = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    long long v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') break;
        v = v * 10 + (c - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

double parseDecimalDouble(std::string_view text) {
    std::string_view t = skipBlanks(text);
    if (!t.empty() && t[0] == '+') t.remove_prefix(1);
    double v = 0.0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    (void)p;
    if (ec != std::errc()) return 0.0;
    return v;
}

std::string formatFixed6(double value) {
    char buf[400];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 6);
    if (ec != std::errc()) return "0.000000";
    return std::string(buf, p);
}

void LineWriter::putInt(long long value) {
    out_ += std::to_string(value);
    out_ += '\n';
}

void LineWriter::putFloat(double value) {
    out_ += formatFixed6(value);
    out_ += '\n';
}

void LineWriter::putString(std::string_view text) {
    out_ += text;
    out_ += '\n';
}

void LineWriter::putRaw(std::span<const std::uint8_t> bytes) {
    out_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void LineWriter::putRaw(const void* data, std::size_t size) {
    out_.append(static_cast<const char*>(data), size);
}

void LineWriter::putU32(std::uint32_t v) {
    char b[4] = {char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff), char((v >> 24) & 0xff)};
    out_.append(b, 4);
}

bool LineReader::getLine(std::string& line) {
    if (failed_ || pos_ >= data_.size()) {
        failed_ = true;
        return false;
    }
    std::size_t end = data_.find('\n', pos_);
    if (end == std::string_view::npos) {
        line.assign(data_.substr(pos_));
        pos_ = data_.size();
    } else {
        line.assign(data_.substr(pos_, end - pos_));
        pos_ = end + 1;
    }
    return true;
}

bool LineReader::getInt(int& value) {
    long long v;
    if (!getInt(v)) return false;
    if (v < INT_MIN || v > INT_MAX) {
        failed_ = true;
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

bool LineReader::getInt(long long& value) {
    std::string line;
    if (!getLine(line)) return false;
    std::string_view t = skipBlanks(line);
    if (!t.empty() && t[0] == '+') t.remove_prefix(1);
    long long v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    // A number line holds a number and nothing else but blanks: anything else means the reader
    // has lost its place in the file.
    if (ec != std::errc() || !skipBlanks(std::string_view(p, t.data() + t.size() - p)).empty()) {
        failed_ = true;
        return false;
    }
    value = v;
    return true;
}

bool LineReader::getBool(bool& value) {
    int v;
    if (!getInt(v)) return false;
    value = v != 0;
    return true;
}

bool LineReader::getFloat(double& value) {
    std::string line;
    if (!getLine(line)) return false;
    std::string_view t = skipBlanks(line);
    if (!t.empty() && t[0] == '+') t.remove_prefix(1);
    double v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || !skipBlanks(std::string_view(p, t.data() + t.size() - p)).empty()) {
        failed_ = true;
        return false;
    }
    value = v;
    return true;
}

bool LineReader::getFloat(float& value) {
    double v;
    if (!getFloat(v)) return false;
    value = static_cast<float>(v);
    return true;
}

bool LineReader::getRaw(void* out, std::size_t size) {
    if (failed_ || size > remaining()) {
        failed_ = true;
        return false;
    }
    std::memcpy(out, data_.data() + pos_, size);
    pos_ += size;
    return true;
}

bool LineReader::getU32(std::uint32_t& value) {
    std::uint8_t b[4];
    if (!getRaw(b, 4)) return false;
    value = b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24);
    return true;
}

} // namespace tavlo

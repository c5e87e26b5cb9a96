#pragma once
// The line-oriented file form shared by the state file, the custom-defaults file and the project
// file: one decimal value per line ("%d\n", "%f\n", "%s\n") mixed with raw little-endian blocks.
// Numbers are always written and parsed in the C locale, whatever the process locale is.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tavlo {

// atoi-style: leading blanks, an optional sign, digits; 0 when there are none; clamped to int.
int parseDecimalInt(std::string_view text);
// atof-style in the C locale; 0.0 when there is no number.
double parseDecimalDouble(std::string_view text);
// "%f" in the C locale.
std::string formatFixed6(double value);

class LineWriter {
public:
    void putInt(long long value);
    void putFloat(double value);
    void putString(std::string_view text); // the text, then "\n"
    void putRaw(std::span<const std::uint8_t> bytes);
    void putRaw(const void* data, std::size_t size);
    void putU32(std::uint32_t value); // raw little-endian
    const std::string& bytes() const { return out_; }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

// Reads what LineWriter writes. Every read is bounded by the bytes left; a read past the end or a
// malformed line marks the reader failed and returns false, leaving the target unchanged.
class LineReader {
public:
    explicit LineReader(std::string_view data) : data_(data) {}
    bool getLine(std::string& line); // without the "\n" (a final line may lack it)
    bool getInt(int& value);
    bool getInt(long long& value);
    bool getBool(bool& value); // an int line, nonzero is true
    bool getFloat(double& value);
    bool getFloat(float& value);
    bool getString(std::string& value) { return getLine(value); }
    bool getRaw(void* out, std::size_t size);
    bool getU32(std::uint32_t& value);
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    bool failed() const { return failed_; }

private:
    std::string_view data_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

// Reads items of a file whose version says which items it has: an item introduced after the
// file's version is skipped and keeps its default. Once a read fails, later items are skipped too,
// so a damaged tail never overwrites defaults with garbage.
class VersionedReader {
public:
    VersionedReader(LineReader& reader, int fileVersion) : r_(reader), version_(fileVersion) {}
    bool has(int sinceVersion) const { return !r_.failed() && version_ >= sinceVersion; }
    template <typename T> void item(int sinceVersion, T& value) {
        if (has(sinceVersion)) read(value);
    }
    int version() const { return version_; }
    LineReader& reader() { return r_; }

private:
    void read(int& v) { r_.getInt(v); }
    void read(long long& v) { r_.getInt(v); }
    void read(bool& v) { r_.getBool(v); }
    void read(double& v) { r_.getFloat(v); }
    void read(float& v) { r_.getFloat(v); }
    void read(std::string& v) { r_.getString(v); }
    void read(std::uint32_t& v) { r_.getU32(v); }
    LineReader& r_;
    int version_;
};

} // namespace tavlo

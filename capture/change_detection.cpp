#include "capture/change_detection.h"

#include <algorithm>
#include <cstring>

namespace tavlo::capture {

namespace {

struct Span {
    int from, to;
};

class Scanner {
public:
    Scanner(const std::uint32_t* before, const std::uint32_t* after, int width, int height, int gap)
        : a_(before), b_(after), w_(width), h_(height), gap_(gap), dirty_(static_cast<std::size_t>(width)) {}

    void columns(int x0, int x1, int y0, int y1) {
        if (full()) return;
        // Columns are marked row by row: rows compare as whole memory runs, which skips the
        // unchanged ones quickly and keeps the reads sequential.
        std::fill(dirty_.begin() + x0, dirty_.begin() + x1 + 1, 0);
        const std::size_t n = static_cast<std::size_t>(x1 - x0 + 1) * 4;
        for (int y = y0; y <= y1; ++y) {
            const std::uint32_t* ra = row(a_, y) + x0;
            const std::uint32_t* rb = row(b_, y) + x0;
            if (std::memcmp(ra, rb, n) == 0) continue;
            for (int x = 0; x <= x1 - x0; ++x) dirty_[x0 + x] |= ra[x] != rb[x];
        }
        std::vector<Span> spans = group(x0, x1, [&](int x) { return dirty_[x] != 0; });
        if (spans.empty()) return;
        if (spans.size() == 1 && spans[0].from == x0 && spans[0].to == x1 && noProgress()) {
            emit(x0, x1, y0, y1);
            return;
        }
        for (const Span& s : spans) rows(s.from, s.to, y0, y1);
    }

    void rows(int x0, int x1, int y0, int y1) {
        if (full()) return;
        const std::size_t n = static_cast<std::size_t>(x1 - x0 + 1) * 4;
        std::vector<Span> spans =
            group(y0, y1, [&](int y) { return std::memcmp(row(a_, y) + x0, row(b_, y) + x0, n) != 0; });
        if (spans.empty()) return;
        if (spans.size() == 1 && spans[0].from == y0 && spans[0].to == y1 && noProgress()) {
            emit(x0, x1, y0, y1);
            return;
        }
        for (const Span& s : spans) columns(x0, x1, s.from, s.to);
    }

    bool full() const { return overflow_; }
    std::vector<ChangedRect> take() {
        if (overflow_) return {ChangedRect{0, 0, w_ - 1, h_ - 1}};
        return std::move(out_);
    }

private:
    const std::uint32_t* row(const std::uint32_t* p, int y) const {
        return p + static_cast<std::size_t>(y) * w_;
    }

    template <typename Dirty> std::vector<Span> group(int from, int to, Dirty dirty) const {
        std::vector<Span> spans;
        int last = -1;
        for (int i = from; i <= to; ++i) {
            if (!dirty(i)) continue;
            if (last < 0 || i - last > gap_)
                spans.push_back({i, i});
            else
                spans.back().to = i;
            last = i;
        }
        return spans;
    }

    // Counts scans that found nothing narrower; the second one in a row emits its region.
    bool noProgress() {
        if (++stalls_ == 2) {
            stalls_ = 0;
            return true;
        }
        return false;
    }

    void emit(int x0, int x1, int y0, int y1) {
        if (out_.size() == kMaxChangedRects) {
            overflow_ = true;
            return;
        }
        // Even left, odd right, but never past the last column of an odd-width frame.
        int left = x0 - x0 % 2;
        int right = std::min(x1 + (x1 + 1) % 2, w_ - 1);
        out_.push_back({left, y0, right, y1});
    }

    const std::uint32_t* a_;
    const std::uint32_t* b_;
    int w_, h_, gap_;
    std::vector<std::uint8_t> dirty_;
    std::vector<ChangedRect> out_;
    int stalls_ = 0;
    bool overflow_ = false;
};

} // namespace

std::vector<ChangedRect> findChangedRectangles(const std::uint32_t* before, const std::uint32_t* after,
                                               int width, int height, int gap) {
    if (width <= 0 || height <= 0) return {};
    Scanner s(before, after, width, height, gap);
    s.columns(0, width - 1, 0, height - 1);
    return s.take();
}

} // namespace tavlo::capture

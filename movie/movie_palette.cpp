#include "movie/movie_palette.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace tavlo::movie {

namespace {

constexpr std::uint32_t kWhiteKey = 0x7FFF;

struct Node {
    std::array<int, 8> child;
    bool leaf = false;
    std::uint32_t count = 0;
    std::uint64_t r = 0, g = 0, b = 0;
    std::uint32_t colour = 0;
    Node() { child.fill(-1); }
};

class Octree {
public:
    explicit Octree(int maxLeaves) : maxLeaves_(std::max(1, maxLeaves)) {
        nodes_.emplace_back();
        reducible_[0].push_back(0);
    }

    void insert(std::uint32_t rgb, std::uint32_t weight) {
        const std::uint32_t r = rgb >> 16 & 255, g = rgb >> 8 & 255, b = rgb & 255;
        int n = 0;
        for (int depth = 0; !nodes_[std::size_t(n)].leaf; ++depth) {
            const int bit = 7 - depth;
            const int i = int(((r >> bit) & 1) << 2 | ((g >> bit) & 1) << 1 | ((b >> bit) & 1));
            int c = nodes_[std::size_t(n)].child[std::size_t(i)];
            if (c < 0) {
                c = int(nodes_.size());
                nodes_.emplace_back();
                nodes_[std::size_t(n)].child[std::size_t(i)] = c;
                if (depth + 1 == 5) {
                    nodes_[std::size_t(c)].leaf = true;
                    ++leaves_;
                } else {
                    reducible_[std::size_t(depth + 1)].push_back(c);
                }
            }
            n = c;
        }
        Node& leaf = nodes_[std::size_t(n)];
        leaf.count += weight;
        leaf.r += std::uint64_t(weight) * r;
        leaf.g += std::uint64_t(weight) * g;
        leaf.b += std::uint64_t(weight) * b;
        while (leaves_ > maxLeaves_ && reduce()) {
        }
    }

    bool hasLeaves() const { return leaves_ > 0; }

    // The leaf colours, averaged; returns them in tree order.
    std::vector<std::uint32_t> finish() {
        std::vector<std::uint32_t> out;
        for (Node& n : nodes_)
            if (n.leaf && n.count > 0) {
                n.colour = std::uint32_t(n.r / n.count) << 16 | std::uint32_t(n.g / n.count) << 8 |
                           std::uint32_t(n.b / n.count);
                out.push_back(n.colour);
            }
        return out;
    }

    // The leaf a colour falls in; missing children give way to the first existing one. False for
    // a tree that has nothing, or a node without any child.
    bool find(std::uint32_t rgb, std::uint32_t& colour) const {
        const std::uint32_t r = rgb >> 16 & 255, g = rgb >> 8 & 255, b = rgb & 255;
        int n = 0;
        for (int depth = 0; !nodes_[std::size_t(n)].leaf; ++depth) {
            const int bit = 7 - depth;
            const int i = int(((r >> bit) & 1) << 2 | ((g >> bit) & 1) << 1 | ((b >> bit) & 1));
            int c = nodes_[std::size_t(n)].child[std::size_t(i)];
            for (int k = 0; c < 0 && k < 8; ++k) c = nodes_[std::size_t(n)].child[std::size_t(k)];
            if (c < 0) return false;
            n = c;
        }
        colour = nodes_[std::size_t(n)].colour;
        return nodes_[std::size_t(n)].count > 0;
    }

private:
    bool reduce() {
        for (int depth = 4; depth >= 0; --depth) {
            auto& list = reducible_[std::size_t(depth)];
            if (list.empty()) continue;
            Node& n = nodes_[std::size_t(list.back())]; // the most recently added
            list.pop_back();
            int children = 0;
            for (int& c : n.child) {
                if (c < 0) continue;
                const Node& k = nodes_[std::size_t(c)];
                n.count += k.count;
                n.r += k.r;
                n.g += k.g;
                n.b += k.b;
                c = -1;
                ++children;
            }
            n.leaf = true;
            leaves_ -= children - 1;
            return true;
        }
        return false;
    }

    int maxLeaves_;
    int leaves_ = 0;
    std::vector<Node> nodes_;
    std::array<std::vector<int>, 5> reducible_;
};

} // namespace

void MoviePalette::build(const std::vector<std::uint32_t>& histogram, int maximum, UiPrompts* prompts) {
    maximum = std::max(maximum, kFixedColours + 1);
    std::vector<std::uint32_t> counts(32768, 0);
    std::copy_n(histogram.begin(), std::min<std::size_t>(histogram.size(), counts.size()), counts.begin());
    int n = int(std::count_if(counts.begin(), counts.end(), [](std::uint32_t c) { return c != 0; }));
    // Filler keys spread over the colour space when the recording used few colours.
    if (n < maximum) {
        const int step = std::clamp(32768 / (maximum - n), 1, 8);
        for (int key = 0; key < 32767; key += step)
            if (counts[std::size_t(key)] == 0) counts[std::size_t(key)] = 1;
    }
    std::vector<std::uint32_t> keys;
    for (std::uint32_t k = 0; k < 32768; ++k)
        if (counts[k] != 0 || k == kWhiteKey) keys.push_back(k);
    std::stable_sort(keys.begin(), keys.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return counts[a] < counts[b]; });

    std::vector<std::uint32_t> fixedKeys = {kWhiteKey};
    for (auto it = keys.rbegin(); it != keys.rend() && int(fixedKeys.size()) < kFixedColours; ++it)
        if (*it != kWhiteKey) fixedKeys.push_back(*it);

    Octree tree(maximum - kFixedColours);
    for (std::uint32_t k : keys) {
        if (std::find(fixedKeys.begin(), fixedKeys.end(), k) != fixedKeys.end()) continue;
        tree.insert(keyColour(k), std::min<std::uint32_t>(counts[k], 100000));
    }
    colours_.clear();
    for (std::uint32_t k : fixedKeys) colours_.push_back(k == kWhiteKey ? 0xFFFFFF : keyColour(k) & 0xF8F8F8);
    for (std::uint32_t c : tree.finish()) colours_.push_back(c & 0xF8F8F8);

    table_.assign(32768, 0xFFFFFF);
    bool reported = false;
    for (std::uint32_t k = 0; k < 32768; ++k) {
        if (k == kWhiteKey) continue; // white keeps its low bits
        auto fixed = std::find(fixedKeys.begin(), fixedKeys.end(), k);
        if (fixed != fixedKeys.end()) {
            table_[k] = keyColour(k) & 0xF8F8F8;
            continue;
        }
        std::uint32_t colour = 0;
        if (tree.find(keyColour(k), colour)) {
            table_[k] = colour == 0xFFFFFF ? colour : colour & 0xF8F8F8;
        } else if (tree.hasLeaves() && !reported &&
                   prompts) { // an empty branch: the first palette entry serves
            prompts->message("Error in octree!", "Octree Error", Icon::Error);
            reported = true;
        }
    }
}

} // namespace tavlo::movie

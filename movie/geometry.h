#pragma once
// The movie's unit: how many twips one content pixel takes, chosen per run so that the header
// rectangle of every file stays within 16383 twips.
namespace tavlo::movie {

struct MovieUnit {
    int twipsPerPixel = 20;
    int pixelDivisor = 1;
    bool operator==(const MovieUnit&) const = default;
};

// `totalWidth` is the content width plus the chapter list beside it.
inline MovieUnit movieUnit(int totalWidth, int height) {
    if (totalWidth < 801 && height < 769) return {20, 1};
    if (totalWidth < 1601 && height < 1537) return {10, 2};
    if (totalWidth >= 3201) return {2, 10};
    return {5, 4};
}

} // namespace tavlo::movie

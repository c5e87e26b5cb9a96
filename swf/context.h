#pragma once
// The state of one publish run that the tag and object layer share: character ids, the bitmap
// cache, the switches chosen by the movie builder, the text-field name counter. One context per
// run; nothing here is shared between threads.
#include "core/ui_prompts.h"
#include "swf/bitmap_cache_file.h"
#include "swf/types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavlo::swf {

struct SwfContext {
    explicit SwfContext(UiPrompts& p) : prompts(p) {}

    UiPrompts& prompts;
    Progress* progress = nullptr; // the run's progress window, or none
    BitmapCacheFile cache;
    bool cacheOk = true;
    bool flash4Compatible = false;  // version 4 header and the font flags of that version
    bool cacheTextAsBitmap = false; // text fields created while set are placed with PlaceObject3
    std::string metaTag;            // the configured description of the metadata
    std::string publisherAddress = "https://tavlo.app/";
    uint16_t characterIds = 0; // the last id given; back to 0 after every file written
    int textFieldNames = 1;    // "T%d" default variable names; never reset

    uint16_t nextCharacterId() { return ++characterIds; }
    // Reports a cache failure the way the user sees it.
    void cacheFailed();
    // The payload as a cache record when the cache is open (the memory is released), else kept
    // in memory. A failed write reports, clears cacheOk and marks the payload lost.
    Payload cachePayload(std::vector<uint8_t> bytes);
    // The same for bytes the caller keeps: they are copied only when there is no cache file.
    Payload cachePayload(const uint8_t* data, size_t length);
};

} // namespace tavlo::swf

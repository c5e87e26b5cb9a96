#include "swf/context.h"

namespace tavlo::swf {

void SwfContext::cacheFailed() {
    prompts.message("FailCache()", "Tavlo Warning", Icon::Error);
    cacheOk = false;
}

Payload SwfContext::cachePayload(std::vector<uint8_t> bytes) {
    if (!cache.isOpen()) {
        // Without a cache the bytes stay in memory rather than being dropped from the file.
        Payload p;
        p.bytes = std::move(bytes);
        return p;
    }
    return cachePayload(bytes.data(), bytes.size());
}

Payload SwfContext::cachePayload(const uint8_t* data, size_t length) {
    Payload p;
    if (!cache.isOpen()) {
        p.bytes.assign(data, data + length);
        return p;
    }
    auto offset = cache.append(data, uint32_t(length));
    p.cacheLength = uint32_t(length);
    if (offset) {
        p.cached = true;
        p.cacheOffset = *offset;
    } else {
        p.lost = true;
        cacheFailed();
    }
    return p;
}

} // namespace tavlo::swf

#include "swf/context.h"

namespace tavlo::swf {

void SwfContext::cacheFailed() {
    prompts.message("FailCache()", "Tavlo Warning", Icon::Error);
    cacheOk = false;
}

Payload SwfContext::cachePayload(std::vector<uint8_t> bytes) {
    Payload p;
    if (!cache.isOpen()) {
        // Without a cache the bytes stay in memory rather than being dropped from the file.
        p.bytes = std::move(bytes);
        return p;
    }
    auto offset = cache.append(bytes.data(), uint32_t(bytes.size()));
    p.cacheLength = uint32_t(bytes.size());
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

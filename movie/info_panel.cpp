#include "movie/info_panel.h"

#include "movie/picture.h"
#include "movie/resource_pictures.h"
#include "swf/script.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>

namespace tavlo::movie {

namespace {

constexpr std::uint16_t kDepth = 10; // the largest shadow; the picture is 3 above it
constexpr int kRelease = 6;

// The picture centred in the movie, cut to the output.
Picture framedPicture(const InfoPanelRequest& r, int& x0, int& y0) {
    std::optional<Picture> p;
    if (!r.picturePath.empty()) p = loadPicture(r.picturePath);
    if (!p || p->width <= 0 || p->height <= 0) p = resourcePicture(kDefaultInformationPicture);
    x0 = (r.width - p->width) / 2;
    y0 = (r.height - p->height) / 2;
    const int cx = std::max(0, -x0), cy = std::max(0, -y0);
    const int w = std::min(p->width - cx, r.width), h = std::min(p->height - cy, r.height);
    Picture out(std::max(w, 1), std::max(h, 1));
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.at(x, y) = 0xFF000000u | (p->at(x + cx, y + cy) & 0xFFFFFF);
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    return out;
}

} // namespace

InfoPanel buildInfoPanel(swf::SwfContext& ctx, swf::SwfMovie& timeline, const InfoPanelRequest& r) {
    InfoPanel panel;
    int x0 = 0, y0 = 0;
    const Picture picture = framedPicture(r, x0, y0);
    panel.x0 = x0;
    panel.y0 = y0;
    panel.x1 = x0 + picture.width - 1;
    panel.y1 = y0 + picture.height - 1;
    const int scale = r.twipsPerPixel << 16;
    auto keep = [&](std::unique_ptr<swf::SwfShape> s) {
        s->scale(scale, scale);
        swf::SwfShape* raw = s.get();
        panel.objects.push_back(std::move(s));
        return raw;
    };

    // 32-bit lossless; a JPEG instead when the lossless data is large and the JPEG smaller.
    std::vector<std::uint8_t> argb(picture.argb.size() * 4);
    for (std::size_t i = 0; i < picture.argb.size(); ++i) {
        const std::uint32_t v = picture.argb[i];
        argb[i * 4] = std::uint8_t(v >> 24);
        argb[i * 4 + 1] = std::uint8_t(v >> 16);
        argb[i * 4 + 2] = std::uint8_t(v >> 8);
        argb[i * 4 + 3] = std::uint8_t(v);
    }
    uLongf packed = compressBound(uLong(argb.size()));
    std::vector<Bytef> scratch(packed);
    if (compress2(scratch.data(), &packed, argb.data(), uLong(argb.size()), 9) != Z_OK) packed = uLongf(-1);
    std::string jpeg;
    if (packed > 600) jpeg = encodeJpeg(picture, 90);
    swf::SwfShape* image;
    if (!jpeg.empty() && jpeg.size() < packed) {
        panel.jpeg = true;
        image = keep(std::make_unique<swf::SwfRectangle>(ctx, panel.x0, panel.y0, panel.x1, panel.y1, picture.width,
                                                         picture.height,
                                                         reinterpret_cast<const std::uint8_t*>(jpeg.data()),
                                                         jpeg.size()));
    } else {
        image = keep(std::make_unique<swf::SwfRectangle>(ctx, panel.x0, panel.y0, panel.x1, panel.y1, 5,
                                                         picture.width, picture.height, 0, true, argb.data(),
                                                         nullptr));
    }
    image->depth = kDepth + 3;

    // The drop shadow: three black rectangles, the largest lowest.
    swf::SwfShape* shadows[3];
    for (int i = 0; i < 3; ++i) {
        const int grow = 3 - i; // 3, 2, 1
        auto s = std::make_unique<swf::SwfRectangle>(ctx, panel.x0 + 3, panel.y0 + 3, panel.x1 + grow,
                                                     panel.y1 + grow);
        s->setFillColour({0, 0, 0, 255});
        s->setLineWidth(0);
        s->depth = std::uint16_t(kDepth + i);
        shadows[i] = keep(std::move(s));
    }

    const int m = std::max(1, int(std::trunc(600 / std::max(r.msPerFrame, 1.0))));
    panel.fadeFrames = m;
    timeline.frame(0).addStep(swf::StopStep());
    timeline.frame(0).closeActions();
    auto show = [&](int frame, int alpha) {
        swf::SwfFrame& f = timeline.frame(frame);
        image->setColourTransform(256, 256, 256, alpha, 0, 0, 0, 0);
        f.place(*image);
        for (swf::SwfShape* s : shadows) {
            s->setColourTransform(256, 256, 256, int(std::trunc(alpha * 0.1)), 0, 0, 0, 0);
            f.place(*s);
        }
        swf::SwfFrame& next = timeline.frame(frame + 1);
        next.remove(*image);
        for (swf::SwfShape* s : shadows) next.remove(*s);
    };
    int frame = r.startFrame;
    for (int k = 0; k <= m; ++k) show(frame++, k == m ? 255 : k * 255 / m);
    const int waitFrame = frame - 1;

    // The button over the picture, in the last fade-in frame, which waits.
    auto up = std::make_unique<swf::SwfRectangle>(ctx, panel.x0, panel.y0, panel.x1, panel.y1);
    up->setFillColour({255, 255, 255, 0});
    up->setLineWidth(0);
    auto lit = std::make_unique<swf::SwfRectangle>(ctx, panel.x0, panel.y0, panel.x1, panel.y1);
    lit->setFillColour({255, 255, 0, 20});
    lit->setLineColour({255, 255, 0, 0});
    lit->setLineWidth(2);
    swf::SwfShape* upState = keep(std::move(up));
    swf::SwfShape* litState = keep(std::move(lit));
    auto button = std::make_unique<swf::SwfButton>(ctx, *upState, *litState, *litState, *upState);
    if (!r.link.empty()) button->addStep(swf::GetUrlStep(r.link, r.target, 0), kRelease);
    button->addStep(swf::PlayStep(), kRelease);
    button->depth = kDepth + 4;
    timeline.frame(waitFrame).place(*button);
    timeline.frame(waitFrame).addStep(swf::StopStep());
    timeline.frame(waitFrame + 1).remove(*button);
    panel.objects.push_back(std::move(button));

    for (int k = m - 1; k >= 1; --k) show(frame++, k * 255 / m);
    return panel;
}

} // namespace tavlo::movie

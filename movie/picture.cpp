#include "movie/picture.h"

#include "project/image/jpeg_codec.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cmath>

namespace tavlo::movie {

void preparePicture(Picture& p, std::uint32_t tint, double opacity, bool transpose) {
    const double tr = tint >> 16 & 255, tg = tint >> 8 & 255, tb = tint & 255;
    const double tsum = tr + tg + tb;
    for (std::uint32_t& v : p.argb) {
        const std::uint32_t rgb = v & 0xFFFFFF;
        double a = v >> 24;
        if (p.bitmapMode) a = rgb == 0 || rgb == 0xFF00FF ? 0 : 255;
        const int alpha = int(std::trunc(opacity * a));
        if (alpha <= 0) {
            v = 0;
            continue;
        }
        std::uint32_t r = rgb >> 16, g = rgb >> 8 & 255, b = rgb & 255;
        if (tsum > 0) {
            // Mid-grey takes the tint fully, black and white stay neutral, brightness is kept.
            const double i = (r + g + b) / 3.0;
            const double k = std::abs(std::trunc(128 - i)) / 128;
            const double x[3] = {std::trunc(i * k + (1 - k) * i * tr / tsum),
                                 std::trunc(i * k + (1 - k) * i * tg / tsum),
                                 std::trunc(i * k + (1 - k) * i * tb / tsum)};
            const double s = (x[0] + x[1] + x[2]) / 3;
            auto channel = [&](double c) { return s > 0 ? std::uint32_t(std::min(255.0, std::trunc(i * c / s))) : 0u; };
            r = channel(x[0]);
            g = channel(x[1]);
            b = channel(x[2]);
        }
        v = std::uint32_t(std::min(alpha, 255)) << 24 | r << 16 | g << 8 | b;
    }
    if (transpose) {
        Picture t(p.height, p.width);
        t.bitmapMode = p.bitmapMode;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) t.at(y, x) = p.at(x, y);
        p = std::move(t);
    }
}

std::string encodePng(const Picture& p) {
    if (p.width <= 0 || p.height <= 0) return {};
    const QImage image(reinterpret_cast<const uchar*>(p.argb.data()), p.width, p.height, p.width * 4,
                       QImage::Format_ARGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return {};
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

std::optional<Picture> loadPicture(const std::string& path) {
    QImage image(QString::fromStdString(path));
    if (image.isNull()) return std::nullopt;
    image = image.convertToFormat(QImage::Format_ARGB32);
    Picture p(image.width(), image.height());
    for (int y = 0; y < p.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        std::copy(row, row + p.width, p.argb.begin() + std::ptrdiff_t(y) * p.width);
    }
    return p;
}

std::string encodeJpeg(const Picture& p, int quality) {
    std::vector<std::uint32_t> rgb(p.argb.size());
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = p.argb[i] & 0xFFFFFF;
    std::vector<std::uint8_t> out;
    if (!project::encodeJpeg(rgb.data(), p.width, p.height, quality, out)) return {};
    return std::string(out.begin(), out.end());
}

} // namespace tavlo::movie

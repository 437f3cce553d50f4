// SPDX-License-Identifier: GPL-3.0-or-later
// Comparing saved pictures as the eye sees them: two images are alike when
// they have the same size and only a small share of their pixels differ by
// more than a small step in any colour channel. Drawings of the same data
// may differ in the antialiasing of a few pixels from one way of drawing to
// another; a curve that is wrong in any visible way changes many more.
#pragma once

#include <QImage>
#include <QString>
#include <cstdlib>

struct Picture_Difference {
    bool sameSize = false;
    int differing = 0;  // pixels differing by more than the channel step
    int pixels = 0;
    double share() const { return pixels > 0 ? double(differing) / pixels : 1.0; }
};

// Pixels whose red, green, blue or alpha differ by more than `channelStep`.
inline Picture_Difference Compare_Pictures(const QImage& a, const QImage& b, int channelStep) {
    Picture_Difference d;
    d.sameSize = !a.isNull() && a.size() == b.size();
    if (!d.sameSize) return d;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32), y = b.convertToFormat(QImage::Format_ARGB32);
    d.pixels = x.width() * x.height();
    for (int row = 0; row < x.height(); ++row) {
        const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column) {
            const QRgb u = p[column], v = q[column];
            if (std::abs(qRed(u) - qRed(v)) > channelStep || std::abs(qGreen(u) - qGreen(v)) > channelStep ||
                std::abs(qBlue(u) - qBlue(v)) > channelStep || std::abs(qAlpha(u) - qAlpha(v)) > channelStep)
                ++d.differing;
        }
    }
    return d;
}

// The tolerance of the plot tests: at most one pixel in 1000 (a few hundred
// of a saved plot) differs by more than half a channel's range.
constexpr int Picture_Channel_Step = 128;
constexpr double Picture_Share_Differing = 1.0 / 1000.0;

// True when the image files `a` and `b` are alike; else *why says how not.
inline bool Pictures_Alike(const QString& a, const QString& b, QString* why = nullptr) {
    const QImage x(a), y(b);
    const Picture_Difference d = Compare_Pictures(x, y, Picture_Channel_Step);
    if (d.sameSize && d.share() <= Picture_Share_Differing) return true;
    if (why != nullptr)
        *why = !d.sameSize
                   ? QStringLiteral("%1 and %2 differ in size or do not load").arg(a, b)
                   : QStringLiteral("%1 of %2 pixels of %3 and %4 differ").arg(d.differing).arg(d.pixels).arg(a, b);
    return false;
}

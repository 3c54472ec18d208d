#pragma once

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QSize>

#include <array>

namespace halden {

// The warning dialog's pictures: the animation frames (frame 0 empty, then a warning
// triangle drawn in eight steps) and the finished sign on the dialog's colour
// (bitmap 188).
class WarningArt {
public:
    static constexpr int kFrameSize = 41;
    static constexpr int kFrameCount = 9;

    // Transparent where the sign does not cover.
    static std::array<QPixmap, kFrameCount> frames();
    // The finished sign as the last frame shows it, with the frame's top-left corner at
    // framePosition, on background.
    static QPixmap sign(QSize size, QPoint framePosition, const QColor& background);
};

} // namespace halden

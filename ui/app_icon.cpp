#include "app_icon.h"

#include <QPainter>
#include <QSvgRenderer>

namespace vontal {

namespace {

const QString kArtwork = QStringLiteral(":/vontal/icons/vontal.svg");
// Tray hosts ask for 16 to 48 pixels; menus and window frames for up to 128.
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128};
// The badge's colour: the amber of "waiting" in most desktop themes.
constexpr QRgb kBadgeColour = qRgb(0xf5, 0xa6, 0x23);

QImage render(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(kArtwork);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// Grey, a little lighter and fainter: the artwork at rest.
QImage greyed(QImage image) {
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = (qGray(line[x]) + 255) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 3 / 4);
        }
    }
    return image;
}

void addBadge(QImage& image) {
    const int size = image.width();
    const qreal diameter = size * 0.42;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, std::max(1.0, size / 24.0)));
    painter.setBrush(QColor(kBadgeColour));
    painter.drawEllipse(QRectF(size - diameter - 0.5, 0.5, diameter, diameter));
}

} // namespace

QIcon trayIcon(TrayIconState state, bool waitingForPassword) {
    QIcon icon;
    for (const int size : kSizes) {
        QImage image = render(size);
        if (state == TrayIconState::NoneConnected)
            image = greyed(std::move(image));
        if (waitingForPassword)
            addBadge(image);
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon applicationIcon() {
    return trayIcon(TrayIconState::Connected, false);
}

QImage iconImage(const QIcon& icon, int size) {
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace vontal

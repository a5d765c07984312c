#pragma once
// The program's calendar logo: a calendar sheet with a red head, a ring
// binding, "98" and a small heart for the birthdays. The splash window
// draws it, and the desktop icons (bitmaps and the scalable picture) are
// made from the same shapes, so all of them look alike.
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace tmf::logo {

// The logo's own coordinates: the splash picture is this size.
inline constexpr double kWidth = 121;
inline constexpr double kHeight = 122;
// The square around the sheet and the heart, for icons.
inline const QRectF kIconArea(12, 9, 104, 104);

// Paints the logo's area of the logo coordinates into target; with the
// background the sky of the splash picture is painted too.
void Paint(QPainter& painter, const QRectF& area, const QRectF& target, bool background);

// An icon of size x size device pixels, transparent around the sheet.
QImage IconImage(int size);
// The same icon as a scalable picture.
QString IconSvg();
// The windows' icon: the installed theme icon, else the drawn one.
QIcon WindowIcon();
// A pixmap of logical size w x h for the given device pixel ratio, sharp on
// screens that count two device pixels per logical one.
QPixmap SplashPixmap(qreal devicePixelRatio);

}  // namespace tmf::logo

#pragma once
// The program's own pictures, rendered from their drawings at build time and
// compiled in. A picture is decoded when it is first shown and kept; every
// caller of the same picture shares one icon. A bad index or name gives a null
// picture instead of failing, so a damaged settings file cannot crash a menu.
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace Pictures {

// Person pictures: 0..31 faces, 32 the birthday balloon. 16 x 16.
QIcon imageList1(int index);
QPixmap imageList1Pixmap(int index);
int imageList1Count();
inline constexpr int BirthdayPicture = 32;

// Command pictures of the person submenu and the tray icon. 16 x 16.
QIcon imageList2(int index);
QPixmap imageList2Pixmap(int index);
int imageList2Count();
inline constexpr int TrayOrdinaryPicture = 2;
inline constexpr int TrayBirthdayPicture = 9;

// Pictures of the fixed menu items: "heart", "wrench", "exit", "envelope",
// "house", "bubble", "gear".
QIcon fixedItem(const QString &name);

// Day-mark pictures of the month page (Emotion): 0 '+', 1 '-', 2 'K', 3 '0'.
// 16 x 16 ARGB32. Paper gets the same faces as drawings (MonthReport::MarkFaces).
QImage emotion(int index);
int emotionCount();

// Month fold arrows of the calendar grid, 16 x 15, opaque on silver.
QPixmap calendarArrow(bool pointsRight);

// Legend glyphs of the calendar window: 0 "+", 1 "0", 2 "-", 3 "K". 16 x 16, opaque on silver.
QPixmap helpImage(int index);
int helpImageCount();

// The program's own icon, in every size a window manager or launcher asks for.
QIcon programIcon();
QPixmap programIconPixmap(int size);

} // namespace Pictures

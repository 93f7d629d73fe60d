#pragma once

// The design values every window of the game takes: the fonts asked for by their Windows names,
// the colours, and the window flags.

#include <QColor>
#include <QString>

namespace platform::design {

// installFontSubstitutes() maps each onto an installed free font with the same metrics.
inline const QString gothic = QStringLiteral("ＭＳ ゴシック");
inline const QString mincho = QStringLiteral("ＭＳ 明朝");
inline const QString arial = QStringLiteral("Arial");
inline const QString comicSans = QStringLiteral("Comic Sans MS");

// The first eight are entries of the standard 16-colour palette (yellow is 14, red 12).
inline constexpr QColor black(0, 0, 0);
inline constexpr QColor white(255, 255, 255);
inline constexpr QColor red(255, 0, 0);
inline constexpr QColor yellow(255, 255, 0);
inline constexpr QColor green(0, 255, 0);
inline constexpr QColor cyan(0, 255, 255);
inline constexpr QColor blue(0, 0, 255);
inline constexpr QColor teal(0, 128, 128);
inline constexpr QColor darkGreen(0, 192, 0);
inline constexpr QColor darkBlue(0, 0, 192);
inline constexpr QColor lightYellow(255, 255, 192);

// The main window: a title bar with its menu, minimise and close buttons, and no maximise button.
inline constexpr Qt::WindowFlags mainWindowFlags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
// The version and ranking windows: a title bar with the close button alone.
inline constexpr Qt::WindowFlags dialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

} // namespace platform::design

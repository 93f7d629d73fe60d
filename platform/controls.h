#pragma once

// The window system's controls as the game's windows use them: fixed-size labels that
// paint their own background, a framed shape, a progress bar with a fractional value.
// Every window gives its geometry in pixels at 96 dpi (15 twips per pixel).

#include <QColor>
#include <QFont>
#include <QProgressBar>
#include <QWidget>

class QLabel;

namespace platform {

// A font of the given family at the pixel height that the point size has at 96 dpi, so the
// text fits its fixed-size label whatever DPI the X server reports.
QFont designFont(const QString &family, qreal points, bool italic = false);

struct LabelDesign {
    QRect geometry;
    QString caption;
    QFont font;
    QColor text;
    QColor background;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// A label that never changes its size, breaks long text at blanks, clips what does not fit,
// and shows its text literally (a player's name is never read as markup).
QLabel *makeLabel(QWidget *parent, const QString &name, const LabelDesign &design);

// Fills the widget's whole rectangle with the colour before its contents are drawn.
void setBackground(QWidget *widget, const QColor &colour);

void setTextColour(QLabel *label, const QColor &colour);

// A rounded rectangle outline that takes no input.
class Shape : public QWidget {
    Q_OBJECT
public:
    Shape(QWidget *parent, const QRect &geometry, const QColor &outlineColour, int outlineWidth);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor outline;
    int lineWidth;
};

// A horizontal progress bar from 0 to 100 that draws fractions of a unit too.
class ProgressBar : public QProgressBar {
    Q_OBJECT
public:
    ProgressBar(QWidget *parent, const QRect &geometry);

    // Values outside 0..100 are held at the nearer end.
    void setProgress(float value);

private:
    static constexpr int stepsPerUnit = 100;
};

// Centres a top-level window on its screen, frame included where the frame is known.
void centreOnScreen(QWidget *window);

// Maps the Windows font names the windows ask for onto installed free fonts with the same
// metrics, so Japanese captions never fall back to a font without kana and kanji.
// Call before the first widget is created.
void installFontSubstitutes();

} // namespace platform

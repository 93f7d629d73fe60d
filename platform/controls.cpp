#include "controls.h"

#include "design.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace platform {

QFont designFont(const QString &family, qreal points, bool italic)
{
    QFont font(family);
    font.setPixelSize(qRound(points * 96.0 / 72.0));
    font.setWeight(QFont::Normal);
    font.setItalic(italic);
    return font;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const LabelDesign &design)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(design.alignment | Qt::AlignTop);
    label->setFont(design.font);
    label->setGeometry(design.geometry);
    label->setFixedSize(design.geometry.size());
    setBackground(label, design.background);
    setTextColour(label, design.text);
    label->setText(design.caption);
    return label;
}

void setBackground(QWidget *widget, const QColor &colour)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

Shape::Shape(QWidget *parent, const QRect &geometry, const QColor &outlineColour, int outlineWidth)
    : QWidget(parent)
    , outline(outlineColour)
    , lineWidth(outlineWidth)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(outline, lineWidth));
    painter.setBrush(Qt::NoBrush);
    // The pen is centred on the path: inset by half its width to keep the line inside.
    const qreal inset = lineWidth / 2.0;
    const QRectF frame = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    const qreal radius = qMin(frame.width(), frame.height()) / 6.0;
    painter.drawRoundedRect(frame, radius, radius);
}

ProgressBar::ProgressBar(QWidget *parent, const QRect &geometry)
    : QProgressBar(parent)
{
    setGeometry(geometry);
    setRange(0, 100 * stepsPerUnit);
    setValue(0);
    setTextVisible(false);
    setFocusPolicy(Qt::NoFocus);
}

void ProgressBar::setProgress(float value)
{
    setValue(qRound(qBound(0.0f, value, 100.0f) * stepsPerUnit));
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame's size is known once the window exists, at once on Windows (title bar and
    // borders); a window manager that adds one (X11) tells it only after the window is shown.
    window->winId();
    const QRect available = screen->availableGeometry();
    const QSize frame = window->frameGeometry().size();
    window->move(available.x() + (available.width() - frame.width()) / 2,
                 available.y() + (available.height() - frame.height()) / 2);
}

void installFontSubstitutes()
{
    QFont::insertSubstitutions(
        design::gothic, { QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"), QStringLiteral("IPAexGothic") });
    QFont::insertSubstitutions(
        design::mincho, { QStringLiteral("MS Mincho"), QStringLiteral("IPAMincho"), QStringLiteral("IPAexMincho") });
    QFont::insertSubstitution(design::arial, QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(design::comicSans, QStringLiteral("Comic Neue"));
}

} // namespace platform

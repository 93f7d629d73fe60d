#include "barewindow.h"

#include <QLabel>
#include <QMenuBar>

namespace bench {

BareWindow::BareWindow()
{
    setWindowTitle(QStringLiteral("Bare window"));
    menuBar()->addAction(QStringLiteral("File"));
    label = new QLabel(QStringLiteral("0"), this);
    setCentralWidget(label);
    resize(394, 270);
}

void BareWindow::keyPressEvent(QKeyEvent *)
{
    label->setText(QString::number(++keys));
}

} // namespace bench

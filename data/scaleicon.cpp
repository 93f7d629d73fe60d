// Writes the program's icon at the sizes of the hicolor theme, scaled nearest-neighbour: every
// output pixel takes the colour of one source pixel, so the large icons stay as crisp as the
// 32 x 32 original and use only its 16 colours. At a whole multiple every source pixel becomes
// a square block. At 48, one and a half times, every source pixel becomes one or two output
// pixels: the right and bottom halves mirror the choice made in the left and top halves, so the
// symmetric drawing stays symmetric (both sides of the frame as wide, both halves of the 0 as tall),
// and each two-pixel stroke or edge of the drawing becomes three pixels wide.
//
//   quickpair_scaleicon SOURCE OUTPUT_DIR NAME SIZE...
// writes OUTPUT_DIR/SIZExSIZE/NAME.png for every SIZE.

#include <QDir>
#include <QImage>
#include <QTextStream>

namespace {

// The source pixel of output pixel i of n, out of a row or column of `count` source pixels.
int sourcePixel(int i, int n, int count)
{
    return 2 * i < n ? i * count / n : count - 1 - (n - 1 - i) * count / n;
}

} // namespace

int main(int argc, char *argv[])
{
    QTextStream err(stderr);
    if (argc < 5) {
        err << "usage: quickpair_scaleicon SOURCE OUTPUT_DIR NAME SIZE...\n";
        return 2;
    }
    const QImage source = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_Indexed8);
    if (source.isNull() || source.width() != source.height()) {
        err << "cannot read a square icon from " << argv[1] << "\n";
        return 1;
    }
    const QString outputDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size < source.width() || size % 2 != 0) {
            err << "size " << argv[i] << " is not an even size from " << source.width() << " up\n";
            return 2;
        }
        QImage scaled(size, size, QImage::Format_Indexed8);
        scaled.setColorTable(source.colorTable());
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x)
                scaled.setPixel(
                    x, y,
                    source.pixelIndex(sourcePixel(x, size, source.width()), sourcePixel(y, size, source.height())));
        }
        const QString folder = QStringLiteral("%1/%2x%2").arg(outputDir).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(folder, name);
        if (!QDir().mkpath(folder) || !scaled.save(file, "PNG")) {
            err << "cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}

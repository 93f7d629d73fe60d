// Writes the program's icon at the sizes of the hicolor theme, scaled nearest-neighbour: every
// output pixel takes the colour of one source pixel, so the large icons stay as crisp as the
// 32 x 32 original and use only its 16 colours. At a whole multiple every source pixel becomes
// a square block. At 48, one and a half times, every source pixel becomes one or two output
// pixels: the right and bottom halves mirror the choice made in the left and top halves, so the
// symmetric drawing stays symmetric (both sides of the frame as wide, both halves of the 0 as tall),
// and each two-pixel stroke or edge of the drawing becomes three pixels wide.
//
//   quickpair_scaleicon SOURCE OUTPUT_DIR NAME SIZE...
// writes OUTPUT_DIR/SIZExSIZE/NAME.png for every SIZE;
//   quickpair_scaleicon --ico SOURCE OUTPUT.ico SIZE...
// writes one Windows icon file holding every SIZE, each as a PNG image (as Windows Vista and
// later read them).

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QSaveFile>
#include <QTextStream>
#include <QtEndian>

namespace {

// The source pixel of output pixel i of n, out of a row or column of `count` source pixels.
int sourcePixel(int i, int n, int count)
{
    return 2 * i < n ? i * count / n : count - 1 - (n - 1 - i) * count / n;
}

QImage scaled(const QImage &source, int size)
{
    QImage image(size, size, QImage::Format_Indexed8);
    image.setColorTable(source.colorTable());
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            image.setPixel(
                x, y, source.pixelIndex(sourcePixel(x, size, source.width()), sourcePixel(y, size, source.height())));
    }
    return image;
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

template <typename T> void append(QByteArray &bytes, T value)
{
    const T little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char *>(&little), sizeof little);
}

// The icon file: a header, one 16-byte entry for each image, then the images.
QByteArray icoFile(const QList<QImage> &images)
{
    QByteArray header, data;
    append<quint16>(header, 0);
    append<quint16>(header, 1); // an icon, not a cursor
    append<quint16>(header, quint16(images.size()));
    const quint32 firstImage = 6 + 16 * images.size();
    for (const QImage &image : images) {
        const QByteArray bytes = png(image);
        header.append(char(image.width() % 256)); // 0 stands for 256
        header.append(char(image.height() % 256));
        header.append(char(0)); // no palette of its own
        header.append(char(0));
        append<quint16>(header, 1); // planes
        append<quint16>(header, 32); // bits per pixel, as Windows shows it
        append<quint32>(header, quint32(bytes.size()));
        append<quint32>(header, firstImage + quint32(data.size()));
        data += bytes;
    }
    return header + data;
}

} // namespace

int main(int argc, char *argv[])
{
    QTextStream err(stderr);
    const bool ico = argc > 1 && QByteArray(argv[1]) == "--ico";
    const int firstSize = 4; // both forms take three arguments before the sizes
    if (argc < firstSize + 1) {
        err << "usage: quickpair_scaleicon SOURCE OUTPUT_DIR NAME SIZE...\n"
               "       quickpair_scaleicon --ico SOURCE OUTPUT.ico SIZE...\n";
        return 2;
    }
    const char *sourceFile = argv[ico ? 2 : 1];
    const QImage source = QImage(QString::fromLocal8Bit(sourceFile)).convertToFormat(QImage::Format_Indexed8);
    if (source.isNull() || source.width() != source.height()) {
        err << "cannot read a square icon from " << sourceFile << "\n";
        return 1;
    }
    QList<QImage> images;
    for (int i = firstSize; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size < source.width() || size % 2 != 0 || size > 256) {
            err << "size " << argv[i] << " is not an even size from " << source.width() << " to 256\n";
            return 2;
        }
        images << scaled(source, size);
    }
    if (ico) {
        QSaveFile file(QString::fromLocal8Bit(argv[3]));
        const QByteArray bytes = icoFile(images);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
            err << "cannot write " << argv[3] << "\n";
            return 1;
        }
        return 0;
    }
    const QString outputDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (const QImage &image : images) {
        const QString folder = QStringLiteral("%1/%2x%2").arg(outputDir).arg(image.width());
        const QString file = QStringLiteral("%1/%2.png").arg(folder, name);
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            err << "cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}

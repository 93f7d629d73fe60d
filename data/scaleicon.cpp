// Writes the program's icon at the sizes of the hicolor theme, scaled nearest-neighbour:
// every source pixel becomes a square block, so the large icons stay as crisp as the
// 32 x 32 original and use only its 16 colours.
//
//   quickpair_scaleicon SOURCE OUTPUT_DIR NAME SIZE...
// writes OUTPUT_DIR/SIZExSIZE/NAME.png for every SIZE.

#include <QDir>
#include <QImage>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QTextStream err(stderr);
    if (argc < 5) {
        err << "usage: quickpair_scaleicon SOURCE OUTPUT_DIR NAME SIZE...\n";
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        err << "cannot read " << argv[1] << "\n";
        return 1;
    }
    const QString outputDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size <= 0 || size % source.width() != 0) {
            err << "size " << argv[i] << " is not a whole multiple of " << source.width() << "\n";
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2").arg(outputDir).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(folder, name);
        const QImage scaled = source.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (!QDir().mkpath(folder) || !scaled.save(file, "PNG")) {
            err << "cannot write " << file << "\n";
            return 1;
        }
    }
    return 0;
}

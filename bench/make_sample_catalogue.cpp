// make_sample_catalogue <path> <N>: a new catalogue at path with N sample cards in
// each of the four archives.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "sample_catalogue.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool ok = false;
    const qint64 n = args.size() == 3 ? args[2].toLongLong(&ok) : 0;
    if (!ok || n < 0) {
        std::fprintf(stderr, "usage: make_sample_catalogue <path> <cards per archive>\n");
        return 2;
    }
    try {
        QElapsedTimer timer;
        timer.start();
        SampleCatalogue::create(args[1], SampleCatalogue::Counts::all(n));
        std::printf("%s: %lld cards in each archive, %.1f s\n", qPrintable(args[1]),
                    static_cast<long long>(n), double(timer.elapsed()) / 1000.0);
    } catch (const AppError& e) {
        std::fprintf(stderr, "error %d (%s): %s\n", e.number(), qPrintable(e.source()),
                     qPrintable(e.description()));
        return 1;
    }
    return 0;
}

// Writes the benchmark pages into a folder, for the whole-process measurements:
//   tarnell_pages FOLDER
#include "pages.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnell_pages FOLDER\n");
        return 2;
    }
    return Pages::writeAll(QString::fromLocal8Bit(argv[1]));
}

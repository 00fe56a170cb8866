#include "BenchStart.h"

BenchStart::BenchStart(int& argc, char** argv)
    : app_(offscreen(argc), argv),
      total_(argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000),
      folder_(argc > 2 ? QString::fromLocal8Bit(argv[2]) : temp_.path()) {}

int& BenchStart::offscreen(int& argc) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}

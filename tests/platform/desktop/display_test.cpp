#include "test_application.h"

#include "platform/desktop/display.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Display, PaletteColoursOnlyUpToEightBitsPerPixel) {
    struct Row {
        int depth;
        int colours;
    };
    const std::vector<Row> rows = {
        {1, 2},
        {4, 16},
        {8, 256},
        // More than 8 bits per pixel: no palette, the only display the program accepts.
        {15, 0},
        {16, 0},
        {24, 0},
        {32, 0},
        // An unknown depth must not pass for a palette display, nor shift out of range.
        {0, 0},
        {-1, 0},
        {64, 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(hc::paletteColoursForDepth(row.depth), row.colours) << "depth " << row.depth;
    }
}

// Real X displays of the depths and sizes that matter: an 8-bit display must be refused by
// its palette, and a 640 × 480 desktop must be recognised as such.
TEST(Display, RealDisplaysReportTheirPaletteAndDesktop) {
    struct Row {
        const char* screen;
        const char* expected;
    };
    const std::vector<Row> rows = {
        {"640x480x8", "palette=256 desktop=0,0 640x480"},
        {"640x480x24", "palette=0 desktop=0,0 640x480"},
        {"800x600x16", "palette=0 desktop=0,0 800x600"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.screen);
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM"); // this binary runs offscreen; the probe must use X
        probe.setProcessEnvironment(env);
        probe.start(HC_XVFB_RUN,
                    {"-a", "-s", QString("-screen 0 %1").arg(row.screen), HC_DISPLAY_PROBE});
        ASSERT_TRUE(probe.waitForFinished(60000));
        EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
        EXPECT_EQ(QString::fromUtf8(probe.readAllStandardOutput()).trimmed().toStdString(),
                  row.expected);
    }
}

} // namespace

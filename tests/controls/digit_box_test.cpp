// The score counter: its digits drawn pixel for pixel as the segment table gives them (at scale
// 1 and 2), the cells and their leading zeros, stepping toward Target with its events, Delay 0,
// the Digits limit and the fixed size.

#include "controls/digit_box.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using hc::controls::TDigitBox;

int g_argc = 1;
char g_name[] = "digit_box_test";
char* g_argv[] = {g_name, nullptr};

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { m_app = std::make_unique<QApplication>(g_argc, g_argv); }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// The segment table as written down for the display: per segment three lines from the cell
// origin, each from its first point up to but not including its second.
struct Line {
    int x1, y1, x2, y2;
};
const std::array<std::array<Line, 3>, 7> kTable = {{
    {{{1, 0, 10, 0}, {2, 1, 9, 1}, {3, 2, 8, 2}}},        // 1 top
    {{{0, 1, 0, 10}, {1, 2, 1, 9}, {2, 3, 2, 8}}},        // 2 upper left
    {{{10, 1, 10, 10}, {9, 2, 9, 9}, {8, 3, 8, 8}}},      // 3 upper right
    {{{1, 10, 10, 10}, {2, 9, 9, 9}, {2, 11, 9, 11}}},    // 4 middle
    {{{0, 11, 0, 20}, {1, 12, 1, 19}, {2, 13, 2, 18}}},   // 5 lower left
    {{{10, 11, 10, 20}, {9, 12, 9, 19}, {8, 13, 8, 18}}}, // 6 lower right
    {{{1, 20, 10, 20}, {2, 19, 9, 19}, {3, 18, 8, 18}}},  // 7 bottom
}};
// The segments each digit lights, by number.
const std::array<std::vector<int>, 10> kLit = {{
    {1, 2, 3, 5, 6, 7},    // 0
    {3, 6},                // 1
    {1, 3, 4, 5, 7},       // 2
    {1, 3, 4, 6, 7},       // 3
    {2, 3, 4, 6},          // 4
    {1, 2, 4, 6, 7},       // 5
    {1, 2, 4, 5, 6, 7},    // 6: with its top bar
    {1, 3, 6},             // 7: three segments
    {1, 2, 3, 4, 5, 6, 7}, // 8
    {1, 2, 3, 4, 6},       // 9: without its bottom bar
}};

// The lit pixels of `text` (one character per cell, left to right) in a counter of as many cells.
std::set<std::pair<int, int>> expectedPixels(const std::string& text) {
    std::set<std::pair<int, int>> pixels;
    for (std::size_t cell = 0; cell < text.size(); ++cell) {
        const int ox = 13 * static_cast<int>(cell) + 2;
        const int oy = 2;
        for (int segment : kLit[static_cast<std::size_t>(text[cell] - '0')]) {
            for (const Line& line : kTable[static_cast<std::size_t>(segment - 1)]) {
                for (int x = line.x1, y = line.y1; x != line.x2 || y != line.y2;
                     x += (line.x2 > line.x1), y += (line.y2 > line.y1)) {
                    pixels.insert({ox + x, oy + y});
                }
            }
        }
    }
    return pixels;
}

// The counter rendered at `scale` device pixels per logical pixel.
QImage render(TDigitBox& box, qreal scale = 1) {
    QImage image(box.size() * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    box.render(&image);
    return image;
}

// Compares every device pixel with the table: Color1 where a lit line covers its logical pixel,
// Color2 everywhere else. Returns the first difference, or "" when there is none.
std::string differences(const QImage& image, const std::string& text, QColor on, QColor off,
                        int scale = 1) {
    const auto lit = expectedPixels(text);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool expectOn = lit.count({x / scale, y / scale}) != 0;
            const QColor want = expectOn ? on : off;
            if (image.pixelColor(x, y) != want) {
                return "pixel " + std::to_string(x) + "," + std::to_string(y) + " should be " +
                       (expectOn ? "lit" : "dark") + " for " + text;
            }
        }
    }
    return "";
}

TEST(DigitBoxTest, EveryDigitIsDrawnAsTheSegmentTableGivesIt) {
    TDigitBox box;
    box.setDelay(0);
    box.setDigits(10);
    box.setValue(1234567890u);
    EXPECT_EQ(differences(render(box), "1234567890", Qt::red, Qt::black), "");
    box.setValue(987654321u);
    EXPECT_EQ(differences(render(box), "0987654321", Qt::red, Qt::black), "");

    // Other colours, and twice the scale: every logical pixel becomes a crisp 2 x 2 block.
    box.setColor1(QColor(0, 255, 0));
    box.setColor2(QColor(0, 0, 80));
    box.setValue(4294967295u);
    EXPECT_EQ(differences(render(box, 2), "4294967295", QColor(0, 255, 0), QColor(0, 0, 80), 2),
              "");
}

TEST(DigitBoxTest, CellsShowTheLowestDigitsWithLeadingZeros) {
    TDigitBox box;
    box.setDelay(0);
    box.setDigits(2);
    box.setValue(7);
    EXPECT_EQ(differences(render(box), "07", Qt::red, Qt::black), "");
    EXPECT_EQ(box.accessibleDescription(), QStringLiteral("7"));
    box.setValue(123);
    EXPECT_EQ(differences(render(box), "23", Qt::red, Qt::black), "");
    EXPECT_EQ(box.accessibleDescription(), QStringLiteral("23"))
        << "a screen reader hears the number shown, not the hidden hundreds";

    // The eleventh cell of a full counter shows the leading zero of any 32-bit number.
    box.setDigits(11);
    box.setValue(4000000000u);
    EXPECT_EQ(differences(render(box), "04000000000", Qt::red, Qt::black), "");
}

// Records the events of a counter in order, with the numbers they see.
struct EventLog {
    explicit EventLog(TDigitBox& box) {
        QObject::connect(&box, &TDigitBox::OnValueChange, [this, &box](QObject* sender) {
            EXPECT_EQ(sender, &box);
            events.push_back("value " + std::to_string(box.value()));
        });
        QObject::connect(&box, &TDigitBox::OnTargetChange, [this, &box](QObject*) {
            events.push_back("target (old " + std::to_string(box.target()) + ")");
        });
        QObject::connect(&box, &TDigitBox::OnTargetReach, [this, &box](QObject*) {
            events.push_back("reach " + std::to_string(box.value()));
        });
    }
    std::vector<std::string> events;
};

TEST(DigitBoxTest, WithADelayTheValueStepsToTheTarget) {
    TDigitBox box;
    EXPECT_EQ(box.stepTimer().interval(), 100);
    EXPECT_TRUE(box.stepTimer().isActive()) << "the timer runs from construction";
    {
        // A new counter's first real tick finds Value = Target, fires OnTargetReach once and
        // switches the timer off.
        int reached = 0;
        QEventLoop loop;
        QObject::connect(&box, &TDigitBox::OnTargetReach, &loop, [&] {
            ++reached;
            loop.quit();
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit); // a broken timer fails, not hangs
        loop.exec();
        QCoreApplication::processEvents();
        EXPECT_EQ(reached, 1);
        EXPECT_FALSE(box.stepTimer().isActive());
        QObject::disconnect(&box, &TDigitBox::OnTargetReach, &loop, nullptr);
    }

    box.setTarget(2);
    box.setValue(2);
    box.StepTimerTimer(); // at its target: off again
    EventLog log(box);
    box.setTarget(5);
    EXPECT_TRUE(box.stepTimer().isActive());
    EXPECT_EQ(box.value(), 2u) << "nothing shown until the timer ticks";
    box.StepTimerTimer();
    box.StepTimerTimer();
    EXPECT_TRUE(box.stepTimer().isActive());
    box.StepTimerTimer();
    EXPECT_FALSE(box.stepTimer().isActive());
    EXPECT_EQ(log.events, (std::vector<std::string>{"target (old 2)", "value 3", "value 4",
                                                    "value 5", "reach 5"}));
    EXPECT_EQ(differences(render(box), "005", Qt::red, Qt::black), "");

    // Downwards too, through SubtractFromTarget.
    log.events.clear();
    box.SubtractFromTarget(2);
    box.StepTimerTimer();
    box.StepTimerTimer();
    EXPECT_EQ(log.events, (std::vector<std::string>{"target (old 5)", "value 4", "value 3",
                                                    "reach 3"}));

    // Target and then Value with the same number: shown at once; the next tick only switches
    // the timer off and reports the target reached.
    log.events.clear();
    box.AddToTarget(6);
    box.setValue(9);
    EXPECT_EQ(differences(render(box), "009", Qt::red, Qt::black), "");
    EXPECT_TRUE(box.stepTimer().isActive());
    box.StepTimerTimer();
    EXPECT_FALSE(box.stepTimer().isActive());
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"target (old 3)", "value 9", "reach 9"}));
}

TEST(DigitBoxTest, WithoutADelayValueAndTargetMoveTogether) {
    TDigitBox box;
    box.setDelay(0);
    EXPECT_FALSE(box.stepTimer().isActive()) << "an interval of 0 must not tick";
    EventLog log(box);
    box.setTarget(42);
    EXPECT_EQ(box.value(), 42u);
    EXPECT_EQ(differences(render(box), "042", Qt::red, Qt::black), "");
    box.setValue(17);
    EXPECT_EQ(box.target(), 17u);
    EXPECT_FALSE(box.stepTimer().isActive());
    EXPECT_EQ(log.events, (std::vector<std::string>{"target (old 0)", "value 17"}))
        << "a Target write shows the number without OnValueChange";

    // Switching the delay off half-way jumps to the target without an event.
    box.setDelay(100);
    box.setTarget(30);
    box.StepTimerTimer();
    log.events.clear();
    box.setDelay(0);
    EXPECT_EQ(box.value(), 30u);
    EXPECT_TRUE(log.events.empty());
    EXPECT_FALSE(box.stepTimer().isActive());
    // ... and on again, the stepping goes on where it was.
    box.setDelay(50);
    box.setTarget(31);
    EXPECT_TRUE(box.stepTimer().isActive());
    EXPECT_EQ(box.stepTimer().interval(), 50);
}

TEST(DigitBoxTest, TheSizeFollowsDigitsOnly) {
    TDigitBox box;
    EXPECT_EQ(box.size(), QSize(41, 25));
    box.setDigits(2);
    EXPECT_EQ(box.size(), QSize(28, 25));
    box.setGeometry(10, 20, 100, 60);
    box.resize(5, 5);
    EXPECT_EQ(box.geometry(), QRect(10, 20, 28, 25));
    box.setDigits(20);
    EXPECT_EQ(box.digits(), 11u);
    EXPECT_EQ(box.size(), QSize(11 * 13 + 2, 25));

    // A layout sets the published properties by name.
    TDigitBox fromLayout;
    EXPECT_TRUE(fromLayout.setProperty("Color1", QColor(Qt::red)));
    EXPECT_TRUE(fromLayout.setProperty("Digits", 2u));
    EXPECT_TRUE(fromLayout.setProperty("Delay", 0u));
    EXPECT_TRUE(fromLayout.setProperty("Target", 64u));
    EXPECT_EQ(fromLayout.property("Value").toUInt(), 64u);
    EXPECT_EQ(fromLayout.size(), QSize(28, 25));
}

} // namespace

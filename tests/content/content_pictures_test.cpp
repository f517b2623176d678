// The pictures stored with the screens: each resource the screens name exists at the size its
// control gives it, and the small ones are cut out (transparent) so they sit on any button.

#include "content/pictures.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

namespace pictures = hc::pictures;

TEST(ScreenPictures, EachHasTheSizeOfItsControl) {
    pictures::registerPictures();
    const struct {
        const char* path;
        int width, height;
        bool covers; // fills its control completely (no transparent pixels)
    } rows[] = {
        {pictures::kWallpaper, 1280, 800, true},
        {pictures::kLoadingStill, 134, 33, true},
        {pictures::kTitleArt, 632, 185, true},
        {pictures::kCheckerFloor, 632, 253, true},
        {pictures::kMainMenu, 327, 198, true},
        {pictures::kSpellingTestButton, 64, 64, false},
        {pictures::kPhonogramButton, 64, 64, false},
        {pictures::kNewUserButton, 32, 32, false},
        {pictures::kReportCardButton, 32, 32, false},
        {pictures::kWordListButton, 32, 32, false},
        {pictures::kDisk, 32, 32, false},
        {pictures::kYes, 48, 48, false},
        {pictures::kNo, 48, 48, false},
        {pictures::kPrint, 16, 16, false},
        {pictures::kToolDisk, 16, 16, false},
        {pictures::kToolDeleteUser, 16, 16, false},
        {pictures::kToolClear, 16, 16, false},
        {pictures::kToolImport, 16, 16, false},
        {pictures::kToolCut, 16, 16, false},
        {pictures::kToolCopy, 16, 16, false},
        {pictures::kToolPaste, 16, 16, false},
        {pictures::kPhonoBackdrop, 316, 158, true},
        // The button looks are rounded: their corners show the backdrop.
        {pictures::kGoPressed, 64, 26, false},
        {pictures::kGoDark, 64, 26, false},
        {pictures::kRepeatPressed, 64, 26, false},
        {pictures::kRepeatDark, 64, 26, false},
        {pictures::kHoneycombIcon, 256, 256, false},
        {pictures::kHoneycombIconSmall, 32, 32, false},
        {pictures::kOptionsIcon, 256, 256, false},
        {pictures::kOptionsIconSmall, 32, 32, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const QImage image(QString::fromLatin1(row.path));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(row.width, row.height));
        EXPECT_EQ(image.hasAlphaChannel(), !row.covers);
        if (!row.covers) {
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "corner should be see-through";
        }
    }
}

// Go and Repeat show three looks over the same area: the backdrop's own, pressed and dark.
// Each must be told apart from the others at a glance.
TEST(ScreenPictures, ButtonLooksDifferFromTheBackdrop) {
    pictures::registerPictures();
    const QImage backdrop(QString::fromLatin1(pictures::kPhonoBackdrop));
    const struct {
        const char* look;
        QRect area;
    } rows[] = {{pictures::kGoPressed, QRect(168, 86, 64, 26)},
                {pictures::kGoDark, QRect(168, 86, 64, 26)},
                {pictures::kRepeatPressed, QRect(168, 117, 64, 26)},
                {pictures::kRepeatDark, QRect(168, 117, 64, 26)}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.look);
        const QImage look(QString::fromLatin1(row.look));
        const QImage normal = backdrop.copy(row.area);
        int differing = 0;
        for (int y = 0; y < look.height(); ++y) {
            for (int x = 0; x < look.width(); ++x) {
                const QRgb a = look.pixel(x, y);
                const QRgb b = normal.pixel(x, y);
                if (qAlpha(a) == 255 &&
                    std::abs(qGray(a) - qGray(b)) + std::abs(qRed(a) - qRed(b)) > 30) {
                    ++differing;
                }
            }
        }
        EXPECT_GT(differing, look.width() * look.height() / 5);
    }
}

} // namespace

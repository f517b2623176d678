#pragma once

// The pictures stored with the screens (Qt resources of the target hc_pictures). Each constant
// is a resource path for QPixmap/QImage/QIcon; the comment gives the picture's size in
// logical pixels and where it belongs. All are drawn at exactly that size, so they are shown
// 1:1 (a picture "stretched" over a control of the same size is not resized at all).
//
// Call hc::pictures::registerPictures() once before the first picture is loaded: the resources
// live in a static library, whose registration the linker would otherwise drop.

namespace hc::pictures {

void registerPictures();

// Wallpaper, 1280 x 800, stretched over the whole desktop (the wallpaper window's Image1).
inline constexpr const char* kWallpaper = ":/pictures/wallpaper.png";
// The loading message's still, 134 x 33 (StillImg in Panel3); the first frame of
// "movies\loading.avi", so the movie starts without a jump.
inline constexpr const char* kLoadingStill = ":/pictures/loading.png";
// Title screen: the title art (Logo), 632 x 185 at the top; the checker floor (CheckerFloor),
// 632 x 253 at top 200. The floor carries a dark board behind the credits column (left 424..594,
// top 216..386 in screen coordinates), so the version and credit labels read best in white or
// light yellow there. The title bee and start movies are cut from these two pictures.
inline constexpr const char* kTitleArt = ":/pictures/title.png";
inline constexpr const char* kCheckerFloor = ":/pictures/floor.png";
// Main menu picture (Image1), 327 x 198. The two big buttons stand on its calm middle.
inline constexpr const char* kMainMenu = ":/pictures/mainmenu.png";
// Pictures above the captions of the main menu's buttons: 64 x 64 for the two big buttons
// (105 x 105), 32 x 32 for the three small ones (89 x 57). Transparent backgrounds.
inline constexpr const char* kSpellingTestButton = ":/pictures/spelling.png";
inline constexpr const char* kPhonogramButton = ":/pictures/phonogram.png";
inline constexpr const char* kNewUserButton = ":/pictures/newuser.png";
inline constexpr const char* kReportCardButton = ":/pictures/reportcard.png";
inline constexpr const char* kWordListButton = ":/pictures/wordlist.png";
// The floppy-disk picture (DiskImage), 32 x 32, transparent.
inline constexpr const char* kDisk = ":/pictures/disk.png";
// The good-bye screen's Yes and No pictures, 48 x 48, transparent, above the captions.
inline constexpr const char* kYes = ":/pictures/yes.png";
inline constexpr const char* kNo = ":/pictures/no.png";
// The report card's Print button picture, 16 x 16, transparent.
inline constexpr const char* kPrint = ":/pictures/print.png";
// The options form's tool-button pictures, 16 x 16, transparent: "Load from disk", "Delete
// user" (the Print buttons use kPrint), "Clear word list", "Import words from another file",
// "Cut", "Copy" and "Paste".
inline constexpr const char* kToolDisk = ":/pictures/tool-disk.png";
inline constexpr const char* kToolDeleteUser = ":/pictures/tool-deleteuser.png";
inline constexpr const char* kToolClear = ":/pictures/tool-clear.png";
inline constexpr const char* kToolImport = ":/pictures/tool-import.png";
inline constexpr const char* kToolCut = ":/pictures/tool-cut.png";
inline constexpr const char* kToolCopy = ":/pictures/tool-copy.png";
inline constexpr const char* kToolPaste = ":/pictures/tool-paste.png";
// The phonogram puzzle's backdrop (PhonoPic), 316 x 158 at left 8, top 168 of the puzzle panel.
// Its empty picture frame lies at 13, 13 (141 x 133), under the place the pieces fly to; the Go
// and Repeat buttons' normal looks are part of it at 168, 86 and 168, 117 (64 x 26 each).
inline constexpr const char* kPhonoBackdrop = ":/pictures/phonobackdrop.png";
// The looks laid over those areas, 64 x 26 each: pressed (GoImage, RepeatImg) and
// unavailable (GoDark, RepeatDark).
inline constexpr const char* kGoPressed = ":/pictures/godown.png";
inline constexpr const char* kGoDark = ":/pictures/godark.png";
inline constexpr const char* kRepeatPressed = ":/pictures/repeatdown.png";
inline constexpr const char* kRepeatDark = ":/pictures/repeatdark.png";
// The programs' window and desktop icons, 256 x 256 with a 32 x 32 drawing for small sizes
// (add both to one QIcon).
inline constexpr const char* kHoneycombIcon = ":/pictures/honeycomb-icon.png";
inline constexpr const char* kHoneycombIconSmall = ":/pictures/honeycomb-icon-32.png";
inline constexpr const char* kOptionsIcon = ":/pictures/options-icon.png";
inline constexpr const char* kOptionsIconSmall = ":/pictures/options-icon-32.png";

} // namespace hc::pictures

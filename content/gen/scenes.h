#pragma once

// Pictures that both a still (stored with a screen) and a movie (in DATA.ERF) are cut from.
// A movie that plays over a still must match it pixel for pixel where they meet, so both are
// drawn by the same function here.

#include <QImage>
#include <QRect>

namespace hc::content {

// Where the screens place the controls that the art must fit (logical pixels).
namespace layout {
inline constexpr QSize kBeePanel{160, 120};
inline constexpr QSize kLoading{134, 33};
inline constexpr QSize kLogo{320, 200};
inline constexpr QSize kTitleScreen{632, 453};
inline constexpr QSize kTitleArt{632, 185};
inline constexpr int kFloorTop = 200;
inline constexpr QSize kFloor{632, 253};
inline constexpr QRect kTitleBee{17, 105, 237, 308};
inline constexpr QRect kStartArea{262, 309, 114, 126};
// The credits column of the title screen (labels at left 432, 145..153 wide, tops 225..369).
inline constexpr QRect kCredits{424, 216, 170, 170};
// The spelling test's MainPanel: the card movie shows from its top-left corner and must end
// above the answer box (Shape1 at top 96).
inline constexpr QSize kFlashCard{263, 92};
inline constexpr QRect kWordLabel{16, 30, 233, 33};
// The reward screen's inner panel (322 x 242 less two 2-pixel bevels).
inline constexpr QSize kReward{318, 238};
inline constexpr QSize kMenuPicture{327, 198};
// The menu's big buttons, in picture coordinates (MainPanel's border is 2 pixels).
inline constexpr QRect kSpellingButton{46, 46, 105, 105};
inline constexpr QRect kPhonoButton{174, 46, 105, 105};
inline constexpr QSize kPhonoBackdrop{316, 158};
// Inside the backdrop: the puzzle picture's frame, the Go and Repeat areas.
inline constexpr QRect kPuzzleFrame{13, 13, 141, 133};
inline constexpr QRect kGoArea{168, 86, 64, 26};
inline constexpr QRect kRepeatArea{168, 117, 64, 26};
inline constexpr QSize kPuzzle{141, 133};
// A piece's picture: the 33 x 31 inside of a 35 x 33 card of the 4 x 4 board.
inline constexpr QSize kPiece{33, 31};
inline constexpr int kPieceStepX = 35;
inline constexpr int kPieceStepY = 33;
} // namespace layout

enum class ButtonLook { Normal, Pressed, Dark };

// The sky-and-meadow behind every bee animation (160 x 120).
QImage beeBackdrop();
// The title screen as the child sees it without its movies: black, the title art, the floor.
QImage titleArt();
QImage checkerFloor();
QImage titleScreen();
// The loading strip at one moment of its loop; frame 0 is also the still picture.
QImage loadingFrame(int frame, int frames);
// The phonogram puzzle's backdrop and the looks of its two buttons.
QImage phonoBackdrop();
QImage goButton(ButtonLook look);
QImage repeatButton(ButtonLook look);

} // namespace hc::content

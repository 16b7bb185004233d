#pragma once

class QWidget;

namespace kmission::platform {

// The windows keep the positions and sizes of their design, which was made for
// a smaller system font than a desktop's usual one. This shrinks the font of
// the labels, buttons, check boxes and option buttons inside `window` until
// every caption fits its control's contents rectangle, in half points down to
// a floor of 6 points. Controls of the same kind, height and font stand
// alike, so they get one common font; a control without text takes its
// group's font, for the texts it shows later. Called once, after a window
// has been built.
void FitTexts(QWidget* window);

// Whether the caption of a label, button, check box or option button fits its
// contents rectangle, as its style lays the caption out, in its current font.
bool TextFits(const QWidget* control);

} // namespace kmission::platform

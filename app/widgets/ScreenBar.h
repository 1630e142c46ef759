#pragma once

#include <QString>

class QPushButton;
class QWidget;

namespace plotwise {

// The dark bar with the title centred between `left` and `right` (either may be null), which it
// adopts; the narrower side is padded to the wider one's width.
QWidget* makeTitledScreenBar(QWidget* parent, const QString& title, QWidget* left, QWidget* right);
// The dark bar at the top of a pushed screen: a back button on the left and the title.
QWidget* makeScreenBar(QWidget* parent, const QString& title, QPushButton** back);
// The same bar on a modal screen: an optional button on the left, the title, and Done on the
// right, which Escape presses too.
QWidget* makeDoneScreenBar(QWidget* parent, const QString& title, QPushButton** done,
                           QWidget* left = nullptr);
// The grouped table's blue-grey behind a details screen, with black text.
void useGroupedBackground(QWidget* screen);

}  // namespace plotwise
